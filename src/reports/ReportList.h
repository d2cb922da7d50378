// ReportList: the list of one report page: its rows, header-click sorting, double-click open
// and the item context menu on the selected files.
#pragma once

#include <string>
#include <vector>

#include <QHeaderView>
#include <QString>

#include "reports/ReportListModel.h"
#include "reports/ReportRows.h"
#include "ui/CSmartListCtrl.h"

namespace tarvolin::reports {

// The behaviour every report list shares; ReportList<Row> adds its rows. A widget on the UI
// thread, owned by its page.
class ReportListBase : public ui::CSmartListCtrl {
    Q_OBJECT

public:
    static inline const QString kEmptyText = QStringLiteral(
        "There are no items to display.\nBrowse for a folder path and use the Start Scan button to "
        "generate a report.");

    // `firstAscending`: the direction of a first click on a column. A list that acts on files
    // opens the first selected one on a double-click and shows the item context menu.
    ReportListBase(bool firstAscending, bool actsOnFiles, QWidget* parent = nullptr);

    // A header click: a new column starts in the list's first direction, the same one toggles.
    void sortByHeader(int column);
    const SortState& sortState() const { return m_sort; }

    // Rows in view order; -1 when nothing is selected.
    int firstSelectedRow() const;
    // The paths of the selected rows in view order, empty ones left out.
    std::vector<std::string> selectedPaths() const;
    virtual std::string rowPath(int row) const = 0;

    // After the context menu's "delete": of `paths`, the rows whose file is really gone leave the
    // list (a failed or partial delete leaves the others listed). The paths that went.
    std::vector<std::string> removeGoneRows(const std::vector<std::string>& paths);

signals:
    // Rows left the list after a delete; their paths.
    void rowsDeleted(const std::vector<std::string>& paths);

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
    // A cell too narrow for its text shows the whole text as a tooltip.
    // Sorts again by the sort column, if a header was clicked; after the rows were replaced.
    void applySort();

    virtual void sortModel(int column, bool ascending) = 0;
    virtual void removeRowsOf(const std::vector<std::string>& paths) = 0;

private:
    void openFirstSelected();

    SortState m_sort;
    bool m_actsOnFiles;
};

template <class Row>
class ReportList final : public ReportListBase {
public:
    using Traits = ReportRowTraits<Row>;

    ReportList(bool firstAscending, bool actsOnFiles, QAbstractItemView::SelectionMode selection,
               QWidget* parent = nullptr)
        : ReportListBase(firstAscending, actsOnFiles, parent),
          m_model(new ReportListModel<Row>(this)) {
        setSelectionMode(selection);
        setModel(m_model);
        for (std::size_t column = 0; column < Traits::kColumns.size(); ++column)
            header()->resizeSection(static_cast<int>(column), Traits::kColumns[column].width);
        loadColumnWidths(QString::fromLatin1(Traits::kWidthsKey));
    }

    // Replaces the rows, then sorts them again by the sort column if one was chosen.
    void setRows(std::vector<Row> rows) {
        m_model->setRows(std::move(rows));
        applySort();
    }
    const std::vector<Row>& rows() const { return m_model->rows(); }
    ReportListModel<Row>& rowsModel() const { return *m_model; }

    std::string rowPath(int row) const override {
        if (row < 0 || row >= m_model->rowCount()) return {};
        return Traits::path(m_model->row(row));
    }

protected:
    void sortModel(int column, bool ascending) override { m_model->sortBy(column, ascending); }
    void removeRowsOf(const std::vector<std::string>& paths) override {
        m_model->removeKeys(paths);
    }

private:
    ReportListModel<Row>* m_model;  // owned by this list through Qt's parenting, so the base can
                                    // still save the column widths when it is destroyed
};

using CLargestFilesListCtrl = ReportList<LargestFileRow>;
using COldestFilesListCtrl = ReportList<OldestFileRow>;
using CFileClassListCtrl = ReportList<FileTypeRow>;
using CTempFilesListCtrl = ReportList<TempFileRow>;

}  // namespace tarvolin::reports
