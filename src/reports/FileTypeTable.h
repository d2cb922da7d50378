// FileTypeTable: file count and space per file name extension.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace tarvolin::reports {

// The name of the file type of an extension (".txt"); empty when none is known. Called on the
// scan thread, once per extension that a table meets for the first time.
using FileTypeNameFunction = std::function<std::string(std::string_view extension)>;

struct FileTypeEntry {
    std::string extension;  // the key: ".txt", ".TXT", "." or ""
    std::string typeName;   // fetched once, when the entry is created
    std::uint64_t total = 0;
    std::int64_t count = 0;
};

// The extension of a file name: from its last "." to the end, "" without a dot. ".bashrc" and
// "file." are extensions of their own; "\" is an ordinary character.
std::string_view fileExtension(std::string_view name);

// Entries keyed by extension in byte order (case-sensitive, "" first). A reset keeps the keys
// with count 0, so types met in an earlier scan keep their names; empty() forgets them.
//
// Not thread-safe; ReportCollections guards it. Adding a file of a known extension allocates
// nothing.
class FileTypeTable {
public:
    explicit FileTypeTable(FileTypeNameFunction typeName = {}) : m_typeName(std::move(typeName)) {}

    void add(std::string_view name, std::int64_t size);
    // Adds every count and total of `other`, as if its files had been added here.
    void addTable(const FileTypeTable& other);
    void reset();
    void empty();

    // Every entry in key order, those with count 0 included.
    std::vector<FileTypeEntry> entries() const;
    std::size_t size() const { return m_entries.size(); }

private:
    FileTypeEntry& entryFor(std::string_view extension);

    FileTypeNameFunction m_typeName;
    std::map<std::string, FileTypeEntry, std::less<>> m_entries;
};

}  // namespace tarvolin::reports
