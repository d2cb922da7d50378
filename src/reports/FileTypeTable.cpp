#include "reports/FileTypeTable.h"

namespace tarvolin::reports {

std::string_view fileExtension(std::string_view name) {
    const std::size_t slash = name.rfind('/');
    if (slash != std::string_view::npos) name.remove_prefix(slash + 1);
    const std::size_t dot = name.rfind('.');
    return dot == std::string_view::npos ? std::string_view() : name.substr(dot);
}

FileTypeEntry& FileTypeTable::entryFor(std::string_view extension) {
    auto found = m_entries.find(extension);
    if (found == m_entries.end()) {
        FileTypeEntry entry;
        entry.extension.assign(extension);
        if (m_typeName) entry.typeName = m_typeName(extension);
        found = m_entries.emplace(entry.extension, std::move(entry)).first;
    }
    return found->second;
}

void FileTypeTable::add(std::string_view name, std::int64_t size) {
    FileTypeEntry& entry = entryFor(fileExtension(name));
    ++entry.count;
    entry.total += static_cast<std::uint64_t>(size > 0 ? size : 0);
}

void FileTypeTable::addTable(const FileTypeTable& other) {
    for (const auto& [extension, counted] : other.m_entries) {
        if (counted.count == 0) continue;
        FileTypeEntry& entry = entryFor(extension);
        entry.count += counted.count;
        entry.total += counted.total;
    }
}

void FileTypeTable::reset() {
    for (auto& [extension, entry] : m_entries) {
        entry.total = 0;
        entry.count = 0;
    }
}

void FileTypeTable::empty() {
    m_entries.clear();
}

std::vector<FileTypeEntry> FileTypeTable::entries() const {
    std::vector<FileTypeEntry> copies;
    copies.reserve(m_entries.size());
    for (const auto& [extension, entry] : m_entries)
        copies.push_back(entry);
    return copies;
}

}  // namespace tarvolin::reports
