#include "ui/FontFaceCombo.h"

#include <algorithm>

#include <QAbstractItemView>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QPainter>
#include <QScrollBar>
#include <QStylePainter>
#include <QStyledItemDelegate>

namespace tarvolin::ui {
namespace {

constexpr int kNameLeft = 25;   // room where a type mark would stand
constexpr int kSampleGap = 20;  // between the name and its sample
constexpr int kSamplePixels = 16;
constexpr int kRowPadding = 4;
constexpr int kPopupSlack = 50;

QFont sampleFont(const QString& family) {
    QFont font(family);
    font.setPixelSize(kSamplePixels);
    return font;
}

QString sampleText() {
    return QString::fromLatin1(FontFaceCombo::kSampleText);
}

// Draws a row: name in the list's own font, the sample in the family, both centred vertically.
class FaceDelegate final : public QStyledItemDelegate {
public:
    explicit FaceDelegate(const FontFaceCombo* combo)
        : QStyledItemDelegate(const_cast<FontFaceCombo*>(combo)), m_combo(combo) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        const bool selected = option.state & QStyle::State_Selected;
        painter->save();
        painter->fillRect(option.rect,
                          option.palette.color(selected ? QPalette::Highlight : QPalette::Base));
        painter->setPen(
            option.palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
        const QString family = index.data(Qt::DisplayRole).toString();
        QRect text = option.rect.adjusted(kNameLeft, 0, 0, 0);
        painter->setFont(option.font);
        painter->drawText(text, Qt::AlignLeft | Qt::AlignVCenter, family);
        text.setLeft(option.rect.left() + m_combo->sampleColumn());
        painter->setFont(sampleFont(family));
        painter->drawText(text, Qt::AlignLeft | Qt::AlignVCenter, sampleText());
        painter->restore();
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        const QFontMetrics sample(sampleFont(index.data(Qt::DisplayRole).toString()));
        const QFontMetrics name(option.font);
        return {m_combo->sampleColumn() + sample.horizontalAdvance(sampleText()),
                std::max(sample.height(), name.height()) + kRowPadding};
    }

private:
    const FontFaceCombo* m_combo;  // owns this delegate
};

}  // namespace

FontFaceCombo::FontFaceCombo(QWidget* parent, QStringList families) : QComboBox(parent) {
    if (families.isEmpty()) families = QFontDatabase::families();
    const QFontMetrics nameMetrics(font());
    int widestName = 0;
    for (const QString& family : families) {
        widestName = std::max(widestName, nameMetrics.horizontalAdvance(family));
        m_widestSample = std::max(m_widestSample,
                                  QFontMetrics(sampleFont(family)).horizontalAdvance(sampleText()));
    }
    m_sampleColumn = kNameLeft + widestName + kSampleGap;
    addItems(families);
    setItemDelegate(new FaceDelegate(this));
    setMaxVisibleItems(12);
    if (count() > 0) setCurrentIndex(0);
}

bool FontFaceCombo::selectFace(const QString& face) {
    int found = -1;
    if (!face.isEmpty()) {
        found = findText(face, Qt::MatchFixedString);  // whole text, ignoring case
        if (found < 0) found = findText(face, Qt::MatchStartsWith);
    }
    // A face this machine lacks is still named, greyed, so that the user sees what is stored.
    // Set first: clearing it while nothing is selected would select the first entry.
    setPlaceholderText(found < 0 ? face : QString());
    setCurrentIndex(found);
    return found >= 0;
}

// The closed box shows the name, then the sample 20 pixels after it.
void FontFaceCombo::paintEvent(QPaintEvent* /*event*/) {
    QStylePainter painter(this);
    QStyleOptionComboBox option;
    initStyleOption(&option);
    painter.drawComplexControl(QStyle::CC_ComboBox, option);
    const QRect field =
        style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, this);
    const QString family = faceName();
    if (family.isEmpty()) {
        painter.setPen(palette().color(QPalette::PlaceholderText));
        painter.drawText(field.adjusted(2, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter,
                         placeholderText());
        return;
    }
    painter.setPen(palette().color(QPalette::ButtonText));
    painter.drawText(field.adjusted(2, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter, family);
    const int sampleLeft = field.left() + 2 + fontMetrics().horizontalAdvance(family) + kSampleGap;
    painter.setFont(sampleFont(family));
    painter.setClipRect(field);
    painter.drawText(QRect(sampleLeft, field.top(), field.right() - sampleLeft, field.height()),
                     Qt::AlignLeft | Qt::AlignVCenter, sampleText());
}

void FontFaceCombo::showPopup() {
    view()->setMinimumWidth(m_sampleColumn + m_widestSample +
                            view()->verticalScrollBar()->sizeHint().width() + kPopupSlack);
    QComboBox::showPopup();
}

}  // namespace tarvolin::ui
