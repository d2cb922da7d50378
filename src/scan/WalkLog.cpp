#include "scan/WalkLog.h"

#include <algorithm>

namespace tarvolin::scan {

// Chunks of bounded size: a growing vector would hold up to twice what a big log needs, and a
// chunk's text stays within the reach of its 32-bit offsets.
WalkLog::Chunk& WalkLog::current() {
    constexpr std::size_t kChunkEvents = 4096;
    if (m_chunks.empty() || m_chunks.back().events.size() >= kChunkEvents) {
        m_chunks.emplace_back();
    }
    return m_chunks.back();
}

void WalkLog::addText(Kind kind, std::uint32_t number, std::string_view text) {
    Chunk& chunk = current();
    chunk.events.push_back(Event{kind, number, static_cast<std::uint32_t>(chunk.text.size()),
                                 static_cast<std::uint32_t>(text.size()), nullptr});
    chunk.text.append(text);
}

void WalkLog::enteringFolder(const std::string&, std::size_t depth, std::string_view name) {
    addText(Kind::Entering, static_cast<std::uint32_t>(depth), name);
}

void WalkLog::error(std::uint32_t code, std::string path) {
    addText(Kind::Error, code, path);
}

ScanNode* WalkLog::keep(std::unique_ptr<ScanNode> node) {
    ScanNode* kept = node.get();
    current().events.push_back(Event{Kind::Keep, 0, 0, 0, std::move(node)});
    return kept;
}

void WalkLog::replayInto(WalkSink& sink, std::size_t depth) {
    if (auto* log = dynamic_cast<WalkLog*>(&sink)) {
        for (Chunk& chunk : m_chunks) {
            chunk.depth += depth;
            log->m_chunks.push_back(std::move(chunk));
        }
        log->m_chunks.emplace_back();  // later events must not land in a handed-over chunk
        m_chunks.clear();
        return;
    }
    // `path` holds the chain of announced folders; ends[d] is where the one at depth d ends.
    std::string path = m_root;
    std::vector<std::size_t> ends = {path.size()};
    for (Chunk& chunk : m_chunks) {
        for (Event& event : chunk.events) {
            const std::string_view text(chunk.text.data() + event.offset, event.length);
            switch (event.kind) {
                case Kind::Keep:
                    sink.keep(std::move(event.node));
                    break;
                case Kind::Error:
                    sink.error(event.number, std::string(text));
                    break;
                case Kind::Entering: {
                    const std::size_t parent = chunk.depth + event.number;
                    path.resize(ends.at(parent));
                    if (path.empty() || path.back() != '/') path += '/';
                    path.append(text);
                    ends.resize(parent + 2);
                    ends[parent + 1] = path.size();
                    sink.enteringFolder(path, depth + parent, text);
                    break;
                }
            }
        }
        chunk = Chunk{};  // freed as soon as it is replayed
    }
    m_chunks.clear();
}

}  // namespace tarvolin::scan
