// CPropPageReports: the options page "Reports::Export": what the HTML report and the text
// exports include.
#pragma once

#include <array>

#include "ui/CPropertyPage.h"

class QCheckBox;

namespace tarvolin::app {

// UI thread; owned by the options sheet. Each check box's object name is its setting's name.
class CPropPageReports final : public ui::CPropertyPage {
    Q_OBJECT

public:
    static constexpr int kOptionCount = 5;

    explicit CPropPageReports(QWidget* parent = nullptr);

    void onOK() override;

protected:
    void onInitDialog() override;

private:
    std::array<QCheckBox*, kOptionCount> m_boxes{};  // children, in the order of kReportOptions
};

}  // namespace tarvolin::app
