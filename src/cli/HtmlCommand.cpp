#include "cli/HtmlCommand.h"

#include <cinttypes>
#include <memory>
#include <optional>
#include <string>

#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QImageWriter>
#include <QTemporaryDir>
#include <QTimer>

#include "cli/CliOutput.h"
#include "common/AppException.h"
#include "common/ErrorText.h"
#include "drives/CDriveSpaceListCtrl.h"
#include "exports/CHtmlReport.h"
#include "graphs/CScrollGraphBarView.h"
#include "graphs/GraphTexts.h"
#include "scan/CFolderEnumThread.h"
#include "scan/CTarvolinDoc.h"
#include "scan/PosixDirectoryReader.h"
#include "scan/ScanController.h"
#include "ui/Options.h"
#include "views/CTarvolinView.h"

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
        } else if (!havePath && isPathArgument(argument)) {
            options.path = std::string(argument);
            havePath = true;
        } else {
            std::fprintf(errors, "unexpected argument: %.*s\n", static_cast<int>(argument.size()),
                         argument.data());
            return std::nullopt;
        }
    }
    if (!havePath || options.output.empty()) {
        std::fputs("html needs a PATH and -o FILE\n", errors);
        return std::nullopt;
    }
    return options;
}

// The picture as the window exports it, errors on the terminal instead of in boxes.
bool writeGraphImage(graphs::CScrollGraphBarView& graph, const std::string& path,
                     std::FILE* errors) {
    int failure = 0;
    const QImage image = graph.renderGraphImage(&failure);
    if (image.isNull()) {
        std::fprintf(errors, "%s\n", graphs::drawingErrorText(failure).toUtf8().constData());
        return false;
    }
    const QString file = QFile::decodeName(QByteArray::fromStdString(path));
    QImageWriter writer(file, graphs::imageWriterFormat(QStringLiteral("image/jpeg")));
    if (!writer.write(image))
        throw CAppException(graphs::saveFailedText(file), static_cast<int>(writer.error()), false);
    return true;
}

// Qt's and the settings store's notes are for a developer's console; the terminal shows only
// what went wrong with the report.
void dropNotes(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtCriticalMsg || type == QtFatalMsg)
        std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
}

}  // namespace

int runHtmlCommand(const std::vector<std::string_view>& arguments, std::FILE* /*out*/,
                   std::FILE* errors) {
    const auto options = parseHtmlArguments(arguments, errors);
    if (!options) return kExitUsage;
    const auto path = resolveFolderArgument(options->path, errors);
    if (!path) return kExitUsage;

    // Never a window, and never the user's own settings: the report looks as the window's would
    // on a first start, whatever was stored.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir configHome;
    if (!configHome.isValid()) {
        std::fputs("cannot create a temporary settings folder\n", errors);
        return kExitScanErrors;
    }
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(configHome.path()));
    qInstallMessageHandler(dropNotes);
    int argc = 1;
    char name[] = "tarvolin-cli";
    char* argv[] = {name, nullptr};
    QApplication application(argc, argv);
    ui::writeOption(ui::option::kReportIncludeDriveSpace, options->drives ? 1 : 0);
    ui::writeOption(ui::option::kReportIncludeGraphImage, options->graph ? 1 : 0);
    ui::writeOption(ui::option::kReportLaunchBrowser, 0);

    scan::raiseOpenFileLimit();
    scan::CFolderEnumThread engine;
    engine.start();
    scan::ScanController scans(engine, std::make_shared<scan::CTarvolinDoc>());
    views::CTarvolinView details(scans);
    graphs::CScrollGraphBarView graph(scans);
    graph.resize(kHtmlGraphWidth, 600);
    graph.setBrowserPathSource([&path] { return *path; });
    drives::CDriveSpaceListCtrl drives;

    bool stopped = false;
    QEventLoop loop;
    QObject::connect(&scans, &scan::ScanController::scanComplete, &loop, [&](bool wasStopped) {
        stopped = wasStopped;
        loop.quit();
    });
    installInterruptHandler();
    QTimer interrupt;
    QObject::connect(&interrupt, &QTimer::timeout, &loop, [&scans] {
        if (interruptRequested()) scans.stopScan();
    });
    interrupt.start(100);
    scans.startFolderScan(*path, false);
    loop.exec();
    interrupt.stop();
    details.refreshView();

    const auto scanErrors = scans.errors();
    for (const scan::ScanError& error : scanErrors) {
        std::fprintf(errors, "%s: %s (code: %" PRIu32 ")\n", error.path.c_str(),
                     systemErrorText(static_cast<int>(error.code)).c_str(), error.code);
    }
    exports::HtmlReportSources sources;
    sources.path = *path;
    sources.drives = &drives;
    sources.details = &details;
    sources.drawGraph = [&graph, errors](const std::string& file) {
        return writeGraphImage(graph, file, errors);
    };
    int exitCode = stopped ? kExitInterrupted : scanErrors.empty() ? kExitOk : kExitScanErrors;
    const QString page = QFile::decodeName(QByteArray::fromStdString(options->output));
    // A script names the report's own folder; it is made when missing.
    QDir().mkpath(QFileInfo(page).absolutePath());
    try {
        if (!exports::writeHtmlReportFiles(page, sources)) exitCode = kExitScanErrors;
    } catch (const CAppException& error) {
        std::fprintf(errors, "%s\n", appExceptionText(error).c_str());
        exitCode = kExitScanErrors;
    }
    scans.shutdown();
    return exitCode;
}

}  // namespace tarvolin::cli
