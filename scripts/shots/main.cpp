// tarvolin-shots FOLDER OUTDIR: opens the main window as the program does, scans FOLDER, opens
// the file reports on it and writes the welcome pictures into OUTDIR: crops of the folder
// browser, the drive space pane, the details view, the graph, the Reports button with its menu
// and the report generator, plus the splash and intro pictures made from the whole window.
// Run it under xvfb-run with a fresh XDG_CONFIG_HOME (scripts/screenshots does both).
#include <cstdio>
#include <functional>

#include <QAction>
#include <QDir>
#include <QDockWidget>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QHeaderView>
#include <QImageWriter>
#include <QMenu>
#include <QPainter>
#include <QScreen>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

#include "app/CMainFrame.h"
#include "app/CTarvolinApp.h"
#include "app/CommandIds.h"
#include "app/MainActions.h"
#include "app/ProductIcon.h"
#include "common/Version.h"
#include "graphs/CGraphSplitFrame.h"
#include "reports/CReportGenDlg.h"
#include "scan/ScanController.h"
#include "ui/Options.h"
#include "views/CFolderTreeCtrl.h"
#include "views/CTarvolinView.h"

namespace {

using namespace tarvolin;

constexpr int kColumnWidth = 200;  // the wizard pages' picture column
constexpr int kColumnHeight = 290;
constexpr int kJpegQuality = 85;

QString g_outDir;
bool g_failed = false;

void pump(int ms) {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

bool pumpUntil(const std::function<bool()>& done, int ms) {
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > ms) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

void save(const QImage& image, const QString& name) {
    const QString path = QDir(g_outDir).filePath(name);
    QImageWriter writer(path);
    if (name.endsWith(QLatin1String(".jpg"))) writer.setQuality(kJpegQuality);
    if (!writer.write(image.convertToFormat(QImage::Format_RGB888))) {
        std::fprintf(stderr, "cannot write %s: %s\n", qPrintable(path),
                     qPrintable(writer.errorString()));
        g_failed = true;
        return;
    }
    std::printf("%s %dx%d\n", qPrintable(path), image.width(), image.height());
}

// What the screen shows of `widget`, menus and other windows over it included.
QImage screenOf(const QWidget* widget, QRect rect = QRect()) {
    if (rect.isNull()) rect = widget->rect();
    const QPoint topLeft = widget->mapToGlobal(rect.topLeft());
    return QGuiApplication::primaryScreen()
        ->grabWindow(0, topLeft.x(), topLeft.y(), rect.width(), rect.height())
        .toImage();
}

// Fits the column: scaled to its width when wider, cut at its height.
QImage column(const QImage& image, int maxHeight = kColumnHeight) {
    QImage fitted = image.width() > kColumnWidth
                        ? image.scaledToWidth(kColumnWidth, Qt::SmoothTransformation)
                        : image;
    return fitted.height() > maxHeight ? fitted.copy(0, 0, fitted.width(), maxHeight) : fitted;
}

QImage framed(QImage image) {
    QPainter painter(&image);
    painter.setPen(QColor(120, 120, 120));
    painter.drawRect(image.rect().adjusted(0, 0, -1, -1));
    return image;
}

// The whole window, shrunk, under the product's banner.
QImage productPicture(const QImage& window, QSize size, int bannerHeight) {
    QImage picture(size, QImage::Format_RGB32);
    QPainter painter(&picture);
    QLinearGradient background(0, 0, size.width(), size.height());
    background.setColorAt(0, Qt::white);
    background.setColorAt(1, QColor(95, 158, 160));
    painter.fillRect(picture.rect(), background);
    painter.drawPixmap(0, 0, app::productBanner(size.width(), bannerHeight));
    const QRect room(10, bannerHeight + 8, size.width() - 20, size.height() - bannerHeight - 34);
    const QImage shrunk = window.scaled(room.size(), Qt::KeepAspectRatio, Qt::SmoothTransformation);
    const QPoint at(room.center().x() - shrunk.width() / 2, room.top());
    painter.drawImage(at, shrunk);
    painter.setPen(QColor(60, 60, 60));
    painter.drawRect(QRect(at, shrunk.size()).adjusted(-1, -1, 0, 0));
    QFont font(QStringLiteral("Liberation Sans"));
    font.setPixelSize(13);
    painter.setFont(font);
    painter.setPen(QColor(30, 50, 80));
    painter.drawText(
        QRect(0, size.height() - 24, size.width() - 10, 20), Qt::AlignRight | Qt::AlignVCenter,
        QStringLiteral("Disk space analyzer - version %1").arg(QString::fromUtf8(kVersionText)));
    return picture;
}

// The wizard's first page: the banner, the window and its graph, one under the other.
QImage introPicture(const QImage& window, const QImage& graph) {
    QImage picture(kColumnWidth, kColumnHeight, QImage::Format_RGB32);
    QPainter painter(&picture);
    QLinearGradient background(0, 0, 0, kColumnHeight);
    background.setColorAt(0, Qt::white);
    background.setColorAt(1, QColor(95, 158, 160));
    painter.fillRect(picture.rect(), background);
    painter.drawPixmap(0, 0, app::productBanner(kColumnWidth, 50));
    int top = 58;
    for (const QImage& part : {window, graph}) {
        const QImage shrunk = part.scaledToWidth(kColumnWidth - 16, Qt::SmoothTransformation);
        painter.drawImage(8, top, shrunk);
        painter.setPen(QColor(60, 60, 60));
        painter.drawRect(QRect(QPoint(8, top), shrunk.size()).adjusted(-1, -1, 0, 0));
        top += shrunk.height() + 10;
    }
    QFont font(QStringLiteral("Liberation Sans"));
    font.setPixelSize(12);
    painter.setFont(font);
    painter.setPen(QColor(30, 50, 80));
    painter.drawText(QRect(0, top, kColumnWidth - 8, kColumnHeight - top - 4),
                     Qt::AlignRight | Qt::AlignBottom,
                     QStringLiteral("Version %1").arg(QString::fromUtf8(kVersionText)));
    return picture;
}

void shoot(app::CTarvolinApp& application, const QString& folder) {
    app::CMainFrame* frame = application.mainFrame();
    scan::ScanController* scans = application.scans();
    bool complete = false;
    QObject::connect(scans, &scan::ScanController::scanComplete, frame,
                     [&complete] { complete = true; });
    pump(800);
    frame->navigateToPath(folder);
    if (!pumpUntil([&complete] { return complete; }, 60000)) {
        std::fprintf(stderr, "the scan of %s did not complete\n", qPrintable(folder));
        g_failed = true;
        return;
    }
    // The scanned folder's subfolders under it in the tree; the list's names in a narrow
    // column, so that the sizes show beside them.
    views::CFolderTreeCtrl* tree = frame->folderTree();
    tree->expand(tree->currentIndex());
    tree->scrollTo(tree->currentIndex(), QAbstractItemView::PositionAtTop);
    frame->detailsView()->header()->resizeSection(0, 125);
    pump(1500);  // the drive pane's refresh, the graph's scroll sizes

    const QImage window = screenOf(frame);
    auto* treeDock = frame->findChild<QDockWidget*>(QStringLiteral("FolderBrowserBar"));
    auto* driveDock = frame->findChild<QDockWidget*>(QStringLiteral("DriveSpaceBar"));
    save(framed(column(screenOf(treeDock))), QStringLiteral("folderbrowser.jpg"));
    save(framed(column(screenOf(driveDock))), QStringLiteral("drivespace.jpg"));
    QWidget* details = frame->detailsView();
    save(framed(column(screenOf(details, QRect(0, 0, 250, details->height())))),
         QStringLiteral("detailsview.jpg"));
    QWidget* graph = frame->graphPane();
    save(framed(column(screenOf(
             graph, QRect(0, 0, std::min(graph->width(), 420), std::min(graph->height(), 520))))),
         QStringLiteral("graphview.jpg"));
    const QImage bars = screenOf(graph, QRect(0, 30, std::min(graph->width(), 420), 200));
    save(productPicture(window, QSize(480, 300), 88), QStringLiteral("splash.png"));
    save(introPicture(window, bars), QStringLiteral("intro.png"));

    // The Reports button with its menu dropped down.
    QToolBar* toolBar = frame->findChild<QToolBar*>(QStringLiteral("MainToolBar"));
    QAction* reports = frame->actions()->action(app::command::kReports);
    QWidget* button = toolBar->widgetForAction(reports);
    QMenu* menu = frame->actions()->reportsMenu();
    menu->popup(button->mapToGlobal(QPoint(0, button->height())));
    pump(600);
    const QPoint origin = button->mapTo(frame, QPoint(0, 0));
    const QRect shown = QRect(origin - QPoint(30, 6), QSize(kColumnWidth, 130));
    save(framed(screenOf(frame, shown)), QStringLiteral("reportbutton.jpg"));
    menu->hide();
    pump(200);

    // The report generator after a report scan of the same folder.
    reports::CReportGenDlg generator(application.scans()->engine(), frame->reportCollections(), 0,
                                     folder, frame);
    generator.show();
    pump(500);
    generator.startScan();  // the progress window closes by itself when the scan completes
    pump(1500);
    save(framed(column(screenOf(&generator), 200)), QStringLiteral("filereports.jpg"));
    generator.close();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: tarvolin-shots FOLDER OUTDIR\n");
        return 2;
    }
    app::CTarvolinApp application(argc, argv);
    const QString folder = QDir(QString::fromLocal8Bit(argv[1])).absolutePath();
    g_outDir = QString::fromLocal8Bit(argv[2]);
    // The pictures show the window alone, its panes as a first start lays them out.
    ui::writeOption(ui::option::kShowSplash, 0);
    ui::writeOption(ui::option::kShowWelcomeScreen, 0);
    ui::writeOption(ui::option::kAutoCloseGraphScanDlg, 1);
    QTimer::singleShot(0, &application, [&application, folder] {
        shoot(application, folder);
        application.mainFrame()->close();
        QCoreApplication::exit(g_failed ? 1 : 0);
    });
    return application.run();
}
