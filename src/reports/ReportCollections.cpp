#include "reports/ReportCollections.h"

namespace tarvolin::reports {
namespace {

// The files of one subfolder, gathered on another thread. A top list's state depends on the
// order of the offers that changed it, so the part keeps those of its offers that entered its
// own lists, in order: an offer that its own list dropped at once was worse than the worst of
// fifty files already offered, so every larger list at that moment drops it too. Merging
// offers them again, in order; file types only add up, and temp matches keep their order.
class CollectionsPart final : public scan::ReportPart {
public:
    explicit CollectionsPart(std::vector<std::string> tempPatterns)
        : m_temp(std::move(tempPatterns)) {}

    void addFile(const scan::ReportFile& file) override {
        m_types.add(file.name, file.size);
        offerLargest(file.size, file.path);
        if (file.hasTime) offerOldest(file.lastWriteTime, file.path);
        m_temp.offer(file.path, file.size, file.nameOffset);
    }

    void merge(scan::ReportPart& other) override {
        auto& later = dynamic_cast<CollectionsPart&>(other);
        m_types.addTable(later.m_types);
        for (const FileSizeEntry& entry : later.m_largestOffers)
            offerLargest(entry.size, entry.path);
        for (const FileTimeEntry& entry : later.m_oldestOffers)
            offerOldest(entry.time, entry.path);
        m_temp.appendMatches(later.m_temp);
        later.m_largestOffers.clear();
        later.m_oldestOffers.clear();
    }

    // Called under the collections' lock.
    void mergeInto(FileTypeTable& types, LargestFiles& largest, OldestFiles& oldest,
                   TempFileList& temp) {
        types.addTable(m_types);
        for (const FileSizeEntry& entry : m_largestOffers)
            largest.offer(entry.size, entry.path);
        for (const FileTimeEntry& entry : m_oldestOffers)
            oldest.offer(entry.time, entry.path);
        temp.appendMatches(m_temp);
        m_largestOffers.clear();
        m_oldestOffers.clear();
    }

private:
    // Whether an offer stays depends on the keys alone, so the part's own lists keep no paths:
    // the offers keep them once.
    void offerLargest(std::int64_t size, std::string_view path) {
        if (m_largest.offer(size, {})) m_largestOffers.push_back({size, std::string(path)});
    }
    void offerOldest(std::int64_t time, std::string_view path) {
        if (m_oldest.offer(time, {})) m_oldestOffers.push_back({time, std::string(path)});
    }

    FileTypeTable m_types;   // without type names: the collections fetch those
    LargestFiles m_largest;  // keys only
    OldestFiles m_oldest;    // keys only
    std::vector<FileSizeEntry> m_largestOffers;
    std::vector<FileTimeEntry> m_oldestOffers;
    TempFileList m_temp;
};

}  // namespace

ReportCollections::ReportCollections(FileTypeNameFunction typeName)
    : m_types(std::move(typeName)) {}

void ReportCollections::reset() {
    std::lock_guard lock(m_mutex);
    m_types.reset();
    m_temp.clearMatches();
    m_largest.clear();
    m_oldest.clear();
}

void ReportCollections::addFile(const scan::ReportFile& file) {
    std::lock_guard lock(m_mutex);
    m_types.add(file.name, file.size);
    m_largest.offer(file.size, file.path);
    if (file.hasTime) m_oldest.offer(file.lastWriteTime, file.path);
    m_temp.offer(file.path, file.size, file.nameOffset);
}

std::unique_ptr<scan::ReportPart> ReportCollections::newPart() const {
    std::lock_guard lock(m_mutex);
    return std::make_unique<CollectionsPart>(m_temp.patterns());
}

void ReportCollections::merge(scan::ReportPart& part) {
    auto& gathered = dynamic_cast<CollectionsPart&>(part);
    std::lock_guard lock(m_mutex);
    gathered.mergeInto(m_types, m_largest, m_oldest, m_temp);
}

void ReportCollections::emptyFileTypes() {
    std::lock_guard lock(m_mutex);
    m_types.empty();
}

bool ReportCollections::setTempFileMask(std::string_view mask) {
    std::lock_guard lock(m_mutex);
    return m_temp.setMask(mask);
}

bool ReportCollections::tempFileMaskParsed() const {
    std::lock_guard lock(m_mutex);
    return m_temp.maskParsed();
}

std::vector<std::string> ReportCollections::tempFilePatterns() const {
    std::lock_guard lock(m_mutex);
    return m_temp.patterns();
}

std::size_t ReportCollections::removeTempFiles(const std::vector<std::string>& paths) {
    std::lock_guard lock(m_mutex);
    return m_temp.remove(paths);
}

ReportSnapshot ReportCollections::snapshot() const {
    std::lock_guard lock(m_mutex);
    return ReportSnapshot{m_largest.entries(), m_oldest.entries(), m_types.entries(),
                          m_temp.matches()};
}

std::vector<FileSizeEntry> ReportCollections::largestFiles() const {
    std::lock_guard lock(m_mutex);
    return m_largest.entries();
}

std::vector<FileTimeEntry> ReportCollections::oldestFiles() const {
    std::lock_guard lock(m_mutex);
    return m_oldest.entries();
}

std::vector<FileTypeEntry> ReportCollections::fileTypes() const {
    std::lock_guard lock(m_mutex);
    return m_types.entries();
}

std::vector<TempFileEntry> ReportCollections::tempFiles() const {
    std::lock_guard lock(m_mutex);
    return m_temp.matches();
}

}  // namespace tarvolin::reports
