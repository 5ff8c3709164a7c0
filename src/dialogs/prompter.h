// SPDX-License-Identifier: MIT
// Everything that asks or tells the user goes through this interface: the Qt prompter shows real
// dialogs, tests answer from a script.
#pragma once

#include <optional>
#include <string>

namespace korva {

enum class DriverKind { Printer, Pcfax };

class Prompter {
  public:
    virtual ~Prompter() = default;

    // A message box with an OK button and no icon.
    virtual void message(const std::string& text, const std::string& title) = 0;
    // A Yes/No box; true for Yes.
    virtual bool ask_yes_no(const std::string& text, const std::string& title) = 0;
    // An input box; nullopt when cancelled.
    virtual std::optional<std::string> input(const std::string& prompt, const std::string& title,
                                             const std::string& default_answer) = 0;
    // The folder browser; nullopt when cancelled.
    virtual std::optional<std::string> browse_folder() = 0;
    // The printer/PC-Fax selection dialog; it remembers the last choice for the whole run.
    virtual DriverKind select_driver_kind() = 0;
    // The file dialog for a job file, to open or to save; nullopt when cancelled. filter_name
    // names the kind of file ("Job files"). Where no one can choose a file, nobody does.
    virtual std::optional<std::string> job_file(bool for_saving, const std::string& title,
                                                const std::string& filter_name) {
        (void)for_saving;
        (void)title;
        (void)filter_name;
        return std::nullopt;
    }
};

}  // namespace korva
