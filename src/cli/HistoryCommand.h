// tarvolin-cli history and changes, and the saving behind scan --save.
#pragma once

#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "history/Snapshot.h"
#include "scan/ScanListener.h"

namespace tarvolin::scan {
class CFolderEnumThread;
}

namespace tarvolin::cli {

inline constexpr int kExitNoSnapshot = 3;  // changes: no earlier scan covers the path
inline constexpr int kExitNotSaved = 4;    // --save was asked for and the history refused it

// The database named by --db, or the default one.
std::string historyDatabasePath(const std::string& option);

// Keeps the snapshot of the scan `listener` receives, for a command that saves or compares.
class SnapshotCapture {
public:
    // The listener to submit: passes everything on to `inner`.
    std::shared_ptr<scan::ScanListener> wrap(std::shared_ptr<scan::ScanListener> inner);
    // After the request has ended, waits until the scan thread is idle (the snapshot is handed
    // over after the completion itself) and returns it; null for a stopped or failed scan.
    std::shared_ptr<const history::FolderSnapshot> take(scan::CFolderEnumThread& thread);

private:
    struct Slot;
    std::shared_ptr<Slot> m_slot;
};

// Saves `snapshot` into the database at `databasePath`, telling `errors` what went wrong (or
// that a damaged file was moved aside). kExitOk, or kExitNotSaved.
int saveSnapshot(const history::FolderSnapshot& snapshot, const std::string& databasePath,
                 std::FILE* errors);

// Arguments after "history": PATH [--format table|json] [--db FILE].
int runHistoryCommand(const std::vector<std::string_view>& arguments, std::FILE* out,
                      std::FILE* errors);

// Arguments after "changes": PATH [--since ID|YYYY-MM-DD] [--depth N] [--save]
// [--format table|json] [--db FILE].
int runChangesCommand(const std::vector<std::string_view>& arguments, std::FILE* out,
                      std::FILE* errors);

}  // namespace tarvolin::cli
