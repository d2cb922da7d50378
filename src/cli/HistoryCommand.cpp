#include "cli/HistoryCommand.h"

#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <chrono>
#include <ctime>
#include <mutex>
#include <thread>

#include "cli/CliListener.h"
#include "cli/CliOutput.h"
#include "common/PathText.h"
#include "common/SizeText.h"
#include "exports/JsonWriter.h"
#include "history/FolderComparison.h"
#include "history/HistoryDatabase.h"
#include "history/HistoryListener.h"
#include "scan/CFolderEnumThread.h"
#include "scan/CTarvolinDoc.h"
#include "scan/PosixDirectoryReader.h"

namespace tarvolin::cli {
namespace {

using exports::JsonWriter;

using history::FolderChange;
using history::FolderRecord;
using history::HistoryDatabase;
using history::SnapshotInfo;

std::string workingDirectory() {
    std::string buffer(4096, '\0');
    while (getcwd(buffer.data(), buffer.size()) == nullptr) {
        if (errno != ERANGE) return "/";
        buffer.resize(buffer.size() * 2);
    }
    buffer.resize(std::char_traits<char>::length(buffer.c_str()));
    return buffer;
}

void printText(std::FILE* stream, std::string_view text) {
    std::fprintf(stream, "%.*s\n", static_cast<int>(text.size()), text.data());
}

// Columns padded by characters, so that UTF-8 names line up; `right` marks numeric columns.
void printColumns(const std::vector<std::vector<std::string>>& rows, const std::vector<bool>& right,
                  std::FILE* out) {
    const auto width = [](const std::string& text) {
        return static_cast<std::size_t>(std::count_if(text.begin(), text.end(), [](char c) {
            return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
        }));
    };
    std::vector<std::size_t> widths(right.size(), 0);
    for (const auto& row : rows) {
        for (std::size_t column = 0; column < row.size(); ++column)
            widths[column] = std::max(widths[column], width(row[column]));
    }
    for (const auto& row : rows) {
        std::string line;
        for (std::size_t column = 0; column < row.size(); ++column) {
            const std::string padding(widths[column] - width(row[column]), ' ');
            line += right[column] ? padding + row[column] : row[column] + padding;
            if (column + 1 < row.size()) line += "  ";
        }
        while (!line.empty() && line.back() == ' ')
            line.pop_back();
        printText(out, line);
    }
}

struct CommonOptions {
    std::string path;
    std::string database;
    bool json = false;
    bool havePath = false;
};

// Takes the options both commands share; false when `arguments[i]` is none of them.
// `failed` is set when it was one but its value is missing or wrong.
bool takeCommonOption(const std::vector<std::string_view>& arguments, std::size_t& i,
                      CommonOptions& options, bool& failed, std::FILE* errors) {
    const std::string_view argument = arguments[i];
    if (argument == "--format" || argument == "--db") {
        if (i + 1 >= arguments.size()) {
            std::fprintf(errors, "%.*s needs a value\n", static_cast<int>(argument.size()),
                         argument.data());
            failed = true;
            return true;
        }
        const std::string_view value = arguments[++i];
        if (argument == "--db") {
            options.database = std::string(value);
        } else if (value == "table" || value == "json") {
            options.json = value == "json";
        } else {
            std::fprintf(errors, "unknown format: %.*s (table or json)\n",
                         static_cast<int>(value.size()), value.data());
            failed = true;
        }
        return true;
    }
    if (!options.havePath && isPathArgument(argument)) {
        options.path = std::string(argument);
        options.havePath = true;
        return true;
    }
    return false;
}

template <class Number>
bool parseNumber(std::string_view text, Number& value) {
    const auto end = text.data() + text.size();
    Number parsed{};
    const auto [last, error] = std::from_chars(text.data(), end, parsed);
    if (error != std::errc() || last != end) return false;
    value = parsed;
    return true;
}

// The first second of the local day after YYYY-MM-DD, or none when the text is no such date.
std::optional<std::int64_t> endOfLocalDay(std::string_view text) {
    int year = 0, month = 0, day = 0;
    if (text.size() != 10 || text[4] != '-' || text[7] != '-' ||
        !parseNumber(text.substr(0, 4), year) || !parseNumber(text.substr(5, 2), month) ||
        !parseNumber(text.substr(8, 2), day) || month < 1 || month > 12 || day < 1 || day > 31) {
        return std::nullopt;
    }
    std::tm local{};
    local.tm_year = year - 1900;
    local.tm_mon = month - 1;
    local.tm_mday = day;
    local.tm_isdst = -1;
    std::tm check = local;
    if (mktime(&check) == -1 || check.tm_mday != day) return std::nullopt;  // 2026-02-30
    local.tm_mday += 1;
    const std::time_t next = mktime(&local);
    if (next == -1) return std::nullopt;
    return static_cast<std::int64_t>(next);
}

void writeSnapshotFields(JsonWriter& json, const SnapshotInfo& info) {
    json.field("id", info.id);
    json.field("time", info.time);
    json.field("root", info.root);
    json.field("size", info.size);
    json.field("files", info.files);
    json.field("folders", info.folders);
}

}  // namespace

std::string historyDatabasePath(const std::string& option) {
    return option.empty() ? HistoryDatabase::defaultPath() : option;
}

struct SnapshotCapture::Slot {
    std::mutex mutex;
    std::shared_ptr<const history::FolderSnapshot> snapshot;
};

std::shared_ptr<scan::ScanListener> SnapshotCapture::wrap(
    std::shared_ptr<scan::ScanListener> inner) {
    m_slot = std::make_shared<Slot>();
    return std::make_shared<history::HistoryListener>(
        std::move(inner),
        [slot = m_slot](std::shared_ptr<const history::FolderSnapshot> snapshot, bool) {
            std::lock_guard lock(slot->mutex);
            slot->snapshot = std::move(snapshot);
        });
}

std::shared_ptr<const history::FolderSnapshot> SnapshotCapture::take(
    scan::CFolderEnumThread& thread) {
    while (thread.hasWork())
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    if (!m_slot) return nullptr;
    std::lock_guard lock(m_slot->mutex);
    return m_slot->snapshot;
}

int saveSnapshot(const history::FolderSnapshot& snapshot, const std::string& databasePath,
                 std::FILE* errors) {
    HistoryDatabase database(databasePath, HistoryDatabase::Mode::ReadWrite);
    const auto id = database.save(snapshot);
    const std::string aside = database.takeMovedAsideTo();
    if (!aside.empty()) {
        std::fprintf(errors,
                     "The scan history file could not be read; it was moved aside to %s and a "
                     "new one was started.\n",
                     aside.c_str());
    }
    if (!id) {
        std::fprintf(errors, "The scan was not saved: %s\n", database.error().text.c_str());
        return kExitNotSaved;
    }
    return kExitOk;
}

int runHistoryCommand(const std::vector<std::string_view>& arguments, std::FILE* out,
                      std::FILE* errors) {
    CommonOptions options;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        bool failed = false;
        if (takeCommonOption(arguments, i, options, failed, errors)) {
            if (failed) return kExitUsage;
            continue;
        }
        std::fprintf(errors, "unexpected argument: %.*s\n", static_cast<int>(arguments[i].size()),
                     arguments[i].data());
        return kExitUsage;
    }
    if (!options.havePath || options.path.empty()) {
        std::fputs("history needs a PATH\n", errors);
        return kExitUsage;
    }
    // A folder that is gone has a history too: the path need not exist.
    const std::string path = absoluteCleanPath(options.path, workingDirectory());
    HistoryDatabase database(historyDatabasePath(options.database),
                             HistoryDatabase::Mode::ReadOnly);
    const std::vector<SnapshotInfo> snapshots = database.snapshotsCovering(path);
    if (database.error() && database.error().kind != history::HistoryError::Kind::Missing) {
        std::fprintf(errors, "%s\n", database.error().text.c_str());
    }
    if (options.json) {
        JsonWriter json(out);
        json.beginObject();
        json.field("path", path);
        json.beginArray("snapshots");
        for (const SnapshotInfo& info : snapshots) {
            json.beginObject();
            writeSnapshotFields(json, info);
            json.endObject();
        }
        json.endArray();
        json.endObject();
        std::fputc('\n', out);
    } else if (snapshots.empty()) {
        std::fprintf(out, "No saved scan covers %s.\n", path.c_str());
    } else {
        std::vector<std::vector<std::string>> rows{
            {"ID", "Time", "Root", "Size", "Files", "Folders"}};
        for (const SnapshotInfo& info : snapshots) {
            rows.push_back({std::to_string(info.id), localTimeText(info.time), info.root,
                            formatSize(info.size), formatCount(info.files),
                            formatCount(info.folders)});
        }
        printColumns(rows, {true, false, false, true, true, true}, out);
    }
    if (std::fflush(out) != 0) {
        std::fputs("cannot write the output\n", errors);
        return kExitScanErrors;
    }
    return kExitOk;
}

int runChangesCommand(const std::vector<std::string_view>& arguments, std::FILE* out,
                      std::FILE* errors) {
    CommonOptions options;
    std::string_view since;
    int depth = -1;
    bool save = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        bool failed = false;
        if (takeCommonOption(arguments, i, options, failed, errors)) {
            if (failed) return kExitUsage;
            continue;
        }
        const std::string_view argument = arguments[i];
        if (argument == "--save") {
            save = true;
        } else if (argument == "--since" || argument == "--depth") {
            if (i + 1 >= arguments.size()) {
                std::fprintf(errors, "%.*s needs a value\n", static_cast<int>(argument.size()),
                             argument.data());
                return kExitUsage;
            }
            const std::string_view value = arguments[++i];
            if (argument == "--since") {
                since = value;
            } else if (!parseNumber(value, depth) || depth < 0) {
                std::fprintf(errors, "--depth needs a number of levels, not: %.*s\n",
                             static_cast<int>(value.size()), value.data());
                return kExitUsage;
            }
        } else {
            std::fprintf(errors, "unexpected argument: %.*s\n", static_cast<int>(argument.size()),
                         argument.data());
            return kExitUsage;
        }
    }
    if (!options.havePath) {
        std::fputs("changes needs a PATH\n", errors);
        return kExitUsage;
    }
    std::int64_t sinceId = -1;
    std::optional<std::int64_t> sinceTime;
    if (!since.empty() && !parseNumber(since, sinceId)) {
        sinceTime = endOfLocalDay(since);
        if (!sinceTime) {
            std::fprintf(errors, "--since needs a snapshot id or a date YYYY-MM-DD, not: %.*s\n",
                         static_cast<int>(since.size()), since.data());
            return kExitUsage;
        }
    }
    const auto path = resolveFolderArgument(options.path, errors);
    if (!path) return kExitUsage;

    // The earlier scan is chosen before this one is saved, so --save never compares a scan
    // with itself. Read-only unless --save: scripts have no side effects.
    const std::string databasePath = historyDatabasePath(options.database);
    std::optional<SnapshotInfo> chosen;
    std::vector<SnapshotInfo> covering;
    {
        HistoryDatabase database(databasePath, HistoryDatabase::Mode::ReadOnly);
        covering = database.snapshotsCovering(*path);
        if (database.error() && database.error().kind != history::HistoryError::Kind::Missing) {
            std::fprintf(errors, "%s\n", database.error().text.c_str());
        }
    }
    for (const SnapshotInfo& info : covering) {
        const bool fits = sinceId >= 0 ? info.id == sinceId : !sinceTime || info.time < *sinceTime;
        if (fits) {
            chosen = info;
            break;
        }
    }
    if (!chosen) {
        if (sinceId >= 0) {
            std::fprintf(errors, "No saved scan with id %lld covers %s.\n",
                         static_cast<long long>(sinceId), path->c_str());
        } else if (sinceTime) {
            std::fprintf(errors, "No scan saved on or before %.*s covers %s.\n",
                         static_cast<int>(since.size()), since.data(), path->c_str());
        } else {
            std::fprintf(errors,
                         "No earlier scan covers %s. Save one with: tarvolin-cli scan %s --save\n",
                         path->c_str(), path->c_str());
        }
        return kExitNoSnapshot;
    }

    scan::raiseOpenFileLimit();
    scan::CFolderEnumThread thread;
    SnapshotCapture capture;
    const auto listener =
        scanFolderWaiting(thread, *path, std::make_shared<scan::CTarvolinDoc>(), errors,
                          [&capture](auto inner) { return capture.wrap(std::move(inner)); });
    const auto now = capture.take(thread);
    const std::vector<scan::ScanError> scanErrors = thread.errors();
    if (listener->stopped() || !now) return kExitInterrupted;

    std::vector<FolderRecord> before;
    {
        HistoryDatabase database(databasePath, HistoryDatabase::Mode::ReadOnly);
        before = database.folders(chosen->id, *path);
    }
    const std::vector<FolderChange> changes =
        history::compareFolders(before, now->folders, *path, depth);
    const auto beforeRoot = std::find_if(before.begin(), before.end(),
                                         [&](const FolderRecord& r) { return r.path == *path; });
    const FolderRecord earlier = beforeRoot != before.end() ? *beforeRoot : FolderRecord{*path};
    const FolderRecord& later = now->rootRecord();

    if (options.json) {
        JsonWriter json(out);
        json.beginObject();
        json.field("path", *path);
        json.beginObject("before");
        json.field("id", chosen->id);
        json.field("time", chosen->time);
        json.field("size", earlier.size);
        json.field("files", earlier.files);
        json.field("folders", earlier.folders);
        json.endObject();
        json.beginObject("after");
        json.field("time", now->time);
        json.field("size", later.size);
        json.field("files", later.files);
        json.field("folders", later.folders);
        json.endObject();
        json.beginArray("changes");
        for (const FolderChange& change : changes) {
            json.beginObject();
            json.field("path", change.path);
            json.field("status", history::statusName(change.status));
            json.field("sizeBefore", change.sizeBefore);
            json.field("sizeAfter", change.sizeAfter);
            json.field("delta", change.delta());
            json.field("filesDelta", change.filesDelta);
            json.field("foldersDelta", change.foldersDelta);
            json.endObject();
        }
        json.endArray();
        json.endObject();
        std::fputc('\n', out);
    } else {
        std::fprintf(out, "Changes in %s since %s (snapshot %lld%s%s): %s\n", path->c_str(),
                     localTimeText(chosen->time).c_str(), static_cast<long long>(chosen->id),
                     chosen->root == *path ? "" : ", a scan of ",
                     chosen->root == *path ? "" : chosen->root.c_str(),
                     history::signedSize(later.size - earlier.size).c_str());
        if (changes.empty()) {
            std::fputs("No folder changed in size.\n", out);
        } else {
            std::vector<std::vector<std::string>> rows{
                {"Folder", "Before", "After", "Change", "Files Change"}};
            for (const FolderChange& change : changes) {
                rows.push_back(
                    {change.path,
                     change.status == FolderChange::Status::New ? "(new)"
                                                                : formatSize(change.sizeBefore),
                     change.status == FolderChange::Status::Removed ? "(removed)"
                                                                    : formatSize(change.sizeAfter),
                     history::signedSize(change.delta()), history::signedCount(change.filesDelta)});
            }
            printColumns(rows, {false, true, true, true, true}, out);
        }
    }
    if (std::fflush(out) != 0) {
        std::fputs("cannot write the output\n", errors);
        return kExitScanErrors;
    }
    if (save && saveSnapshot(*now, databasePath, errors) != kExitOk) return kExitNotSaved;
    return scanErrors.empty() ? kExitOk : kExitScanErrors;
}

}  // namespace tarvolin::cli
