// SPDX-License-Identifier: MIT
// The lines of a job file, read once: its sections with their settings, each with the line it
// stands on, so every later check is a lookup and every message can name a line.
#pragma once

#include <cstddef>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "job/job_file.h"

namespace korva::job {

// Problems of one file. A hostile file could hold a problem on each of its lines; past a limit
// they are only counted, and the count is told in one message.
class ProblemList {
  public:
    void add(const char* key, std::vector<std::string> arguments);
    bool empty() const { return problems_.empty(); }
    // The problems, with the count of those left out as a last one.
    std::vector<Problem> take();

  private:
    std::vector<Problem> problems_;
    std::size_t left_out_ = 0;
};

struct JobEntry {
    std::string key;    // as written
    std::string value;  // blanks at its ends and one pair of quotes taken off, as Windows reads it
    int line = 0;
};

struct JobSection {
    std::string name;  // as written
    int line = 0;
    std::vector<JobEntry> entries;
    std::map<std::string, std::size_t> by_key;  // folded key -> entry

    const JobEntry* find(std::string_view key) const;
};

struct JobLines {
    bool plain = true;  // false after a character problem: nothing else was read
    std::vector<JobSection> sections;
    std::map<std::string, std::size_t> by_name;  // folded name -> section

    const JobSection* find(std::string_view name) const;
};

// Names compared as Windows compares them in a profile file.
std::string fold_name(std::string_view name);

// False when the text holds a character that must not stand in a job file's line: a control
// character (TAB only where tab_allowed), DEL, a C1 control, a carriage return, or a character
// that changes the direction of text or breaks a line in some editors. The text is valid UTF-8.
bool is_plain_line(std::string_view text, bool tab_allowed);

// True when blanks and a ";" follow text in the value, which Windows would take into the value
// although its writer meant a comment.
bool has_trailing_comment(std::string_view raw_value);

// The file's lines. Character problems are checked first and stop the reading there: a file
// that does not show what it holds is not read further. Then lines that are no section head,
// setting or comment, settings before the first section, a section or key given twice, a
// comment after a value, and a value too long for the window are each reported with the line.
JobLines split_job_lines(std::string_view text, ProblemList& problems);

}  // namespace korva::job
