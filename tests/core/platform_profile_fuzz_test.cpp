// SPDX-License-Identifier: MIT
// Randomly built INI files, many of them malformed, to show that a read never fails or returns
// half a character and that a write changes no byte outside the line it is about.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "platform/codepage.h"
#include "platform/profile.h"

namespace korva::profile {
namespace {

// A few thousand files in all; the whole run stays within seconds even under the sanitizers.
constexpr int kIterations = 3000;

class FileMaker {
  public:
    explicit FileMaker(unsigned seed) : rng_(seed) {}

    int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng_); }
    bool chance(int percent) { return pick(100) < percent; }

    template <typename T>
    const T& one_of(const std::vector<T>& items) {
        return items[static_cast<std::size_t>(pick(static_cast<int>(items.size())))];
    }

    std::string junk(int max_len) {
        std::string s;
        for (int n = pick(max_len + 1); n > 0; --n)
            s += static_cast<char>(pick(256));
        return s;
    }

    std::string blanks() {
        static const std::vector<std::string> options = {"", "", " ", "\t", "\v", " \t ", "\f"};
        return one_of(options);
    }

    std::string name() {
        static const std::vector<std::string> names = {
            "S", "s", "Sec", "A", "", "x y", "\x83\x41", "\x83\x5D", "\xC9", "\"S\"", "[b"};
        return chance(10) ? junk(6) : one_of(names);
    }

    std::string key() {
        static const std::vector<std::string> keys = {"k", "K",        "key",      "n",   "z",
                                                      "",  "\x83\x41", "\x83\x61", "x y", "\"k\""};
        return chance(10) ? junk(6) : one_of(keys);
    }

    std::string value() {
        static const std::vector<std::string> values = {
            "v",           "", "\"q\"", "'q'", "\"", "a;b", "\x83\x63\x81\x5B\x83\x8B", "x=y",
            "\xE3\x83\x84"};
        return chance(15) ? junk(12) : one_of(values);
    }

    std::string line() {
        switch (pick(7)) {
            case 0:
                return blanks() + "[" + blanks() + name() + blanks() + (chance(85) ? "]" : "") +
                       (chance(15) ? junk(4) : "");
            case 1:
                return blanks() + ";" + junk(8);
            case 2:
                return blanks();
            case 3:
                return junk(20);
            default:
                return blanks() + key() + blanks() + "=" + blanks() + value() + blanks();
        }
    }

    std::string file() {
        static const std::vector<std::string> starts = {"", "", "", "\xEF\xBB\xBF", "\xFF\xFE"};
        static const std::vector<std::string> ends = {"\r\n", "\r\n", "\n", "\r", "\n\r", ""};
        std::string s = one_of(starts);
        if (chance(5))
            return s + junk(300);
        for (int n = pick(25); n > 0; --n)
            s += line() + one_of(ends);
        if (chance(10))
            s.resize(static_cast<std::size_t>(pick(static_cast<int>(s.size()) + 1)));
        return s;
    }

  private:
    std::mt19937 rng_;
};

const std::vector<std::string>& lookup_sections() {
    static const std::vector<std::string> names = {"S", "s", "Sec", "A", "", "\x83\x41", "new"};
    return names;
}

const std::vector<std::string>& lookup_keys() {
    static const std::vector<std::string> names = {"k", "K", "key", "n", "", ";k", "\x83\x41"};
    return names;
}

std::vector<std::string> all_values(const std::string& file, const CodePage& cp) {
    std::vector<std::string> values;
    for (const auto& section : lookup_sections()) {
        for (const auto& key : lookup_keys()) {
            values.push_back(get_string_bytes(file, section, key, "\x01", 100000, cp));
        }
    }
    return values;
}

bool is_line_end(char c) {
    return c == '\r' || c == '\n';
}

// The bytes a write removed, old[first, last), lie inside one line of the old file (its line end
// included), so every other line is still there byte for byte.
::testing::AssertionResult change_within_one_line(const std::string& before,
                                                  const std::string& after) {
    std::size_t prefix = 0;
    while (prefix < before.size() && prefix < after.size() && before[prefix] == after[prefix]) {
        ++prefix;
    }
    std::size_t suffix = 0;
    while (suffix < before.size() - prefix && suffix < after.size() - prefix &&
           before[before.size() - 1 - suffix] == after[after.size() - 1 - suffix]) {
        ++suffix;
    }
    const std::size_t first = prefix;
    const std::size_t last = before.size() - suffix;
    for (std::size_t i = first; i < last; ++i) {
        const bool crlf_end = before[i] == '\r' && i + 1 < last && before[i + 1] == '\n';
        if (is_line_end(before[i]) && !crlf_end && i + 1 < last) {
            return ::testing::AssertionFailure()
                   << "bytes of several lines removed from offset " << first << " to " << last;
        }
    }
    return ::testing::AssertionSuccess();
}

TEST(ProfileFuzzTest, ReadsStayInsideTheBufferAndOnCharacterBoundaries) {
    const CodePage code_pages[] = {CodePage("CP932"), CodePage("CP1252"), CodePage("UTF-8")};
    FileMaker maker(20240611);
    for (int iteration = 0; iteration < kIterations; ++iteration) {
        SCOPED_TRACE("iteration " + std::to_string(iteration));
        const CodePage& cp = code_pages[iteration % 3];
        const std::string file = maker.file();
        for (int n = 0; n < 6; ++n) {
            const std::string section = maker.chance(80) ? maker.name() : maker.junk(5);
            const std::string key = maker.chance(80) ? maker.key() : maker.junk(5);
            const std::string fallback = maker.value();
            const auto size = static_cast<std::size_t>(maker.pick(12));
            const std::string whole = get_string_bytes(file, section, key, fallback, 1 << 20, cp);
            const std::string cut = get_string_bytes(file, section, key, fallback, size, cp);
            ASSERT_EQ(whole.find('\0'), std::string::npos);
            ASSERT_LE(cut.size(), size == 0 ? 0 : size - 1);
            ASSERT_EQ(whole.compare(0, cut.size(), cut), 0) << "a cut read is a prefix";
            if (size == 0)
                continue;
            // The cut lands on a character boundary of the whole text and loses less than one
            // character of what would have fitted.
            std::size_t pos = 0;
            while (pos < cut.size())
                pos += cp.char_length(whole, pos);
            ASSERT_EQ(pos, cut.size());
            if (whole.size() > cut.size()) {
                ASSERT_GT(cut.size() + cp.char_length(whole, cut.size()), size - 1);
            }
        }
    }
}

TEST(ProfileFuzzTest, WritesTouchOnlyTheirOwnLine) {
    const CodePage code_pages[] = {CodePage("CP932"), CodePage("CP1252"), CodePage("UTF-8")};
    const std::vector<std::string> targets = {"S", "s", "Sec", "A", "new"};
    const std::vector<std::string> keys = {"k", "K", "key", "n", "z"};
    FileMaker maker(777);
    for (int iteration = 0; iteration < kIterations * 2 / 3; ++iteration) {
        SCOPED_TRACE("iteration " + std::to_string(iteration));
        const CodePage& cp = code_pages[iteration % 3];
        const std::string before = maker.file();
        const std::string section = maker.one_of(targets);
        const std::string key = maker.one_of(keys);
        const std::string value = "w" + std::to_string(maker.pick(1000));

        const std::string after = write_string_bytes(before, section, key, value, cp);
        ASSERT_EQ(get_string_bytes(after, section, key, "", 1000, cp), value);
        ASSERT_TRUE(change_within_one_line(before, after));

        const auto old_values = all_values(before, cp);
        const auto new_values = all_values(after, cp);
        std::size_t i = 0;
        for (const auto& s : lookup_sections()) {
            for (const auto& k : lookup_keys()) {
                const bool written = cp.fold_case(s) == cp.fold_case(section) &&
                                     cp.fold_case(k) == cp.fold_case(key);
                if (!written) {
                    ASSERT_EQ(new_values[i], old_values[i]) << "[" << s << "] " << k;
                }
                ++i;
            }
        }
    }
}

TEST(ProfileFuzzTest, SectionWritesReplaceOnlyThatSectionsKeys) {
    const CodePage cp("CP932");
    const std::vector<std::string> targets = {"S", "s", "A", "new"};
    FileMaker maker(4242);
    for (int iteration = 0; iteration < kIterations / 3; ++iteration) {
        SCOPED_TRACE("iteration " + std::to_string(iteration));
        const std::string before = maker.file();
        const std::string section = maker.one_of(targets);
        std::vector<std::string> lines;
        for (int n = maker.pick(3); n > 0; --n) {
            lines.push_back(maker.one_of(lookup_keys()) + "=" + std::to_string(n));
        }

        const std::string after = write_section_bytes(before, section, lines, cp);
        // Comments are never removed.
        auto comments = [](const std::string& file) {
            std::size_t count = 0;
            for (std::size_t i = 0; i < file.size(); ++i) {
                if (file[i] == ';' && (i == 0 || is_line_end(file[i - 1])))
                    ++count;
            }
            return count;
        };
        ASSERT_GE(comments(after), comments(before));
        for (const auto& key : lookup_keys()) {
            std::string expected = "\x01";
            for (const auto& line : lines) {
                const std::string line_key = line.substr(0, line.find('='));
                if (!line_key.starts_with(';') && cp.fold_case(line_key) == cp.fold_case(key)) {
                    expected = line.substr(line.find('=') + 1);
                    break;
                }
            }
            ASSERT_EQ(get_string_bytes(after, section, key, "\x01", 1000, cp), expected) << key;
        }
        for (const auto& other : lookup_sections()) {
            if (cp.fold_case(other) == cp.fold_case(section))
                continue;
            for (const auto& key : lookup_keys()) {
                ASSERT_EQ(get_string_bytes(after, other, key, "\x01", 1000, cp),
                          get_string_bytes(before, other, key, "\x01", 1000, cp));
            }
        }
    }
}

}  // namespace
}  // namespace korva::profile
