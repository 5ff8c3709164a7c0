// SPDX-License-Identifier: MIT
// The JUnit XML report of a korva-build run, which CI systems show as a test result: one test
// case per job, the messages of a failed job as its failure text.
#pragma once

#include <string>
#include <vector>

namespace korva {
class FileSystem;
}

namespace korva::cli {

struct JobResult {
    std::string job_path;
    bool ok = false;
    // The job's messages as standard error shows them, one or more lines each.
    std::string messages;
    double seconds = 0;
};

// The report's text: one <testsuite name="korva-build">, a <testcase> per job in the order given.
std::string junit_report(const std::vector<JobResult>& results);

// Writes the report whole or not at all: a reader never meets half a report, and a report of an
// earlier run stays when this one cannot be written. Throws PlatformError.
void write_report_file(FileSystem& fs, const std::string& path, const std::string& text);

}  // namespace korva::cli
