#include "support/RunProcess.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>

#include "support/ChildProcess.h"

namespace tarvolin::test {
namespace {

// Output goes to unlinked temporary files, so a large output can never block the child on a
// full pipe while the parent waits for it.
std::string readAll(int fd) {
    std::string text;
    lseek(fd, 0, SEEK_SET);
    char buffer[65536];
    ssize_t got;
    while ((got = read(fd, buffer, sizeof buffer)) > 0)
        text.append(buffer, static_cast<std::size_t>(got));
    close(fd);
    return text;
}

int temporaryFile() {
    char pattern[] = "/tmp/tarvolin-out-XXXXXX";
    const int fd = mkstemp(pattern);
    if (fd >= 0) unlink(pattern);
    return fd;
}

}  // namespace

ProcessResult runProcess(const std::vector<std::string>& argv, const ProcessOptions& options) {
    ProcessResult result;
    const int outFd = temporaryFile();
    const int errFd = temporaryFile();
    std::fflush(nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(outFd, 1);
        dup2(errFd, 2);
        if (!options.workingDirectory.empty() && chdir(options.workingDirectory.c_str()) != 0) {
            _exit(126);
        }
        if (options.unprivileged && !dropPrivileges()) _exit(125);
        std::vector<char*> args;
        for (const auto& arg : argv)
            args.push_back(const_cast<char*>(arg.c_str()));
        args.push_back(nullptr);
        execv(args[0], args.data());
        _exit(127);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.out = readAll(outFd);
    result.err = readAll(errFd);
    return result;
}

}  // namespace tarvolin::test
