#include "views/CTarvolinView.h"

#include <QContextMenuEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QHeaderView>
#include <QMimeData>
#include <QPainter>
#include <QPolygonF>

#include "scan/CTarvolinDoc.h"
#include "scan/ScanController.h"
#include "ui/Options.h"
#include "ui/SortArrowHeader.h"
#include "views/DetailsModel.h"
#include "views/ItemActions.h"
#include "views/ItemContextMenu.h"
#include "views/ItemOperations.h"

namespace tarvolin::views {
namespace {

constexpr int kInitialWidths[kColumnCount] = {300, 100, 125, 75, 75, 100};
constexpr int kEmptyTextTop = 10;  // below the header

// The first local path of a drag, if it carries one.
QString firstLocalPath(const QMimeData* data) {
    if (data == nullptr || !data->hasUrls()) return {};
    const QList<QUrl> urls = data->urls();
    if (urls.isEmpty() || !urls.front().isLocalFile()) return {};
    return urls.front().toLocalFile();
}

}  // namespace

CTarvolinView::CTarvolinView(scan::ScanController& controller, QWidget* parent)
    : CSmartListCtrl(parent),
      m_controller(controller),
      m_model(new DetailsModel(controller, this)) {
    using namespace ui::option;
    const int column = ui::readOption(kDetailListSortCol);
    m_sortColumn = column >= 0 && column < kColumnCount ? column : -1;
    m_sortAscending = ui::readOption(kDetailListSortDir) != 0;
    m_model->setShowFiles(ui::readOption(kShowFolderFiles) != 0);

    setSelectionMode(QAbstractItemView::SingleSelection);
    setIconSize(QSize(16, 16));
    setEmptyText(kNoItemsText);
    // The base shows its first image for direction 1, which here means ascending: an up arrow.
    const QColor arrowColor = palette().color(QPalette::ButtonText);
    setHeaderImages(ui::SortArrowHeader::triangleImage(false, arrowColor),
                    ui::SortArrowHeader::triangleImage(true, arrowColor));
    setModel(m_model);
    for (int section = 0; section < kColumnCount; ++section)
        header()->resizeSection(section, kInitialWidths[section]);
    loadColumnWidths(QString::fromLatin1(kTarvolinViewCols.name));
    if (m_sortColumn >= 0) setSortArrow(m_sortColumn, m_sortAscending ? 1 : 0);

    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    setDropIndicatorShown(false);

    connect(header(), &QHeaderView::sectionClicked, this, &CTarvolinView::sortByHeader);
    connect(this, &QAbstractItemView::doubleClicked, this, [this] {
        if (const int row = firstSelectedRow(); row >= 0) activateRow(row);
    });
    connect(&m_controller, &scan::ScanController::scanStarting, this, &CTarvolinView::scanStarting);
    connect(&m_controller, &scan::ScanController::scanComplete, this, &CTarvolinView::refreshView);
}

CTarvolinView::~CTarvolinView() {
    using namespace ui::option;
    m_model->clear();
    m_controller.document().ClearChildren();
    ui::writeOption(kShowFolderFiles, showFiles() ? 1 : 0);
    // An unsorted view leaves the stored sort alone.
    if (m_sortColumn >= 0) {
        ui::writeOption(kDetailListSortCol, m_sortColumn);
        ui::writeOption(kDetailListSortDir, m_sortAscending ? 1 : 0);
    }
}

void CTarvolinView::scanStarting() {
    // The controller has emptied the document; rows must not outlive its nodes.
    m_model->clear();
    m_sortedFolders = m_sortedFiles = -1;
    viewport()->update();
}

void CTarvolinView::refreshView() {
    applySort(false);
    m_model->refresh();
    viewport()->update();
}

void CTarvolinView::applySort(bool force) {
    if (m_sortColumn < 0) return;
    setSortArrow(m_sortColumn, m_sortAscending ? 1 : 0);
    scan::CTarvolinDoc& document = m_controller.document();
    const int folders = document.folderCount();
    const int files = document.fileCount();
    // Sorting a million files on every timer tick would stall the walk on the document's lock.
    if (!force && folders == m_sortedFolders && files == m_sortedFiles) return;
    document.SortChildren(*scan::sortKeyForColumn(m_sortColumn), m_sortAscending);
    m_sortedFolders = folders;
    m_sortedFiles = files;
}

void CTarvolinView::sortByHeader(int column) {
    if (column < 0 || column >= kColumnCount) return;
    const scan::CTarvolinDoc& document = m_controller.document();
    if (document.folderCount() == 0 && document.fileCount() == 0) return;
    if (column == m_sortColumn) m_sortAscending = !m_sortAscending;
    m_sortColumn = column;
    applySort(true);
    refreshView();
    emit sortChanged();
}

void CTarvolinView::reloadColors() {
    m_model->reloadColors();
    viewport()->update();
}

bool CTarvolinView::showFiles() const {
    return m_model->showFiles();
}

void CTarvolinView::setShowFiles(bool show) {
    m_model->setShowFiles(show);
    refreshView();
}

bool CTarvolinView::canStopScan() const {
    return m_controller.isRunning();
}

void CTarvolinView::stopScan() {
    m_controller.stopScan();
}

bool CTarvolinView::canPrintOrExport() const {
    const scan::CTarvolinDoc& document = m_controller.document();
    return (document.folderCount() > 0 || document.fileCount() > 0) && !m_controller.isRunning();
}

int CTarvolinView::rowCount() const {
    return m_model->rowCount();
}

std::string CTarvolinView::rowPath(int row) const {
    return m_model->path(row);
}

std::optional<scan::ScanNode> CTarvolinView::rowNode(int row) const {
    return m_model->node(row);
}

QString CTarvolinView::cellText(int row, int column) const {
    return m_model->cellText(row, column);
}

QString CTarvolinView::currentEmptyText() const {
    return m_controller.isRunning() ? kScanningText : kNoItemsText;
}

void CTarvolinView::selectByName(const QString& name, bool open) {
    // Names are case-sensitive here: an exact match wins over one that differs only in case.
    const int rows = rowCount();
    int found = -1;
    for (const auto sensitivity : {Qt::CaseSensitive, Qt::CaseInsensitive}) {
        for (int row = 0; row < rows && found < 0; ++row) {
            if (cellText(row, kColumnName).compare(name, sensitivity) == 0) found = row;
        }
        if (found >= 0) break;
    }
    if (found < 0) return;
    const QModelIndex index = m_model->index(found, kColumnName);
    // The row gets the selection and the item focus; keyboard focus stays where it is (the graph
    // sends this on a click of its own).
    setCurrentIndex(index);
    scrollTo(index);
    if (open) activateRow(found);
}

int CTarvolinView::firstSelectedRow() const {
    const QModelIndexList rows = selectionModel()->selectedRows();
    int first = -1;
    for (const QModelIndex& index : rows) {
        if (first < 0 || index.row() < first) first = index.row();
    }
    return first;
}

void CTarvolinView::activateRow(int row) {
    const auto node = m_model->node(row);
    if (!node) return;
    if (node->isFolder()) {
        emit folderActivated(node->path);
    } else {
        // A file that nothing can open is not reported.
        ItemActions::current()->openUrl(fileUrl(node->path));
    }
}

void CTarvolinView::paintEvent(QPaintEvent* event) {
    if (m_model->rowCount() > 0) {
        CSmartListCtrl::paintEvent(event);
        return;
    }
    QPainter painter(viewport());
    const QRect area = viewport()->rect();
    painter.fillRect(area, palette().brush(QPalette::Base));
    painter.setPen(palette().color(QPalette::Text));
    painter.drawText(area.adjusted(0, kEmptyTextTop, 0, 0),
                     Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap, currentEmptyText());
}

void CTarvolinView::contextMenuEvent(QContextMenuEvent* event) {
    const int row = firstSelectedRow();
    if (row < 0) return;
    const std::string path = rowPath(row);
    if (path.empty()) return;
    QPoint where = event->globalPos();
    if (event->reason() == QContextMenuEvent::Keyboard) {
        const QRect rect = visualRect(m_model->index(row, kColumnName));
        where = viewport()->mapToGlobal(rect.bottomLeft());
    }
    ItemContextMenu menu({path});
    if (menu.exec(this, where) == ItemContextMenu::kVerbDelete) emit itemDeleted();
}

void CTarvolinView::dragEnterEvent(QDragEnterEvent* event) {
    if (firstLocalPath(event->mimeData()).isEmpty()) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
}

void CTarvolinView::dragMoveEvent(QDragMoveEvent* event) {
    if (firstLocalPath(event->mimeData()).isEmpty()) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
}

void CTarvolinView::dropEvent(QDropEvent* event) {
    // Only the first path: one scan at a time, and no length limit on it.
    const QString path = firstLocalPath(event->mimeData());
    if (path.isEmpty()) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    emit pathDropped(path);
}

}  // namespace tarvolin::views
