#include "exports/CGenReportDlg.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QStyle>
#include <QTextBlock>
#include <QTextCursor>
#include <QVBoxLayout>
#include <cassert>

#include "common/AppException.h"
#include "common/PathText.h"
#include "common/Version.h"
#include "exports/FolderTreeText.h"
#include "scan/CFolderEnumThread.h"
#include "scan/GuiScanListener.h"
#include "ui/Options.h"

namespace tarvolin::exports {
namespace {

constexpr char kLineEnd[] = "\r\n";

// The window's designed size, 268 x 138 dialog units, in pixels of the dialog's font.
QSize designedSize(const QFontMetrics& metrics) {
    const QString alphabet = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    const int baseWidth = (metrics.horizontalAdvance(alphabet) / 26 + 1) / 2;
    return {268 * baseWidth / 4, 138 * metrics.height() / 8};
}

QString shown(const std::string& bytes) {
    return QFile::decodeName(QByteArray::fromStdString(bytes));
}

}  // namespace

CGenReportDlg::CGenReportDlg(scan::CFolderEnumThread& engine, scan::ScanRequest request,
                             QWidget* parent)
    : ui::CResizableDialog(QString::fromLatin1(ui::option::kReportDlgWindows), parent),
      m_engine(engine),
      m_request(std::move(request)),
      m_status(new QLabel(kScanningText, this)),
      m_tree(new QPlainTextEdit(this)),
      m_autoClose(new QCheckBox(QStringLiteral("Close &window when report scan completes"), this)),
      m_save(new QPushButton(QStringLiteral("&Save..."), this)),
      m_close(new QPushButton(QStringLiteral("&Cancel"), this)) {
    setWindowTitle(QString::fromUtf8(kProductName));

    auto* icon = new QLabel(this);
    icon->setPixmap(style()->standardIcon(QStyle::SP_FileDialogContentsView).pixmap(32, 32));
    m_status->setWordWrap(true);
    m_tree->setReadOnly(true);
    m_tree->setUndoRedoEnabled(false);
    m_tree->setLineWrapMode(QPlainTextEdit::NoWrap);
    // A fixed pitch keeps the bars of one depth under each other.
    m_tree->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    QPalette colours = m_tree->palette();
    colours.setColor(QPalette::Base, colours.color(QPalette::Midlight));
    m_tree->setPalette(colours);
    m_save->setEnabled(false);
    m_close->setDefault(true);
    m_close->setToolTip(QStringLiteral("<b>Cancel</b> report generation or close window"));
    m_save->setToolTip(QStringLiteral("<b>Save</b> the folder tree to file"));
    m_autoClose->setToolTip(
        QStringLiteral("Automatically <b>close</b> this window when report scans complete"));
    m_autoClose->setChecked(ui::readOption(ui::option::kAutoCloseGraphScanDlg) != 0);

    // The text follows the window's corners; the buttons keep to the bottom corners.
    auto* layout = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    top->addWidget(icon);
    top->addWidget(m_status, 1);
    layout->addLayout(top);
    layout->addWidget(m_tree, 1);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(m_autoClose);
    bottom->addStretch(1);
    bottom->addWidget(m_save);
    bottom->addWidget(m_close);
    layout->addLayout(bottom);
    resize(designedSize(fontMetrics()).expandedTo(layout->minimumSize()));

    connect(m_close, &QPushButton::clicked, this, &CGenReportDlg::reject);
    connect(m_save, &QPushButton::clicked, this, &CGenReportDlg::askAndSave);

    m_request.path = trimTrailingSeparator(m_request.path);
    const std::string root = folderTreeLine(m_request.path, 0);
    appendLine(shown(root), true);
    // The view's own cursor stays at the start, so appending never scrolls the view sideways.
    m_tree->moveCursor(QTextCursor::Start);
    m_text.append(QByteArray::fromStdString(root)).append(kLineEnd);
    m_lineCount = 1;

    scan::GuiScanListener::Handlers handlers;
    handlers.reportFolders = [this](std::vector<scan::ReportFolderLine> lines) {
        appendLines(std::move(lines));
    };
    handlers.reportComplete = [this](bool stopped) { complete(stopped); };
    m_listener = std::make_shared<scan::GuiScanListener>(this, std::move(handlers));
    m_request.listener = m_listener;
}

CGenReportDlg::~CGenReportDlg() {
    m_listener->detach();
}

void CGenReportDlg::showEvent(QShowEvent* event) {
    CResizableDialog::showEvent(event);
    if (m_submitted) return;
    m_submitted = true;
    // The request always carries the dialog's listener, so it cannot be refused.
    [[maybe_unused]] const std::uint32_t refused = m_engine.SubmitScanRequest(m_request);
    assert(refused == 0);
}

void CGenReportDlg::appendLine(const QString& text, bool bold) {
    QTextCharFormat format;
    format.setFontWeight(bold ? QFont::Bold : QFont::Normal);
    format.setForeground(QColor(0, 0, 0));
    QTextCursor cursor(m_tree->document());
    cursor.movePosition(QTextCursor::End);
    if (!m_tree->document()->isEmpty()) cursor.insertBlock();
    cursor.insertText(text, format);
}

// One insertion per batch: the view lays out and repaints once, however many folders came in.
void CGenReportDlg::appendLines(std::vector<scan::ReportFolderLine> lines) {
    if (lines.empty()) return;
    QString display;
    for (const scan::ReportFolderLine& line : lines) {
        const std::string text = folderTreeLine(line.name, line.depth);
        m_text.append(text.data(), static_cast<qsizetype>(text.size())).append(kLineEnd);
        display += u'\n';
        // A line break inside a name would start a line of its own.
        display += shown(text).replace(u'\n', u' ');
    }
    m_lineCount += static_cast<int>(lines.size());
    QTextCharFormat format;
    format.setFontWeight(QFont::Normal);
    format.setForeground(QColor(0, 0, 0));
    QTextCursor cursor(m_tree->document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(display, format);
    m_tree->verticalScrollBar()->setValue(m_tree->verticalScrollBar()->maximum());
}

void CGenReportDlg::complete(bool stopped) {
    m_complete = true;
    m_status->setText(kUpdatingText);
    m_status->repaint();
    emit reportScanComplete(stopped);
    m_close->setText(QStringLiteral("Ok"));
    m_status->setText(kCompleteText);
    m_save->setEnabled(true);
    if (m_autoClose->isChecked()) reject();
}

void CGenReportDlg::reject() {
    if (!m_complete && m_submitted) m_engine.stopScan();
    m_listener->detach();
    ui::writeOption(ui::option::kAutoCloseGraphScanDlg, m_autoClose->isChecked() ? 1 : 0);
    CResizableDialog::reject();
}

void CGenReportDlg::saveTreeText(const QString& fileName) {
    QFile file(fileName);
    const auto fail = [&file] { throw CAppException(file.errorString().toStdString(), 0, false); };
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) fail();
    if (file.write(m_text) != m_text.size() || !file.flush()) fail();
    file.close();
    if (file.error() != QFileDevice::NoError) fail();
}

void CGenReportDlg::askAndSave() {
    QFileDialog chooser(this, QStringLiteral("Save As"));
    chooser.setAcceptMode(QFileDialog::AcceptSave);
    chooser.setNameFilter(QStringLiteral("Text File (*.txt)"));
    chooser.setDefaultSuffix(QStringLiteral("txt"));
    chooser.selectFile(QStringLiteral("dirtree"));
    if (chooser.exec() != QDialog::Accepted || chooser.selectedFiles().isEmpty()) return;
    const QString fileName = chooser.selectedFiles().front();
    if (fileName.isEmpty()) return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    try {
        saveTreeText(fileName);
        QApplication::restoreOverrideCursor();
    } catch (const CAppException& error) {
        QApplication::restoreOverrideCursor();
        // A file error gets the standard file-error box, not the program-error one.
        QMessageBox::critical(
            this, QString::fromUtf8(kProductName),
            QStringLiteral("An error occurred while saving %1.\n%2")
                .arg(QDir::toNativeSeparators(fileName), QString::fromStdString(error.message())));
    }
}

}  // namespace tarvolin::exports
