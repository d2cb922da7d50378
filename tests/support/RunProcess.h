// runProcess: runs a program of the build and collects what it printed.
#pragma once

#include <string>
#include <vector>

namespace tarvolin::test {

struct ProcessResult {
    int exitCode = -1;  // -1 when it did not exit normally
    std::string out;
    std::string err;
};

struct ProcessOptions {
    std::string workingDirectory;  // empty: the test's own
    bool unprivileged = false;     // run as user 65534 when the test runs as root
};

ProcessResult runProcess(const std::vector<std::string>& argv, const ProcessOptions& options = {});

}  // namespace tarvolin::test
