#include "support/FakeDirectoryReader.h"

#include <cerrno>
#include <chrono>
#include <thread>

#include "common/PathText.h"
#include "scan/ScanNode.h"

namespace tarvolin::test {

namespace {
constexpr std::uint64_t kDevice = 7;
constexpr std::uint64_t kPseudoDevice = 99;

std::string parentOf(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == 0 ? std::string("/") : path.substr(0, slash);
}
}  // namespace

FakeTree::Node& FakeTree::ensure(const std::string& path, bool isDirectory) {
    auto found = m_nodes.find(path);
    if (found != m_nodes.end()) return found->second;
    if (path != "/") {
        Node& parent = ensure(parentOf(path), true);
        parent.children.push_back(std::string(displayNameOf(path)));
    }
    Node& node = m_nodes[path];
    node.isDirectory = isDirectory;
    node.inode = m_nextInode++;
    return node;
}

const FakeTree::Node* FakeTree::find(const std::string& path) const {
    const auto found = m_nodes.find(path);
    return found == m_nodes.end() ? nullptr : &found->second;
}

FakeTree& FakeTree::folder(const std::string& path, std::int64_t mtime) {
    ensure(path, true).mtime = mtime;
    return *this;
}

FakeTree& FakeTree::file(const std::string& path, std::int64_t size, std::int64_t mtime) {
    Node& node = ensure(path, false);
    node.size = size;
    node.mtime = mtime;
    return *this;
}

FakeTree& FakeTree::folderSize(const std::string& path, std::int64_t size) {
    ensure(path, true).size = size;
    return *this;
}

FakeTree& FakeTree::failOpen(const std::string& path, int error) {
    ensure(path, true).openError = error;
    return *this;
}

FakeTree& FakeTree::failListingAfter(const std::string& path, std::size_t entries, int error) {
    Node& node = ensure(path, true);
    node.failAfter = entries;
    node.failError = error;
    return *this;
}

FakeTree& FakeTree::vanish(const std::string& path) {
    m_nodes.at(path).vanished = true;
    return *this;
}

FakeTree& FakeTree::failStat(const std::string& path, int error) {
    m_nodes.at(path).statError = error;
    return *this;
}

FakeTree& FakeTree::pseudoFileSystem(const std::string& path) {
    ensure(path, true).pseudo = true;
    return *this;
}

FakeTree& FakeTree::sameIdentityAs(const std::string& path, const std::string& target) {
    ensure(path, true).inode = m_nodes.at(target).inode;
    return *this;
}

void FakeTree::block(const std::string& path) {
    std::lock_guard lock(m_mutex);
    m_blocked.insert(path);
}

void FakeTree::release(const std::string& path) {
    std::lock_guard lock(m_mutex);
    m_blocked.erase(path);
    m_gateChanged.notify_all();
}

bool FakeTree::waitUntilBlocked(const std::string& path, int timeoutMs) {
    std::unique_lock lock(m_mutex);
    return m_gateChanged.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                                  [&] { return m_waiting.count(path) != 0; });
}

void FakeTree::waitIfBlocked(const std::string& path) {
    std::unique_lock lock(m_mutex);
    m_opened.push_back(path);
    if (m_blocked.count(path) == 0) return;
    m_waiting.insert(path);
    m_gateChanged.notify_all();
    m_gateChanged.wait(lock, [&] { return m_blocked.count(path) == 0; });
    m_waiting.erase(path);
}

std::vector<std::string> FakeTree::openedPaths() const {
    std::lock_guard lock(m_mutex);
    return m_opened;
}

void FakeTree::clearOpenedPaths() {
    std::lock_guard lock(m_mutex);
    m_opened.clear();
}

void FakeTree::fill(const std::string& path, const Node& node, scan::Listing& out,
                    const std::atomic<bool>& stop) const {
    out.device = node.pseudo ? kPseudoDevice : kDevice;
    out.inode = node.inode;
    std::size_t listed = 0;
    for (const std::string& name : node.children) {
        if (node.failError != 0 && listed == node.failAfter) {
            out.readError = node.failError;
            out.lastNameRead = node.children[listed - 1];
            break;
        }
        ++listed;
        if (stop.load()) break;
        const Node& child = m_nodes.at(joinPath(path, name));
        if (child.vanished) continue;
        scan::DirEntry entry;
        entry.nameOffset = static_cast<std::uint32_t>(out.names.size());
        entry.nameLength = static_cast<std::uint32_t>(name.size());
        out.names.append(name.c_str(), name.size() + 1);
        entry.isDirectory = child.isDirectory;
        entry.statError = child.statError;
        entry.onPseudoFileSystem = child.pseudo;
        entry.size = child.size;
        entry.mtime = child.mtime;
        entry.device = child.pseudo ? kPseudoDevice : kDevice;
        entry.inode = child.inode;
        entry.attributes = (child.isDirectory ? scan::kAttrDirectory : 0) |
                           (name[0] == '.' ? scan::kAttrHidden : 0);
        out.entries.push_back(entry);
    }
}

void FakeDirectoryReader::read(const std::string& path, scan::Listing& out,
                               const std::atomic<bool>& stop) {
    out.reset();
    m_tree->waitIfBlocked(path);
    if (m_tree->m_readDelay.count() > 0) std::this_thread::sleep_for(m_tree->m_readDelay);
    std::lock_guard lock(m_tree->m_mutex);
    const FakeTree::Node* node = m_tree->find(path);
    if (node == nullptr || !node->isDirectory || node->openError != 0) {
        out.openError = node == nullptr ? ENOENT : !node->isDirectory ? ENOTDIR : node->openError;
        return;
    }
    m_tree->fill(path, *node, out, stop);
    m_sorter.sortByName(out);
    out.handle = ++m_open;
}

void FakeDirectoryReader::readRoot(const std::string& path, scan::Listing& out,
                                   const std::atomic<bool>& stop) {
    read(path, out, stop);
}

void FakeDirectoryReader::readChild(const scan::Listing&, const scan::DirEntry&,
                                    std::string_view path, scan::Listing& out,
                                    const std::atomic<bool>& stop) {
    read(std::string(path), out, stop);
}

void FakeDirectoryReader::release(scan::Listing& listing) {
    if (listing.handle >= 0) --m_open;
    listing.handle = -1;
}
void FakeDirectoryReader::handOver(scan::Listing& listing) {
    if (listing.handle >= 0) --m_open;
}

void FakeDirectoryReader::adoptChild(const scan::Listing&, const scan::DirEntry&,
                                     scan::Listing& listing) {
    if (listing.handle >= 0) ++m_open;
}

}  // namespace tarvolin::test
