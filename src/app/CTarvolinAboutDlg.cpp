#include "app/CTarvolinAboutDlg.h"

#include <QDialogButtonBox>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/ProductIcon.h"
#include "common/ProductInfo.h"
#include "common/Version.h"

namespace tarvolin::app {
namespace {

QLabel* linkLabel(const QString& target, const QString& shown, QWidget* parent) {
    auto* label = new QLabel(
        QStringLiteral("<a href=\"%1\">%2</a>").arg(target.toHtmlEscaped(), shown.toHtmlEscaped()),
        parent);
    label->setTextFormat(Qt::RichText);
    label->setOpenExternalLinks(true);
    return label;
}

}  // namespace

QString CTarvolinAboutDlg::versionLine() {
    return QStringLiteral("%1 - version %2")
        .arg(QString::fromUtf8(kProductName), QString::fromUtf8(kVersionText));
}

CTarvolinAboutDlg::CTarvolinAboutDlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle(tr("About Tarvolin"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 12);

    auto* banner = new QLabel(this);
    banner->setPixmap(productBanner(450, 88));
    layout->addWidget(banner);

    auto* body = new QVBoxLayout;
    body->setContentsMargins(20, 8, 20, 0);
    auto* version = new QLabel(versionLine(), this);
    QFont large = version->font();
    large.setPointSizeF(large.pointSizeF() * 2);
    version->setFont(large);
    body->addWidget(version);
    body->addWidget(new QLabel(QString::fromUtf8(kCopyrightText), this));
    body->addWidget(linkLabel(QStringLiteral("mailto:") + QString::fromUtf8(kSupportEmail),
                              QString::fromUtf8(kSupportEmail), this));
    body->addWidget(
        linkLabel(QString::fromUtf8(kWebSiteUrl), QString::fromUtf8(kWebSiteUrl), this));
    layout->addLayout(body);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* close = buttons->addButton(tr("&Close"), QDialogButtonBox::AcceptRole);
    close->setIcon(QIcon::fromTheme(QStringLiteral("window-close")));
    close->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    buttons->setContentsMargins(0, 0, 20, 0);
    layout->addWidget(buttons);
}

}  // namespace tarvolin::app
