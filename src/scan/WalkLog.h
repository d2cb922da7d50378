// WalkSink, WalkLog: where a folder walk puts what it finds besides the totals.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "scan/ScanNode.h"

namespace tarvolin::scan {

// Receives, in walk order, the folders announced before they are entered, the errors met and
// the finished folder nodes worth keeping (those whose walk ended with the stop flag clear).
class WalkSink {
public:
    virtual ~WalkSink() = default;
    virtual void enteringFolder(const std::string& path) = 0;
    virtual void error(std::uint32_t code, std::string path) = 0;
    // Takes the node and returns where it now lives.
    virtual ScanNode* keep(std::unique_ptr<ScanNode> node) = 0;
};

// The record of a subtree walked on another thread, replayed later into the sink of the walk
// that owns the subtree, so that everything arrives in the order of a walk on one thread.
class WalkLog final : public WalkSink {
public:
    void enteringFolder(const std::string& path) override;
    void error(std::uint32_t code, std::string path) override;
    ScanNode* keep(std::unique_ptr<ScanNode> node) override;

    // Moves every event into `sink`, in order; the log is empty afterwards.
    void replayInto(WalkSink& sink);

private:
    enum class Kind : std::uint8_t { Entering, Error, Keep };
    struct Event {
        Kind kind;
        std::uint32_t code = 0;
        std::string path;                // Entering, Error
        std::unique_ptr<ScanNode> node;  // Keep
    };
    std::vector<Event> m_events;
};

}  // namespace tarvolin::scan
