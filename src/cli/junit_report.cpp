// SPDX-License-Identifier: MIT
#include "cli/junit_report.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "cli/display_text.h"
#include "platform/error.h"
#include "platform/filesystem.h"

namespace korva::cli {

namespace {

// XML 1.0 cannot hold most control characters even as references; the display escapes turn
// them into plain text first, so the report stays well-formed whatever a path holds.
std::string xml_text(const std::string& text, bool attribute) {
    std::string xml;
    for (char c : display_text(text, LineBreaks::Keep)) {
        switch (c) {
            case '&':
                xml += "&amp;";
                break;
            case '<':
                xml += "&lt;";
                break;
            case '>':
                xml += "&gt;";
                break;
            case '"':
                xml += attribute ? "&quot;" : "\"";
                break;
            case '\n':
                xml += attribute ? "&#10;" : "\n";
                break;
            case '\t':
                xml += attribute ? "&#9;" : "\t";
                break;
            default:
                xml += c;
        }
    }
    return xml;
}

std::string seconds_text(double seconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", seconds);
    return text;
}

std::string first_line(const std::string& text) {
    const std::string line = text.substr(0, text.find('\n'));
    return line.empty() ? "failed" : line;
}

std::string without_last_break(std::string text) {
    if (text.ends_with('\n'))
        text.pop_back();
    return text;
}

std::string test_case(const JobResult& result) {
    std::string xml = "  <testcase classname=\"korva-build\" name=\"" +
                      xml_text(result.job_path, true) + "\" time=\"" +
                      seconds_text(result.seconds) + "\"";
    if (result.ok && result.messages.empty())
        return xml + "/>\n";
    xml += ">\n";
    if (!result.ok) {
        xml += "    <failure message=\"" + xml_text(first_line(result.messages), true) + "\">" +
               xml_text(without_last_break(result.messages), false) + "</failure>\n";
    } else {
        xml += "    <system-err>" + xml_text(without_last_break(result.messages), false) +
               "</system-err>\n";
    }
    return xml + "  </testcase>\n";
}

}  // namespace

std::string junit_report(const std::vector<JobResult>& results) {
    std::size_t failures = 0;
    double seconds = 0;
    std::string cases;
    for (const JobResult& result : results) {
        failures += result.ok ? 0 : 1;
        seconds += result.seconds;
        cases += test_case(result);
    }
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<testsuite name=\"korva-build\" tests=\"" +
           std::to_string(results.size()) + "\" failures=\"" + std::to_string(failures) +
           "\" errors=\"0\" skipped=\"0\" time=\"" + seconds_text(seconds) + "\">\n" + cases +
           "</testsuite>\n";
}

void write_report_file(FileSystem& fs, const std::string& path, const std::string& text) {
    const std::string partial = path + ".partial";
    fs.write_file(partial, text);
    // Unlike FileSystem::rename this replaces the report of an earlier run in one step.
    const auto native = [](const std::string& utf8) {
        return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
    };
    std::error_code error;
    std::filesystem::rename(native(partial), native(path), error);
    if (error) {
        fs.remove_all(partial);
        throw PlatformError("Cannot write the report", path);
    }
}

}  // namespace korva::cli
