#include "scan/WalkLog.h"

namespace tarvolin::scan {

void WalkLog::enteringFolder(const std::string& path) {
    m_events.push_back(Event{Kind::Entering, 0, path, nullptr});
}

void WalkLog::error(std::uint32_t code, std::string path) {
    m_events.push_back(Event{Kind::Error, code, std::move(path), nullptr});
}

ScanNode* WalkLog::keep(std::unique_ptr<ScanNode> node) {
    ScanNode* kept = node.get();
    m_events.push_back(Event{Kind::Keep, 0, {}, std::move(node)});
    return kept;
}

void WalkLog::replayInto(WalkSink& sink) {
    for (Event& event : m_events) {
        switch (event.kind) {
            case Kind::Entering:
                sink.enteringFolder(event.path);
                break;
            case Kind::Error:
                sink.error(event.code, std::move(event.path));
                break;
            case Kind::Keep:
                sink.keep(std::move(event.node));
                break;
        }
    }
    m_events.clear();
}

}  // namespace tarvolin::scan
