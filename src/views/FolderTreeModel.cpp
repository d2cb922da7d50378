#include "views/FolderTreeModel.h"

#include <QApplication>
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileIconProvider>
#include <QPainter>
#include <QPainterPath>
#include <QPalette>

#include <algorithm>

#include "common/PathText.h"
#include "drives/FixedVolumes.h"

namespace tarvolin::views {
namespace {

constexpr int kPollMs = 25;
// While a find waits for rows each poll step adds to the time until the item is selected.
constexpr int kFindPollMs = 4;

QString decodePath(const std::string& bytes) {
    return QFile::decodeName(QByteArray::fromStdString(bytes));
}

std::string defaultHomePath() {
    QByteArray home = qgetenv("HOME");
    if (home.isEmpty()) home = QFile::encodeName(QDir::homePath());
    return trimTrailingSeparator(home.toStdString());
}

// The folder icon with a small arrow in its lower left corner, drawn for each common size.
QIcon withLinkOverlay(const QIcon& icon) {
    QIcon result;
    for (const int size : {16, 22, 32}) {
        QPixmap pixmap = icon.pixmap(size, size);
        if (pixmap.isNull()) continue;
        const qreal ratio = pixmap.devicePixelRatio();
        const qreal side = pixmap.width() / ratio;
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        const qreal box = std::max<qreal>(7, side * 0.5);
        const QRectF frame(0.5, side - box - 0.5, box, box);
        painter.setPen(QPen(QColor(60, 60, 60), 1));
        painter.setBrush(Qt::white);
        painter.drawRect(frame);
        const qreal inset = box * 0.22;
        const QPointF from(frame.left() + inset, frame.bottom() - inset);
        const QPointF to(frame.right() - inset, frame.top() + inset);
        painter.setPen(
            QPen(QColor(20, 20, 20), std::max<qreal>(1, box / 7), Qt::SolidLine, Qt::RoundCap));
        painter.drawLine(from, to);
        const qreal head = box * 0.38;
        painter.drawLine(to, to - QPointF(head, 0));
        painter.drawLine(to, to + QPointF(0, head));
        painter.end();
        result.addPixmap(pixmap);
    }
    return result;
}

// Identifies an item across two readings of its parent.
std::string itemKey(FolderTreeModel::Kind kind, const std::string& name, bool link,
                    const std::string& scanPath) {
    std::string key = name;
    key += '\0';
    key += static_cast<char>('0' + static_cast<int>(kind));
    key += link ? '1' : '0';
    key += scanPath;
    return key;
}

// Hidden folders are dimmed: the disabled form of their icon in every mode.
QIcon dimmed(const QIcon& icon) {
    QIcon result;
    for (const int size : {16, 22, 32})
        result.addPixmap(icon.pixmap(size, size, QIcon::Disabled));
    return result;
}

}  // namespace

FolderTreeModel::FolderTreeModel(const drives::VolumeSource& volumes, std::string homePath,
                                 QObject* parent)
    : QAbstractItemModel(parent),
      m_volumes(volumes),
      m_homePath(homePath.empty() ? defaultHomePath() : trimTrailingSeparator(homePath)) {
    const QFileIconProvider provider;
    m_folderIcon = provider.icon(QAbstractFileIconProvider::Folder);
    m_linkIcon = withLinkOverlay(m_folderIcon);
    m_hiddenIcon = dimmed(m_folderIcon);
    m_hiddenLinkIcon = dimmed(m_linkIcon);
    m_homeIcon = QIcon::fromTheme(QStringLiteral("user-home"), m_folderIcon);
    m_computerIcon = provider.icon(QAbstractFileIconProvider::Computer);
    m_driveIcon = provider.icon(QAbstractFileIconProvider::Drive);

    m_root.state = ListState::Listed;
    auto home = makeNode(&m_root, Kind::Home, m_homePath);
    home->display = tr("Home");
    home->location = home->scanPath = m_homePath;
    m_root.children.push_back(std::move(home));

    auto computer = makeNode(&m_root, Kind::Computer, {});
    computer->display = tr("Computer");
    computer->state = ListState::Listed;
    computer->children = volumeNodes(computer.get());
    computer->hint = computer->children.empty() ? SubfolderHint::No : SubfolderHint::Yes;
    computer->row = 1;
    m_root.children.push_back(std::move(computer));

    m_poll.setInterval(kPollMs);
    connect(&m_poll, &QTimer::timeout, this, &FolderTreeModel::pollListings);
}

FolderTreeModel::~FolderTreeModel() {
    for (Node* node : m_pending)
        node->listing->cancel();
}

FolderTreeModel::Node* FolderTreeModel::nodeOf(const QModelIndex& index) const {
    if (!index.isValid()) return const_cast<Node*>(&m_root);
    return static_cast<Node*>(index.internalPointer());
}

QModelIndex FolderTreeModel::indexOf(const Node* node) const {
    if (node == nullptr || node == &m_root) return {};
    return createIndex(node->row, 0, const_cast<Node*>(node));
}

std::unique_ptr<FolderTreeModel::Node> FolderTreeModel::makeNode(Node* parent, Kind kind,
                                                                 std::string name) {
    auto node = std::make_unique<Node>();
    node->parent = parent;
    node->id = m_nextId++;
    node->kind = kind;
    node->name = std::move(name);
    node->display = decodePath(node->name);
    m_byId.emplace(node->id, node.get());
    return node;
}

std::unique_ptr<FolderTreeModel::Node> FolderTreeModel::makeFolder(Node* parent,
                                                                   const FolderTreeEntry& entry) {
    auto node = makeNode(parent, Kind::Folder, entry.name);
    node->location = joinPath(parent->location, entry.name);
    node->link = entry.isLink;
    // A link's children are read from its target and carry the target's paths, the paths a scan
    // of the link reports.
    node->scanPath = entry.isLink ? entry.target : joinPath(parent->scanPath, entry.name);
    node->hidden = !entry.name.empty() && entry.name.front() == '.';
    node->hint = entry.hint;
    return node;
}

std::vector<std::unique_ptr<FolderTreeModel::Node>> FolderTreeModel::volumeNodes(Node* computer) {
    std::vector<std::unique_ptr<Node>> nodes;
    for (const std::string& mountPoint : m_volumes.fixedVolumes()) {
        auto node = makeNode(computer, Kind::Volume, mountPoint);
        node->location = node->scanPath = mountPoint;
        node->row = static_cast<int>(nodes.size());
        nodes.push_back(std::move(node));
    }
    return nodes;
}

QModelIndex FolderTreeModel::index(int row, int column, const QModelIndex& parent) const {
    const Node* node = nodeOf(parent);
    if (column != 0 || row < 0 || row >= static_cast<int>(node->children.size())) return {};
    return createIndex(row, column, node->children[row].get());
}

QModelIndex FolderTreeModel::parent(const QModelIndex& child) const {
    if (!child.isValid()) return {};
    return indexOf(nodeOf(child)->parent);
}

int FolderTreeModel::rowCount(const QModelIndex& parent) const {
    if (parent.column() > 0) return 0;
    return static_cast<int>(nodeOf(parent)->children.size());
}

int FolderTreeModel::columnCount(const QModelIndex&) const {
    return 1;
}

bool FolderTreeModel::hasChildren(const QModelIndex& parent) const {
    if (parent.column() > 0) return false;
    const Node* node = nodeOf(parent);
    if (node->state == ListState::Listed) return !node->children.empty();
    return node->hint != SubfolderHint::No;
}

bool FolderTreeModel::canFetchMore(const QModelIndex& parent) const {
    return parent.isValid() && nodeOf(parent)->state == ListState::NotListed;
}

void FolderTreeModel::fetchMore(const QModelIndex& parent) {
    if (canFetchMore(parent)) startListing(nodeOf(parent));
}

Qt::ItemFlags FolderTreeModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

QVariant FolderTreeModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return {};
    const Node& node = *nodeOf(index);
    switch (role) {
        case Qt::DisplayRole:
            return node.display;
        case Qt::DecorationRole:
            return iconOf(node);
        case Qt::ForegroundRole:
            if (node.hidden)
                return QApplication::palette().brush(QPalette::Disabled, QPalette::Text);
            return {};
        case Qt::ToolTipRole:
            if (node.link)
                return decodePath(node.location) + QStringLiteral(" \u2192 ") +
                       decodePath(node.scanPath);
            return decodePath(node.location);
        case LocationRole:
            return QByteArray::fromStdString(node.location);
        case ScanPathRole:
            return QByteArray::fromStdString(node.scanPath);
        case HiddenRole:
            return node.hidden;
        case LinkRole:
            return node.link;
        default:
            return {};
    }
}

QIcon FolderTreeModel::iconOf(const Node& node) const {
    switch (node.kind) {
        case Kind::Home:
            return m_homeIcon;
        case Kind::Computer:
            return m_computerIcon;
        case Kind::Volume:
            return m_driveIcon;
        case Kind::Folder:
            break;
    }
    if (node.link) return node.hidden ? m_hiddenLinkIcon : m_linkIcon;
    return node.hidden ? m_hiddenIcon : m_folderIcon;
}

QModelIndex FolderTreeModel::homeIndex() const {
    return indexOf(m_root.children[0].get());
}

QModelIndex FolderTreeModel::computerIndex() const {
    return indexOf(m_root.children[1].get());
}

FolderTreeModel::Kind FolderTreeModel::kind(const QModelIndex& index) const {
    return nodeOf(index)->kind;
}

std::string FolderTreeModel::location(const QModelIndex& index) const {
    return nodeOf(index)->location;
}

std::string FolderTreeModel::scanPath(const QModelIndex& index) const {
    return nodeOf(index)->scanPath;
}

std::uint64_t FolderTreeModel::itemId(const QModelIndex& index) const {
    return nodeOf(index)->id;
}

QModelIndex FolderTreeModel::indexOfId(std::uint64_t id) const {
    const auto found = m_byId.find(id);
    return found == m_byId.end() ? QModelIndex() : indexOf(found->second);
}

bool FolderTreeModel::isListed(const QModelIndex& index) const {
    return nodeOf(index)->state == ListState::Listed;
}

void FolderTreeModel::startListing(Node* node) {
    if (node->listing) node->listing->cancel();
    node->listing = FolderTreeListing::start(node->scanPath);
    node->rowsApplied = false;
    if (node->state == ListState::NotListed) node->state = ListState::Listing;
    setPending(node, true);
}

void FolderTreeModel::setPending(Node* node, bool pending) {
    const bool wasPending = !m_pending.empty();
    if (pending)
        m_pending.insert(node);
    else
        m_pending.erase(node);
    if (m_pending.empty())
        m_poll.stop();
    else if (!m_poll.isActive())
        m_poll.start();
    if (wasPending != !m_pending.empty()) emit listingPendingChanged(!m_pending.empty());
}

bool FolderTreeModel::ensureListed(const QModelIndex& index, std::chrono::milliseconds wait) {
    Node* node = nodeOf(index);
    if (node->state == ListState::Listed) return true;  // a refresh under way keeps the old rows
    if (node->state == ListState::NotListed) startListing(node);
    const auto listing = node->listing;
    if (!listing->waitForEntries(wait)) return false;
    listing->waitForHints(kFoundHintWait);
    applyListing(node, true);
    return node->state == ListState::Listed;
}

bool FolderTreeModel::listNow(const QModelIndex& index) {
    Node* node = nodeOf(index);
    if (node->state == ListState::Listed) return true;
    if (node->state == ListState::NotListed) startListing(node);
    node->wanted = true;
    m_poll.setInterval(kFindPollMs);
    return false;
}

void FolderTreeModel::refreshChildren(const QModelIndex& index) {
    Node* node = nodeOf(index);
    if (node->kind == Kind::Computer) {
        mergeChildren(node, volumeNodes(node));
        return;
    }
    // An item never listed has nothing stale; one being listed for the first time is fresh.
    if (node == &m_root || node->state != ListState::Listed) return;
    startListing(node);
}

void FolderTreeModel::pollListings() {
    const std::vector<Node*> pending(m_pending.begin(), m_pending.end());
    for (Node* node : pending) {
        // An earlier step of this loop may have removed the item with its parent's rows.
        if (m_pending.count(node) != 0) applyListing(node, false);
    }
    if (std::none_of(m_pending.begin(), m_pending.end(),
                     [](const Node* node) { return node->wanted; }))
        m_poll.setInterval(kPollMs);
}

void FolderTreeModel::applyListing(Node* node, bool force) {
    const std::shared_ptr<FolderTreeListing> listing = node->listing;
    if (!listing) return;
    const bool hintsReady = listing->hintsReady();
    bool rowsCame = false;
    if (!node->rowsApplied) {
        // A find waiting for the rows takes them as soon as they are read; the "+" buttons follow.
        const bool withoutHints =
            force || node->wanted ||
            std::chrono::steady_clock::now() - listing->startedAt() >= kHintWait;
        if (!hintsReady && !(listing->entriesReady() && withoutHints)) return;
        const std::vector<FolderTreeEntry> entries = listing->entries();
        std::vector<std::unique_ptr<Node>> fresh;
        fresh.reserve(entries.size());
        for (const FolderTreeEntry& entry : entries)
            fresh.push_back(makeFolder(node, entry));
        std::sort(fresh.begin(), fresh.end(),
                  [this](const auto& a, const auto& b) { return m_order(a->display, b->display); });
        const bool wasListed = node->state == ListState::Listed;
        node->state = ListState::Listed;
        node->rowsApplied = true;
        node->wanted = false;
        rowsCame = true;
        mergeChildren(node, std::move(fresh));
        // The "+" the item showed before it was read goes away when it has no subfolder.
        if (!wasListed && node->children.empty()) {
            node->hint = SubfolderHint::No;
            const QModelIndex index = indexOf(node);
            emit dataChanged(index, index);
        }
    } else if (hintsReady) {
        applyHints(node, listing->entries());
    }
    if (hintsReady && node->listing == listing) {
        node->listing.reset();
        setPending(node, false);
    }
    if (rowsCame) emit childrenListed(indexOf(node));
}

void FolderTreeModel::mergeChildren(Node* node, std::vector<std::unique_ptr<Node>> fresh) {
    const QModelIndex parentIndex = indexOf(node);
    auto& children = node->children;
    const auto renumber = [&children] {
        for (std::size_t i = 0; i < children.size(); ++i)
            children[i]->row = static_cast<int>(i);
    };
    const auto keyOf = [](const Node& item) {
        return itemKey(item.kind, item.name, item.link, item.scanPath);
    };
    std::unordered_set<std::string> freshKeys;
    for (const auto& item : fresh)
        freshKeys.insert(keyOf(*item));

    // Vanished items go first, in runs of neighbouring rows, from the bottom up.
    std::unordered_set<std::uint64_t> removed;
    for (int last = static_cast<int>(children.size()) - 1; last >= 0;) {
        if (freshKeys.count(keyOf(*children[last])) != 0) {
            --last;
            continue;
        }
        int first = last;
        while (first > 0 && freshKeys.count(keyOf(*children[first - 1])) == 0)
            --first;
        beginRemoveRows(parentIndex, first, last);
        for (int row = first; row <= last; ++row)
            forget(children[row].get(), removed);
        children.erase(children.begin() + first, children.begin() + last + 1);
        renumber();
        endRemoveRows();
        last = first - 1;
    }

    if (children.empty() && !fresh.empty()) {
        beginInsertRows(parentIndex, 0, static_cast<int>(fresh.size()) - 1);
        children = std::move(fresh);
        renumber();
        endInsertRows();
    } else {
        std::unordered_set<std::string> keptKeys;
        for (const auto& item : children)
            keptKeys.insert(keyOf(*item));
        bool hintsChanged = false;
        for (std::size_t target = 0; target < fresh.size(); ++target) {
            auto& item = fresh[target];
            const int row = static_cast<int>(target);
            if (keptKeys.count(keyOf(*item)) == 0) {
                beginInsertRows(parentIndex, row, row);
                children.insert(children.begin() + row, std::move(item));
                renumber();
                endInsertRows();
                continue;
            }
            // Folders come back in the same order; the volume list may not.
            if (!(children[target]->name == item->name && children[target]->kind == item->kind)) {
                const auto kept =
                    std::find_if(children.begin() + row, children.end(),
                                 [&](const auto& old) { return keyOf(*old) == keyOf(*item); });
                const int from = static_cast<int>(kept - children.begin());
                beginMoveRows(parentIndex, from, from, parentIndex, row);
                auto moving = std::move(children[from]);
                children.erase(children.begin() + from);
                children.insert(children.begin() + row, std::move(moving));
                renumber();
                endMoveRows();
            }
            Node& old = *children[target];
            if (item->hint != SubfolderHint::Unknown && old.state == ListState::NotListed &&
                old.hint != item->hint) {
                old.hint = item->hint;
                hintsChanged = true;
            }
            m_byId.erase(item->id);  // the fresh twin is dropped; the kept item stays
        }
        if (hintsChanged)
            emit dataChanged(index(0, 0, parentIndex),
                             index(static_cast<int>(children.size()) - 1, 0, parentIndex));
    }
    if (!removed.empty()) emit itemsRemoved(removed);
}

void FolderTreeModel::applyHints(Node* node, const std::vector<FolderTreeEntry>& entries) {
    std::unordered_map<std::string, SubfolderHint> hints;
    for (const FolderTreeEntry& entry : entries)
        hints.emplace(itemKey(Kind::Folder, entry.name, entry.isLink, {}), entry.hint);
    bool changed = false;
    for (const auto& child : node->children) {
        const auto found = hints.find(itemKey(child->kind, child->name, child->link, {}));
        if (found == hints.end() || child->state != ListState::NotListed) continue;
        changed = changed || child->hint != found->second;
        child->hint = found->second;
    }
    if (changed && !node->children.empty())
        emit dataChanged(indexOf(node->children.front().get()),
                         indexOf(node->children.back().get()));
}

void FolderTreeModel::forget(Node* node, std::unordered_set<std::uint64_t>& ids) {
    ids.insert(node->id);
    m_byId.erase(node->id);
    if (node->listing) {
        node->listing->cancel();
        node->listing.reset();
        setPending(node, false);
    }
    for (const auto& child : node->children)
        forget(child.get(), ids);
}

}  // namespace tarvolin::views
