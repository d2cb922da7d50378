#include "reports/ReportCollections.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <thread>

#include "reports/ReportRows.h"
#include "scan/CFolderEnumThread.h"
#include "support/FakeDirectoryReader.h"
#include "support/RecordingListener.h"

namespace tarvolin::reports {
namespace {

using ::testing::ElementsAre;
using ::testing::UnorderedElementsAreArray;

std::string numbered(const char* format, int i) {
    char text[64];
    std::snprintf(text, sizeof text, format, i);
    return text;
}

class ReportCollectionsTest : public ::testing::Test {
protected:
    void SetUp() override { thread.start(); }
    void scan(const std::string& path) {
        scan::ScanRequest request;
        request.path = path;
        request.listener = listener;
        request.mode = scan::ScanMode::Report;
        request.reportSink = collections;
        ASSERT_EQ(thread.SubmitScanRequest(std::move(request)), 0u);
    }

    std::shared_ptr<test::FakeTree> tree = std::make_shared<test::FakeTree>();
    std::shared_ptr<test::RecordingListener> listener = std::make_shared<test::RecordingListener>();
    std::shared_ptr<ReportCollections> collections = std::make_shared<ReportCollections>(
        [](std::string_view extension) { return "type" + std::string(extension); });
    scan::CFolderEnumThread thread{std::make_unique<test::FakeDirectoryReader>(tree)};
};

// The walk's name order decides the ties: of 51 equal files the first by name goes, whatever
// order the directory lists them in. A file without a time reaches every list but the oldest.
TEST_F(ReportCollectionsTest, ReportScanFillsEveryCollectionInWalkOrder) {
    std::vector<std::string> kept;
    for (int i = 50; i >= 0; --i) {
        tree->file(numbered("/R/sub/f%02d", i), 4096, 1000);
        if (i > 0) kept.push_back(numbered("/R/sub/f%02d", i));
    }
    tree->file("/R/y/bad.old", 99, 5).failStat("/R/y/bad.old", EIO);
    tree->file("/R/z.tmp", 10, 2000);
    tree->file("/S/new.TXT", 3, 50);
    scan("/R");
    ASSERT_TRUE(listener->waitForCompletions(1));

    const ReportSnapshot first = collections->snapshot();
    std::vector<std::string> largest, oldest;
    for (const auto& entry : first.largest)
        largest.push_back(entry.path);
    for (const auto& entry : first.oldest)
        oldest.push_back(entry.path);
    EXPECT_THAT(largest, UnorderedElementsAreArray(kept));
    EXPECT_THAT(oldest, UnorderedElementsAreArray(kept));
    const auto types = fileTypeRows(first.types);
    ASSERT_EQ(types.size(), 3u);
    EXPECT_EQ(types[0].count, 51);
    EXPECT_EQ(types[1].extension, ".old");
    EXPECT_EQ(types[1].total, 0u);  // unreadable: 0 bytes
    EXPECT_EQ(types[2].typeName, "type.tmp");
    EXPECT_THAT(tempFileRows(first.temp), ::testing::SizeIs(2));
    EXPECT_EQ(first.temp[0].path, "/R/y/bad.old");
    EXPECT_EQ(tempFileRows(first.temp)[1].fileName, "z.tmp");

    // The next scan starts afresh, except that the file types keep their keys with count 0.
    scan("/S");
    ASSERT_TRUE(listener->waitForCompletions(2));
    const ReportSnapshot second = collections->snapshot();
    EXPECT_EQ(second.types.size(), 4u);
    ASSERT_EQ(fileTypeRows(second.types).size(), 1u);
    EXPECT_EQ(fileTypeRows(second.types)[0].extension, ".TXT");
    ASSERT_EQ(second.largest.size(), 1u);
    EXPECT_EQ(second.oldest[0].time, 50);
    EXPECT_TRUE(second.temp.empty());
    collections->emptyFileTypes();
    EXPECT_TRUE(collections->fileTypes().empty());
}

std::string describe(const ReportSnapshot& snapshot) {
    std::string text;
    for (const auto& entry : snapshot.largest)
        text += " L" + std::to_string(entry.size) + entry.path;
    for (const auto& entry : snapshot.oldest)
        text += " O" + std::to_string(entry.time) + entry.path;
    for (const auto& entry : snapshot.types) {
        text += " T" + entry.extension + "=" + entry.typeName + ":" + std::to_string(entry.count) +
                "/" + std::to_string(entry.total);
    }
    for (const auto& entry : snapshot.temp)
        text += " M" + entry.path + "@" + std::to_string(entry.nameOffset);
    return text;
}

// Subfolders walked on other threads come back as parts, nested and merged in walk order. The
// lists must come out exactly as from one sink fed file by file, heap order included: many equal
// sizes and times (the later equal file stays) and rising runs (every file enters a list).
TEST(ReportCollectionsParts, PartsMergedInWalkOrderGiveWhatOneSinkGives) {
    struct File {
        std::string path;
        std::size_t nameOffset;
        std::int64_t size;
        std::int64_t time;
        bool hasTime;
    };
    std::vector<File> files;
    std::uint32_t seed = 11;
    const auto next = [&seed](std::uint32_t bound) {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 8) % bound;
    };
    const char* names[] = {"a.txt", "b.TXT", "c", "d.tmp", "e.", ".f", "g~.x"};
    for (int i = 0; i < 20000; ++i) {
        const std::string folder = "/R/" + std::to_string(i / 40) + (i % 700 < 40 ? "/temp/" : "/");
        const std::string name = names[next(7)];
        const bool rising = (i / 1000) % 3 == 1;
        files.push_back(File{folder + name, folder.size(), rising ? i : next(60),
                             rising ? -i : next(40), next(50) != 0});
    }
    const auto offer = [](auto& target, const File& file) {
        scan::ReportFile view;
        view.path = file.path;
        view.nameOffset = file.nameOffset;
        view.name = view.path.substr(file.nameOffset);
        view.size = file.size;
        view.lastWriteTime = file.time;
        view.hasTime = file.hasTime;
        target.addFile(view);
    };
    const auto typeName = [](std::string_view extension) { return "t" + std::string(extension); };

    ReportCollections alone(typeName);
    alone.reset();
    for (const File& file : files)
        offer(alone, file);

    ReportCollections split(typeName);
    split.reset();
    // Files [begin, end) into `target`, some stretches through nested parts.
    const auto fill = [&](auto& self, auto& target, std::size_t begin, std::size_t end,
                          int depth) -> void {
        while (begin < end) {
            const std::size_t length = std::min<std::size_t>(end - begin, 1 + next(3000));
            if (depth < 3 && next(2) == 0) {
                const auto part = split.newPart();
                self(self, *part, begin, begin + length, depth + 1);
                target.merge(*part);
            } else {
                for (std::size_t i = begin; i < begin + length; ++i)
                    offer(target, files[i]);
            }
            begin += length;
        }
    };
    fill(fill, split, 0, files.size(), 0);

    const std::string expected = describe(alone.snapshot());
    ASSERT_NE(expected.find(" M/R/0/temp/"), std::string::npos);
    EXPECT_EQ(describe(split.snapshot()), expected);
}

// The same through the scan thread, with pool threads walking subfolders and merging their parts:
// the collections come out exactly as from one thread, on a tree of many equal files.
TEST(ReportCollectionsParts, ReportScanWithPoolThreadsGivesWhatOneThreadGives) {
    auto tree = std::make_shared<test::FakeTree>();
    for (int i = 0; i < 600; ++i) {
        const std::string folder = numbered("/R/%d", i % 7) + numbered("/s%d", i % 23) +
                                   numbered("/t%d", i) + (i % 50 == 0 ? "/tmp" : "");
        for (int f = 0; f < 6; ++f) {
            tree->file(folder + numbered("/f%d.", f) + (f % 2 ? "log" : "bin"), (i * 7 + f) % 90,
                       (i * 13 + f) % 70);
        }
    }
    const auto report = [&tree](scan::CFolderEnumThread& thread) {
        auto listener = std::make_shared<test::RecordingListener>();
        auto collections = std::make_shared<ReportCollections>(
            [](std::string_view extension) { return "type" + std::string(extension); });
        thread.start();
        scan::ScanRequest request;
        request.path = "/R";
        request.listener = listener;
        request.mode = scan::ScanMode::Report;
        request.reportSink = collections;
        EXPECT_EQ(thread.SubmitScanRequest(std::move(request)), 0u);
        EXPECT_TRUE(listener->waitForCompletions(1));
        return describe(collections->snapshot());
    };
    scan::CFolderEnumThread alone(std::make_unique<test::FakeDirectoryReader>(tree));
    const std::string expected = report(alone);
    ASSERT_NE(expected.find("/tmp/"), std::string::npos);
    const auto makeReader = [tree] { return std::make_unique<test::FakeDirectoryReader>(tree); };
    for (const unsigned readers : {0u, 8u}) {
        for (int round = 0; round < 4; ++round) {
            scan::CFolderEnumThread shared(makeReader, 3, readers);
            EXPECT_EQ(report(shared), expected) << readers << " readers, round " << round;
        }
    }
}

// The UI reads, empties the types and changes the mask while a walk runs and while a stopped
// walk winds down; the next full scan is complete and exact. Run under TSan.
TEST_F(ReportCollectionsTest, UiCallsDuringAWalkAndItsStopAreSafe) {
    constexpr int kFolders = 150, kFiles = 60;
    for (int folder = 0; folder < kFolders; ++folder) {
        for (int file = 0; file < kFiles; ++file) {
            tree->file(numbered("/R/d%03d/", folder) + numbered("f%02d.tmp", file),
                       folder * kFiles + file, file);
        }
    }
    scan("/R");
    // Under way (a stop before the take-up would drop the request, and with it the completion).
    while (collections->largestFiles().size() < 50 && listener->completions().empty())
        std::this_thread::yield();
    for (int i = 0; i < 200; ++i) {
        const ReportSnapshot snapshot = collections->snapshot();
        EXPECT_LE(snapshot.largest.size(), 50u);
        collections->emptyFileTypes();
        collections->setTempFileMask(i % 2 == 0 ? ".tmp" : ".nothing");
        if (!snapshot.temp.empty()) collections->removeTempFiles({snapshot.temp.front().path});
        if (i == 100) thread.stopScan();
    }
    ASSERT_TRUE(listener->waitForCompletions(1));

    collections->setTempFileMask(".tmp");
    scan("/R");
    while (listener->completions().size() < 2)
        (void)collections->snapshot();
    const ReportSnapshot snapshot = collections->snapshot();
    EXPECT_FALSE(listener->completions()[1].stopped);
    std::int64_t counted = 0;
    for (const FileTypeEntry& entry : snapshot.types)
        counted += entry.count;
    EXPECT_EQ(counted, kFolders * kFiles);
    EXPECT_EQ(snapshot.temp.size(), static_cast<std::size_t>(kFolders * kFiles));
    EXPECT_EQ(largestFileRows(snapshot.largest).front().size, kFolders * kFiles - 50);
    EXPECT_EQ(snapshot.oldest.front().time, 0);
}

}  // namespace
}  // namespace tarvolin::reports
