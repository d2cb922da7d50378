#include "support/TempTree.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <set>
#include <stdexcept>
#include <utility>
#include <vector>

namespace tarvolin::test {
namespace {

void check(bool ok, const std::string& what) {
    if (!ok) throw std::runtime_error(what + " failed");
}

// Iterative, relative to descriptors: removes chains deeper than PATH_MAX and folders whose
// permissions a test took away.
void removeContents(int dirFd) {
    struct Level {
        int fd;
        DIR* dir;
        std::string name;  // in the parent
    };
    std::vector<Level> stack;
    std::set<std::pair<dev_t, ino_t>> descended;  // each folder once, so the loop always ends
    const int first = dup(dirFd);
    stack.push_back({first, fdopendir(first), ""});
    while (!stack.empty()) {
        Level& level = stack.back();
        dirent* entry = level.dir != nullptr ? readdir(level.dir) : nullptr;
        if (entry == nullptr) {
            const std::string name = level.name;
            if (level.dir != nullptr) closedir(level.dir);
            stack.pop_back();
            if (!stack.empty()) unlinkat(stack.back().fd, name.c_str(), AT_REMOVEDIR);
            continue;
        }
        const std::string name = entry->d_name;
        if (name == "." || name == "..") continue;
        if (unlinkat(level.fd, name.c_str(), 0) == 0) continue;
        if (unlinkat(level.fd, name.c_str(), AT_REMOVEDIR) == 0) continue;
        fchmodat(level.fd, name.c_str(), 0700, 0);
        const int child = openat(level.fd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW);
        if (child < 0) continue;
        struct stat info {};
        if (fstat(child, &info) != 0 || !descended.insert({info.st_dev, info.st_ino}).second) {
            close(child);
            continue;
        }
        stack.push_back({child, fdopendir(child), name});
    }
}

}  // namespace

TempTree::TempTree() {
    char pattern[] = "/tmp/tarvolin-test-XXXXXX";
    check(mkdtemp(pattern) != nullptr, "mkdtemp");
    m_root = pattern;
    chmod(m_root.c_str(), 0755);  // reachable by the unprivileged user of some tests
}

TempTree::~TempTree() {
    const int fd = open(m_root.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        for (int pass = 0; pass < 3; ++pass)
            removeContents(fd);
        close(fd);
    }
    rmdir(m_root.c_str());
}

void TempTree::folder(const std::string& relative) {
    check(mkdir(path(relative).c_str(), 0755) == 0, "mkdir " + relative);
}

void TempTree::file(const std::string& relative, std::int64_t size) {
    const int fd = open(path(relative).c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    check(fd >= 0, "create " + relative);
    const bool sized = ftruncate(fd, size) == 0;
    close(fd);
    check(sized, "ftruncate " + relative);
}

void TempTree::symlink(const std::string& relative, const std::string& target) {
    check(::symlink(target.c_str(), path(relative).c_str()) == 0, "symlink " + relative);
}

void TempTree::chain(const std::string& relative, int depth, const std::string& name,
                     std::int64_t leafSize) {
    int fd = open(path(relative).c_str(), O_RDONLY | O_DIRECTORY);
    check(fd >= 0, "open " + relative);
    for (int level = 0; level < depth; ++level) {
        check(mkdirat(fd, name.c_str(), 0755) == 0, "mkdirat");
        const int next = openat(fd, name.c_str(), O_RDONLY | O_DIRECTORY);
        close(fd);
        check(next >= 0, "openat");
        fd = next;
    }
    const int leaf = openat(fd, "leaf", O_WRONLY | O_CREAT, 0644);
    const bool sized = leaf >= 0 && ftruncate(leaf, leafSize) == 0;
    if (leaf >= 0) close(leaf);
    close(fd);
    check(sized, "leaf");
}

}  // namespace tarvolin::test
