#include "drives/CDriveSpaceListCtrl.h"

#include "drives/FixedVolumes.h"

#include <QContextMenuEvent>
#include <QFile>
#include <QFileIconProvider>
#include <QHeaderView>
#include <QStandardItemModel>
#include <QTimer>

#include <algorithm>

namespace tarvolin::drives {
namespace {

constexpr int kPathRole = Qt::UserRole + 1;  // the mount point's bytes, on the Drive cell

const QString kHelpText =
    QStringLiteral("Drive space calculations are automatically refreshed every few seconds.");

const VolumeSource& systemVolumes() {
    static const SystemVolumeSource source;
    return source;
}

}  // namespace

CDriveSpaceListCtrl::CDriveSpaceListCtrl(QWidget* parent)
    : CDriveSpaceListCtrl(systemVolumes(), parent) {}

CDriveSpaceListCtrl::CDriveSpaceListCtrl(const VolumeSource& source, QWidget* parent)
    : QTableView(parent),
      m_source(source),
      m_model(new QStandardItemModel(0, kColumnCount, this)),
      m_timer(new QTimer(this)),
      m_driveIcon(QFileIconProvider().icon(QFileIconProvider::Drive)) {
    m_model->setHorizontalHeaderLabels(
        {QStringLiteral("Drive"), QStringLiteral("Total Space"), QStringLiteral("Free Space")});
    setModel(m_model);

    setShowGrid(true);
    setWordWrap(false);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSortingEnabled(false);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(std::max(16, fontMetrics().height()) + 4);

    QHeaderView* columns = horizontalHeader();
    columns->setSectionsClickable(false);
    columns->setHighlightSections(false);
    columns->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    columns->resizeSection(kDriveColumn, 50);
    columns->resizeSection(kTotalColumn, 75);
    columns->resizeSection(kFreeColumn, 75);
    connect(columns, &QHeaderView::sectionResized, this, [this](int column) {
        if (column != kFreeColumn) fitFreeColumn();
    });

    setToolTip(kHelpText);
    setWhatsThis(kHelpText);

    refresh();
    connect(m_timer, &QTimer::timeout, this, &CDriveSpaceListCtrl::refresh);
    m_timer->start(kRefreshMilliseconds);
}

std::string CDriveSpaceListCtrl::volumePath(int row) const {
    if (row < 0 || row >= m_model->rowCount()) return {};
    return m_model->item(row, kDriveColumn)->data(kPathRole).toByteArray().toStdString();
}

std::string CDriveSpaceListCtrl::selectedPath() const {
    const QModelIndexList rows = selectionModel()->selectedRows();
    return rows.isEmpty() ? std::string() : volumePath(rows.front().row());
}

QSize CDriveSpaceListCtrl::sizeHint() const {
    return {200, 200};
}

void CDriveSpaceListCtrl::fitFreeColumn() {
    // The free space column takes whatever width the pane has left, down to the header's
    // minimum.
    setColumnWidth(kFreeColumn,
                   viewport()->width() - columnWidth(kDriveColumn) - columnWidth(kTotalColumn));
}

bool CDriveSpaceListCtrl::viewportEvent(QEvent* event) {
    const bool handled = QTableView::viewportEvent(event);
    // Also when only a scroll bar came or went.
    if (event->type() == QEvent::Resize) fitFreeColumn();
    return handled;
}

void CDriveSpaceListCtrl::refresh() {
    const std::vector<std::string> volumes = m_source.fixedVolumes();
    const std::string selected = selectedPath();

    // Rows are rewritten in place rather than rebuilt, so the view repaints only cells whose
    // text changed and keeps its scroll position.
    int selectedRow = -1;
    for (std::size_t i = 0; i < volumes.size(); ++i) {
        const int row = static_cast<int>(i);
        const std::string& path = volumes[i];
        if (path == selected) selectedRow = row;
        if (row >= m_model->rowCount()) {
            QList<QStandardItem*> items;
            for (int column = 0; column < kColumnCount; ++column) {
                auto* item = new QStandardItem;
                item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
                items.append(item);
            }
            items[kDriveColumn]->setIcon(m_driveIcon);
            m_model->appendRow(items);
        }
        const auto space = m_source.freeSpace(path);
        QStandardItem* drive = m_model->item(row, kDriveColumn);
        const QString name = QFile::decodeName(QByteArray::fromStdString(path));
        drive->setText(name);
        // Mount points outgrow the narrow first column; the whole one shows on hovering.
        drive->setToolTip(name);
        drive->setData(QByteArray::fromStdString(path), kPathRole);
        m_model->item(row, kTotalColumn)->setText(QString::fromStdString(totalSpaceText(space)));
        m_model->item(row, kFreeColumn)->setText(QString::fromStdString(freeSpaceText(space)));
    }
    if (m_model->rowCount() > static_cast<int>(volumes.size())) {
        m_model->removeRows(static_cast<int>(volumes.size()),
                            m_model->rowCount() - static_cast<int>(volumes.size()));
    }

    // The selection follows its volume; a volume that went away takes it along.
    if (selectedRow < 0) {
        clearSelection();
    } else if (selectionModel()->selectedRows().value(0).row() != selectedRow) {
        selectRow(selectedRow);
    }
}

void CDriveSpaceListCtrl::contextMenuEvent(QContextMenuEvent* event) {
    const std::string path = selectedPath();
    if (path.empty()) {
        event->ignore();
        return;
    }
    emit contextMenuRequested(path, event->globalPos());
}

}  // namespace tarvolin::drives
