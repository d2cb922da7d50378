#include "history/FolderChangeModel.h"

#include <QBrush>
#include <QColor>
#include <QFile>
#include <QFont>

#include "common/SizeText.h"

namespace tarvolin::history {
namespace {

QString text(const std::string& bytes) {
    return QString::fromStdString(bytes);
}

}  // namespace

void FolderChangeModel::setChanges(std::vector<FolderChange> changes) {
    beginResetModel();
    m_changes = std::move(changes);
    endResetModel();
}

int FolderChangeModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_changes.size());
}

int FolderChangeModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant FolderChangeModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) return {};
    const FolderChange& change = m_changes[static_cast<std::size_t>(index.row())];
    const bool isNew = change.status == FolderChange::Status::New;
    const bool removed = change.status == FolderChange::Status::Removed;
    switch (role) {
        case Qt::DisplayRole:
            switch (index.column()) {
                case Folder:
                    return QFile::decodeName(QByteArray::fromStdString(change.path));
                case Before:
                    return isNew ? tr("(new)") : text(formatSize(change.sizeBefore));
                case After:
                    return removed ? tr("(removed)") : text(formatSize(change.sizeAfter));
                case Change:
                    return text(signedSize(change.delta()));
                case FilesChange:
                    return text(signedCount(change.filesDelta));
                default:
                    return {};
            }
        case Qt::TextAlignmentRole:
            return index.column() == Folder ? QVariant(Qt::AlignLeft | Qt::AlignVCenter)
                                            : QVariant(Qt::AlignRight | Qt::AlignVCenter);
        case Qt::ForegroundRole:
            if (removed) return QBrush(QColor(128, 128, 128));
            if (isNew) return QBrush(QColor(0, 110, 0));
            return {};
        case Qt::FontRole:
            if (isNew || removed) {
                QFont font;
                font.setItalic(removed);
                font.setBold(isNew);
                return font;
            }
            return {};
        case Qt::ToolTipRole:
            if (index.column() == Folder) return QString::fromUtf8(statusName(change.status));
            return {};
        default:
            return {};
    }
}

QVariant FolderChangeModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    switch (section) {
        case Folder:
            return tr("Folder");
        case Before:
            return tr("Before");
        case After:
            return tr("After");
        case Change:
            return tr("Change");
        case FilesChange:
            return tr("Files Change");
        default:
            return {};
    }
}

}  // namespace tarvolin::history
