#include "scan/ReportSink.h"

#include <string>
#include <vector>

namespace tarvolin::scan {
namespace {

class RecordedFiles final : public ReportPart {
public:
    void addFile(const ReportFile& file) override {
        m_files.push_back(Recorded{std::string(file.path), file.nameOffset, file.size,
                                   file.lastWriteTime, file.hasTime, file.attributes});
    }
    void merge(ReportPart& later) override {
        auto& recorded = dynamic_cast<RecordedFiles&>(later);
        m_files.insert(m_files.end(), std::make_move_iterator(recorded.m_files.begin()),
                       std::make_move_iterator(recorded.m_files.end()));
        recorded.m_files.clear();
    }
    void replayInto(ReportSink& sink) {
        for (const Recorded& file : m_files) {
            ReportFile view;
            view.path = file.path;
            view.nameOffset = file.nameOffset;
            view.name = view.path.substr(file.nameOffset);
            view.size = file.size;
            view.lastWriteTime = file.lastWriteTime;
            view.hasTime = file.hasTime;
            view.attributes = file.attributes;
            sink.addFile(view);
        }
        m_files.clear();
    }

private:
    struct Recorded {
        std::string path;
        std::size_t nameOffset;
        std::int64_t size;
        std::int64_t lastWriteTime;
        bool hasTime;
        std::uint32_t attributes;
    };
    std::vector<Recorded> m_files;
};

}  // namespace

std::unique_ptr<ReportPart> ReportSink::newPart() const {
    return std::make_unique<RecordedFiles>();
}

void ReportSink::merge(ReportPart& part) {
    dynamic_cast<RecordedFiles&>(part).replayInto(*this);
}

}  // namespace tarvolin::scan
