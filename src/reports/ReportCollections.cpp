#include "reports/ReportCollections.h"

namespace tarvolin::reports {

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
