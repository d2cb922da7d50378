// CUpdateCheckDlg: asks the update server for the latest version and shows it beside the
// installed one.
#pragma once

#include <string>

#include <QDialog>

#include "update/UpdateCheck.h"

class QLineEdit;
class QPushButton;

namespace tarvolin::update {

// Modal, on the UI thread, owned by whoever opens it. The request runs on the UpdateCheck's
// worker; its result is marshalled back here. Closing stops the worker (at most ten seconds)
// and drops a result that comes later.
class CUpdateCheckDlg final : public QDialog {
    Q_OBJECT

public:
    explicit CUpdateCheckDlg(UpdateCheckConfig config = UpdateCheckConfig::fromEnvironment(),
                             QWidget* parent = nullptr);
    ~CUpdateCheckDlg() override;

    QString statusText() const;
    QString installedVersion() const;
    QString latestVersion() const;
    QPushButton* downloadButton() const { return m_download; }
    QPushButton* whatsNewButton() const { return m_whatsNew; }
    bool checking() const { return m_checking; }

    void done(int result) override;

private:
    void showResult(const UpdateCheckResult& result);
    void openLink(const std::string& link);

    UpdateCheck m_check;
    bool m_checking = true;
    std::string m_downloadLink;
    std::string m_whatsNewLink;
    QLineEdit* m_installed;  // children
    QLineEdit* m_latest;
    QLineEdit* m_status;
    QPushButton* m_download;
    QPushButton* m_whatsNew;
};

}  // namespace tarvolin::update
