#include "cli/HtmlCommand.h"

#include <cinttypes>
#include <memory>
#include <optional>
#include <string>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLocale>

#include "cli/CliListener.h"
#include "cli/CliOutput.h"
#include "cli/HtmlGraphImage.h"
#include "common/AppException.h"
#include "common/ErrorText.h"
#include "common/SizeText.h"
#include "drives/FixedVolumes.h"
#include "exports/HtmlReport.h"
#include "exports/ListTable.h"
#include "scan/CFolderEnumThread.h"
#include "scan/CTarvolinDoc.h"
#include "scan/DetailsRows.h"
#include "scan/PosixDirectoryReader.h"

namespace tarvolin::cli {
namespace {

struct HtmlOptions {
    std::string path;
    std::string output;
    bool drives = true;
    bool graph = true;
};

std::optional<HtmlOptions> parseHtmlArguments(const std::vector<std::string_view>& arguments,
                                              std::FILE* errors) {
    HtmlOptions options;
    bool havePath = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string_view argument = arguments[i];
        if (argument == "-o") {
            if (i + 1 >= arguments.size() || arguments[i + 1].empty()) {
                std::fputs("-o needs a file name\n", errors);
                return std::nullopt;
            }
            options.output = std::string(arguments[++i]);
        } else if (argument == "--no-drives") {
            options.drives = false;
        } else if (argument == "--no-graph") {
            options.graph = false;
        } else if (!takePathArgument(argument, havePath, options.path, errors)) {
            return std::nullopt;
        }
    }
    if (!havePath || options.output.empty()) {
        std::fputs("html needs a PATH and -o FILE\n", errors);
        return std::nullopt;
    }
    return options;
}

// The window's date text: the locale's short date and time, the time left out at midnight.
std::string localDateText(std::int64_t secondsSince1970) {
    const QDateTime time = QDateTime::fromSecsSinceEpoch(secondsSince1970, Qt::LocalTime);
    if (!time.isValid()) return {};
    const QLocale locale;
    const QString text = time.time() == QTime(0, 0)
                             ? locale.toString(time.date(), QLocale::ShortFormat)
                             : locale.toString(time, QLocale::ShortFormat);
    return text.toStdString();
}

// Qt's notes are for a developer's console; the terminal shows only what went wrong.
void dropNotes(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtCriticalMsg || type == QtFatalMsg)
        std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
}

std::string shownName(const std::string& bytes) {
    return QFile::decodeName(QByteArray::fromStdString(bytes)).toStdString();
}

}  // namespace

int runHtmlCommand(const std::vector<std::string_view>& arguments, std::FILE* /*out*/,
                   std::FILE* errors) {
    const auto options = parseHtmlArguments(arguments, errors);
    if (!options) return kExitUsage;
    const auto path = resolveFolderArgument(options->path, errors);
    if (!path) return kExitUsage;
    // Fonts and images need a GUI application object, never a display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(dropNotes);
    int argc = 1;
    char name[] = "tarvolin-cli";
    char* argv[] = {name, nullptr};
    QGuiApplication application(argc, argv);

    scan::raiseOpenFileLimit();
    scan::CFolderEnumThread thread;
    auto document = std::make_shared<scan::CTarvolinDoc>();
    const auto listener = scanFolderWaiting(thread, *path, document, errors);
    const bool stopped = listener->stopped();
    const auto totals = listener->rootTotals();
    const auto scanErrors = thread.errors();
    for (const scan::ScanError& error : scanErrors) {
        std::fprintf(errors, "%s: %s (code: %" PRIu32 ")\n", error.path.c_str(),
                     systemErrorText(static_cast<int>(error.code)).c_str(), error.code);
    }

    // As the window lists them on a first start: folders, then files, in scan order.
    const std::optional<std::int64_t> rootSize =
        totals ? std::optional<std::int64_t>(totals->size) : std::nullopt;
    exports::CellTable details(std::vector<std::string>(scan::kDetailsColumnTitles.begin(),
                                                        scan::kDetailsColumnTitles.end()));
    std::vector<GraphBar> bars;
    const auto folders = document->foldersSnapshot();
    const auto files = document->filesSnapshot();
    for (const auto* list : {&folders, &files}) {
        for (const scan::ScanNode& node : *list) {
            auto texts = scan::detailsRowTexts(node, rootSize, localDateText);
            texts[scan::kColumnName] = shownName(texts[scan::kColumnName]);
            details.addRow(std::move(texts));
        }
    }
    for (const scan::ScanNode& node : folders)
        bars.push_back({std::string(node.displayName()), node.size});

    exports::CellTable driveTable({"Drive", "Total Space", "Free Space"});
    const drives::SystemVolumeSource volumes;
    for (const std::string& volume : volumes.fixedVolumes()) {
        const auto space = volumes.freeSpace(volume);
        driveTable.addRow(
            {shownName(volume), drives::totalSpaceText(space), drives::freeSpaceText(space)});
    }

    exports::HtmlReportContent content;
    content.dateText = localDateText(QDateTime::currentSecsSinceEpoch());
    content.path = shownName(*path);
    content.details = &details;
    content.drives = options->drives ? &driveTable : nullptr;
    content.includeGraph = options->graph;
    // A stopped scan's total says nothing, so the graph shows none.
    const std::string subtitle = totals && !stopped ? formatSize(totals->size) : std::string();

    int exitCode = stopped ? kExitInterrupted : scanErrors.empty() ? kExitOk : kExitScanErrors;
    const QString page = QFile::decodeName(QByteArray::fromStdString(options->output));
    // A script names the report's own folder; it is made when missing.
    QDir().mkpath(QFileInfo(page).absolutePath());
    const std::string templatePath =
        (QFileInfo(QCoreApplication::applicationDirPath() + QStringLiteral("/template/style.css"))
                 .isFile()
             ? QCoreApplication::applicationDirPath() + QStringLiteral("/template/style.css")
             : QCoreApplication::applicationDirPath() +
                   QStringLiteral("/../share/tarvolin/template/style.css"))
            .toStdString();
    try {
        exports::writeHtmlReport(options->output, content, templatePath,
                                 [&](const std::string& file) {
                                     writeGraphImage(file, *path, subtitle, bars, kHtmlGraphWidth);
                                     return true;
                                 });
    } catch (const CAppException& error) {
        std::fprintf(errors, "%s\n", appExceptionText(error).c_str());
        exitCode = kExitScanErrors;
    }
    return exitCode;
}

}  // namespace tarvolin::cli
