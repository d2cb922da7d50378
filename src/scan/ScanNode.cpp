#include "scan/ScanNode.h"

#include <atomic>
#include <cstring>

namespace tarvolin::scan {
namespace {

// Whether joinPath puts a "/" between the path of `link`'s parent and `link`'s name: always,
// unless that parent is a whole path ending in "/" (the root "/").
bool separatedFromParent(const PathLink& link) {
    const PathLink& parent = *link.parent;
    return parent.parent != nullptr || parent.name.empty() || parent.name.back() != '/';
}

}  // namespace

PathLink::~PathLink() {
    // Links are only ever made non-const (ScanNode makes them), so taking an ancestor's parent
    // away is allowed once nobody else holds that ancestor.
    std::shared_ptr<const PathLink> above = std::move(parent);
    while (above != nullptr && above.use_count() == 1) {
        // Pairs with the release of the last other holder, which may have read the link.
        std::atomic_thread_fence(std::memory_order_acquire);
        std::shared_ptr<const PathLink> next = std::move(const_cast<PathLink&>(*above).parent);
        above = std::move(next);
    }
}

std::string PathLink::path() const {
    std::string out;
    appendPath(out);
    return out;
}

void PathLink::appendPath(std::string& out) const {
    std::size_t length = 0;
    for (const PathLink* link = this; link != nullptr; link = link->parent.get()) {
        length += link->name.size();
        if (link->parent != nullptr && separatedFromParent(*link)) ++length;
    }
    const std::size_t start = out.size();
    out.resize(start + length);
    char* end = out.data() + out.size();
    for (const PathLink* link = this; link != nullptr; link = link->parent.get()) {
        end -= link->name.size();
        std::memcpy(end, link->name.data(), link->name.size());
        if (link->parent != nullptr && separatedFromParent(*link)) *--end = '/';
    }
}

bool PathLink::hasPath(std::string_view path) const {
    const PathLink* link = this;
    for (; link->parent != nullptr; link = link->parent.get()) {
        if (!path.ends_with(link->name)) return false;
        path.remove_suffix(link->name.size());
        if (separatedFromParent(*link)) {
            if (!path.ends_with('/')) return false;
            path.remove_suffix(1);
        }
    }
    return path == link->name;
}

}  // namespace tarvolin::scan
