// Scans of a real tree that another thread changes meanwhile: files deleted, folders renamed,
// removed and created. Whatever the timing, the results must agree with what the walk itself
// read, so every check below holds on every run.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <filesystem>
#include <map>
#include <mutex>
#include <random>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "scan/CTarvolinDoc.h"
#include "scan/FolderCache.h"
#include "scan/FolderWalker.h"
#include "scan/PosixDirectoryReader.h"
#include "scan/ReportSink.h"
#include "scan/ScanProgress.h"
#include "scan/SubtreePool.h"
#include "support/RecordingListener.h"
#include "support/TempTree.h"

namespace tarvolin::scan {
namespace {

namespace fs = std::filesystem;

struct SeenEntry {
    std::string name;
    bool isDirectory = false;
    std::int64_t size = 0;
    int statError = 0;
};

// What one read of a folder handed to the walk.
struct SeenListing {
    int openError = 0;
    int readError = 0;
    std::string lastNameRead;
    std::vector<SeenEntry> entries;
};

// Changes the tree on its own thread, a few steps each time the walk asks, so that the changes
// fall in the middle of the walk rather than before or after it.
class Mutator {
public:
    Mutator(std::string root, unsigned seed) : m_root(std::move(root)), m_random(seed) {
        m_thread = std::thread([this] { run(); });
    }
    ~Mutator() {
        {
            std::lock_guard lock(m_mutex);
            m_quit = true;
        }
        m_changed.notify_all();
        m_thread.join();
    }

    // Asks for `steps` more changes near `lastRead`, the folder the walk read last, and waits
    // (bounded) until they are done.
    void mutate(int steps, const std::string& lastRead) {
        std::unique_lock lock(m_mutex);
        m_lastRead = lastRead;
        m_wanted += steps;
        m_changed.notify_all();
        m_changed.wait_for(lock, std::chrono::seconds(2), [this] { return m_done >= m_wanted; });
    }
    int done() const {
        std::lock_guard lock(m_mutex);
        return m_done;
    }

private:
    void run() {
        std::unique_lock lock(m_mutex);
        for (;;) {
            m_changed.wait(lock, [this] { return m_quit || m_done < m_wanted; });
            if (m_quit) return;
            const std::string lastRead = m_lastRead;
            lock.unlock();
            step(lastRead);
            lock.lock();
            ++m_done;
            m_changed.notify_all();
        }
    }
    std::string pick(const char* prefix, int count) {
        return prefix + std::to_string(std::uniform_int_distribution<int>(0, count - 1)(m_random));
    }
    // Half of the steps hit the folders around the one the walk read last, which it has listed
    // and is about to enter. Errors are expected: the target may be gone already.
    void step(const std::string& lastRead) {
        std::error_code ignored;
        std::string top = m_root + "/" + pick("d", kTop);
        if (lastRead.size() > m_root.size() && std::bernoulli_distribution(0.5)(m_random)) {
            const auto end = lastRead.find('/', m_root.size() + 1);
            top = lastRead.substr(0, end);
        }
        const std::string dir = top + "/" + pick("e", kMiddle);
        switch (std::uniform_int_distribution<int>(0, 3)(m_random)) {
            case 0:
                fs::remove(dir + "/" + pick("f", kFiles), ignored);
                break;
            case 1:
                fs::rename(dir, dir + ".renamed", ignored);
                break;
            case 2: {
                const std::string created = dir + "/new" + std::to_string(m_done);
                fs::create_directory(created, ignored);
                std::FILE* file = std::fopen((created + "/g").c_str(), "w");
                if (file != nullptr) std::fclose(file);
                break;
            }
            default:
                fs::remove_all(dir, ignored);
                break;
        }
    }

public:
    static constexpr int kTop = 12;
    static constexpr int kMiddle = 8;
    static constexpr int kFiles = 8;

private:
    std::string m_root;
    std::string m_lastRead;
    std::mt19937 m_random;
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    int m_wanted = 0;
    int m_done = 0;
    bool m_quit = false;
    std::thread m_thread;
};

// Records every listing the walk reads, shared by the scan thread's reader and the helpers'.
struct Record {
    std::mutex mutex;
    std::map<std::string, SeenListing> listings;
    std::vector<std::string> readTwice;
    std::atomic<int> reads{0};
    std::atomic<Mutator*> mutator{nullptr};  // read by the walk's threads

    void keep(const std::string& path, const Listing& listing) {
        SeenListing seen{listing.openError, listing.readError, listing.lastNameRead, {}};
        for (const DirEntry& entry : listing.entries)
            seen.entries.push_back(
                {std::string(listing.name(entry)), entry.isDirectory, entry.size, entry.statError});
        {
            std::lock_guard lock(mutex);
            if (!listings.emplace(path, std::move(seen)).second) readTwice.push_back(path);
        }
        Mutator* const changer = mutator.load();
        if (changer != nullptr && ++reads % 4 == 0) changer->mutate(2, path);
    }
};

class RecordingReader final : public DirectoryReader {
public:
    explicit RecordingReader(Record& record) : m_record(record) {}
    void readRoot(const std::string& path, Listing& out, const std::atomic<bool>& stop) override {
        m_reader.readRoot(path, out, stop);
        m_record.keep(path, out);
    }
    void readChild(const Listing& parent, const DirEntry& entry, std::string_view path,
                   Listing& out, const std::atomic<bool>& stop) override {
        m_reader.readChild(parent, entry, path, out, stop);
        m_record.keep(std::string(path), out);
    }
    void release(Listing& listing) override { m_reader.release(listing); }
    void handOver(Listing& listing) override { m_reader.handOver(listing); }
    void adoptChild(const Listing& parent, const DirEntry& entry, Listing& listing) override {
        m_reader.adoptChild(parent, entry, listing);
    }
    void discard(Listing& listing) override { m_reader.discard(listing); }

private:
    PosixDirectoryReader m_reader;
    Record& m_record;
};

void buildTree(test::TempTree& tree) {
    for (int d = 0; d < Mutator::kTop; ++d) {
        const std::string top = "d" + std::to_string(d);
        tree.folder(top);
        for (int e = 0; e < Mutator::kMiddle; ++e) {
            const std::string middle = top + "/e" + std::to_string(e);
            tree.folder(middle);
            for (int f = 0; f < Mutator::kFiles; ++f)
                tree.file(middle + "/f" + std::to_string(f), 100 * (f + 1) + e);
        }
    }
}

// The totals of `path` as the listings the walk read add up.
ScanTotals expectedTotals(const std::map<std::string, SeenListing>& listings,
                          const std::string& path) {
    ScanTotals totals;
    for (const SeenEntry& entry : listings.at(path).entries) {
        if (!entry.isDirectory) {
            totals.size += entry.size;
            ++totals.fileCount;
            continue;
        }
        ++totals.folderCount;
        const auto child = listings.find(path + "/" + entry.name);
        if (child == listings.end() || child->second.openError != 0) continue;
        const ScanTotals below = expectedTotals(listings, child->first);
        totals.size += below.size;
        totals.fileCount += below.fileCount;
        totals.folderCount += below.folderCount;
    }
    return totals;
}

// Every failure the listings show, as "path:errno".
std::multiset<std::string> expectedErrors(const std::map<std::string, SeenListing>& listings) {
    std::multiset<std::string> errors;
    for (const auto& [path, listing] : listings) {
        if (listing.openError != 0) errors.insert(path + ":" + std::to_string(listing.openError));
        if (listing.readError != 0)
            errors.insert(path + "/" + listing.lastNameRead + ":" +
                          std::to_string(listing.readError));
        for (const SeenEntry& entry : listing.entries) {
            if (entry.statError != 0)
                errors.insert(path + "/" + entry.name + ":" + std::to_string(entry.statError));
        }
    }
    return errors;
}

std::string totalsText(const ScanTotals& totals) {
    return std::to_string(totals.size) + " bytes, " + std::to_string(totals.fileCount) +
           " files, " + std::to_string(totals.folderCount) + " folders";
}

class ConcurrentMutationTest : public ::testing::TestWithParam<unsigned> {};

TEST_P(ConcurrentMutationTest, FolderScanTotalsAgreeWithWhatItReadAndNothingTwice) {
    test::TempTree tree;
    buildTree(tree);
    Record record;
    Mutator mutator(tree.root(), GetParam());
    record.mutator = &mutator;

    std::atomic<bool> stop{false};
    ScanProgress progress;
    SubtreePool pool(
        1, [&record] { return std::make_unique<RecordingReader>(record); }, stop, progress);
    RecordingReader reader(record);
    FolderCache cache;
    std::vector<std::string> errors;
    FolderWalker walker(
        reader, &cache, stop,
        [&errors](std::uint32_t code, std::string path) {
            errors.push_back(path + ":" + std::to_string(code));
        },
        progress, &pool);
    test::RecordingListener listener;
    CTarvolinDoc document;
    const std::unique_ptr<ScanNode> root =
        walker.WalkFolder(tree.root(), listener, &document, true, true);
    record.mutator = nullptr;
    ASSERT_NE(root, nullptr);
    EXPECT_GT(mutator.done(), 0);

    std::lock_guard lock(record.mutex);
    EXPECT_THAT(record.readTwice, ::testing::IsEmpty());
    const std::vector<std::string> entered = listener.entered();
    EXPECT_EQ(std::set<std::string>(entered.begin(), entered.end()).size(), entered.size())
        << "a folder was announced twice";

    EXPECT_EQ(totalsText({root->size, root->fileCount, root->folderCount}),
              totalsText(expectedTotals(record.listings, tree.root())));
    std::size_t opened = 0;
    for (const auto& [path, listing] : record.listings) {
        if (path == tree.root() || listing.openError != 0) continue;
        ++opened;
        const ScanNode* node = cache.Lookup(path);
        ASSERT_NE(node, nullptr) << path;
        EXPECT_EQ(totalsText({node->size, node->fileCount, node->folderCount}),
                  totalsText(expectedTotals(record.listings, path)))
            << path;
    }
    EXPECT_EQ(cache.size(), opened);
    EXPECT_EQ(std::multiset<std::string>(errors.begin(), errors.end()),
              expectedErrors(record.listings));
}

// Every file a report walk offers, as "path:size".
class Files final : public ReportSink {
public:
    void reset() override { offered.clear(); }
    void addFile(const ReportFile& file) override {
        offered.push_back(std::string(file.path) + ":" + std::to_string(file.size));
    }
    std::vector<std::string> offered;
};

TEST_P(ConcurrentMutationTest, ReportScanOffersEachFileItReadOnce) {
    test::TempTree tree;
    buildTree(tree);
    Record record;
    Mutator mutator(tree.root(), GetParam());
    record.mutator = &mutator;

    std::atomic<bool> stop{false};
    ScanProgress progress;
    RecordingReader reader(record);
    FolderWalker walker(reader, nullptr, stop, nullptr, progress);
    test::RecordingListener listener;
    Files files;
    walker.WalkReportFolder(tree.root(), 0, listener, &files);
    record.mutator = nullptr;
    EXPECT_GT(mutator.done(), 0);

    std::lock_guard lock(record.mutex);
    EXPECT_THAT(record.readTwice, ::testing::IsEmpty());
    std::vector<std::string> expectedFiles;
    std::size_t announcedFolders = 0;
    for (const auto& [path, listing] : record.listings) {
        for (const SeenEntry& entry : listing.entries) {
            if (entry.isDirectory)
                ++announcedFolders;
            else
                expectedFiles.push_back(path + "/" + entry.name + ":" + std::to_string(entry.size));
        }
    }
    EXPECT_THAT(files.offered, ::testing::UnorderedElementsAreArray(expectedFiles));
    EXPECT_EQ(listener.reportFolders().size(), announcedFolders);
}

INSTANTIATE_TEST_SUITE_P(Seeds, ConcurrentMutationTest, ::testing::Values(1u, 2u));

}  // namespace
}  // namespace tarvolin::scan
