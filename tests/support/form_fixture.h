// SPDX-License-Identifier: MIT
// A main window model over a catalogue written for the test, with a scripted prompter, so window
// rules are exercised without a display.
#pragma once

#include <memory>
#include <string>

#include "catalogue/catalogue.h"
#include "mainform/main_form.h"
#include "platform/filesystem.h"
#include "support/scripted_prompter.h"
#include "support/temp_dir.h"

namespace korva::test {

// A small English catalogue whose texts are their own key names, so tests can tell which
// message was shown ("MsgErrInPath2\r\nMsgErrChk").
std::string key_named_catalogue(const std::string& extra_sections = "");

struct FormFixture {
    explicit FormFixture(const std::string& tool_sii = key_named_catalogue());

    TempDir program;  // the executable's folder: Tool.sii (and Tool.bin when a test puts one)
    TempDir system;   // stands in for the system directory
    ScriptedPrompter prompter;
    std::unique_ptr<Catalogue> catalogue;
    std::unique_ptr<MainForm> form;
};

}  // namespace korva::test
