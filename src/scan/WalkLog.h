// WalkSink, WalkLog: where a folder walk puts what it finds besides the totals.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "scan/ScanNode.h"

namespace tarvolin::scan {

// Receives, in walk order, the folders announced before they are entered, the errors met and
// the finished folder nodes worth keeping (those whose walk ended with the stop flag clear).
class WalkSink {
public:
    virtual ~WalkSink() = default;
    // `path` is `name` inside the folder at `depth` below the walk's root (0: the root).
    virtual void enteringFolder(const std::string& path, std::size_t depth,
                                std::string_view name) = 0;
    virtual void error(std::uint32_t code, std::string path) = 0;
    // Takes the node and returns where it now lives.
    virtual ScanNode* keep(std::unique_ptr<ScanNode> node) = 0;
};

// The record of a subtree walked on another thread, replayed later into the sink of the walk
// that owns the subtree, so that everything arrives in the order of a walk on one thread.
// Kept compact, since a subtree of a hundred thousand folders is logged whole before it is
// replayed: an announcement keeps only the folder's name and depth (its path is rebuilt on
// replay, the path of its parent being the latest one announced one level up), texts share a
// buffer per chunk, and a log replayed into another log hands over its chunks.
class WalkLog final : public WalkSink {
public:
    // The path of the walk's root, where replayed paths start.
    void setRoot(std::string root) { m_root = std::move(root); }

    void enteringFolder(const std::string& path, std::size_t depth, std::string_view name) override;
    void error(std::uint32_t code, std::string path) override;
    ScanNode* keep(std::unique_ptr<ScanNode> node) override;

    // Moves every event into `sink`, in order; the log is empty afterwards. `depth` is where
    // this log's root lies below the root of the walk that `sink` belongs to.
    void replayInto(WalkSink& sink, std::size_t depth);

private:
    enum class Kind : std::uint8_t { Entering, Error, Keep };
    struct Event {
        Kind kind;
        std::uint32_t number = 0;  // Entering: the parent's depth; Error: the code
        std::uint32_t offset = 0;  // of the name or path in the chunk's text
        std::uint32_t length = 0;
        std::unique_ptr<ScanNode> node;  // Keep
    };
    struct Chunk {
        std::vector<Event> events;
        std::string text;
        std::size_t depth = 0;  // added to the depths of its announcements
    };
    Chunk& current();
    void addText(Kind kind, std::uint32_t number, std::string_view text);

    std::string m_root;
    std::vector<Chunk> m_chunks;
};

}  // namespace tarvolin::scan
