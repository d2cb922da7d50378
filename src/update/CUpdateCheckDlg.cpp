#include "update/CUpdateCheckDlg.h"

#include <QDesktopServices>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QMetaObject>
#include <QPointer>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

namespace tarvolin::update {

CUpdateCheckDlg::CUpdateCheckDlg(UpdateCheckConfig config, QWidget* parent)
    : QDialog(parent),
      m_check(std::move(config)),
      m_installed(new QLineEdit(this)),
      m_latest(new QLineEdit(this)),
      m_status(new QLineEdit(this)),
      m_download(new QPushButton(tr("&Download"), this)),
      m_whatsNew(new QPushButton(tr("What's &New"), this)) {
    setWindowTitle(tr("Update Check"));
    // The dialog reads as a sheet of paper: white behind the labels and the status line.
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    setPalette(white);
    setAutoFillBackground(true);

    auto* version = new QGroupBox(tr("Version"), this);
    auto* grid = new QGridLayout(version);
    auto* installedLabel = new QLabel(tr("&Installed version:"), version);
    auto* latestLabel = new QLabel(tr("&Latest version:"), version);
    installedLabel->setBuddy(m_installed);
    latestLabel->setBuddy(m_latest);
    for (QLineEdit* field : {m_installed, m_latest, m_status})
        field->setReadOnly(true);
    grid->addWidget(installedLabel, 0, 0);
    grid->addWidget(m_installed, 0, 1);
    grid->addWidget(latestLabel, 1, 0);
    grid->addWidget(m_latest, 1, 1);
    m_download->setIcon(QIcon::fromTheme(QStringLiteral("go-down")));
    m_download->setToolTip(tr("<b>Download</b> latest version now"));
    m_whatsNew->setIcon(QIcon::fromTheme(QStringLiteral("help-browser")));
    m_whatsNew->setToolTip(tr("See what's <b>new</b> in the latest version"));
    auto* links = new QHBoxLayout;
    links->addWidget(m_download);
    links->addWidget(m_whatsNew);
    links->addStretch();
    grid->addLayout(links, 2, 1);

    auto* more = new QGroupBox(tr("More"), this);
    auto* moreLayout = new QVBoxLayout(more);
    moreLayout->addWidget(m_status);

    auto* close = new QPushButton(tr("&Close"), this);
    close->setIcon(QIcon::fromTheme(QStringLiteral("window-close")));
    close->setToolTip(tr("<b>Close</b> this window"));
    close->setDefault(true);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(close);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(version);
    layout->addWidget(more);
    layout->addLayout(buttons);
    setMinimumWidth(420);

    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_download, &QPushButton::clicked, this, [this] { openLink(m_downloadLink); });
    connect(m_whatsNew, &QPushButton::clicked, this, [this] { openLink(m_whatsNewLink); });

    m_download->setEnabled(false);
    m_whatsNew->setEnabled(false);
    m_status->setText(QString::fromUtf8(kUpdateInProgressText));
    // The result comes on the worker's thread; the queued call is dropped with the dialog.
    QPointer<CUpdateCheckDlg> self(this);
    m_check.start([self](UpdateCheckResult result) {
        if (self.isNull()) return;
        QMetaObject::invokeMethod(
            self.data(),
            [self, result] {
                if (self) self->showResult(result);
            },
            Qt::QueuedConnection);
    });
}

CUpdateCheckDlg::~CUpdateCheckDlg() {
    m_check.stop();
}

void CUpdateCheckDlg::done(int result) {
    m_check.stop();
    m_checking = false;
    QDialog::done(result);
}

QString CUpdateCheckDlg::statusText() const {
    return m_status->text();
}
QString CUpdateCheckDlg::installedVersion() const {
    return m_installed->text();
}
QString CUpdateCheckDlg::latestVersion() const {
    return m_latest->text();
}

void CUpdateCheckDlg::showResult(const UpdateCheckResult& result) {
    m_checking = false;
    m_status->setText(QString::fromStdString(result.statusText));
    m_installed->setText(QString::fromStdString(result.installedVersion));
    m_latest->setText(QString::fromStdString(result.latestVersion));
    m_downloadLink = result.downloadLink;
    m_whatsNewLink = result.whatsNewLink;
    m_download->setEnabled(!m_downloadLink.empty());
    m_whatsNew->setEnabled(!m_whatsNewLink.empty());
}

void CUpdateCheckDlg::openLink(const std::string& link) {
    if (!isWebLink(link)) return;
    QDesktopServices::openUrl(QUrl(QString::fromStdString(link)));
}

}  // namespace tarvolin::update
