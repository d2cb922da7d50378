// CFolderTreeCtrl: the folder browser tree, where every folder scan starts.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_set>

#include <QPersistentModelIndex>
#include <QPoint>
#include <QString>
#include <QTreeView>

#include "views/NavigationHistory.h"

namespace tarvolin::scan {
class ScanController;
}  // namespace tarvolin::scan

namespace tarvolin::drives {
class VolumeSource;
}

namespace tarvolin::views {

class FolderTreeFind;
class FolderTreeModel;

// User-interface thread; owned by the main frame's "Folder Browser" dock through Qt's parenting.
// A click on a folder (not the expand button, not the empty part of the row), drill-in, the
// path bar, Back, Forward, Up and Refresh all end in selectAndScan(), which records the
// navigation history and hands the item's path to the scan controller. Moving the selection
// with the keyboard starts no scan.
class CFolderTreeCtrl : public QTreeView {
    Q_OBJECT

public:
    enum class Find { Selected, Pending, Missing };
    // What a find that ends without an item does: say so (findFailed), or scan the path anyway.
    enum class FindMiss { Report, ScanDirectly };

    // `scanner` and `volumes` must outlive the tree. `homePath` empty: the user's home folder.
    CFolderTreeCtrl(scan::ScanController& scanner, const drives::VolumeSource& volumes,
                    QWidget* parent = nullptr, std::string homePath = {});
    ~CFolderTreeCtrl() override;

    // Selects the item and scans its path ("" for Computer: a scan that starts and ends at
    // once); `record` adds it to the history, `bypassCache` makes the walk ignore the cache.
    void selectAndScan(const QModelIndex& index, bool record, bool bypassCache);
    // Finds the item of `path` below the selected item (drill-in), or from the top (path bar,
    // `fromRoot`), expanding the way, and select-and-scans it with history. The exact path wins
    // over one that differs only in case. A drill-in that finds nothing below the selected item
    // (the selection moved by keyboard since the scan) looks from the top.
    // The window never waits for a folder on the way to be read: when every folder is listed
    // already the item is selected before the call returns (Selected) or the miss is handled
    // (Missing); otherwise the find goes on as the listings come in (Pending). A newer find, or
    // any scan handed over in between, drops a pending one.
    Find findAndSelect(const std::string& path, bool fromRoot, FindMiss miss = FindMiss::Report);
    bool isFindPending() const { return m_find != nullptr; }
    // Scans a path without touching the selection or the history.
    void directScan(const std::string& path, bool bypassCache);

    void back();
    void forward();
    void up();
    // Re-reads the selected item's children and scans it once, bypassing the cache.
    void refresh();
    bool canBack() const { return m_history.canBack(); }
    bool canForward() const { return m_history.canForward(); }
    bool canUp() const;
    bool canRefresh() const { return selectedIndex().isValid(); }

    // Re-reads the children of the items shown for `path` (after a folder below it was deleted);
    // when one of them is selected it is scanned again.
    void refreshChildrenOf(const std::string& path);

    // Bytes of the path last handed to the scanner: the main window's current path.
    const std::string& currentScanPath() const { return m_currentScanPath; }
    const QString& currentItemName() const { return m_currentItemName; }
    QModelIndex selectedIndex() const;
    FolderTreeModel& folderModel() const { return *m_model; }
    const NavigationHistory& history() const { return m_history; }

signals:
    // The enable state of Back, Forward, Up or Refresh may have changed.
    void navigationChanged();
    // A right click on an item's icon or label (or the menu key on the current item); the path
    // is where the item sits, so a link is acted on as a link.
    void contextMenuRequested(const std::string& path, const QPoint& globalPos);
    // Every scan this tree hands to the scanner, as it is handed over.
    void scanSubmitted(const std::string& path, bool bypassCache);
    // A find ended without an item for its path; `message` is the text for the status bar.
    void findFailed(const QString& message);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    // True on the item's icon or label, not on the rest of its row.
    bool onItemContent(const QModelIndex& index, const QPoint& viewportPos) const;
    Find continueFind();
    // Queued after every listing and removal while a find waits, so that the model is never
    // changed from inside its own signals.
    void resumeFindLater();
    void resumeFind();
    void removeHistoryItems(const std::unordered_set<std::uint64_t>& ids);
    void expandTo(const QModelIndex& index);

    scan::ScanController& m_scanner;  // owned by the application, outlives the tree
    FolderTreeModel* m_model;         // owned by this view through Qt's parenting
    NavigationHistory m_history;
    std::string m_currentScanPath;
    QString m_currentItemName;
    std::uint64_t m_scannedItem = 0;  // item of the last select-and-scan, 0 when gone
    QPersistentModelIndex m_pressed;  // left press on an item's content, until the release
    bool m_pressedWasScanned = false;
    std::unique_ptr<FolderTreeFind> m_find;  // the find waiting for a listing, if any
    FindMiss m_findMiss = FindMiss::Report;
};

}  // namespace tarvolin::views
