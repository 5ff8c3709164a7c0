// SPDX-License-Identifier: MIT
// The waiting dialog and the owning window as a Create command drives them, recorded in order so
// tests can check the sequence of showing, refreshing and hiding.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "dialogs/wait_view.h"

namespace korva::test {

struct RecordingViews : WaitView, OwnerView {
    std::vector<std::string> calls;
    int progress_reports = 0;
    std::uint64_t last_total = 0;

    void show_creating() override { calls.push_back("wait creating"); }
    void refresh() override { calls.push_back("refresh"); }
    void progress(std::uint64_t, std::uint64_t total) override {
        ++progress_reports;
        last_total = total;
    }
    void show_finished() override { calls.push_back("wait finished"); }
    void hide() override { calls.push_back("wait hidden"); }
    void set_visible(bool visible) override {
        calls.push_back(visible ? "main shown" : "main hidden");
    }

    int count(const std::string& call) const {
        int n = 0;
        for (const std::string& c : calls)
            n += c == call ? 1 : 0;
        return n;
    }
};

}  // namespace korva::test
