#include "exports/CHtmlReport.h"

#include <QDateTime>
#include <QDesktopServices>
#include <QFile>
#include <QFileDialog>
#include <QMessageBox>
#include <QUrl>

#include "common/AppException.h"
#include "common/Version.h"
#include "exports/HtmlReport.h"
#include "exports/ItemViewTable.h"
#include "ui/AppExceptionBox.h"
#include "ui/DataFiles.h"
#include "ui/Options.h"
#include "views/DateText.h"

namespace tarvolin::exports {

void GenerateHtmlReport(QWidget* owner, const HtmlReportSources& sources) {
    QFileDialog dialog(owner, QStringLiteral("Save As"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilter(QString::fromUtf8(kHtmlReportFilter));
    dialog.setDefaultSuffix(QStringLiteral("html"));
    dialog.selectFile(QStringLiteral("tvreport"));
    if (dialog.exec() != QDialog::Accepted) return;
    const QStringList chosen = dialog.selectedFiles();
    if (chosen.isEmpty() || chosen.front().isEmpty()) return;
    writeHtmlReportTo(owner, chosen.front(), sources);
}

bool writeHtmlReportFiles(const QString& pagePath, const HtmlReportSources& sources) {
    using namespace ui::option;
    std::optional<ItemViewTable> drives;
    if (sources.drives != nullptr && ui::readOption(kReportIncludeDriveSpace) != 0)
        drives.emplace(*sources.drives);
    std::optional<ItemViewTable> details;
    if (sources.details != nullptr) details.emplace(*sources.details);

    HtmlReportContent content;
    content.dateText =
        views::localDateText(QDateTime::currentSecsSinceEpoch()).toUtf8().toStdString();
    content.path = QFile::decodeName(QByteArray::fromStdString(sources.path)).toStdString();
    content.drives = drives ? &*drives : nullptr;
    content.details = details ? &*details : nullptr;
    content.includeGraph = ui::readOption(kReportIncludeGraphImage) != 0 && sources.drawGraph;

    const std::string templatePath =
        QFile::encodeName(ui::findDataFile(QStringLiteral("template/style.css"))).toStdString();
    return writeHtmlReport(QFile::encodeName(pagePath).toStdString(), content, templatePath,
                           sources.drawGraph);
}

bool writeHtmlReportTo(QWidget* owner, const QString& pagePath, const HtmlReportSources& sources) {
    try {
        if (!writeHtmlReportFiles(pagePath, sources)) return false;
    } catch (const CAppException& error) {
        ui::showAppException(owner, error);
        return false;
    }
    if (ui::readOption(ui::option::kReportLaunchBrowser) != 0 &&
        !QDesktopServices::openUrl(QUrl::fromLocalFile(pagePath))) {
        QMessageBox::critical(owner, QString::fromUtf8(kProductName),
                              QString::fromUtf8(kBrowserLaunchFailedText));
    }
    return true;
}

}  // namespace tarvolin::exports
