// ScanListener: what the scan thread tells the window that asked for a scan.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "scan/ScanNode.h"

namespace tarvolin::scan {

class FolderScanResult;

// Every call comes on the scan thread, synchronously: the walk waits until it returns, and
// arguments are valid only during the call. A folder scan:
//   scanStarting(path) → enteringFolder(path/sub)… → scanComplete(stopped, root)
//     [→ folderScanResult(result), when it ran to its end with a root]
// A report scan:
//   reportFolderEntered(name, depth)… → reportComplete(stopped), with reportError(code, path)
//   for each folder or entry that could not be read, in walk order
// A receiver that marshals to another thread copies what it needs before returning.
class ScanListener {
public:
    virtual ~ScanListener() = default;
    // The document has been emptied when this returns.
    virtual void scanStarting(const std::string& path) { (void)path; }
    // Only for folders that are actually walked, before they are opened.
    virtual void enteringFolder(const std::string& path) { (void)path; }
    // `root` is null when the scanned folder could not be opened or the path was empty; it is
    // freed when the next request is taken up.
    virtual void scanComplete(bool stopped, const ScanNode* root) {
        (void)stopped;
        (void)root;
    }
    // Every folder node of the result, after scanComplete so that the views never wait for it.
    virtual void folderScanResult(const FolderScanResult& result) { (void)result; }
    // `name` is the folder's own name (raw bytes); depth 1 is a child of the scanned folder.
    virtual void reportFolderEntered(std::string_view name, int depth) {
        (void)name;
        (void)depth;
    }
    // The report walk's counterpart of the folder scan's error list (a ScanError's code and
    // path); the window ignores it, the terminal shows it.
    virtual void reportError(std::uint32_t code, const std::string& path) {
        (void)code;
        (void)path;
    }
    virtual void reportComplete(bool stopped) { (void)stopped; }
};

}  // namespace tarvolin::scan
