#include "app/CPropPageReports.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QVBoxLayout>

#include "ui/Options.h"

namespace tarvolin::app {
namespace {

struct ReportRow {
    const char* text;
    const ui::IntOption* option;
    const char* tip;
};

// The first three belong to the HTML report, the last two to the text exports.
constexpr int kHtmlOptions = 3;
const ReportRow kReportOptions[CPropPageReports::kOptionCount] = {
    {"Include &graph image", &ui::option::kReportIncludeGraphImage,
     "Include the <b>graph image</b> in the HTML report"},
    {"Include &drive space information", &ui::option::kReportIncludeDriveSpace,
     "Include the <b>drive space</b> table in the HTML report"},
    {"&Launch browser after HTML report is generated", &ui::option::kReportLaunchBrowser,
     "Open the HTML report in the default <b>browser</b> once it is written"},
    {"Include column &headers", &ui::option::kTextIncludeColHdrs,
     "Include report list column <b>headers</b>"},
    {"Wrap fields in &quotes", &ui::option::kTextQuoteFields,
     "Place <b>quotes</b> around each list field"},
};

}  // namespace

CPropPageReports::CPropPageReports(QWidget* parent)
    : ui::CPropertyPage(QStringLiteral("Reports::Export"), parent) {
    auto* html = new QGroupBox(tr("HTML Report Options"), this);
    auto* text = new QGroupBox(tr("Text Report Options"), this);
    auto* htmlLayout = new QVBoxLayout(html);
    auto* textLayout = new QVBoxLayout(text);
    for (int i = 0; i < kOptionCount; ++i) {
        QGroupBox* group = i < kHtmlOptions ? html : text;
        auto* box = new QCheckBox(QString::fromUtf8(kReportOptions[i].text), group);
        box->setObjectName(QString::fromLatin1(kReportOptions[i].option->name));
        box->setToolTip(QString::fromUtf8(kReportOptions[i].tip));
        (i < kHtmlOptions ? htmlLayout : textLayout)->addWidget(box);
        m_boxes[static_cast<std::size_t>(i)] = box;
    }
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(html);
    layout->addWidget(text);
    layout->addStretch(1);
}

void CPropPageReports::onInitDialog() {
    for (int i = 0; i < kOptionCount; ++i) {
        m_boxes[static_cast<std::size_t>(i)]->setChecked(
            ui::readOption(*kReportOptions[i].option) != 0);
    }
}

void CPropPageReports::onOK() {
    for (int i = 0; i < kOptionCount; ++i) {
        ui::writeOption(*kReportOptions[i].option,
                        m_boxes[static_cast<std::size_t>(i)]->isChecked() ? 1 : 0);
    }
}

}  // namespace tarvolin::app
