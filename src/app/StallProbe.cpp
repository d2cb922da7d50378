#include "app/StallProbe.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <utility>

#include <QCoreApplication>
#include <QEvent>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QTimer>
#include <QWindow>

#include "app/CMainFrame.h"
#include "scan/ScanController.h"
#include "views/CFolderTreeCtrl.h"
#include "views/CTarvolinView.h"
#include "views/DetailsModel.h"

namespace tarvolin::app {
namespace {

// Posted with low priority after a step's scan completed: it is taken only after the repaint
// requests posted before it, so its arrival marks the new rows as drawn.
constexpr QEvent::Type kShownEvent = QEvent::Type(QEvent::User + 1);
constexpr std::chrono::milliseconds kStepPause{1000};

double threadCpuMs() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1000.0 + double(now.tv_nsec) / 1e6;
}

double msBetween(std::chrono::steady_clock::time_point from,
                 std::chrono::steady_clock::time_point to) {
    return std::chrono::duration<double, std::milli>(to - from).count();
}

template <class Delivery>
QJsonArray deliveriesJson(const std::vector<Delivery>& deliveries) {
    QJsonArray array;
    for (const Delivery& delivery : deliveries) {
        array.append(QJsonObject{{QStringLiteral("what"), delivery.what},
                                 {QStringLiteral("at_ms"), delivery.atMs},
                                 {QStringLiteral("ms"), delivery.ms}});
    }
    return array;
}

QJsonObject statsJson(const LatenessStats& stats) {
    return QJsonObject{{QStringLiteral("ticks"), static_cast<qint64>(stats.count())},
                       {QStringLiteral("worst_ms"), stats.worst()},
                       {QStringLiteral("worst_at_ms"), stats.worstAt()},
                       {QStringLiteral("worst_cpu_ms"), stats.worstCpu()},
                       {QStringLiteral("p99_ms"), stats.percentile(99)}};
}

}  // namespace

void LatenessStats::add(double ms, double atMs, double cpuMs) {
    m_samples.push_back(ms);
    if (m_samples.size() == 1 || ms > m_worst) {
        m_worst = ms;
        m_worstAt = atMs;
        m_worstCpu = cpuMs;
    }
}

double LatenessStats::percentile(double percent) const {
    if (m_samples.empty()) return 0;
    const double rank = std::ceil(std::clamp(percent, 0.0, 100.0) / 100.0 * m_samples.size());
    const std::size_t index = rank < 1 ? 0 : static_cast<std::size_t>(rank) - 1;
    std::vector<double> sorted = m_samples;
    std::nth_element(sorted.begin(), sorted.begin() + static_cast<std::ptrdiff_t>(index),
                     sorted.end());
    return sorted[index];
}

long peakResidentKb() {
    std::FILE* status = std::fopen("/proc/self/status", "r");
    if (status == nullptr) return -1;
    long kb = -1;
    char line[256];
    while (std::fgets(line, sizeof line, status) != nullptr) {
        if (std::strncmp(line, "VmHWM:", 6) == 0) {
            kb = std::strtol(line + 6, nullptr, 10);
            break;
        }
    }
    std::fclose(status);
    return kb;
}

StallProbe::StallProbe(CMainFrame& frame, scan::ScanController& scans, QString output, int drillIns,
                       QObject* parent)
    : QObject(parent),
      m_frame(frame),
      m_scans(scans),
      m_output(std::move(output)),
      m_drillCount(std::max(drillIns, 0)),
      m_ticker(new QTimer(this)),
      m_stepGuard(new QTimer(this)) {
    m_ticker->setTimerType(Qt::PreciseTimer);
    m_ticker->setInterval(kTick);
    connect(m_ticker, &QTimer::timeout, this, &StallProbe::tick);
    m_stepGuard->setSingleShot(true);
    m_stepGuard->setInterval(kStepTimeout);
    connect(m_stepGuard, &QTimer::timeout, this, &StallProbe::stepTimedOut);
    // Connected after the views, so these run once every other handler of the signal has.
    connect(&m_scans, &scan::ScanController::scanStarting, this, &StallProbe::onScanStarting);
    connect(&m_scans, &scan::ScanController::enteringFolder, this, [this] { m_walked = true; });
    connect(&m_scans, &scan::ScanController::scanComplete, this, &StallProbe::onScanComplete);
    m_lastTick = std::chrono::steady_clock::now();
    m_ticker->start();
}

StallProbe::~StallProbe() = default;

void StallProbe::noteDelivery(const QObject* receiver, const char* receiverClass,
                              const char* parentClass, int eventType, bool nested, double ms) {
    const bool framePaint = !nested && receiver == &m_frame && eventType == QEvent::UpdateRequest;
    // Requests before the window is on screen paint nothing; the first one after draws it all.
    if (framePaint && !m_framePainted && m_frame.windowHandle() != nullptr &&
        m_frame.windowHandle()->isExposed()) {
        m_framePainted = m_firstPaintTick = true;
    }
    if (m_stepRunning && !nested) {
        // The scan's start and completion are queued calls to the controller.
        if (receiver == &m_scans) m_current.handlingMs += ms;
        if (framePaint) m_current.paintMs += ms;
    }
    Longest* longest = nullptr;
    if (m_phase == Phase::Scanning || m_phase == Phase::Settling) longest = &m_scanLongest;
    if (m_phase == Phase::Drilling) longest = &m_drillLongest;
    if (longest == nullptr) return;
    std::vector<Delivery>* kept = nullptr;
    if (!nested) kept = &longest->events;
    if (nested && eventType == QEvent::Paint) kept = &longest->paints;
    if (kept == nullptr || (kept->size() == kDeliveriesKept && kept->back().ms >= ms)) return;
    // Queued calls and timers are delivered to their context objects: the parent tells whose.
    QString what = QString::fromLatin1(receiverClass);
    if (parentClass != nullptr) what += QStringLiteral(" in ") + QString::fromLatin1(parentClass);
    what += QStringLiteral(", event %1").arg(eventType);
    const Delivery delivery{what, sinceStart(), ms};
    kept->insert(std::upper_bound(kept->begin(), kept->end(), delivery,
                                  [](const Delivery& a, const Delivery& b) { return a.ms > b.ms; }),
                 delivery);
    if (kept->size() > kDeliveriesKept) kept->pop_back();
}

double StallProbe::sinceStart() const {
    return msBetween(m_start, std::chrono::steady_clock::now());
}

void StallProbe::tick() {
    const auto now = std::chrono::steady_clock::now();
    const double cpu = threadCpuMs();
    const double late = std::max(0.0, msBetween(m_lastTick, now) - double(kTick.count()));
    const double lateCpu = std::max(0.0, cpu - m_lastTickCpuMs);
    m_lastTick = now;
    m_lastTickCpuMs = cpu;
    const bool firstPaintTick = std::exchange(m_firstPaintTick, false);
    if (m_phase == Phase::Scanning || m_phase == Phase::Settling) {
        m_scanStalls.add(late, sinceStart(), lateCpu);
        if (m_framePainted && !firstPaintTick) {
            m_paintedScanStalls.add(late, sinceStart(), lateCpu);
        }
    } else if (m_phase == Phase::Drilling) {
        m_drillStalls.add(late, sinceStart(), lateCpu);
    }
}

void StallProbe::onScanStarting() {
    if (m_stepRunning)
        m_current.startingMs = msBetween(m_stepStart, std::chrono::steady_clock::now());
    if (m_phase != Phase::Waiting) return;
    // Whatever ran before the scan (start-up, finding the folder) is not the scan's.
    m_phase = Phase::Scanning;
    m_start = m_lastTick = std::chrono::steady_clock::now();
    m_lastTickCpuMs = threadCpuMs();
}

void StallProbe::onScanComplete(bool /*stopped*/) {
    if (m_phase == Phase::Scanning) {
        m_scanMs = sinceStart();
        m_phase = Phase::Settling;
        QTimer::singleShot(kSettle, this, [this] {
            m_settledMs = sinceStart();
            m_peakRssKb = peakResidentKb();
            startDrilling();
        });
    } else if (m_phase == Phase::Drilling && m_stepRunning) {
        m_current.completeMs = msBetween(m_stepStart, std::chrono::steady_clock::now());
        QCoreApplication::postEvent(this, new QEvent(kShownEvent), Qt::LowEventPriority);
    }
}

void StallProbe::customEvent(QEvent* event) {
    if (event->type() == kShownEvent && m_stepRunning) stepShown();
}

void StallProbe::startDrilling() {
    const views::CTarvolinView& view = *m_frame.detailsView();
    for (int row = 0; row < view.rowCount() && m_targets.size() < m_drillCount; ++row) {
        const auto node = view.rowNode(row);
        if (node && node->isFolder()) m_targets.push_back(view.cellText(row, views::kColumnName));
    }
    m_phase = Phase::Drilling;
    m_step = Step::Back;
    nextStep();
}

// Drill-in to the next target, Back, drill-in to the one after, Back, ...
void StallProbe::nextStep() {
    if (m_phase != Phase::Drilling) return;
    if (m_step == Step::Back && m_nextTarget >= m_targets.size()) {
        finish();
        return;
    }
    m_step = m_step == Step::Back ? Step::DrillIn : Step::Back;
    m_current = Navigation{};
    m_current.folder = m_step == Step::DrillIn ? m_targets[m_nextTarget++] : QStringLiteral("..");
    m_walked = false;
    m_stepRunning = true;
    m_stepGuard->start();
    m_stepStart = std::chrono::steady_clock::now();
    if (m_step == Step::DrillIn) {
        m_frame.detailsView()->selectByName(m_current.folder, true);
    } else {
        m_frame.folderTree()->back();
    }
    m_current.activateMs = msBetween(m_stepStart, std::chrono::steady_clock::now());
}

void StallProbe::stepShown() {
    m_current.totalMs = msBetween(m_stepStart, std::chrono::steady_clock::now());
    m_current.fromCache = !m_walked;
    m_current.completed = true;
    m_stepRunning = false;
    m_stepGuard->stop();
    (m_step == Step::DrillIn ? m_drillIns : m_backs).push_back(m_current);
    // A user does not click again at once; meanwhile the scan thread finishes what it does
    // after a scan (the history's snapshot of every folder takes it a while on a large tree).
    QTimer::singleShot(kStepPause, this, &StallProbe::nextStep);
}

void StallProbe::stepTimedOut() {
    if (!m_stepRunning) return;
    m_stepRunning = false;
    (m_step == Step::DrillIn ? m_drillIns : m_backs).push_back(m_current);
    finish();
}

void StallProbe::finish() {
    if (m_phase == Phase::Done) return;
    m_phase = Phase::Done;
    m_ticker->stop();
    m_stepGuard->stop();
    writeReport();
    emit finished();
}

void StallProbe::writeReport() const {
    const auto steps = [](const std::vector<Navigation>& list) {
        QJsonArray array;
        for (const Navigation& step : list) {
            array.append(QJsonObject{{QStringLiteral("folder"), step.folder},
                                     {QStringLiteral("completed"), step.completed},
                                     {QStringLiteral("from_cache"), step.fromCache},
                                     {QStringLiteral("activate_ms"), step.activateMs},
                                     {QStringLiteral("starting_ms"), step.startingMs},
                                     {QStringLiteral("complete_ms"), step.completeMs},
                                     {QStringLiteral("handling_ms"), step.handlingMs},
                                     {QStringLiteral("paint_ms"), step.paintMs},
                                     {QStringLiteral("total_ms"), step.totalMs}});
        }
        return array;
    };
    QJsonObject scanPart = statsJson(m_scanStalls);
    scanPart.insert(QStringLiteral("scan_ms"), m_scanMs);
    scanPart.insert(QStringLiteral("duration_ms"), m_settledMs);
    scanPart.insert(QStringLiteral("after_first_paint"), statsJson(m_paintedScanStalls));
    scanPart.insert(QStringLiteral("longest_events"), deliveriesJson(m_scanLongest.events));
    scanPart.insert(QStringLiteral("longest_paints"), deliveriesJson(m_scanLongest.paints));
    QJsonObject drillPart = statsJson(m_drillStalls);
    drillPart.insert(QStringLiteral("longest_events"), deliveriesJson(m_drillLongest.events));
    drillPart.insert(QStringLiteral("longest_paints"), deliveriesJson(m_drillLongest.paints));
    const QJsonObject report{
        {QStringLiteral("tick_ms"), double(kTick.count())},
        {QStringLiteral("scan"), scanPart},
        {QStringLiteral("peak_rss_kb"), static_cast<qint64>(m_peakRssKb)},
        {QStringLiteral("peak_rss_end_kb"), static_cast<qint64>(peakResidentKb())},
        {QStringLiteral("drill"), drillPart},
        {QStringLiteral("drill_ins"), steps(m_drillIns)},
        {QStringLiteral("backs"), steps(m_backs)}};
    QSaveFile file(m_output);
    if (!file.open(QIODevice::WriteOnly) || file.write(QJsonDocument(report).toJson()) < 0 ||
        !file.commit()) {
        std::fprintf(stderr, "tarvolin: cannot write the stall probe's report to %s\n",
                     qPrintable(m_output));
    }
}

}  // namespace tarvolin::app
