// SPDX-License-Identifier: MIT
// One job, one window model, one Create: nothing here decides what goes into a package, so a job
// gives exactly the package the window gives from the same values.
#include "job/job_build.h"

#include <memory>

#include "admin/admin_form.h"
#include "catalogue/catalogue.h"
#include "dialogs/messages.h"
#include "eraser/rem_form.h"
#include "job/job_file.h"
#include "job/job_forms.h"
#include "job/job_prompter.h"
#include "mainform/main_form.h"
#include "package/output_lock.h"
#include "platform/error.h"
#include "platform/filesystem.h"
#include "platform/path.h"
#include "platform/process.h"
#include "source/folder_check.h"

namespace korva::job {

namespace {

// Remembers whether Create reached its end, which is the only sign of success a window gives.
class FinishWatch final : public WaitView, public OwnerView {
  public:
    explicit FinishWatch(WaitView& inner) : inner_(inner) {}
    void show_creating() override { inner_.show_creating(); }
    void refresh() override { inner_.refresh(); }
    void progress(std::uint64_t done, std::uint64_t total) override {
        inner_.progress(done, total);
    }
    void show_finished() override {
        finished = true;
        inner_.show_finished();
    }
    void hide() override { inner_.hide(); }
    void set_visible(bool) override {}

    bool finished = false;

  private:
    WaitView& inner_;
};

bool folder_is_empty(FileSystem& fs, const std::string& folder) {
    return fs.sub_folders(folder).empty() && fs.files(folder).empty();
}

std::string parent_of(const std::string& folder) {
    const std::string path = without_trailing_sep(folder);
    const std::size_t sep = last_sep(path);
    return sep == std::string::npos ? "." : path.substr(0, sep + 1);
}

// "reuse": the old contents step aside for the build and come back when it fails, so a failed
// rebuild never costs the administrator the package that worked. Where they cannot come back,
// the administrator is told where they are.
// The lock records where they wait, so that a build after an interruption can put them back.
class OutputSetAside {
  public:
    using KeptAt = std::function<void(const std::string& folder)>;

    OutputSetAside(FileSystem& fs, const std::string& output, OutputLock& lock, KeptAt kept)
        : fs_(fs), lock_(lock), kept_(std::move(kept)) {
        if (!fs.folder_exists(output) || folder_is_empty(fs, output))
            return;
        // The output was checked to be no link and to lie behind none, so this is its own name.
        output_ = without_trailing_sep(fs.canonical(output));
        std::string candidate = output_ + ".previous";
        for (int n = 2; fs.folder_exists(candidate) || fs.file_exists(candidate); ++n)
            candidate = output_ + ".previous" + std::to_string(n);
        lock_.record_previous(candidate);
        fs.rename(output_, candidate);
        aside_ = candidate;
        try {
            fs.create_folder(output_);
        } catch (...) {
            restore();
            throw;
        }
    }
    OutputSetAside(const OutputSetAside&) = delete;
    OutputSetAside& operator=(const OutputSetAside&) = delete;
    ~OutputSetAside() {
        try {
            restore();
        } catch (...) {
            // Nothing can be told any more; the old contents stay in their folder beside.
        }
    }

    // The record goes first: a build killed while the old package is removed leaves the new
    // one, never a half-removed old one to be put back.
    void commit() {
        if (aside_.empty())
            return;
        lock_.record_previous("");
        fs_.remove_all(aside_);
        aside_.clear();
    }

    void restore() {
        if (aside_.empty())
            return;
        const std::string aside = aside_;
        aside_.clear();
        fs_.remove_all(output_);
        try {
            fs_.rename(aside, output_);
            lock_.record_previous("");
        } catch (const PlatformError&) {
            kept_(aside);
        }
    }

  private:
    FileSystem& fs_;
    OutputLock& lock_;
    KeptAt kept_;
    std::string output_;
    std::string aside_;
};

class Build {
  public:
    Build(const std::string& job_path, const BuildSettings& settings, Prompter& prompter,
          WaitView& wait, FileSystem& fs)
        : path_(job_path),
          settings_(settings),
          job_prompter_(prompter),
          watch_(wait),
          fs_(fs),
          tool_sii_(ToolSii_Path_for(settings.program_folder)),
          lang_(settings.language.empty() ? choose_language(tool_sii_)
                                          : choose_language(tool_sii_, settings.language)) {
        catalogue_ = std::make_unique<Catalogue>(tool_sii_, lang_.LangSelect, kMainBuffer);
    }

    Outcome run() {
        ReadResult read = read_job(fs_, path_);
        if (!read.problems.empty()) {
            show_problems(read.problems, *catalogue_, job_prompter_);
            return {};
        }
        job_ = read.job;
        job_prompter_.begin(job_, false);
        Outcome outcome;
        try {
            outcome = build_tool();
        } catch (const PlatformError&) {
            show_message(*catalogue_, job_prompter_, "MsgErrCopy");
            outcome = {};
        }
        job_prompter_.end();
        return outcome;
    }

  private:
    Context context() {
        return Context{*catalogue_,
                       job_prompter_,
                       fs_,
                       language_codepage(*catalogue_),
                       [] {},
                       settings_.program_folder,
                       settings_.system_folder,
                       settings_.tool_archives};
    }

    Outcome build_tool() {
        switch (job_.tool) {
            case Tool::Removal:
                return build_removal();
            case Tool::Administrator:
                return build_admin();
            default:
                return build_installer();
        }
    }

    // The window shows messages as it goes; any of them while the job is put in means the job
    // does not describe what the package holds.
    bool applied(bool ok, const std::vector<Problem>& problems, const Catalogue& catalogue) {
        show_problems(problems, catalogue, job_prompter_);
        if (job_prompter_.unanswered())
            show_filled_message(catalogue, job_prompter_, "MsgErrJobValue", {"[Job] Driver", ""});
        return ok && problems.empty() && !job_prompter_.unanswered() &&
               job_prompter_.messages_shown() == 0;
    }

    std::optional<std::string> password(const Catalogue& catalogue, const std::string& caption) {
        if (!job_.password_variable.empty()) {
            if (auto value = password_from_environment(job_))
                return value;
        } else if (settings_.ask_password) {
            if (auto typed = settings_.ask_password(caption + " "))
                return typed;
        }
        if (job_.password_variable.empty()) {
            show_message(catalogue, job_prompter_, "MsgErrJobPasswordNone");
        } else {
            show_filled_message(catalogue, job_prompter_, "MsgErrJobPasswordUnset",
                                {job_.password_variable});
        }
        return std::nullopt;
    }

    // Whether the folder text, or any folder above it that the text names, is a link: what
    // "reuse" moves and deletes must be the folder itself, never what a link leads to.
    bool passes_through_link(const std::string& folder) {
        const std::string path = without_trailing_sep(folder);
        for (std::size_t sep = path.find_first_of(kPathSeps, 1);;
             sep = path.find_first_of(kPathSeps, sep + 1)) {
            if (fs_.is_link(path.substr(0, sep)))
                return true;
            if (sep == std::string::npos)
                return false;
        }
    }

    // The folders "reuse" never moves aside: the source (also when the output lies inside it),
    // and whatever holds the job, the program or the system folder.
    bool protected_by_reuse(const std::string& output) {
        const std::string key = folder_key(fs_, output);
        const std::string source = folder_key(fs_, resolve_folder(job_.source, folder_of(path_)));
        if (!job_.source.empty() && (key.starts_with(source) || source.starts_with(key)))
            return true;
        for (const std::string& inside : {folder_of(path_), settings_.program_folder, system()}) {
            if (!inside.empty() && folder_key(fs_, inside).starts_with(key))
                return true;
        }
        return false;
    }

    // The system folder as the encoder step finds it; --check leaves it out, as asking for it
    // off Windows makes the folder.
    std::string system() const {
        if (!settings_.system_folder.empty())
            return settings_.system_folder;
        try {
            return settings_.check_only ? "" : system_directory();
        } catch (const std::exception&) {
            return "";
        }
    }

    // Everything "reuse" needs to know before it may move anything, read without writing.
    bool reuse_allowed(const std::string& output, const Catalogue& catalogue) {
        if (passes_through_link(output)) {
            show_filled_message(catalogue, job_prompter_, "MsgErrJobReuseLink", {output});
            return false;
        }
        if (protected_by_reuse(output)) {
            show_filled_message(catalogue, job_prompter_, "MsgErrJobReuseGuard", {output});
            return false;
        }
        return true;
    }

    // Only a package a job built is replaced: a folder that holds other things may be anybody's.
    bool reuse_replaces(const std::string& output, const Catalogue& catalogue) {
        if (!fs_.folder_exists(output) || folder_is_empty(fs_, output) ||
            fs_.file_exists(with_trailing_sep(output) + kPackageMarker)) {
            return true;
        }
        show_filled_message(catalogue, job_prompter_, "MsgErrJobNoMarker",
                            {output, kPackageMarker});
        return false;
    }

    // A build killed while the old package was aside left its lock naming it: the old package
    // comes back before anything else happens, as if the interrupted build had failed.
    void restore_interrupted(OutputLock& lock, const std::string& output,
                             const Catalogue& catalogue) {
        if (!lock.interrupted() || lock.interrupted()->previous.empty())
            return;
        const std::string aside = lock.interrupted()->previous;
        const std::string folder = without_trailing_sep(fs_.canonical(output));
        // The lock file is no order to move any folder: only a sibling of this output's name.
        const bool sibling = aside.size() > folder.size() && aside.starts_with(folder) &&
                             aside.substr(folder.size()).starts_with(".previous") &&
                             aside.find_first_of(kPathSeps, folder.size()) == std::string::npos;
        if (!sibling || !fs_.folder_exists(aside))
            return;
        lock.record_previous(aside);
        fs_.remove_all(folder);
        fs_.rename(aside, folder);
        lock.record_previous("");
        show_filled_message(catalogue, job_prompter_, "MsgJobRestored", {output, aside});
    }

    // What --check can know without writing: where the package would go, and whether the job
    // has an answer for an output folder that holds something.
    Outcome check_output(const std::string& output, const Catalogue& catalogue) {
        if (!fs_.folder_exists(output) && !fs_.folder_exists(parent_of(output))) {
            show_message(catalogue, job_prompter_, "MsgErrOutPath2", "MsgErrChk");
            return {};
        }
        if (job_.existing_output == ExistingOutput::Fail && fs_.folder_exists(output) &&
            !folder_is_empty(fs_, output)) {
            show_message(catalogue, job_prompter_, "MsgErrOutPath3", "MsgErrJobExisting");
            return {};
        }
        return {true, ""};
    }

    // A package built on a guess is no package: what Create wrote goes again. The folder was
    // empty or new before Create, so all of it is Create's.
    void discard(const std::string& output, const std::string& built) {
        if (name_comparison_key(with_trailing_sep(built)) !=
            name_comparison_key(with_trailing_sep(output))) {
            fs_.remove_all(built);
            return;
        }
        for (const std::string& name : fs_.sub_folders(built))
            fs_.remove_all(built + name);
        for (const std::string& name : fs_.files(built))
            fs_.remove_all(built + name);
    }

    // The end of a successful build: the marker says the folder is a package a job made.
    bool mark_package(const std::string& output, const std::string& built,
                      const Catalogue& catalogue) {
        try {
            fs_.write_file(with_trailing_sep(built) + kPackageMarker, kPackageMarkerText);
            return true;
        } catch (const PlatformError&) {
            discard(output, built);
            show_message(catalogue, job_prompter_, "MsgErrCopy", "MsgErrOneMore");
            return false;
        }
    }

    // Create behind the watch and the output folder's lock; the output folder set aside first
    // when the job says so. is_package: the folder gets the package marker (the administrator
    // launchers go beside a program, into a folder that is no package).
    Outcome create(const std::string& output, const Catalogue& catalogue,
                   const std::function<void()>& com_ok,
                   const std::function<std::string()>& built_output, bool is_package = true) {
        const bool reuse = is_package && job_.existing_output == ExistingOutput::Reuse;
        if (reuse && !reuse_allowed(output, catalogue))
            return {};
        if (settings_.check_only) {
            if (reuse && !reuse_replaces(output, catalogue))
                return {};
            return check_output(output, catalogue);
        }
        // The lock goes beside the output folder, so without its parent nothing can be built.
        if (!fs_.folder_exists(parent_of(output))) {
            show_message(catalogue, job_prompter_, "MsgErrOutPath2", "MsgErrChk");
            return {};
        }
        const std::unique_ptr<OutputLock> lock =
            lock_for_create(fs_, output, path_, catalogue, job_prompter_);
        if (!lock)
            return {};
        if (reuse)
            restore_interrupted(*lock, output, catalogue);
        if (reuse && !reuse_replaces(output, catalogue))
            return {};
        // A build server starts from a clean tree: the output folder itself may be missing, but
        // only it, so a mistyped path still fails as at the window.
        const bool made = !fs_.folder_exists(output) && fs_.folder_exists(parent_of(output));
        if (made)
            fs_.create_folder(without_trailing_sep(output));
        const std::string subfolder = with_trailing_sep(output) + job_.subfolder;
        const bool new_subfolder = job_.existing_output == ExistingOutput::Subfolder &&
                                   !fs_.folder_exists(subfolder) && !fs_.file_exists(subfolder);
        std::unique_ptr<OutputSetAside> aside;
        if (reuse) {
            aside =
                std::make_unique<OutputSetAside>(fs_, output, *lock, [&](const std::string& kept) {
                    show_filled_message(catalogue, job_prompter_, "MsgErrJobKept", {kept});
                });
        }
        com_ok();
        bool built = watch_.finished && !job_prompter_.unanswered();
        if (watch_.finished && !built) {
            discard(output, built_output());
            show_filled_message(catalogue, job_prompter_, "MsgErrJobValue", {"[Job] Driver", ""});
        }
        if (job_prompter_.declined_output())
            show_message(catalogue, job_prompter_, "MsgErrOutPath3", "MsgErrJobExisting");
        if (built && is_package)
            built = mark_package(output, built_output(), catalogue);
        if (aside && built)
            aside->commit();
        aside.reset();
        if (!built && new_subfolder &&
            name_comparison_key(with_trailing_sep(built_output())) ==
                name_comparison_key(with_trailing_sep(subfolder)))
            fs_.remove_all(subfolder);
        if (made && !built)
            fs_.remove_all(output);
        return {built, built ? built_output() : ""};
    }

    Outcome build_installer() {
        MainForm f(context());
        f.Main.caption = lang_.title;
        f.Form_Load_controls();
        std::vector<Problem> problems;
        const bool ok = apply_to_main(job_, folder_of(path_), f, problems);
        if (!applied(ok, problems, *catalogue_))
            return {};
        if (job_.user_install) {
            const auto typed = password(*catalogue_, f.Label9.caption);
            if (!typed)
                return {};
            f.Password.text = *typed;
        }
        return create(
            f.Out_Path.text, *catalogue_, [&] { f.Com_OK_Click(watch_, watch_); },
            [&] { return f.Out_Path.text; });
    }

    Outcome build_removal() {
        eraser::RemForm f(context(), lang_.LangSelect);
        f.Form_Load_controls("0", lang_.title);
        const bool ok = apply_to_removal(job_, folder_of(path_), f);
        if (!applied(ok, {}, f.catalogue()))
            return {};
        if (job_.user_install) {
            const auto typed = password(f.catalogue(), f.Lbl_Password.caption);
            if (!typed)
                return {};
            f.Password.text = *typed;
        }
        return create(
            f.Out_Path.text, f.catalogue(), [&] { f.Com_OK_Click(watch_, watch_); },
            [&] { return f.Out_Path.text; });
    }

    // The folder that holds the program: Output=, or the job file's own folder.
    // Made absolute, so a message names the full path looked at.
    std::string admin_output() const {
        const std::string folder =
            job_.output.empty() ? folder_of(path_) : resolve_folder(job_.output, folder_of(path_));
        try {
            return with_trailing_sep(fs_.canonical(folder));
        } catch (const std::exception&) {
            return with_trailing_sep(folder);
        }
    }

    Outcome build_admin() {
        AdminForm f(context(), lang_.LangSelect);
        f.target_folder = admin_output();
        if (f.Form_Load(lang_.title))
            return {};
        const std::string archive = with_trailing_sep(settings_.program_folder) + "Tool.bin";
        if (!fs_.file_exists(archive)) {
            show_filled_message(f.catalogue(), job_prompter_, "MsgErrJobNotFound", {archive});
            return {};
        }
        apply_to_admin(job_, f);
        if (!applied(true, {}, f.catalogue()))
            return {};
        const auto typed = password(f.catalogue(), f.Lbl_Password.caption);
        if (!typed)
            return {};
        f.Password.text = *typed;
        // The launchers go beside the program, into a folder that is never set aside.
        if (settings_.check_only)
            return {true, ""};
        return create(
            f.target_folder, f.catalogue(), [&] { f.Com_OK_Click(watch_, watch_); },
            [&] { return f.dir(); }, false);
    }

    std::string path_;
    const BuildSettings& settings_;
    JobPrompter job_prompter_;
    FinishWatch watch_;
    FileSystem& fs_;
    std::string tool_sii_;
    LanguageChoice lang_;
    std::unique_ptr<Catalogue> catalogue_;
    Job job_;
};

}  // namespace

Outcome build_job(const std::string& job_path, const BuildSettings& settings, Prompter& prompter,
                  WaitView& wait, FileSystem& fs) {
    return Build(job_path, settings, prompter, wait, fs).run();
}

}  // namespace korva::job
