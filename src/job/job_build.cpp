// SPDX-License-Identifier: MIT
// One job, one window model, one Create: nothing here decides what goes into a package, so a job
// gives exactly the package the window gives from the same values.
#include "job/job_build.h"

#include <memory>

#include "admin/admin_form.h"
#include "app/main_form.h"
#include "catalogue/catalogue.h"
#include "eraser/rem_form.h"
#include "job/job_file.h"
#include "job/job_forms.h"
#include "job/job_prompter.h"
#include "platform/error.h"
#include "platform/filesystem.h"
#include "platform/path.h"
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

std::string without_trailing_sep(std::string path) {
    while (path.size() > 1 && ends_with_sep(path))
        path.pop_back();
    return path;
}

std::string parent_of(const std::string& folder) {
    const std::string path = without_trailing_sep(folder);
    const std::size_t sep = last_sep(path);
    return sep == std::string::npos ? "." : path.substr(0, sep + 1);
}

// "reuse": the old contents step aside for the build and come back when it fails, so a failed
// rebuild never costs the administrator the package that worked. Where they cannot come back,
// the administrator is told where they are.
class OutputSetAside {
  public:
    using KeptAt = std::function<void(const std::string& folder)>;

    OutputSetAside(FileSystem& fs, const std::string& output, KeptAt kept)
        : fs_(fs), kept_(std::move(kept)) {
        if (!fs.folder_exists(output) || folder_is_empty(fs, output))
            return;
        // Behind a link the folder it leads to steps aside, and the link keeps leading there.
        output_ = without_trailing_sep(fs.canonical(output));
        std::string candidate = output_ + ".previous";
        for (int n = 2; fs.folder_exists(candidate) || fs.file_exists(candidate); ++n)
            candidate = output_ + ".previous" + std::to_string(n);
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

    void commit() {
        if (!aside_.empty())
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
        } catch (const PlatformError&) {
            kept_(aside);
        }
    }

  private:
    FileSystem& fs_;
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
            catalogue_->show(job_prompter_, "MsgErrCopy");
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
                       settings_.system_folder};
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
            catalogue.show_filled(job_prompter_, "MsgErrJobValue", {"[Job] Driver", ""});
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
            catalogue.show(job_prompter_, "MsgErrJobPasswordNone");
        } else {
            catalogue.show_filled(job_prompter_, "MsgErrJobPasswordUnset",
                                  {job_.password_variable});
        }
        return std::nullopt;
    }

    // An output folder that holds the source or the job itself is never moved: the window's
    // own checks then refuse it where it stands.
    bool may_set_aside(const std::string& output) {
        const std::string key = folder_key(fs_, output);
        for (const std::string& inside :
             {resolve_folder(job_.source, folder_of(path_)), folder_of(path_)}) {
            if (folder_key(fs_, inside).starts_with(key))
                return false;
        }
        return true;
    }

    // What --check can know without writing: where the package would go, and whether the job
    // has an answer for an output folder that holds something.
    Outcome check_output(const std::string& output, const Catalogue& catalogue) {
        if (!fs_.folder_exists(output) && !fs_.folder_exists(parent_of(output))) {
            catalogue.show(job_prompter_, "MsgErrOutPath2", "MsgErrChk");
            return {};
        }
        if (job_.existing_output == ExistingOutput::Fail && fs_.folder_exists(output) &&
            !folder_is_empty(fs_, output)) {
            catalogue.show(job_prompter_, "MsgErrOutPath3", "MsgErrJobExisting");
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

    // Create behind the watch; the output folder set aside first when the job says so.
    Outcome create(const std::string& output, const Catalogue& catalogue,
                   const std::function<void()>& com_ok,
                   const std::function<std::string()>& built_output) {
        if (settings_.check_only)
            return check_output(output, catalogue);
        // A build server starts from a clean tree: the output folder itself may be missing, but
        // only it, so a mistyped path still fails as at the window.
        const bool made = !fs_.folder_exists(output) && fs_.folder_exists(parent_of(output));
        if (made)
            fs_.create_folder(without_trailing_sep(output));
        std::unique_ptr<OutputSetAside> aside;
        if (job_.existing_output == ExistingOutput::Reuse && may_set_aside(output)) {
            aside = std::make_unique<OutputSetAside>(fs_, output, [&](const std::string& kept) {
                catalogue.show_filled(job_prompter_, "MsgErrJobKept", {kept});
            });
        }
        com_ok();
        const bool built = watch_.finished && !job_prompter_.unanswered();
        if (watch_.finished && !built) {
            discard(output, built_output());
            catalogue.show_filled(job_prompter_, "MsgErrJobValue", {"[Job] Driver", ""});
        }
        if (job_prompter_.declined_output())
            catalogue.show(job_prompter_, "MsgErrOutPath3", "MsgErrJobExisting");
        if (aside && built)
            aside->commit();
        aside.reset();
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

    Outcome build_admin() {
        AdminForm f(context(), lang_.LangSelect);
        if (f.Form_Load(lang_.title))
            return {};
        apply_to_admin(job_, f);
        if (!applied(true, {}, f.catalogue()))
            return {};
        const auto typed = password(f.catalogue(), f.Lbl_Password.caption);
        if (!typed)
            return {};
        f.Password.text = *typed;
        // The launchers go into the program's own folder, which always holds the program.
        if (settings_.check_only)
            return {true, ""};
        return create(
            settings_.program_folder, f.catalogue(), [&] { f.Com_OK_Click(watch_, watch_); },
            [&] { return f.dir(); });
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
