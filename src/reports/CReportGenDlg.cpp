#include "reports/CReportGenDlg.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QMessageBox>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include "common/PathText.h"
#include "common/Version.h"
#include "exports/CGenReportDlg.h"
#include "reports/CPropertyPageBase.h"
#include "reports/CReportPropSheetEmb.h"
#include "reports/ReportCollections.h"
#include "scan/CFolderEnumThread.h"
#include "ui/CHistoryCombo.h"
#include "ui/Options.h"

namespace tarvolin::reports {
namespace {

// The dialog's designed size, 420 x 329 dialog units, in pixels of the dialog's font.
QSize designedSize(const QFontMetrics& metrics) {
    const QString alphabet = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    const int baseWidth = (metrics.horizontalAdvance(alphabet) / 26 + 1) / 2;
    return {420 * baseWidth / 4, 329 * metrics.height() / 8};
}

QString historyName() {
    return QString::fromLatin1(ui::option::kReportPathHistory);
}

// A relative path is taken from the program's working folder, so that the reports' full paths
// can be opened from anywhere.
std::string requestPath(const QString& typed) {
    const std::string bytes = QFile::encodeName(typed).toStdString();
    if (!bytes.empty() && bytes.front() == '/') return trimTrailingSeparator(bytes);
    return absoluteCleanPath(bytes, QFile::encodeName(QDir::currentPath()).toStdString());
}

}  // namespace

CReportGenDlg::CReportGenDlg(scan::CFolderEnumThread& engine,
                             std::shared_ptr<ReportCollections> collections, int firstPage,
                             const QString& initialPath, QWidget* parent)
    : QDialog(parent),
      m_engine(engine),
      m_collections(std::move(collections)),
      m_path(new ui::CHistoryCombo(this)),
      m_browse(new QPushButton(QStringLiteral("&Browse..."), this)),
      m_start(new QPushButton(QStringLiteral("&Start Scan"), this)),
      m_sheet(new CReportPropSheetEmb(*m_collections, this)),
      m_print(new QPushButton(QStringLiteral("&Print"), this)),
      m_export(new QPushButton(QStringLiteral("&Export"), this)),
      m_close(new QPushButton(QStringLiteral("&Close"), this)) {
    setWindowTitle(QStringLiteral("File Report Generator"));

    auto* pathBox = new QGroupBox(QStringLiteral("Folder or drive path"), this);
    auto* pathLayout = new QHBoxLayout(pathBox);
    m_path->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    pathLayout->addWidget(m_path, 1);
    pathLayout->addWidget(m_browse);
    pathLayout->addWidget(m_start);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(pathBox);
    layout->addWidget(m_sheet, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_print);
    buttons->addWidget(m_export);
    buttons->addStretch(1);
    buttons->addWidget(m_close);
    layout->addLayout(buttons);
    resize(designedSize(fontMetrics()).expandedTo(layout->minimumSize()));

    m_start->setToolTip(QStringLiteral("<b>Start</b> the report generation folder scan"));
    m_close->setToolTip(QStringLiteral("<b>Close</b> this window"));
    m_print->setToolTip(QStringLiteral("<b>Print</b> currently selected report"));
    m_browse->setToolTip(QStringLiteral("<B>Browse</b> for folder or drive to report on"));
    m_path->setToolTip(
        QStringLiteral("Click down arrow to the right for report path <b>history</b>"));
    m_export->setToolTip(QStringLiteral("<b>Export</b> current report as text"));
    m_start->setIcon(style()->standardIcon(QStyle::SP_MediaPlay));
    m_print->setIcon(style()->standardIcon(QStyle::SP_FileDialogDetailedView));
    m_close->setIcon(style()->standardIcon(QStyle::SP_DialogCloseButton));
    m_browse->setIcon(style()->standardIcon(QStyle::SP_DirOpenIcon));
    m_export->setIcon(style()->standardIcon(QStyle::SP_DialogSaveButton));
    // Until a report scan of this dialog completes.
    m_print->setEnabled(false);
    m_export->setEnabled(false);

    m_path->setMaxEntries(kHistoryEntries);
    m_path->loadHistory(historyName());
    if (!initialPath.isEmpty()) m_path->setEditText(initialPath);

    if (firstPage >= 0 && firstPage < m_sheet->count()) m_sheet->setCurrentIndex(firstPage);
    for (QPushButton* button : {m_browse, m_print, m_export, m_close})
        button->setAutoDefault(false);
    m_start->setDefault(true);
    m_path->setFocus(Qt::OtherFocusReason);

    connect(m_browse, &QPushButton::clicked, this, &CReportGenDlg::browse);
    connect(m_start, &QPushButton::clicked, this, &CReportGenDlg::startScan);
    connect(m_close, &QPushButton::clicked, this, &CReportGenDlg::accept);
    connect(m_print, &QPushButton::clicked, this,
            [this] { m_sheet->page(m_sheet->currentIndex())->PrintReport(); });
    connect(m_export, &QPushButton::clicked, this,
            [this] { m_sheet->page(m_sheet->currentIndex())->ExportReport(); });
}

void CReportGenDlg::browse() {
    const QString chosen =
        QFileDialog::getExistingDirectory(this, QStringLiteral("Select a folder..."),
                                          m_path->currentText(), QFileDialog::ShowDirsOnly);
    if (!chosen.isEmpty()) m_path->setEditText(QDir::toNativeSeparators(chosen));
}

void CReportGenDlg::refuse(const QString& text) {
    QMessageBox box(QMessageBox::Warning, QString::fromUtf8(kProductName), text, QMessageBox::Ok,
                    this);
    box.exec();
    m_browse->setFocus(Qt::OtherFocusReason);
}

bool CReportGenDlg::startScan() {
    const QString typed = m_path->currentText();
    if (typed.isEmpty()) {
        refuse(kNoPathText);
        return false;
    }
    // Anything that exists passes, a file too: its scan simply finds nothing.
    const std::string path = requestPath(typed);
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) {
        refuse(kMissingPathText);
        return false;
    }
    m_path->addEntry(typed);

    // The mask is read from the store until it has given patterns once; the temp page hands
    // over every change itself.
    if (!m_collections->tempFileMaskParsed()) {
        m_collections->setTempFileMask(
            QFile::encodeName(ui::readOption(ui::option::kTempFileMask)).toStdString());
    }
    scan::ScanRequest request;
    request.path = path;
    request.mode = scan::ScanMode::Report;
    request.reportSink = m_collections;
    exports::CGenReportDlg progress(m_engine, std::move(request), this);
    connect(&progress, &exports::CGenReportDlg::reportScanComplete, this,
            &CReportGenDlg::reportScanComplete);
    progress.exec();
    return true;
}

void CReportGenDlg::reportScanComplete() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    m_sheet->refreshAll();
    QApplication::restoreOverrideCursor();
    m_print->setEnabled(true);
    m_export->setEnabled(true);
}

void CReportGenDlg::accept() {
    m_path->saveHistory(historyName());
    m_collections->emptyFileTypes();
    QDialog::accept();
}

}  // namespace tarvolin::reports
