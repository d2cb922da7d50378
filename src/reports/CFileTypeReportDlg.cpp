#include "reports/CFileTypeReportDlg.h"

#include <algorithm>
#include <limits>

#include <QAbstractSpinBox>
#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "reports/ReportCollections.h"
#include "ui/Options.h"

namespace tarvolin::reports {

// An edit with up and down arrows whose text is free, like an edit with an up-down buddy: the
// arrows step within their range, the text may hold any number (or none).
class CFileTypeReportDlg::MinimumEdit final : public QAbstractSpinBox {
public:
    explicit MinimumEdit(QWidget* parent) : QAbstractSpinBox(parent) {
        setButtonSymbols(QAbstractSpinBox::UpDownArrows);
        setCorrectionMode(QAbstractSpinBox::CorrectToPreviousValue);
        setAccelerated(true);
    }

    void setText(const QString& text) { lineEdit()->setText(text); }

    void stepBy(int steps) override {
        const std::int64_t current =
            std::clamp<std::int64_t>(leadingInteger(text()), kStepMinimum, kStepMaximum);
        const std::int64_t next =
            std::clamp<std::int64_t>(current + steps, kStepMinimum, kStepMaximum);
        setText(QString::number(next));
    }

    QValidator::State validate(QString& /*input*/, int& /*pos*/) const override {
        return QValidator::Acceptable;
    }

protected:
    StepEnabled stepEnabled() const override {
        const std::int64_t current = leadingInteger(text());
        StepEnabled enabled = StepNone;
        if (current < kStepMaximum) enabled |= StepUpEnabled;
        if (current > kStepMinimum) enabled |= StepDownEnabled;
        return enabled;
    }
};

CFileTypeReportDlg::CFileTypeReportDlg(ReportCollections& collections, QWidget* parent)
    : CPropertyPageBase(QString::fromLatin1(kFileTypesTitle), collections, parent),
      m_list(new CFileClassListCtrl(false, false, QAbstractItemView::SingleSelection, this)),
      m_check(nullptr),
      m_minimum(nullptr),
      m_refresh(nullptr) {
    auto* box = new QGroupBox(QStringLiteral("Display filter"), this);
    m_check = new QCheckBox(QStringLiteral("Only show files &larger than:"), box);
    m_check->setToolTip(QStringLiteral("<b>Toggle</b> display filter on / off"));
    m_minimum = new MinimumEdit(box);
    m_minimum->setMinimumWidth(m_minimum->fontMetrics().horizontalAdvance(QStringLiteral("0")) *
                               10);
    auto* unit = new QLabel(QStringLiteral("Kb"), box);
    m_refresh = new QPushButton(QStringLiteral("&Refresh"), box);
    m_refresh->setToolTip(QStringLiteral("<b>Refresh</b> display with current filter settings"));
    auto* boxLayout = new QHBoxLayout(box);
    boxLayout->addWidget(m_check);
    boxLayout->addWidget(m_minimum);
    boxLayout->addWidget(unit);
    boxLayout->addStretch(1);
    boxLayout->addWidget(m_refresh);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(makeDescription(kDescription));
    layout->addWidget(m_list, 1);
    layout->addWidget(box);

    m_minimum->setText(QString::number(ui::readOption(ui::option::kFileTypeReportMinFileSize)));
    m_check->setChecked(ui::readOption(ui::option::kFileTypeReportMinFileSizeFilter) != 0);
    m_minimum->setEnabled(m_check->isChecked());

    connect(m_check, &QCheckBox::clicked, this, &CFileTypeReportDlg::filterToggled);
    connect(m_refresh, &QPushButton::clicked, this, &CFileTypeReportDlg::refreshReport);
}

CFileTypeReportDlg::~CFileTypeReportDlg() {
    using namespace ui::option;
    ui::writeOption(kFileTypeReportMinFileSizeFilter, m_check->isChecked() ? 1 : 0);
    // The store keeps 32 bits; a larger minimum comes back as the nearest one it can hold.
    const std::int64_t minimum = filter().minimumKb;
    ui::writeOption(kFileTypeReportMinFileSize,
                    static_cast<std::int32_t>(
                        std::clamp<std::int64_t>(minimum, std::numeric_limits<std::int32_t>::min(),
                                                 std::numeric_limits<std::int32_t>::max())));
}

QAbstractSpinBox* CFileTypeReportDlg::minimumEdit() const {
    return m_minimum;
}

void CFileTypeReportDlg::setMinimumText(const QString& text) {
    m_minimum->setText(text);
}

FileTypeFilter CFileTypeReportDlg::filter() const {
    return FileTypeFilter{m_check->isChecked(), leadingInteger(m_minimum->text())};
}

void CFileTypeReportDlg::refreshReport() {
    m_list->setRows(fileTypeRows(collections().fileTypes(), filter()));
}

void CFileTypeReportDlg::filterToggled() {
    refreshReport();
    m_minimum->setEnabled(m_check->isChecked());
}

std::int64_t CFileTypeReportDlg::leadingInteger(QStringView text) {
    qsizetype i = 0;
    while (i < text.size() && (text[i] == u' ' || text[i] == u'\t' || text[i] == u'\n' ||
                               text[i] == u'\r' || text[i] == u'\v' || text[i] == u'\f')) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) negative = text[i++] == u'-';
    constexpr std::int64_t kLimit = std::numeric_limits<std::int64_t>::max();
    std::int64_t value = 0;
    for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i) {
        const int digit = text[i].unicode() - u'0';
        value = value > (kLimit - digit) / 10 ? kLimit : value * 10 + digit;
    }
    return negative ? -value : value;
}

}  // namespace tarvolin::reports
