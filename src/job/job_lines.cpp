// SPDX-License-Identifier: MIT
// A job file is reviewed as a person sees it in an editor or a diff, so anything that an editor
// shows otherwise than the reader takes it (a carriage return inside a line, a NUL, text that
// turns its direction) is refused rather than read.
#include "job/job_lines.h"

#include "platform/codepage.h"

namespace korva::job {

namespace {

constexpr std::size_t kMaxProblems = 25;

std::string line_text(int line) {
    return std::to_string(line);
}

std::string_view trim_blanks(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

std::string_view unquote(std::string_view value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front())
        return value.substr(1, value.size() - 2);
    return value;
}

bool double_quoted(std::string_view value) {
    return value.size() >= 2 && value.front() == '"' && value.back() == '"';
}

// The characters of a window's text box, which counts in UTF-16 units.
std::size_t utf16_length(std::string_view text) {
    std::size_t units = 0;
    for (unsigned char c : text) {
        if ((c & 0xC0) != 0x80)
            ++units;
        if (c >= 0xF0)
            ++units;
    }
    return units;
}

// C1 controls (U+0080-U+009F), the direction marks, embeddings, overrides and isolates
// (U+061C, U+200E, U+200F, U+202A-U+202E, U+2066-U+2069) and the line and paragraph
// separators (U+2028, U+2029), by their UTF-8 bytes.
bool is_hidden_sequence(std::string_view text, std::size_t i) {
    const auto at = [&](std::size_t k) {
        return i + k < text.size() ? static_cast<unsigned char>(text[i + k]) : 0;
    };
    if (at(0) == 0xC2)
        return at(1) >= 0x80 && at(1) <= 0x9F;
    if (at(0) == 0xD8)
        return at(1) == 0x9C;
    if (at(0) != 0xE2)
        return false;
    if (at(1) == 0x80)
        return at(2) == 0x8E || at(2) == 0x8F || (at(2) >= 0xA8 && at(2) <= 0xAE);
    return at(1) == 0x81 && at(2) >= 0xA6 && at(2) <= 0xA9;
}

// Each line with its number, without its line end. A CR is part of a line end only before an LF:
// a last line ending in a lone CR keeps it, for the character check to find.
template <typename Take>
void for_each_line(std::string_view text, Take take) {
    int number = 0;
    for (std::size_t pos = 0; pos < text.size();) {
        std::size_t end = text.find('\n', pos);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view line = text.substr(pos, end - pos);
        if (!line.empty() && line.back() == '\r' && end < text.size())
            line.remove_suffix(1);
        take(line, ++number);
        pos = end + 1;
    }
}

class Splitter {
  public:
    Splitter(std::string_view text, ProblemList& problems) : text_(text), problems_(problems) {}

    JobLines split() {
        if (!characters_plain()) {
            lines_.plain = false;
            return std::move(lines_);
        }
        for_each_line(text_, [this](std::string_view line, int number) { take(line, number); });
        return std::move(lines_);
    }

  private:
    // One problem per line at most: the line is named, its text never shown.
    bool characters_plain() {
        bool plain = true;
        for_each_line(text_, [&](std::string_view line, int number) {
            if (!is_plain_line(line, trim_blanks(line).starts_with(';'))) {
                problems_.add("MsgErrJobChar", {line_text(number)});
                plain = false;
            }
        });
        return plain;
    }

    void take(std::string_view line, int number) {
        const std::string_view content = trim_blanks(line);
        if (content.empty() || content.front() == ';')
            return;
        if (content.front() == '[') {
            header(content, number);
            return;
        }
        const std::size_t equals = content.find('=');
        if (equals == std::string_view::npos || trim_blanks(content.substr(0, equals)).empty()) {
            problems_.add("MsgErrJobLine", {line_text(number)});
            return;
        }
        if (lines_.sections.empty()) {
            if (!told_first_)
                problems_.add("MsgErrJobFirst", {});
            told_first_ = true;
            return;
        }
        if (skipping_)
            return;
        entry(std::string(trim_blanks(content.substr(0, equals))), line.substr(line.find('=') + 1),
              number);
    }

    // Windows ignores what follows "]"; here it is refused, so nothing stands there unread.
    void header(std::string_view content, int number) {
        const std::size_t close = content.find(']');
        if (close == std::string_view::npos || close + 1 != content.size()) {
            problems_.add("MsgErrJobLine", {line_text(number)});
            skipping_ = true;
            return;
        }
        const std::string name(trim_blanks(content.substr(1, close - 1)));
        const std::string folded = fold_name(name);
        if (lines_.by_name.count(folded)) {
            problems_.add("MsgErrJobDupSection", {"[" + name + "]", line_text(number)});
            skipping_ = true;
            return;
        }
        skipping_ = false;
        lines_.by_name.emplace(folded, lines_.sections.size());
        lines_.sections.push_back({name, number, {}, {}});
    }

    void entry(std::string key, std::string_view raw, int number) {
        JobSection& section = lines_.sections.back();
        const std::string where = "[" + section.name + "] " + key;
        const std::string_view trimmed = trim_blanks(raw);
        if (!double_quoted(trimmed) && has_trailing_comment(raw)) {
            problems_.add("MsgErrJobComment", {where});
            return;
        }
        const std::string_view value = unquote(trimmed);
        if (utf16_length(value) > kMaxValueChars) {
            problems_.add("MsgErrJobLong", {where, std::to_string(kMaxValueChars)});
            return;
        }
        const std::string folded = fold_name(key);
        if (section.by_key.count(folded)) {
            problems_.add("MsgErrJobDupKey", {where, line_text(number)});
            return;
        }
        section.by_key.emplace(folded, section.entries.size());
        section.entries.push_back({std::move(key), std::string(value), number});
    }

    std::string_view text_;
    ProblemList& problems_;
    JobLines lines_;
    bool told_first_ = false;
    bool skipping_ = false;  // the lines of a section that is refused
};

}  // namespace

void ProblemList::add(const char* key, std::vector<std::string> arguments) {
    if (problems_.size() < kMaxProblems) {
        problems_.push_back({key, std::move(arguments)});
    } else {
        ++left_out_;
    }
}

std::vector<Problem> ProblemList::take() {
    std::vector<Problem> all = std::move(problems_);
    if (left_out_ > 0)
        all.push_back({"MsgErrJobMoreProblems", {std::to_string(left_out_)}});
    problems_.clear();
    left_out_ = 0;
    return all;
}

const JobEntry* JobSection::find(std::string_view key) const {
    const auto found = by_key.find(fold_name(key));
    return found == by_key.end() ? nullptr : &entries[found->second];
}

const JobSection* JobLines::find(std::string_view name) const {
    const auto found = by_name.find(fold_name(name));
    return found == by_name.end() ? nullptr : &sections[found->second];
}

std::string fold_name(std::string_view name) {
    static const CodePage utf8("UTF-8");
    return utf8.fold_case(name);
}

bool is_plain_line(std::string_view text, bool tab_allowed) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c == '\t' ? !tab_allowed : (c < 0x20 || c == 0x7F))
            return false;
        if (c >= 0xC2 && is_hidden_sequence(text, i))
            return false;
    }
    return true;
}

bool has_trailing_comment(std::string_view raw_value) {
    for (std::size_t i = 1; i < raw_value.size(); ++i) {
        if (raw_value[i] == ';' && (raw_value[i - 1] == ' ' || raw_value[i - 1] == '\t'))
            return true;
    }
    return false;
}

JobLines split_job_lines(std::string_view text, ProblemList& problems) {
    return Splitter(text, problems).split();
}

}  // namespace korva::job
