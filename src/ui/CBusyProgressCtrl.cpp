#include "ui/CBusyProgressCtrl.h"

#include <QEvent>
#include <QPainter>
#include <QTimer>

#include <algorithm>
#include <cmath>

namespace tarvolin::ui {

CBusyProgressCtrl::CBusyProgressCtrl(int segmentCount, int position, QWidget* parent)
    : QWidget(parent),
      m_segmentCount(std::max(1, segmentCount)),
      m_position(position),
      m_timer(new QTimer(this)) {
    m_colors.background = palette().color(QPalette::Button);
    m_timer->setTimerType(Qt::PreciseTimer);
    connect(m_timer, &QTimer::timeout, this, &CBusyProgressCtrl::step);
}

void CBusyProgressCtrl::setSegmentCount(int count) {
    m_segmentCount = std::max(1, count);
    update();
}

void CBusyProgressCtrl::setPosition(int position) {
    m_position = position;
    update();
}

void CBusyProgressCtrl::setGap(int gap) {
    m_gap = std::max(0, gap);
    update();
}

void CBusyProgressCtrl::setStepPeriod(int milliseconds) {
    m_stepPeriod = std::max(1, milliseconds);
    if (m_timer->isActive()) m_timer->setInterval(m_stepPeriod);
}

void CBusyProgressCtrl::setRange(int minimum, int maximum) {
    m_minimum = minimum;
    m_maximum = maximum;
    update();
}

void CBusyProgressCtrl::setMode(Mode mode) {
    stop();
    m_mode = mode;
    if (mode == Mode::Progress) m_direction = 1;
    update();
}

void CBusyProgressCtrl::setMotion(Motion motion) {
    m_motion = motion;
    // A wrap against its own direction would never meet the end that wraps it.
    if (motion == Motion::WrapForward) m_direction = 1;
    if (motion == Motion::WrapBackward) m_direction = -1;
}

void CBusyProgressCtrl::setGranularity(Granularity granularity) {
    m_granularity = granularity;
    update();
}

void CBusyProgressCtrl::setColors(const Colors& colors) {
    m_colors = colors;
    update();
}

void CBusyProgressCtrl::setSystemBackground(bool follow) {
    m_systemBackground = follow;
}

void CBusyProgressCtrl::start() {
    if (m_mode != Mode::Busy) return;
    stop();
    // The first step shows at once, as a freshly started animation would.
    step();
    m_timer->start(m_stepPeriod);
}

void CBusyProgressCtrl::stop() {
    m_timer->stop();
}

bool CBusyProgressCtrl::isRunning() const {
    return m_timer->isActive();
}

int CBusyProgressCtrl::stepLimit() const {
    return m_granularity == Granularity::Whole ? m_segmentCount : stepCount();
}

void CBusyProgressCtrl::step() {
    if (m_mode == Mode::Busy) {
        const int limit = stepLimit();
        // The ends are tested with <= and >= so that a position left outside the row (after
        // the segment count shrank) comes back instead of running away.
        switch (m_motion) {
            case Motion::Bounce:
                if (m_position >= limit - 1) m_direction = -1;
                if (m_position <= 0) m_direction = 1;
                break;
            case Motion::WrapForward:
                if (m_position >= limit - 1) m_position = -1;
                break;
            case Motion::WrapBackward:
                if (m_position <= 0) m_position = limit;
                break;
        }
    }
    m_position += m_direction;
    update();
}

void CBusyProgressCtrl::reset() {
    if (m_mode == Mode::Busy && m_motion == Motion::WrapBackward) {
        m_position = stepLimit();
        m_direction = -1;
    } else {
        m_position = m_mode == Mode::Busy ? 0 : m_minimum;
        m_direction = 1;
    }
    update();
}

std::vector<CBusyProgressCtrl::Segment> CBusyProgressCtrl::segments() const {
    const QRect area = rect();
    const double width =
        static_cast<double>(area.width() - m_segmentCount * m_gap) / m_segmentCount;

    // Busy mode with one lit segment needs no fill; the others light a prefix of the row.
    const bool lightOne = m_mode == Mode::Busy && m_granularity == Granularity::Whole;
    double fill = 0;
    if (!lightOne) {
        const int span = m_mode == Mode::Busy ? stepCount() : m_maximum - m_minimum;
        const int value = m_mode == Mode::Busy ? m_position : m_position - m_minimum;
        if (span > 0) {
            fill = static_cast<double>(value) / span * m_segmentCount;
            fill = std::clamp(fill, 0.0, static_cast<double>(m_segmentCount));
        }
    }
    const int whole = static_cast<int>(fill);

    std::vector<Segment> result;
    result.reserve(static_cast<std::size_t>(m_segmentCount));
    double x = area.left();
    for (int i = 0; i < m_segmentCount; ++i) {
        Segment segment;
        const int left = static_cast<int>(x);
        const int right = static_cast<int>(x + width);
        segment.rect = QRect(left, area.top(), std::max(0, right - left), area.height());
        if (lightOne) {
            segment.active = i == m_position;
        } else {
            segment.active = i < whole;
            if (i == whole) {
                // Inside the border, and never over the right one.
                const int inner = std::max(0, segment.rect.width() - 2);
                segment.partialWidth = std::min(inner, static_cast<int>((fill - whole) * width));
            }
        }
        result.push_back(segment);
        x += width + m_gap;
    }
    return result;
}

QSize CBusyProgressCtrl::sizeHint() const {
    return {m_segmentCount * (8 + m_gap), fontMetrics().height()};
}

QSize CBusyProgressCtrl::minimumSizeHint() const {
    return {m_segmentCount * (2 + m_gap), 6};
}

void CBusyProgressCtrl::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), m_colors.background);
    for (const Segment& segment : segments()) {
        if (segment.rect.width() <= 0) continue;
        painter.setPen(segment.active ? m_colors.activeBorder : m_colors.segmentBorder);
        painter.setBrush(segment.active ? m_colors.activeFill : m_colors.segmentFill);
        // A 1-pixel outline of a QRect covers one pixel more than the rectangle on each axis.
        painter.drawRect(segment.rect.adjusted(0, 0, -1, -1));
        if (segment.partialWidth > 0) {
            painter.fillRect(QRect(segment.rect.left() + 1, segment.rect.top() + 1,
                                   segment.partialWidth, segment.rect.height() - 2),
                             m_colors.activeFill);
        }
    }
}

void CBusyProgressCtrl::changeEvent(QEvent* event) {
    if (event->type() == QEvent::PaletteChange && m_systemBackground) {
        m_colors.background = palette().color(QPalette::Button);
        update();
    }
    QWidget::changeEvent(event);
}

}  // namespace tarvolin::ui
