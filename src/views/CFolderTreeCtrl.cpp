#include "views/CFolderTreeCtrl.h"

#include <QByteArray>
#include <QContextMenuEvent>
#include <QFile>
#include <QMouseEvent>
#include <QStyle>

#include <algorithm>
#include <vector>

#include "common/PathText.h"
#include "scan/ScanController.h"
#include "ui/Options.h"
#include "views/FolderTreeFind.h"
#include "views/FolderTreeModel.h"

namespace tarvolin::views {
namespace {

int historyCount() {
    return std::clamp(ui::readOption(ui::option::kHistoryCount), 0, 999);
}

}  // namespace

CFolderTreeCtrl::CFolderTreeCtrl(scan::ScanController& scanner, const drives::VolumeSource& volumes,
                                 QWidget* parent, std::string homePath)
    : QTreeView(parent),
      m_scanner(scanner),
      m_model(new FolderTreeModel(volumes, std::move(homePath), this)) {
    setModel(m_model);
    setHeaderHidden(true);
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    expand(m_model->computerIndex());

    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &CFolderTreeCtrl::navigationChanged);
    connect(m_model, &FolderTreeModel::itemsRemoved, this, &CFolderTreeCtrl::removeHistoryItems);
    connect(m_model, &FolderTreeModel::listingPendingChanged, this, [this](bool pending) {
        if (pending)
            viewport()->setCursor(Qt::BusyCursor);
        else
            viewport()->unsetCursor();
    });
    connect(m_model, &FolderTreeModel::childrenListed, this, &CFolderTreeCtrl::resumeFindLater);
    connect(m_model, &FolderTreeModel::itemsRemoved, this, &CFolderTreeCtrl::resumeFindLater);
}

CFolderTreeCtrl::~CFolderTreeCtrl() = default;

QModelIndex CFolderTreeCtrl::selectedIndex() const {
    const QModelIndexList selected = selectionModel()->selectedIndexes();
    return selected.isEmpty() ? QModelIndex() : selected.first();
}

bool CFolderTreeCtrl::canUp() const {
    return selectedIndex().parent().isValid();
}

void CFolderTreeCtrl::expandTo(const QModelIndex& index) {
    std::vector<QModelIndex> ancestors;
    for (QModelIndex up = index.parent(); up.isValid(); up = up.parent())
        ancestors.push_back(up);
    for (auto it = ancestors.rbegin(); it != ancestors.rend(); ++it)
        expand(*it);
}

void CFolderTreeCtrl::selectAndScan(const QModelIndex& index, bool record, bool bypassCache) {
    if (!index.isValid() || index.model() != m_model) return;
    expandTo(index);
    scrollTo(index);
    const std::string path = m_model->scanPath(index);
    const std::uint64_t item = m_model->itemId(index);
    if (record) m_history.record(item, path, historyCount());
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    m_currentItemName = index.data(Qt::DisplayRole).toString();
    m_scannedItem = item;
    directScan(path, bypassCache);
    emit navigationChanged();
}

void CFolderTreeCtrl::directScan(const std::string& path, bool bypassCache) {
    m_find.reset();  // the user moved on
    m_currentScanPath = path;
    emit scanSubmitted(path, bypassCache);
    m_scanner.startFolderScan(path, bypassCache);
}

CFolderTreeCtrl::Find CFolderTreeCtrl::findAndSelect(const std::string& rawPath, bool fromRoot,
                                                     FindMiss miss) {
    m_find.reset();
    const std::string path = trimTrailingSeparator(rawPath);
    if (path.empty()) return Find::Missing;
    m_find = std::make_unique<FolderTreeFind>(*m_model, path,
                                              fromRoot ? QModelIndex() : selectedIndex());
    m_findMiss = miss;
    return continueFind();
}

CFolderTreeCtrl::Find CFolderTreeCtrl::continueFind() {
    const FolderTreeFind::Step step = m_find->advance();
    if (step == FolderTreeFind::Step::Waiting) return Find::Pending;
    const std::unique_ptr<FolderTreeFind> find = std::move(m_find);
    if (step == FolderTreeFind::Step::Found) {
        selectAndScan(find->found(), true, false);
        return Find::Selected;
    }
    if (m_findMiss == FindMiss::ScanDirectly)
        directScan(find->path(), false);
    else
        emit findFailed(tr("Folder not found: %1")
                            .arg(QFile::decodeName(QByteArray::fromStdString(find->path()))));
    return Find::Missing;
}

void CFolderTreeCtrl::resumeFindLater() {
    if (m_find) QMetaObject::invokeMethod(this, &CFolderTreeCtrl::resumeFind, Qt::QueuedConnection);
}

void CFolderTreeCtrl::resumeFind() {
    if (m_find && m_find->canAdvance()) continueFind();
}

void CFolderTreeCtrl::back() {
    if (!m_history.canBack()) return;
    const QModelIndex index = m_model->indexOfId(m_history.previous().item);
    if (!index.isValid()) return;
    selectAndScan(index, false, false);
    m_history.stepBack();
    emit navigationChanged();
}

void CFolderTreeCtrl::forward() {
    if (!m_history.canForward()) return;
    const QModelIndex index = m_model->indexOfId(m_history.next().item);
    if (!index.isValid()) return;
    selectAndScan(index, false, false);
    m_history.stepForward();
    emit navigationChanged();
}

void CFolderTreeCtrl::up() {
    const QModelIndex parent = selectedIndex().parent();
    if (parent.isValid()) selectAndScan(parent, true, false);
}

void CFolderTreeCtrl::refresh() {
    const QModelIndex selected = selectedIndex();
    if (!selected.isValid()) return;
    // Re-reading the children must not scan on its own: one walk, with the cache bypassed.
    m_model->refreshChildren(selected);
    selectAndScan(selected, false, true);
}

void CFolderTreeCtrl::refreshChildrenOf(const std::string& rawPath) {
    const std::string path = trimTrailingSeparator(rawPath);
    if (path.empty()) return;
    std::vector<QPersistentModelIndex> matches;
    std::vector<QModelIndex> pending{QModelIndex()};
    // Only the items already in the tree: a folder never read has nothing stale to re-read.
    while (!pending.empty()) {
        const QModelIndex parent = pending.back();
        pending.pop_back();
        for (int row = 0; row < m_model->rowCount(parent); ++row) {
            const QModelIndex child = m_model->index(row, 0, parent);
            if (m_model->location(child) == path || m_model->scanPath(child) == path)
                matches.emplace_back(child);
            pending.push_back(child);
        }
    }
    bool rescan = false;
    for (const QPersistentModelIndex& match : matches) {
        if (!match.isValid()) continue;
        rescan = rescan || match == selectedIndex();
        m_model->refreshChildren(match);
    }
    if (rescan) selectAndScan(selectedIndex(), false, false);
}

void CFolderTreeCtrl::removeHistoryItems(const std::unordered_set<std::uint64_t>& ids) {
    m_history.removeItems(ids);
    if (ids.count(m_scannedItem) != 0) m_scannedItem = 0;
    emit navigationChanged();
}

bool CFolderTreeCtrl::onItemContent(const QModelIndex& index, const QPoint& viewportPos) const {
    if (!index.isValid()) return false;
    const QRect rect = visualRect(index);
    if (!rect.contains(viewportPos)) return false;
    const int margin = style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1;
    const int icon = iconSize().isValid()
                         ? iconSize().width()
                         : style()->pixelMetric(QStyle::PM_SmallIconSize, nullptr, this);
    const int text = fontMetrics().horizontalAdvance(index.data(Qt::DisplayRole).toString());
    return viewportPos.x() <= rect.left() + icon + text + 4 * margin;
}

void CFolderTreeCtrl::mousePressEvent(QMouseEvent* event) {
    const QPoint pos = event->position().toPoint();
    const QModelIndex index = indexAt(pos);
    const bool onItem = event->button() == Qt::LeftButton && onItemContent(index, pos);
    m_pressed = onItem ? QPersistentModelIndex(index) : QPersistentModelIndex();
    // A keyboard selection has not been scanned: clicking it scans it.
    m_pressedWasScanned =
        onItem && index == selectedIndex() && m_model->itemId(index) == m_scannedItem;
    QTreeView::mousePressEvent(event);
}

void CFolderTreeCtrl::mouseReleaseEvent(QMouseEvent* event) {
    QTreeView::mouseReleaseEvent(event);
    const QPersistentModelIndex pressed = m_pressed;
    m_pressed = QPersistentModelIndex();
    if (event->button() != Qt::LeftButton || !pressed.isValid() || m_pressedWasScanned) return;
    const QPoint pos = event->position().toPoint();
    const QModelIndex index = indexAt(pos);
    if (index == pressed && onItemContent(index, pos)) selectAndScan(index, true, false);
}

void CFolderTreeCtrl::contextMenuEvent(QContextMenuEvent* event) {
    QModelIndex index;
    QPoint globalPos;
    if (event->reason() == QContextMenuEvent::Mouse) {
        index = indexAt(event->pos());
        if (!onItemContent(index, event->pos())) return;
        globalPos = event->globalPos();
    } else {
        index = currentIndex();
        if (!index.isValid()) return;
        globalPos = viewport()->mapToGlobal(visualRect(index).bottomLeft());
    }
    const std::string path = m_model->location(index);
    if (path.empty()) return;  // Computer is no folder
    event->accept();
    emit contextMenuRequested(path, globalPos);
}

}  // namespace tarvolin::views
