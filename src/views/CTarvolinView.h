// CTarvolinView: the details view, a list of the scanned folder's subfolders and files.
#pragma once

#include <optional>
#include <string>

#include <QString>

#include "scan/ScanNode.h"
#include "ui/CSmartListCtrl.h"

namespace tarvolin::scan {
class ScanController;
}  // namespace tarvolin::scan

namespace tarvolin::views {

class DetailsModel;

// Lives on the UI thread, owned by the main frame's splitter. Shows the scan document through a
// DetailsModel, which reads it on demand, so a folder of a million files costs only its visible
// rows. The row count follows the document at scan start (no rows), on refreshView() (the
// frame's timer ticks and scan completion) and when files are shown or hidden. Keeps its sort
// column, direction and "show files" flag in the settings store, read at construction and
// written at destruction.
class CTarvolinView : public ui::CSmartListCtrl {
    Q_OBJECT

public:
    static inline const QString kScanningText =
        QStringLiteral("Report generation is in progress. Please wait...");
    static inline const QString kNoItemsText =
        QStringLiteral("There are no items to display.                   ");

    // `controller` must outlive the view.
    explicit CTarvolinView(scan::ScanController& controller, QWidget* parent = nullptr);
    ~CTarvolinView() override;

    // Re-applies the sort, then takes the row count from the document and repaints.
    void refreshView();
    // Re-reads the attribute colours (after the options sheet was confirmed).
    void reloadColors();
    // Selects the first row named `name` (exact match first, then ignoring case) and, with
    // `open`, activates it as a double-click would. No match: nothing happens.
    void selectByName(const QString& name, bool open);

    bool showFiles() const;
    void setShowFiles(bool show);
    void toggleShowFiles() { setShowFiles(!showFiles()); }

    // "&Stop Scan": enabled while a scan runs.
    bool canStopScan() const;
    void stopScan();
    // Print and the exports: something is listed and no scan runs.
    bool canPrintOrExport() const;

    // A header click: sorts by `column`, flipping the direction when it already is the sort
    // column. Nothing happens while the document is empty.
    void sortByHeader(int column);
    int sortColumnSetting() const { return m_sortColumn; }  // -1: the scan's order
    bool sortAscending() const { return m_sortAscending; }

    // For the exports: rows in display order.
    int rowCount() const;
    std::string rowPath(int row) const;  // bytes; empty beyond the rows
    std::optional<scan::ScanNode> rowNode(int row) const;
    QString cellText(int row, int column) const;
    DetailsModel& detailsModel() const { return *m_model; }

    // The text shown while nothing is listed.
    QString currentEmptyText() const;

signals:
    // A folder row was activated; the folder tree finds and selects it, which scans it.
    void folderActivated(const std::string& path);
    // The first path dropped on the view, to be scanned as if typed in the path bar.
    void pathDropped(const QString& path);
    // Something listed was trashed or deleted through the context menu.
    void itemDeleted();
    // The document was reordered by a header click; the graph follows the new order.
    void sortChanged();

protected:
    void paintEvent(QPaintEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void scanStarting();
    // Shows the arrow and reorders the document when its order may have changed.
    void applySort(bool force);
    void activateRow(int row);
    int firstSelectedRow() const;

    scan::ScanController& m_controller;
    DetailsModel* m_model;  // owned by this view through Qt's parenting, so the base can still
                            // save the column widths when it is destroyed
    int m_sortColumn = -1;
    bool m_sortAscending = true;
    // The counts at the last sort: the scan only appends, so equal counts mean an equal order.
    int m_sortedFolders = -1;
    int m_sortedFiles = -1;
};

}  // namespace tarvolin::views
