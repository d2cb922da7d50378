// CTarvolinAboutDlg: the about box.
#pragma once

#include <QDialog>
#include <QString>

namespace tarvolin::app {

// Modal, owned by whoever opens it; UI thread.
class CTarvolinAboutDlg final : public QDialog {
    Q_OBJECT

public:
    explicit CTarvolinAboutDlg(QWidget* parent = nullptr);

    // "Tarvolin - version 1.0.0.0".
    static QString versionLine();
};

}  // namespace tarvolin::app
