#include "app/MainActions.h"

#include <QAction>
#include <QIcon>
#include <QKeySequence>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QStringList>
#include <QToolBar>
#include <QToolButton>

#include "app/CommandIds.h"

namespace tarvolin::app {
namespace {

// One command. The text carries its accelerator hint after a tab, which the menu shows as it
// stands; `keys` are the accelerators themselves ("|" between alternatives).
struct CommandSpec {
    int id;
    const char* text;
    const char* keys;
    const char* prompt;
    const char* tip;   // the toolbar tooltip, rich text; nullptr for commands without a button
    const char* icon;  // icon theme name
    bool checkable;
};

constexpr CommandSpec kCommands[] = {
    {command::kStopScan, "&Stop Scan\tCtrl+S", "Ctrl+S", "Stop the folder scan in progress",
     "<b>Stop</b> the folder scan in progress", "process-stop", false},
    {command::kPrint, "&Print\tCtrl+P", "Ctrl+P", "Print the detail view", nullptr,
     "document-print", false},
    {command::kExportHtml, "As &HTML Report", nullptr,
     "Export the scanned folder as an HTML report", nullptr, "text-html", false},
    {command::kExportDetailsToFile, "Detail View to &File", nullptr,
     "Export the detail view to a comma or tab separated file", nullptr, "document-save", false},
    {command::kExportDetailsToClipboard, "&Detail View to Clipboard", nullptr,
     "Copy the detail view to the clipboard as text", nullptr, "edit-copy", false},
    {command::kGraphImageToFile, "&Graph Image to File", nullptr, "Save the graph as an image file",
     nullptr, "document-save-as", false},
    {command::kGraphImageToClipboard, "Graph Image to &Clipboard", nullptr,
     "Copy the graph image to the clipboard", nullptr, "edit-copy", false},
    {command::kExit, "E&xit", nullptr, "Quit the application", nullptr, "application-exit", false},
    {command::kShowToolbar, "Show &Toolbar", nullptr, "Show or hide the toolbar", nullptr, nullptr,
     true},
    {command::kShowStatusBar, "Show &Status Bar", nullptr, "Show or hide the status bar", nullptr,
     nullptr, true},
    {command::kShowFolderBrowser, "Show &Folder Browser", nullptr,
     "Show or hide the folder browser", nullptr, nullptr, true},
    {command::kShowDriveSpace, "Show &Drive Space", nullptr, "Show or hide the drive space pane",
     nullptr, nullptr, true},
    {command::kShowGraphView, "Show &Graph View", nullptr, "Show or hide the graph view", nullptr,
     nullptr, true},
    {command::kShowFiles, "Show F&iles in Detail View", nullptr,
     "List the scanned folder's own files after its subfolders", nullptr, "view-list-details",
     true},
    {command::kPrevious, "&Previous\tAlt+Left Arrow", "Alt+Left", "Go back to the previous folder",
     "<b>Back</b> to the previous folder", "go-previous", false},
    {command::kNext, "&Next\tAlt+Right Arrow", "Alt+Right", "Go forward to the next folder",
     "<b>Forward</b> to the next folder", "go-next", false},
    {command::kUp, "&Up\tAlt+Up Arrow", "Alt+Up|Alt+Shift+Up", "Go up to the parent folder",
     "<b>Up</b> to the parent folder", "go-up", false},
    {command::kRefresh, "&Refresh\tF5", "F5", "Scan the selected folder again",
     "<b>Refresh</b> the selected folder", "view-refresh", false},
    {command::kOptions, "&Options\tShift+Ctrl+O", "Ctrl+Shift+O", "Change the program's options",
     "Change program <b>options</b>", "preferences-system", false},
    {command::kAddRemovePrograms, "&Add/Remove Programs", nullptr,
     "Open the desktop's software manager", "<b>Add or remove</b> programs",
     "system-software-install", false},
    {command::kUpdateCheck, "&Update Check", nullptr, "Check for updates", "Update Check",
     "software-update-available", false},
    {command::kLargestFiles, "&Largest Files\tCtrl+L", "Ctrl+L",
     "Report the largest files of a folder", nullptr, "document-properties", false},
    {command::kReports, "&Reports", nullptr, "Create a file report", "Create a <b>file report</b>",
     "document-properties", false},
    {command::kOldestFiles, "&Oldest Files\tCtrl+O", "Ctrl+O",
     "Report the oldest files of a folder", nullptr, nullptr, false},
    {command::kFileTypes, "&File Types\tCtrl+F", "Ctrl+F", "Report the space used per file type",
     nullptr, nullptr, false},
    {command::kTempFiles, "&Temp Files\tCtrl+T", "Ctrl+T", "Report the temporary files of a folder",
     nullptr, nullptr, false},
    {command::kHelpContents, "&Contents\tCtrl+F1", "Ctrl+F1", "Open the help contents", nullptr,
     "help-contents", false},
    {command::kBlog, "Tarvolin &Blog", nullptr, "Open the Tarvolin weblog in the browser", nullptr,
     "help-browser", false},
    {command::kShowWelcome, "Show &Welcome", nullptr, "Show the welcome wizard", nullptr,
     "help-about", false},
    {command::kAbout, "&About Tarvolin...", nullptr,
     "Display program information, version number and copyright", "<b>About</b> Tarvolin",
     "help-about", false},
};

}  // namespace

MainActions::MainActions(QMainWindow* frame) : QObject(frame) {
    for (const CommandSpec& command : kCommands) {
        auto* action = new QAction(QString::fromUtf8(command.text), frame);
        action->setStatusTip(QString::fromUtf8(command.prompt));
        if (command.tip != nullptr) action->setToolTip(QString::fromUtf8(command.tip));
        if (command.icon != nullptr)
            action->setIcon(QIcon::fromTheme(QString::fromUtf8(command.icon)));
        action->setCheckable(command.checkable);
        if (command.keys != nullptr) {
            QList<QKeySequence> keys;
            for (const QString& key : QString::fromUtf8(command.keys).split(QLatin1Char('|'))) {
                keys.append(QKeySequence(key));
            }
            action->setShortcuts(keys);
            action->setShortcutContext(Qt::WindowShortcut);
        }
        frame->addAction(action);  // shortcuts work with the menu bar hidden too
        m_actions[command.id] = action;
    }
}

QAction* MainActions::action(int commandId) const {
    return m_actions.at(commandId);
}

QString MainActions::promptOf(const QAction* action) {
    return action->statusTip().section(QLatin1Char('\n'), 0, 0);
}

void MainActions::buildMenus(QMainWindow* frame) {
    QMenuBar* bar = frame->menuBar();
    const auto add = [this](QMenu* menu, std::initializer_list<int> ids) {
        for (const int id : ids) {
            if (id == 0) {
                menu->addSeparator();
            } else {
                menu->addAction(action(id));
            }
        }
    };

    QMenu* file = bar->addMenu(tr("&File"));
    add(file, {command::kPrint});
    QMenu* exportMenu = file->addMenu(tr("&Export"));
    add(exportMenu,
        {command::kExportHtml, command::kExportDetailsToFile, command::kExportDetailsToClipboard, 0,
         command::kGraphImageToFile, command::kGraphImageToClipboard});
    add(file, {0, command::kExit});

    add(bar->addMenu(tr("&View")),
        {command::kShowToolbar, command::kShowStatusBar, 0, command::kShowFolderBrowser,
         command::kShowDriveSpace, command::kShowGraphView, 0, command::kShowFiles});
    add(bar->addMenu(tr("&Go")), {command::kStopScan, 0, command::kPrevious, command::kNext,
                                  command::kUp, 0, command::kRefresh});
    m_reportsMenu = bar->addMenu(tr("&Reports"));
    add(m_reportsMenu,
        {command::kLargestFiles, command::kOldestFiles, command::kFileTypes, command::kTempFiles});
    add(bar->addMenu(tr("&Tools")),
        {command::kOptions, 0, command::kAddRemovePrograms, 0, command::kUpdateCheck});
    add(bar->addMenu(tr("&Help")),
        {command::kHelpContents, command::kBlog, 0, command::kShowWelcome, 0, command::kAbout});
}

QToolBar* MainActions::buildToolBar(QMainWindow* frame) {
    auto* toolBar = new QToolBar(tr("Toolbar"), frame);
    toolBar->setObjectName(QStringLiteral("MainToolBar"));
    toolBar->setIconSize(QSize(24, 24));
    toolBar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    toolBar->addAction(action(command::kStopScan));
    toolBar->addSeparator();
    for (const int id : {command::kPrevious, command::kNext, command::kUp, command::kRefresh}) {
        toolBar->addAction(action(id));
    }
    toolBar->addSeparator();
    toolBar->addAction(action(command::kOptions));
    toolBar->addAction(action(command::kAddRemovePrograms));
    // The Reports button opens the largest files page; its arrow drops the Reports menu.
    QAction* reports = action(command::kReports);
    reports->setMenu(m_reportsMenu);
    toolBar->addAction(reports);
    if (auto* button = qobject_cast<QToolButton*>(toolBar->widgetForAction(reports))) {
        button->setPopupMode(QToolButton::MenuButtonPopup);
    }
    toolBar->addAction(action(command::kUpdateCheck));
    toolBar->addSeparator();
    toolBar->addAction(action(command::kAbout));
    frame->addToolBar(Qt::TopToolBarArea, toolBar);
    return toolBar;
}

}  // namespace tarvolin::app
