#include "views/DetailsModel.h"

#include <QBrush>
#include <QFile>
#include <QFileInfo>

#include "scan/CTarvolinDoc.h"
#include "scan/ScanController.h"
#include "ui/Options.h"
#include "views/DateText.h"

namespace tarvolin::views {
namespace {

QString decoded(std::string_view bytes) {
    return QFile::decodeName(QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())));
}

}  // namespace

DetailsModel::DetailsModel(const scan::ScanController& controller, QObject* parent)
    : QAbstractTableModel(parent), m_controller(controller) {
    reloadColors();
}

int DetailsModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_rows;
}

int DetailsModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumnCount;
}

std::optional<DetailsModel::Slot> DetailsModel::slotOf(int row) const {
    if (row < 0 || row >= m_rows) return std::nullopt;
    const scan::CTarvolinDoc& document = m_controller.document();
    const int folders = document.folderCount();
    if (row < folders) return Slot{true, row};
    if (!m_showFiles) return std::nullopt;
    return Slot{false, row - folders};
}

template <class Visit>
bool DetailsModel::visitRow(int row, Visit&& visit) const {
    const auto slot = slotOf(row);
    if (!slot) return false;
    const scan::CTarvolinDoc& document = m_controller.document();
    return slot->folder ? document.visitFolder(slot->index, visit)
                        : document.visitFile(slot->index, visit);
}

QString DetailsModel::cellText(int row, int column) const {
    // Only what the cell needs is read under the lock; formatting happens after it is released.
    std::string name;
    std::int64_t number = 0;
    const bool found = visitRow(row, [&](const scan::ScanNode& node) {
        if (column == kColumnName) {
            name = node.displayName();
        } else {
            number = scan::detailsColumnValue(node, column);
        }
    });
    if (!found || column < 0 || column >= kColumnCount) return {};
    switch (column) {
        case kColumnName:
            return decoded(name);
        case kColumnLastChange:
            return localDateText(number);
        default: {
            std::optional<std::int64_t> parentSize;
            if (column == kColumnShare) {
                const auto totals = m_controller.lastRootTotals();
                if (!totals) return QString();
                parentSize = totals->size;
            }
            return QString::fromStdString(scan::detailsNumberText(column, number, parentSize));
        }
    }
}

QColor DetailsModel::nameColor(std::uint32_t attributes) const {
    if (attributes & scan::kAttrHidden) return m_colors[kHidden];
    if (attributes & scan::kAttrReadOnly) return m_colors[kReadOnly];
    if (attributes & scan::kAttrCompressed) return m_colors[kCompressed];
    if (attributes & scan::kAttrSystem) return m_colors[kSystem];
    return m_colors[kNormal];
}

QVariant DetailsModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const int row = index.row();
    const int column = index.column();
    switch (role) {
        case Qt::DisplayRole: {
            QString text = cellText(row, column);
            if (text.isNull()) return {};
            return text;
        }
        case Qt::DecorationRole:
            if (column != kColumnName) return {};
            if (QIcon found = icon(row); !found.isNull()) return found;
            return {};
        case Qt::ForegroundRole: {
            if (column != kColumnName) return QBrush(m_colors[kNormal]);
            std::uint32_t attributes = 0;
            if (!visitRow(row, [&](const scan::ScanNode& node) { attributes = node.attributes; }))
                return {};
            return QBrush(nameColor(attributes));
        }
        case Qt::TextAlignmentRole:
            return headerData(column, Qt::Horizontal, role);
        default:
            return {};
    }
}

QVariant DetailsModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= kColumnCount) return {};
    if (role == Qt::DisplayRole) {
        return QString::fromLatin1(scan::kDetailsColumnTitles[section]);
    }
    if (role == Qt::TextAlignmentRole) {
        const bool left = scan::detailsColumnLeftAligned(section);
        return QVariant::fromValue(
            Qt::Alignment((left ? Qt::AlignLeft : Qt::AlignRight) | Qt::AlignVCenter));
    }
    return {};
}

void DetailsModel::refresh() {
    const scan::CTarvolinDoc& document = m_controller.document();
    int rows = document.folderCount();
    if (m_showFiles) rows += document.fileCount();
    if (rows > m_rows) {
        beginInsertRows({}, m_rows, rows - 1);
        m_rows = rows;
        endInsertRows();
    } else if (rows < m_rows) {
        beginRemoveRows({}, rows, m_rows - 1);
        m_rows = rows;
        endRemoveRows();
    }
}

void DetailsModel::clear() {
    if (m_rows == 0) return;
    beginResetModel();
    m_rows = 0;
    endResetModel();
}

void DetailsModel::reloadColors() {
    using namespace ui::option;
    m_colors[kNormal] = ui::readOption(kFileColorNormal);
    m_colors[kCompressed] = ui::readOption(kFileColorCompressed);
    m_colors[kHidden] = ui::readOption(kFileColorHidden);
    m_colors[kReadOnly] = ui::readOption(kFileColorReadOnly);
    m_colors[kSystem] = ui::readOption(kFileColorSystem);
}

std::optional<scan::ScanNode> DetailsModel::node(int row) const {
    std::optional<scan::ScanNode> copy;
    visitRow(row, [&](const scan::ScanNode& node) { copy = node; });
    return copy;
}

std::string DetailsModel::path(int row) const {
    std::string path;
    visitRow(row, [&](const scan::ScanNode& node) { path = node.path; });
    return path;
}

QIcon DetailsModel::icon(int row) const {
    const auto slot = slotOf(row);
    if (!slot) return {};
    scan::CTarvolinDoc& document = m_controller.document();
    std::int32_t cached = -1;
    std::string path;
    const auto read = [&](const scan::ScanNode& node) {
        cached = node.iconIndex;
        // The path is copied only for the first request of a file's icon.
        if ((cached < 0 || cached >= static_cast<std::int32_t>(m_icons.size())) && !slot->folder)
            path = node.path;
    };
    if (!(slot->folder ? document.visitFolder(slot->index, read)
                       : document.visitFile(slot->index, read)))
        return {};
    if (cached >= 0 && cached < static_cast<std::int32_t>(m_icons.size())) return m_icons[cached];

    // Fetched outside the document's lock: the theme lookup may read the file's first bytes.
    const QIcon fetched = slot->folder ? m_iconProvider.icon(QAbstractFileIconProvider::Folder)
                                       : m_iconProvider.icon(QFileInfo(decoded(path)));
    if (fetched.isNull()) return {};  // tried again at the next request
    const int index = cacheIcon(fetched);
    // Only the UI thread reorders or empties the lists, so the slot still names the same node.
    if (slot->folder)
        document.setFolderIconIndex(slot->index, index);
    else
        document.setFileIconIndex(slot->index, index);
    return m_icons[static_cast<std::size_t>(index)];
}

int DetailsModel::cacheIcon(const QIcon& icon) const {
    const QString key = icon.name().isEmpty() ? QString::number(icon.cacheKey()) : icon.name();
    const auto found = m_iconIndexByKey.constFind(key);
    if (found != m_iconIndexByKey.constEnd()) return *found;
    const int index = static_cast<int>(m_icons.size());
    m_icons.push_back(icon);
    m_iconIndexByKey.insert(key, index);
    return index;
}

}  // namespace tarvolin::views
