#include "welcome/CPropSheetWelcome.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "common/ProductInfo.h"
#include "ui/Options.h"
#include "welcome/CGDIPlusStatic.h"
#include "welcome/WelcomePictures.h"

namespace tarvolin::welcome {
namespace {

struct PageContent {
    const char* heading;
    std::initializer_list<const char*> paragraphs;
    std::initializer_list<const char*> pictures;
    bool whiteBackground;
};

const PageContent kPages[CPropSheetWelcome::kPageCount] = {
    {"Welcome to Tarvolin!",
     {"Thank you for your decision to try Tarvolin, a <b>powerful tool</b> in the battle "
      "against hard drive bloat.",
      "This wizard will <b>introduce</b> you to Tarvolin and its basic concepts.",
      "Click the <b>next</b> button to get started."},
     {":/welcome/intro.png"},
     false},
    {"Folder Browser",
     {"The <b>Folder Browser</b> allows you to select folders or hard drives anywhere on your "
      "system.",
      "Once a folder or drive is selected, a folder scan will begin immediately."},
     {":/welcome/folderbrowser.jpg"},
     false},
    {"Drive Space",
     {"The <b>Drive Space bar</b> provides you with an at-a-glance view of the used and free "
      "space on each fixed drive in your computer.",
      "Drive space calculations are automatically refreshed every few seconds."},
     {":/welcome/drivespace.jpg"},
     false},
    {"Details View",
     {"The <b>Details View</b> shows folder and file information such as total size, the "
      "number of files and subfolders, and more.",
      "Double-click a folder name to drill into it, or right-click it to access the <b>shell "
      "context menu</b>. Click any column header to alter the sorting."},
     {":/welcome/detailsview.jpg"},
     true},
    {"Graph View",
     {"The <b>Graph View</b> provides a visual representation of the subfolders contained "
      "within the scanned folder.",
      "The <b>sort order</b> of the Graph View is determined by the sort order of the Detail "
      "View (just above the graph). Double-click a graph bar to drill into the corresponding "
      "folder."},
     {":/welcome/graphview.jpg"},
     true},
    {"File Reports",
     {"The <b>File Reports</b> toolbar button provides access to a wide range of file-based "
      "reports. Examples of file reports include largest files, oldest files, etc.",
      "File Reports all support printing, exporting, sorting, shell context menus, and more!"},
     {":/welcome/reportbutton.jpg", ":/welcome/filereports.jpg"},
     false},
    {"Finished",
     {"There's much more to Tarvolin than what this wizard has shown. Please feel free to "
      "<b>explore</b> the various features that Tarvolin offers.",
      "To see this wizard again in the future, access it via the <b>Help</b> menu.",
      "<b>Thank you</b> for using Tarvolin!"},
     {},
     true},
};

// The closing page starts unticked on a first run, unlike the start-up default.
constexpr ui::IntOption kShowWelcomeNextTime{ui::option::kShowWelcomeScreen.name, 0};

constexpr int kPageWidth = 513;  // the pages' designed size in pixels
constexpr int kPageHeight = 300;

QLabel* linkLabel(const char* url, const QString& text, QWidget* parent) {
    auto* label = new QLabel(
        QStringLiteral("<a href=\"%1\">%2</a>").arg(QString::fromUtf8(url), text.toHtmlEscaped()),
        parent);
    label->setTextFormat(Qt::RichText);
    label->setOpenExternalLinks(true);
    return label;
}

}  // namespace

QString CPropSheetWelcome::pageText(int index) {
    const PageContent& content = kPages[index];
    QString text =
        QStringLiteral("<b><font face=\"arial\" size=\"+6\" color=\"blue\">%1</font></b>")
            .arg(QString::fromUtf8(content.heading));
    for (const char* paragraph : content.paragraphs) {
        text += QStringLiteral("<br><br>") + QString::fromUtf8(paragraph);
    }
    return text;
}

CPropSheetWelcome::CPropSheetWelcome(std::function<void(bool)> showFilesChanged, QWidget* parent)
    : QWizard(parent), m_showFilesChanged(std::move(showFilesChanged)) {
    registerWelcomePictures();
    setWindowTitle(QString::fromLatin1(kCaption));
    setWizardStyle(QWizard::ClassicStyle);
    setOption(QWizard::NoBackButtonOnStartPage, false);
    setOption(QWizard::HaveHelpButton, false);
    for (int i = 0; i < kPageCount; ++i)
        setPage(i, makePage(i));
    setStartId(kIntroPage);
}

QWizardPage* CPropSheetWelcome::makePage(int index) {
    const PageContent& content = kPages[index];
    auto* page = new QWizardPage(this);
    page->setMinimumSize(kPageWidth, kPageHeight);
    if (content.whiteBackground) {
        QPalette white = page->palette();
        white.setColor(QPalette::Window, Qt::white);
        page->setPalette(white);
        page->setAutoFillBackground(true);
    }

    auto* row = new QHBoxLayout(page);
    row->setContentsMargins(0, 0, 0, 0);
    if (content.pictures.size() > 0) {
        auto* column = new QVBoxLayout;
        column->setSpacing(6);
        for (const char* path : content.pictures) {
            auto* picture = new CGDIPlusStatic(page);
            picture->setObjectName(QStringLiteral("Picture"));
            picture->load(QString::fromUtf8(path));
            // The welcome picture is drawn as it is, from the page's corner.
            picture->setNaturalSize(index == kIntroPage);
            if (index != kIntroPage && picture->isLoaded()) {
                picture->setFixedSize(picture->image().size());
            }
            column->addWidget(picture);
        }
        column->addStretch(1);
        row->addLayout(column);
    }

    auto* right = new QVBoxLayout;
    right->setContentsMargins(12, 8, 8, 8);
    auto* text = new QLabel(pageText(index), page);
    text->setTextFormat(Qt::RichText);
    text->setWordWrap(true);
    text->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    right->addWidget(text);
    if (index == kDetailsPage) {
        m_showFiles =
            new QCheckBox(tr("Show files in the detail view (in addition to folders)"), page);
        m_showFiles->setChecked(ui::readOption(ui::option::kShowFolderFiles) != 0);
        connect(m_showFiles, &QCheckBox::clicked, this, [this](bool checked) {
            ui::writeOption(ui::option::kShowFolderFiles, checked ? 1 : 0);
            if (m_showFilesChanged) {
                m_showFilesChanged(ui::readOption(ui::option::kShowFolderFiles) != 0);
            }
        });
        right->addSpacing(12);
        right->addWidget(m_showFiles);
    }
    if (index == kFinishedPage) {
        right->addSpacing(12);
        right->addWidget(linkLabel(kWeblogUrl, tr("Tarvolin weblog"), page));
        right->addWidget(linkLabel(kWebSiteUrl, tr("Tarvolin web site"), page));
        right->addSpacing(12);
        m_showWelcome = new QCheckBox(tr("&Show welcome the next time Tarvolin starts"), page);
        m_showWelcome->setChecked(ui::readOption(kShowWelcomeNextTime) != 0);
        right->addWidget(m_showWelcome);
    }
    right->addStretch(1);
    row->addLayout(right, 1);
    return page;
}

QList<CGDIPlusStatic*> CPropSheetWelcome::pictures(int index) const {
    QWizardPage* shown = page(index);
    return shown ? shown->findChildren<CGDIPlusStatic*>(QStringLiteral("Picture"))
                 : QList<CGDIPlusStatic*>{};
}

void CPropSheetWelcome::accept() {
    ui::writeOption(ui::option::kShowWelcomeScreen, m_showWelcome->isChecked() ? 1 : 0);
    QWizard::accept();
}

}  // namespace tarvolin::welcome
