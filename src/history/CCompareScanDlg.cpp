#include "history/CCompareScanDlg.h"

#include <QComboBox>
#include <QDateTime>
#include <QDialogButtonBox>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QTreeView>
#include <QVBoxLayout>

#include "common/SizeText.h"
#include "exports/ItemViewTable.h"
#include "exports/ListExport.h"
#include "history/FolderChangeModel.h"
#include "history/FolderComparison.h"
#include "history/HistoryDatabase.h"

namespace tarvolin::history {
namespace {

QString pathText(const std::string& path) {
    return QFile::decodeName(QByteArray::fromStdString(path));
}

QString timeText(std::int64_t seconds) {
    return QLocale().toString(QDateTime::fromSecsSinceEpoch(seconds), QLocale::ShortFormat);
}

}  // namespace

CCompareScanDlg::CCompareScanDlg(const std::string& databasePath,
                                 std::shared_ptr<const FolderSnapshot> current,
                                 std::optional<std::int64_t> currentId, QWidget* parent)
    : ui::CResizableDialog(QStringLiteral("CompareScanDlgWnd"), parent),
      m_database(std::make_unique<HistoryDatabase>(databasePath, HistoryDatabase::Mode::ReadOnly)),
      m_current(std::move(current)),
      m_combo(new QComboBox(this)),
      m_summary(new QLabel(this)),
      m_list(new QTreeView(this)),
      m_model(new FolderChangeModel(this)) {
    setWindowTitle(tr("Compare with Earlier Scan"));
    auto* layout = new QVBoxLayout(this);
    auto* label = new QLabel(tr("&Earlier scan:"), this);
    label->setBuddy(m_combo);
    layout->addWidget(label);
    layout->addWidget(m_combo);
    layout->addWidget(m_summary);
    m_list->setModel(m_model);
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    m_list->setAlternatingRowColors(true);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->header()->setStretchLastSection(false);
    m_list->header()->setSectionResizeMode(FolderChangeModel::Folder, QHeaderView::Stretch);
    for (int column = FolderChangeModel::Before; column < FolderChangeModel::ColumnCount; ++column)
        m_list->header()->setSectionResizeMode(column, QHeaderView::ResizeToContents);
    layout->addWidget(m_list, 1);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    m_export = buttons->addButton(tr("&Export..."), QDialogButtonBox::ActionRole);
    m_export->setEnabled(false);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    // The list as shown, like every other list: CSV or tab-separated text.
    connect(m_export, &QPushButton::clicked, this,
            [this] { exports::ExportListToFile(this, exports::ItemViewTable(*m_list)); });
    connect(m_list, &QTreeView::doubleClicked, this, &CCompareScanDlg::activate);
    resize(760, 460);

    if (m_current) {
        for (SnapshotInfo& info : m_database->snapshotsCovering(m_current->root)) {
            if (currentId && info.id == *currentId) continue;
            QString item =
                tr("%1 \u2014 %2")
                    .arg(timeText(info.time), QString::fromStdString(formatSize(info.size)));
            if (info.root != m_current->root) item += tr(" (scan of %1)").arg(pathText(info.root));
            m_combo->addItem(item);
            m_snapshots.push_back(std::move(info));
        }
    }
    connect(m_combo, &QComboBox::currentIndexChanged, this, &CCompareScanDlg::compareWith);
    if (m_snapshots.empty()) {
        m_summary->setText(tr("No earlier scan of this folder is kept."));
    } else {
        compareWith(0);
    }
}

CCompareScanDlg::~CCompareScanDlg() = default;

void CCompareScanDlg::compareWith(int comboIndex) {
    if (comboIndex < 0 || static_cast<std::size_t>(comboIndex) >= m_snapshots.size()) return;
    const SnapshotInfo& earlier = m_snapshots[static_cast<std::size_t>(comboIndex)];
    const std::vector<FolderRecord> before = m_database->folders(earlier.id, m_current->root);
    std::vector<FolderChange> changes = compareFolders(before, m_current->folders, m_current->root);
    std::int64_t sizeBefore = 0;
    for (const FolderRecord& record : before) {
        if (record.path == m_current->root) sizeBefore = record.size;
    }
    const std::int64_t sizeAfter = m_current->rootRecord().size;
    m_summary->setText(tr("%1 then, %2 now: %3; %n folder(s) changed in size.", nullptr,
                          static_cast<int>(changes.size()))
                           .arg(QString::fromStdString(formatSize(sizeBefore)),
                                QString::fromStdString(formatSize(sizeAfter)),
                                QString::fromStdString(signedSize(sizeAfter - sizeBefore))));
    if (m_database->error() && m_database->error().kind != HistoryError::Kind::None) {
        m_summary->setText(QString::fromStdString(m_database->error().text));
    }
    m_model->setChanges(std::move(changes));
    m_export->setEnabled(m_model->rowCount() > 0);
}

void CCompareScanDlg::activate(const QModelIndex& index) {
    if (!index.isValid()) return;
    const FolderChange& change = m_model->change(index.row());
    if (change.status == FolderChange::Status::Removed) return;
    emit folderActivated(change.path);
    accept();
}

}  // namespace tarvolin::history
