#include "app/CPropPageView.h"

#include <algorithm>

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSlider>
#include <QVBoxLayout>

#include "ui/NumberText.h"
#include "ui/Options.h"

namespace tarvolin::app {
namespace {

constexpr int kMinRefresh = 1;
constexpr int kMaxRefresh = 10;
constexpr int kMaxHistory = 999;

QCheckBox* checkBox(const char* text, const ui::IntOption& option, const char* tip,
                    QWidget* parent) {
    auto* box = new QCheckBox(QString::fromUtf8(text), parent);
    box->setObjectName(QString::fromLatin1(option.name));
    box->setToolTip(QString::fromUtf8(tip));
    return box;
}

}  // namespace

CPropPageView::CPropPageView(QWidget* parent)
    : ui::CPropertyPage(QStringLiteral("General::Settings"), parent) {
    auto* refresh = new QGroupBox(tr("Refresh"), this);
    m_autoRefresh =
        checkBox("Automatically &refresh right pane while scanning", ui::option::kAutoRefresh,
                 "Refreshes the <b>detail view</b> and the graph every few seconds "
                 "while a folder scan runs",
                 refresh);
    m_refreshFreq = new QSlider(Qt::Horizontal, refresh);
    m_refreshFreq->setObjectName(QString::fromLatin1(ui::option::kRefreshFreq.name));
    m_refreshFreq->setRange(kMinRefresh, kMaxRefresh);
    m_refreshFreq->setTickInterval(1);
    m_refreshFreq->setSingleStep(1);
    m_refreshFreq->setPageStep(1);
    m_refreshFreq->setTickPosition(QSlider::TicksBelow);
    m_refreshFreq->setToolTip(tr("Controls folder scan <b>refresh rate</b>"));
    auto* sliderRow = new QHBoxLayout;
    sliderRow->addWidget(new QLabel(tr("More often"), refresh));
    sliderRow->addWidget(m_refreshFreq, 1);
    sliderRow->addWidget(new QLabel(tr("Less often"), refresh));
    auto* refreshLayout = new QVBoxLayout(refresh);
    refreshLayout->addWidget(m_autoRefresh);
    refreshLayout->addLayout(sliderRow);

    auto* history = new QGroupBox(tr("Folder History"), this);
    m_historyCount = new QLineEdit(history);
    m_historyCount->setObjectName(QString::fromLatin1(ui::option::kHistoryCount.name));
    m_historyCount->setMaxLength(kMaxHistoryDigits);
    m_historyCount->setFixedWidth(
        m_historyCount->fontMetrics().horizontalAdvance(QStringLiteral("0000")) + 12);
    m_historyCount->setToolTip(
        tr("How many scanned <b>folders</b> the path bar remembers (0 remembers none)"));
    auto* remember = new QLabel(tr("Remember &last:"), history);
    remember->setBuddy(m_historyCount);
    auto* countRow = new QHBoxLayout;
    countRow->addWidget(remember);
    countRow->addWidget(m_historyCount);
    countRow->addWidget(new QLabel(tr("scans"), history));
    countRow->addStretch(1);
    m_keepScanHistory =
        checkBox("&Keep a history of completed scans", ui::option::kKeepScanHistory,
                 "Records every completed folder scan in the <b>scan history</b>", history);
    auto* historyLayout = new QVBoxLayout(history);
    historyLayout->addLayout(countRow);
    historyLayout->addWidget(m_keepScanHistory);

    auto* misc = new QGroupBox(tr("Misc"), this);
    m_showSplash = checkBox("Show splash screen on startup", ui::option::kShowSplash,
                            "Shows the <b>splash screen</b> when Tarvolin starts", misc);
    m_showWelcome = checkBox("Show welcome screen on startup", ui::option::kShowWelcomeScreen,
                             "Shows the <b>welcome wizard</b> when Tarvolin starts", misc);
    auto* miscLayout = new QVBoxLayout(misc);
    miscLayout->addWidget(m_showSplash);
    miscLayout->addWidget(m_showWelcome);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(refresh);
    layout->addWidget(history);
    layout->addWidget(misc);
    layout->addStretch(1);
}

// Values edited by hand in the settings file are shown within the controls' ranges.
void CPropPageView::onInitDialog() {
    m_autoRefresh->setChecked(ui::readOption(ui::option::kAutoRefresh) != 0);
    const int freq = ui::readOption(ui::option::kRefreshFreq);
    m_refreshFreq->setValue(
        freq >= kMinRefresh && freq <= kMaxRefresh ? freq : ui::option::kRefreshFreq.defaultValue);
    m_historyCount->setText(
        QString::number(std::clamp(ui::readOption(ui::option::kHistoryCount), 0, kMaxHistory)));
    m_keepScanHistory->setChecked(ui::readOption(ui::option::kKeepScanHistory) != 0);
    m_showSplash->setChecked(ui::readOption(ui::option::kShowSplash) != 0);
    m_showWelcome->setChecked(ui::readOption(ui::option::kShowWelcomeScreen) != 0);
}

void CPropPageView::onOK() {
    ui::writeOption(ui::option::kRefreshFreq, m_refreshFreq->value());
    ui::writeOption(ui::option::kAutoRefresh, m_autoRefresh->isChecked() ? 1 : 0);
    // Text that is not a number stores 0, which keeps no history.
    ui::writeOption(ui::option::kHistoryCount, std::max(0, ui::atoiText(m_historyCount->text())));
    ui::writeOption(ui::option::kShowSplash, m_showSplash->isChecked() ? 1 : 0);
    ui::writeOption(ui::option::kShowWelcomeScreen, m_showWelcome->isChecked() ? 1 : 0);
    ui::writeOption(ui::option::kKeepScanHistory, m_keepScanHistory->isChecked() ? 1 : 0);
}

}  // namespace tarvolin::app
