// CStaticBarGraph: the banding graph, one strip of coloured bands, one per file, each as wide as
// the file's share of the total, the largest at the left.
#pragma once

#include <cstdint>
#include <vector>

#include <QFont>
#include <QRect>
#include <QString>
#include <QWidget>

namespace tarvolin::graphs {

struct GraphBand {
    std::int64_t value = 0;  // the band's weight (the largest files page gives kilobytes)
    QString label;           // drawn inside the band when it fits
    QString toolTip;
    QRect rect;             // where the band lies at the widget's current size
    bool selected = false;  // carries the selection frame
};

// A widget on the UI thread, owned by its page. Bands are laid out whenever they or the size
// changed, not only when painted, so hovering and clicking work before the first paint. Every
// band gets at least 1 % of the width, so with many small files the last bands lie beyond the
// right edge, where they can be neither seen nor clicked.
class CStaticBarGraph : public QWidget {
    Q_OBJECT

public:
    static inline const QString kNoItemsText =
        QStringLiteral("There are no items to display.                   ");

    explicit CStaticBarGraph(QWidget* parent = nullptr);

    void AddBand(GraphBand band);
    void Clear();
    std::int64_t Total() const;

    // In drawn order: largest value first, equal values in the order they were added.
    int bandCount() const;
    const GraphBand& band(int index) const;
    // The first band, in drawn order, whose rectangle holds `pos`; -1 when none does.
    int bandAt(const QPoint& pos) const;

    // The width of a band on a strip `width` pixels wide: its percentage of the total, at least 1
    // (also when the total is 0), times the width, times 0.01 as a float holds it
    // (0.0099999998), truncated: an exact half of the width comes out one pixel short.
    static int bandWidth(std::int64_t value, std::int64_t total, int width);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    // A band was clicked; the selection frame moves to it right after this returns.
    void bandClicked(const QString& label);

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void ensureLayout() const;
    QRect labelBox(const GraphBand& band) const;

    // The layout is a cache of the bands and the size, so the readers above stay const.
    mutable std::vector<GraphBand> m_bands;
    mutable bool m_needsSort = true;
    mutable bool m_layoutValid = false;
    QFont m_font;
};

}  // namespace tarvolin::graphs
