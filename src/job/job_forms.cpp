// SPDX-License-Identifier: MIT
// Putting a job into a window is typing and clicking in the window's order: the source first and
// silent install ticked, so the package is analysed before its models and languages are chosen.
#include "job/job_forms.h"

#include <algorithm>

#include "admin/admin_form.h"
#include "eraser/rem_form.h"
#include "mainform/main_form.h"
#include "platform/codepage.h"
#include "platform/console.h"
#include "printers/entry_line.h"
#include "printers/printer_entry.h"

namespace korva::job {

namespace {

int index_of(const std::vector<std::string>& items, const std::string& text) {
    const auto found = std::find(items.begin(), items.end(), text);
    return found == items.end() ? -1 : static_cast<int>(found - items.begin());
}

// Language folders are matched as Windows matches folder names, on every system.
int index_ignoring_case(const std::vector<std::string>& items, const std::string& text) {
    const CodePage utf8("UTF-8");
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (utf8.fold_case(items[i]) == utf8.fold_case(text))
            return static_cast<int>(i);
    }
    return -1;
}

// The choices a list offers, as a message lists them: a dozen, then how many more.
std::string offered(const MainForm& f, const std::vector<std::string>& items, std::size_t count) {
    constexpr std::size_t kShown = 12;
    count = std::min(count, items.size());
    std::string text;
    for (std::size_t i = 0; i < std::min(count, kShown); ++i)
        text += (i == 0 ? "" : ", ") + items[i];
    if (count > kShown) {
        std::string more = f.catalogue().text("MsgJobMore");
        const std::size_t mark = more.find("%1");
        if (mark != std::string::npos)
            more.replace(mark, 2, std::to_string(count - kShown));
        text += ", ... " + more;
    }
    return text;
}

std::string printer_key(const Printer& p, int position, const char* key) {
    return "[Printer" + std::to_string(p.section > 0 ? p.section : position) + "] " + key;
}

// The value the job names is never repeated: it may be a secret pasted into the wrong key.
void not_offered(const MainForm& f, std::vector<Problem>& problems, const std::string& where,
                 const std::vector<std::string>& items, std::size_t count) {
    problems.push_back({"MsgErrJobChoice", {where, offered(f, items, count)}});
}

bool choose_model(MainForm& f, const Printer& p, int number, std::vector<Problem>& problems) {
    PackageState& pkg = f.pkg;
    const std::vector<std::string>& emulations = pkg.Emu_Name.items;
    if (pkg.Emu_Use == 1) {
        const int emu = p.emulation.empty() ? 0 : index_of(emulations, p.emulation);
        if (emu < 0) {
            not_offered(f, problems, printer_key(p, number, "Emulation"), emulations,
                        emulations.size());
            return false;
        }
        pkg.Emu_Name.index = emu;
        f.Emu_Name_Click();
    } else if (!p.emulation.empty()) {
        // The package offers no choice of emulation: the key has nothing to choose from.
        problems.push_back({"MsgErrJobNoChoice", {printer_key(p, number, "Emulation")}});
        return false;
    }
    const int model = index_of(pkg.Model_Name.items, p.model);
    if (model < 0) {
        not_offered(f, problems, printer_key(p, number, "Model"), pkg.Model_Name.items,
                    pkg.Model_Name.items.size());
        return false;
    }
    pkg.Model_Name.index = model;
    f.Model_Name_Click();
    return true;
}

bool choose_port(MainForm& f, const Printer& p, int number, std::vector<Problem>& problems) {
    if (p.qx_port) {
        // The package lacks the QX folders, so the window offers no QX port.
        if (!f.P_Qx.enabled) {
            not_offered(f, problems, printer_key(p, number, "Port"), {"standard"}, 1);
            return false;
        }
        f.P_Qx_Click();
        return true;
    }
    f.P_Standard_Click();
    if (p.lpr) {
        f.Pr_Lpr_Click();
        f.Protocol_Lpr.text = p.queue;
    } else {
        f.Pr_Raw_Click();
    }
    if (!p.port_number.empty())
        f.Protocol_Raw.text = p.port_number;
    return true;
}

// The window refuses a second printer of one name with a message of its own; the job also says
// which section it was.
bool name_is_new(const MainForm& f, const Printer& p, int number, std::vector<Problem>& problems) {
    for (const std::string& line : f.Printer_List.list->items) {
        if (entry_printer_name(line) == p.name) {
            problems.push_back({"MsgErrJobSameName", {printer_key(p, number, "Name")}});
            return false;
        }
    }
    return true;
}

bool add_printer(MainForm& f, const Printer& p, int number, std::vector<Problem>& problems) {
    if (!name_is_new(f, p, number, problems) || !choose_model(f, p, number, problems))
        return false;
    f.IP_Address.text = p.address;
    f.Printer_Name.text = p.name;
    if (!choose_port(f, p, number, problems))
        return false;
    f.Chk_AutoConfig.value = p.auto_config ? 1 : 0;
    if (p.default_printer) {
        MainForm::select_option(f.D_Yes, f.D_No);
    } else {
        MainForm::select_option(f.D_No, f.D_Yes);
    }
    const int before = f.Printer_List.list->count();
    f.Add_Click();
    return f.Printer_List.list->count() > before;
}

bool choose_language(MainForm& f, const Job& job, std::vector<Problem>& problems) {
    if (job.package_language.empty())
        return true;
    const int index = index_ignoring_case(f.pkg.Lang_Folders, job.package_language);
    const std::size_t count = static_cast<std::size_t>(std::max(0, f.pkg.Language_Name.count()));
    if (index < 0 || index >= f.pkg.Language_Name.count()) {
        not_offered(f, problems, "[Job] PackageLanguage", f.pkg.Lang_Folders, count);
        return false;
    }
    f.pkg.Language_Name.index = index;
    return true;
}

// Every printer is tried, so one run of the job names every printer the package does not take.
bool apply_silent_install(const Job& job, MainForm& f, std::vector<Problem>& problems) {
    // Ticking again starts a fresh analysis of the source, as a person unticking and ticking does.
    f.set_Chk_SI(0);
    f.set_Chk_SI(1);
    if (f.Chk_SI.value != 1)
        return false;
    bool ok = choose_language(f, job, problems);
    if (job.finish_dialog) {
        MainForm::select_option(f.S_Yes, f.S_No);
    } else {
        MainForm::select_option(f.S_No, f.S_Yes);
    }
    // The box reads "without the restart dialog".
    f.Chk_DlgReboot.value = job.restart_dialog ? 0 : 1;
    for (std::size_t i = 0; i < job.printers.size(); ++i)
        ok = add_printer(f, job.printers[i], static_cast<int>(i) + 1, problems) && ok;
    return ok;
}

void set_check(Control& box, bool ticked) {
    box.value = ticked ? 1 : 0;
}

Printer printer_from_line(const MainForm& f, const std::string& line) {
    Printer p;
    int model = -1;
    int emu = -1;
    if (f.model_choice_of(entry_model_part(line), model, emu)) {
        p.model = f.pkg.Model_Name.items[model];
        if (f.pkg.Emu_Use == 1)
            p.emulation = f.pkg.Emu_Name.items[emu];
    } else {
        p.model = entry_model_part(line);
    }
    p.address = entry_address(line);
    p.name = entry_printer_name(line);
    p.qx_port = Get_DriverString(line, 2) == kPortQx;
    p.lpr = Get_DriverString(line, 3) == kProtocolLpr;
    p.port_number = Get_DriverString(line, 4);
    p.queue = Get_DriverString(line, 5);
    p.auto_config = Get_DriverString(line, 6) == kAutoConfig;
    p.default_printer = entry_is_default(line);
    return p;
}

}  // namespace

bool apply_to_main(const Job& job, const std::string& job_folder, MainForm& f,
                   std::vector<Problem>& problems) {
    // The window has no control for it: the job's choice goes to the generators directly.
    f.context().native_launcher = job.native_launcher;
    f.In_Path.text = resolve_folder(job.source, job_folder);
    f.Out_Path.text = resolve_folder(job.output, job_folder);
    if (job.silent_install) {
        if (!apply_silent_install(job, f, problems))
            return false;
    } else {
        f.set_Chk_SI(0);
    }
    set_check(f.Chk_UserI, job.user_install);
    f.Chk_UserI_Click();
    f.Acount_Name.text = job.account;
    f.Domain_Name.text = job.domain;
    return true;
}

bool apply_to_removal(const Job& job, const std::string& job_folder, eraser::RemForm& f) {
    f.context().native_launcher = job.native_launcher;
    f.In_Path.text = resolve_folder(job.source, job_folder);
    f.Out_Path.text = resolve_folder(job.output, job_folder);
    if (job.removal_dialog) {
        MainForm::select_option(f.Opt_Dialog0, f.Opt_Dialog1);
    } else {
        MainForm::select_option(f.Opt_Dialog1, f.Opt_Dialog0);
    }
    set_check(f.Chk_QX0, job.remove_qx_port_monitor);
    set_check(f.Chk_QX1, job.remove_qx_print_monitor);
    while (f.Lst_DelPrinter.list->count() > 0) {
        f.Lst_DelPrinter.list->index = 0;
        f.Lst_DelPrinter_Click();
        f.Cmd_DelPrinterDel_Click();
    }
    while (f.Lst_DelDriver.list->count() > 0) {
        f.Lst_DelDriver.list->index = 0;
        f.Lst_DelDriver_Click();
        f.Cmd_DelDriverDel_Click();
    }
    for (const std::string& name : job.remove_printers) {
        f.Txt_DelPrinter.text = name;
        f.Cmd_DelPrinterAdd_Click();
    }
    for (const std::string& name : job.remove_drivers) {
        f.Txt_DelDriver.text = name;
        f.Cmd_DelDriverAdd_Click();
    }
    set_check(f.Chk_UserI, job.user_install);
    f.Chk_UserI_Click();
    f.Acount_Name.text = job.account;
    f.Domain_Name.text = job.domain;
    return true;
}

void apply_to_admin(const Job& job, AdminForm& f) {
    f.context().native_launcher = job.native_launcher;
    f.Acount_Name.text = job.account;
    f.Domain_Name.text = job.domain;
}

Job job_from_main(MainForm& f, std::optional<DriverKind> driver) {
    Job job;
    job.tool = Tool::Installer;
    job.source = f.chosen_source();
    job.output = f.Out_Path.text;
    job.silent_install = f.Chk_SI.value == 1;
    job.user_install = f.Chk_UserI.value == 1;
    job.package_language = f.pkg.chosen_lang_folder();
    job.driver = driver;
    job.finish_dialog = f.S_Yes.value == 1;
    job.restart_dialog = f.Chk_DlgReboot.value == 0;
    job.account = f.Acount_Name.text;
    job.domain = f.Domain_Name.text;
    job.native_launcher = f.context().native_launcher;
    if (!job.silent_install)
        return job;
    for (const std::string& line : f.Printer_List.list->items)
        job.printers.push_back(printer_from_line(f, line));
    if (f.Check_Out_Value()) {
        const PrinterEntry typed = f.typed_printer_entry();
        job.printers.push_back(printer_from_line(f, entry_line(typed, 1)));
    }
    return job;
}

Job job_from_removal(const eraser::RemForm& f) {
    Job job;
    job.tool = Tool::Removal;
    job.source = f.In_Path.text;
    job.output = f.Out_Path.text;
    job.removal_dialog = f.Opt_Dialog0.value == 1;
    job.remove_qx_port_monitor = f.Chk_QX0.value == 1;
    job.remove_qx_print_monitor = f.Chk_QX1.value == 1;
    job.remove_printers = f.Lst_DelPrinter.list->items;
    job.remove_drivers = f.Lst_DelDriver.list->items;
    job.user_install = f.Chk_UserI.value == 1;
    job.account = f.Acount_Name.text;
    job.domain = f.Domain_Name.text;
    job.native_launcher = f.context().native_launcher;
    return job;
}

std::optional<std::string> password_from_environment(const Job& job) {
    if (job.password_variable.empty())
        return std::nullopt;
    return environment_variable(job.password_variable);
}

}  // namespace korva::job
