// CPropPageView: the options page "General::Settings": refresh, path history, start-up.
#pragma once

#include "ui/CPropertyPage.h"

class QCheckBox;
class QLineEdit;
class QSlider;

namespace tarvolin::app {

// UI thread; owned by the options sheet. Each control's object name is its setting's name.
class CPropPageView final : public ui::CPropertyPage {
    Q_OBJECT

public:
    static constexpr int kMaxHistoryDigits = 3;

    explicit CPropPageView(QWidget* parent = nullptr);

    void onOK() override;

protected:
    void onInitDialog() override;

private:
    QCheckBox* m_autoRefresh;
    QSlider* m_refreshFreq;
    QLineEdit* m_historyCount;
    QCheckBox* m_keepScanHistory;
    QCheckBox* m_showSplash;
    QCheckBox* m_showWelcome;
};

}  // namespace tarvolin::app
