// CBusyProgressCtrl: a row of segments that shows activity of unknown length, or a progress value.
#pragma once

#include <QColor>
#include <QRect>
#include <QWidget>

#include <vector>

class QTimer;

namespace tarvolin::ui {

// Lives on the UI thread, owned by its parent widget (the status bar's middle pane). In busy mode
// one highlighted segment (or, with sub-steps, a growing fill) moves along the row on every tick
// of a QTimer; in progress mode the row fills in proportion to the position within the range.
// The frame drives it as
//   setSegmentCount(20); setStepPeriod(100); setRange(-100, 100); setMode(Busy);
//   start() when a scan begins … stop(); reset(); when it ends.
class CBusyProgressCtrl : public QWidget {
    Q_OBJECT

public:
    enum class Mode { Busy = 1, Progress = 2 };
    enum class Motion { Bounce = 1, WrapForward = 2, WrapBackward = 4 };
    // Whole: one segment lit at a time. SubSteps: every segment is crossed in kSubSteps steps.
    enum class Granularity { Whole = 1, SubSteps = 2 };

    struct Colors {
        QColor background;
        QColor segmentFill{160, 190, 220};
        QColor segmentBorder{50, 90, 135};
        QColor activeFill{190, 220, 255};
        QColor activeBorder{50, 90, 135};
    };

    // What one segment looks like after layout; painting draws exactly this.
    struct Segment {
        QRect rect;
        bool active = false;
        int partialWidth = 0;  // > 0: a fill of this width inside a normal segment
    };

    static constexpr int kSubSteps = 5;

    CBusyProgressCtrl(int segmentCount, int position, QWidget* parent = nullptr);

    void setSegmentCount(int count);  // at least 1
    int segmentCount() const { return m_segmentCount; }
    void setPosition(int position);
    int position() const { return m_position; }
    int direction() const { return m_direction; }
    void setGap(int gap);
    int gap() const { return m_gap; }
    void setStepPeriod(int milliseconds);
    int stepPeriod() const { return m_stepPeriod; }
    void setRange(int minimum, int maximum);
    int minimum() const { return m_minimum; }
    int maximum() const { return m_maximum; }
    // Stops the animation; progress mode counts upwards.
    void setMode(Mode mode);
    Mode mode() const { return m_mode; }
    // The wrapping motions also take their direction (forward +1, backward -1).
    void setMotion(Motion motion);
    Motion motion() const { return m_motion; }
    void setGranularity(Granularity granularity);
    Granularity granularity() const { return m_granularity; }
    int stepCount() const { return m_segmentCount * kSubSteps; }

    void setColors(const Colors& colors);
    const Colors& colors() const { return m_colors; }
    // While set, the background follows the palette's button colour when the palette changes.
    void setSystemBackground(bool follow);
    bool systemBackground() const { return m_systemBackground; }

    // Busy mode only: steps at once, then every step period. Starting again restarts the timer.
    void start();
    void stop();
    bool isRunning() const;
    // One animation step (busy mode: bounce or wrap at the ends; progress mode: adds the
    // direction), then a repaint.
    void step();
    // Back to the first position: 0 going forward, the far end for wrap backward; progress mode
    // returns to the range minimum.
    void reset();

    std::vector<Segment> segments() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    int stepLimit() const;

    int m_segmentCount;
    int m_direction = 1;
    int m_position;
    int m_gap = 1;
    int m_stepPeriod = 100;
    int m_minimum = 0;
    int m_maximum = 100;
    Mode m_mode = Mode::Busy;
    bool m_systemBackground = true;
    Motion m_motion = Motion::Bounce;
    Granularity m_granularity = Granularity::Whole;
    Colors m_colors;
    QTimer* m_timer;  // owned through Qt's parenting
};

}  // namespace tarvolin::ui
