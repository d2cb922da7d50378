#include "exports/ListExport.h"

#include <QClipboard>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMessageBox>

#include "common/AppException.h"
#include "common/Version.h"
#include "exports/FileWrite.h"
#include "exports/ListExportText.h"
#include "ui/AppExceptionBox.h"
#include "ui/Options.h"

namespace tarvolin::exports {
namespace {

std::string exportText(const ListTable& table, std::string_view separator) {
    ExportTextOptions options;
    options.separator = separator;
    options.lineEnd = "\r\n";
    options.includeHeaders = ui::readOption(ui::option::kTextIncludeColHdrs) != 0;
    options.quoteFields = ui::readOption(ui::option::kTextQuoteFields) != 0;
    return ListExportText(table, options);
}

}  // namespace

void ExportListToFile(QWidget* owner, const ListTable& table) {
    QFileDialog dialog(owner, QStringLiteral("Save As"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilters(QString::fromUtf8(kExportFileFilter).split(QStringLiteral(";;")));
    dialog.setDefaultSuffix(QStringLiteral("csv"));
    dialog.selectFile(QString::fromUtf8(kExportDefaultName));
    // A name typed without an extension takes the one of the filter chosen; a typed extension
    // wins over the filter.
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
                     [&dialog](const QString& filter) {
                         const qsizetype star = filter.indexOf(QStringLiteral("(*."));
                         if (star >= 0) dialog.setDefaultSuffix(filter.mid(star + 3).chopped(1));
                     });
    if (dialog.exec() != QDialog::Accepted) return;
    const QStringList chosen = dialog.selectedFiles();
    if (chosen.isEmpty() || chosen.front().isEmpty()) return;
    exportListToPath(owner, table, chosen.front());
}

bool exportListToPath(QWidget* owner, const ListTable& table, const QString& path) {
    const QString extension = QFileInfo(path).suffix();
    std::string_view separator;
    if (extension.compare(QStringLiteral("csv"), Qt::CaseInsensitive) == 0) {
        separator = ",";
    } else if (extension.compare(QStringLiteral("txt"), Qt::CaseInsensitive) == 0) {
        separator = "\t";
    } else {
        QMessageBox::critical(owner, QString::fromUtf8(kProductName),
                              QString::fromUtf8(kUnrecognizedExportFormatText));
        return false;
    }
    const std::string text = exportText(table, separator);
    if (text.empty()) return false;
    try {
        writeFileAtomically(QFile::encodeName(path).toStdString(), text);
    } catch (const CAppException& error) {
        ui::showAppException(owner, error);
        return false;
    }
    return true;
}

void CopyListToClipboard(const ListTable& table) {
    const std::string text = exportText(table, ",");
    if (text.empty()) return;
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (clipboard == nullptr) return;
    clipboard->setText(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
}

}  // namespace tarvolin::exports
