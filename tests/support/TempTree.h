// TempTree: a real folder tree under /tmp for one test, removed afterwards whatever its shape.
#pragma once

#include <cstdint>
#include <string>

namespace tarvolin::test {

class TempTree {
public:
    TempTree();
    ~TempTree();
    TempTree(const TempTree&) = delete;
    TempTree& operator=(const TempTree&) = delete;

    const std::string& root() const { return m_root; }
    std::string path(const std::string& relative) const { return m_root + "/" + relative; }

    // Relative paths; parents must exist. Files are sparse: `size` costs no disk.
    void folder(const std::string& relative);
    void file(const std::string& relative, std::int64_t size);
    void symlink(const std::string& relative, const std::string& target);
    // A chain of `depth` folders named `name` below `relative`, built with openat (its full path
    // may exceed PATH_MAX), with a file "leaf" of `leafSize` bytes in the deepest one.
    void chain(const std::string& relative, int depth, const std::string& name,
               std::int64_t leafSize);

private:
    std::string m_root;
};

}  // namespace tarvolin::test
