#include "scan/CFolderEnumErrorDlg.h"

#include "common/ErrorText.h"
#include "ui/CSmartListCtrl.h"
#include "ui/Options.h"

#include <QFile>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QStandardItemModel>
#include <QStyle>
#include <QVBoxLayout>

#include <utility>

namespace tarvolin::scan {
namespace {

// The trailing blanks belong to the text as the other lists show it.
const QString kEmptyText = QStringLiteral("There are no items to display.                   ");

// The dialog's designed size, 301 x 174 dialog units, in pixels of the dialog's font.
QSize designedSize(const QFontMetrics& metrics) {
    const QString alphabet = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    const int baseWidth = (metrics.horizontalAdvance(alphabet) / 26 + 1) / 2;
    return {301 * baseWidth / 4, 174 * metrics.height() / 8};
}

QString errorCellText(const ScanError& error) {
    // The code is an errno value, shown signed.
    return QStringLiteral("%1 (code: %2)")
        .arg(QString::fromLocal8Bit(error.message))
        .arg(static_cast<int>(error.code));
}

}  // namespace

CFolderEnumErrorDlg::CFolderEnumErrorDlg(std::vector<ScanError> errors, QWidget* parent)
    : ui::CResizableDialog(QString::fromLatin1(ui::option::kFolderErrorDlgWnd), parent),
      m_errors(std::move(errors)),
      m_model(nullptr),
      m_list(new ui::CSmartListCtrl(this)),
      m_close(new QPushButton(QStringLiteral("&Close"), this)) {
    setWindowTitle(QStringLiteral("Folder Scan Error Report"));

    m_model = new QStandardItemModel(0, 2, m_list);
    m_model->setHorizontalHeaderLabels({QStringLiteral("Path"), QStringLiteral("Error text")});
    m_list->setModel(m_model);
    m_list->setEmptyText(kEmptyText);
    m_list->header()->setSectionsClickable(false);
    m_list->header()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_list->setColumnWidth(0, 200);
    m_list->setColumnWidth(1, 200);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->loadColumnWidths(QString::fromLatin1(ui::option::kEnumErrorReportList.name));

    m_close->setIcon(style()->standardIcon(QStyle::SP_DialogCloseButton));
    m_close->setDefault(true);
    connect(m_close, &QPushButton::clicked, this, &QDialog::accept);

    // The list stretches with the dialog; the button stays at the bottom-right corner.
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_list, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_close);
    layout->addLayout(buttons);
    resize(designedSize(fontMetrics()).expandedTo(layout->minimumSize()));

    fill();
}

void CFolderEnumErrorDlg::fill() {
    for (ScanError& error : m_errors) {
        // The system's texts may carry a line break or blanks at either end.
        error.message = QString::fromLocal8Bit(systemErrorText(static_cast<int>(error.code)))
                            .trimmed()
                            .toLocal8Bit()
                            .toStdString();
        auto* path = new QStandardItem(QFile::decodeName(QByteArray::fromStdString(error.path)));
        auto* text = new QStandardItem(errorCellText(error));
        for (QStandardItem* item : {path, text})
            item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        m_model->appendRow({path, text});
    }
}

}  // namespace tarvolin::scan
