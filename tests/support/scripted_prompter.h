// SPDX-License-Identifier: MIT
// A prompter for tests: records everything shown and answers from queues. An unexpected question
// fails loudly instead of hanging or guessing.
#pragma once

#include <deque>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "dialogs/prompter.h"

namespace korva::test {

struct Shown {
    std::string kind;  // "message", "yesno", "input", "browse", "select"
    std::string text;
    std::string title;
    std::string default_answer;
};

class ScriptedPrompter : public Prompter {
  public:
    std::vector<Shown> shown;
    std::deque<bool> yes_no_answers;
    std::deque<std::optional<std::string>> input_answers;
    std::deque<std::optional<std::string>> browse_answers;
    // The selection dialog remembers its last choice, as the real one does.
    DriverKind last_kind = DriverKind::Printer;
    std::deque<DriverKind> kind_answers;

    void message(const std::string& text, const std::string& title) override {
        shown.push_back({"message", text, title, ""});
    }
    bool ask_yes_no(const std::string& text, const std::string& title) override {
        shown.push_back({"yesno", text, title, ""});
        return take(yes_no_answers, "yes/no question: " + text);
    }
    std::optional<std::string> input(const std::string& prompt, const std::string& title,
                                     const std::string& default_answer) override {
        shown.push_back({"input", prompt, title, default_answer});
        return take(input_answers, "input box: " + prompt);
    }
    std::optional<std::string> browse_folder() override {
        shown.push_back({"browse", "", "", ""});
        return take(browse_answers, "folder browser");
    }
    DriverKind select_driver_kind() override {
        shown.push_back({"select", "", "", ""});
        if (!kind_answers.empty()) {
            last_kind = kind_answers.front();
            kind_answers.pop_front();
        }
        return last_kind;
    }

    std::vector<std::string> messages() const {
        std::vector<std::string> texts;
        for (const Shown& s : shown) {
            if (s.kind == "message")
                texts.push_back(s.text);
        }
        return texts;
    }
    int count(const std::string& kind) const {
        int n = 0;
        for (const Shown& s : shown)
            n += s.kind == kind ? 1 : 0;
        return n;
    }

  private:
    template <typename T>
    static T take(std::deque<T>& queue, const std::string& what) {
        if (queue.empty())
            throw std::logic_error("unexpected " + what);
        T answer = std::move(queue.front());
        queue.pop_front();
        return answer;
    }
};

}  // namespace korva::test
