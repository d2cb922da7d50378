// DetailsModel: the rows of the details view, read from the scan document on demand.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include <QAbstractTableModel>
#include <QColor>
#include <QFileIconProvider>
#include <QHash>
#include <QIcon>

#include "scan/DetailsRows.h"
#include "scan/ScanNode.h"

namespace tarvolin::scan {
class ScanController;
}  // namespace tarvolin::scan

namespace tarvolin::views {

// The details list's columns, shared with the terminal's listing.
using scan::DetailsColumn;
using scan::kColumnCount;
using scan::kColumnFiles;
using scan::kColumnFolders;
using scan::kColumnLastChange;
using scan::kColumnName;
using scan::kColumnShare;
using scan::kColumnSize;

// Lives on the UI thread, owned by its CTarvolinView. It copies nothing out of the document: the
// row count is its only state, changed by refresh() and clear(), and every cell re-reads the
// document's counts and then its one node, each under the document's lock. The scan thread only
// appends meanwhile, so a row keeps meaning "the n-th folder, else the (n - folders)-th file" of
// the document's current order; a row beyond the current counts has no data.
//
// Like a list with owner data, cells change without dataChanged (appends, sorts, colours): the
// owning view repaints after refresh(). A dataChanged over a million rows would cost the tree
// view a walk over every row on each timer tick.
class DetailsModel final : public QAbstractTableModel {
    Q_OBJECT

public:
    // `controller` (and its document) must outlive the model.
    explicit DetailsModel(const scan::ScanController& controller, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    // Takes the row count from the document (folders, plus files while they are shown); rows
    // are inserted or removed at the end.
    void refresh();
    // No rows until the next refresh: the document was emptied for a new scan.
    void clear();

    bool showFiles() const { return m_showFiles; }
    void setShowFiles(bool show) { m_showFiles = show; }  // seen at the next refresh

    // Re-reads the five attribute colours from the settings store; the view repaints.
    void reloadColors();

    // The text a cell shows; empty for a row beyond the document's counts.
    QString cellText(int row, int column) const;
    // A copy of the row's node, or its path bytes; none / empty beyond the counts.
    std::optional<scan::ScanNode> node(int row) const;
    std::string path(int row) const;
    // The name colour of a node's attributes: hidden, else read-only, else compressed, else
    // system, else normal.
    QColor nameColor(std::uint32_t attributes) const;
    int cachedIconCount() const { return static_cast<int>(m_icons.size()); }

private:
    struct Slot {
        bool folder = false;
        int index = 0;  // in the document's folder or file list
    };
    std::optional<Slot> slotOf(int row) const;
    template <class Visit>
    bool visitRow(int row, Visit&& visit) const;
    QIcon icon(int row) const;
    int cacheIcon(const QIcon& icon) const;

    const scan::ScanController& m_controller;
    int m_rows = 0;
    bool m_showFiles = true;
    enum ColorIndex { kNormal, kCompressed, kHidden, kReadOnly, kSystem };
    std::array<QColor, 5> m_colors;

    // The per-view icon cache that ScanNode::iconIndex points into. Icons of the same theme name
    // share an entry, so a folder of a million files holds a few dozen icons.
    QFileIconProvider m_iconProvider;
    mutable std::vector<QIcon> m_icons;
    mutable QHash<QString, int> m_iconIndexByKey;
};

}  // namespace tarvolin::views
