// StallProbe: measures, for benchmarks, how long the UI thread leaves its events waiting while
// the first folder scan runs, and how quickly drill-ins answered from the folder cache are shown.
#pragma once

#include <chrono>
#include <cstddef>
#include <vector>

#include <QObject>
#include <QString>
#include <QStringList>

class QTimer;

namespace tarvolin::scan {
class ScanController;
}

namespace tarvolin::app {

class CMainFrame;

// Lateness samples of one phase, in milliseconds.
class LatenessStats {
public:
    // `cpuMs`: the CPU time the thread got since the tick before. Far below `ms` means it was
    // not working but waiting: for a lock, or for a core.
    void add(double ms, double atMs, double cpuMs = 0);
    std::size_t count() const { return m_samples.size(); }
    double worst() const { return m_worst; }
    double worstAt() const { return m_worstAt; }  // when the worst sample was taken
    double worstCpu() const { return m_worstCpu; }
    // Nearest rank: the smallest sample that `percent` % of the samples do not exceed; 0
    // without samples.
    double percentile(double percent) const;

private:
    std::vector<double> m_samples;
    double m_worst = 0;
    double m_worstAt = 0;
    double m_worstCpu = 0;
};

// UI thread; owned by the application, made only when the benchmark asks for it. A timer ticks
// every 10 ms and each tick's lateness is recorded:
//   first scanStarting → scanComplete → one more second (what completion set off) → drill-ins
// Each drill-in activates one of the scanned folder's subfolders as a double-click does and
// times it until its scan completed and the repaint it asked for was done; Back then returns to
// the scanned folder, timed the same way, a second apart. Then the JSON report is written and
// finished() emitted, once. The application feeds it every event delivery on the UI thread
// (noteDelivery), which splits each step's time into the UI thread's own work and repaints and
// names the longest events.
class StallProbe final : public QObject {
    Q_OBJECT

public:
    static constexpr std::chrono::milliseconds kTick{10};
    static constexpr std::chrono::milliseconds kSettle{1000};
    static constexpr std::chrono::milliseconds kStepTimeout{10000};

    // `frame` and `scans` must outlive the probe. `drillIns`: how many subfolders to try.
    StallProbe(CMainFrame& frame, scan::ScanController& scans, QString output, int drillIns,
               QObject* parent = nullptr);
    ~StallProbe() override;

    // An event handled on the UI thread took `ms`: `nested` when sent from another event's
    // handler. The longest outermost events and the longest paints of the scan and of the
    // drill-ins are kept to name what stalled. `receiver` is compared, never used: delivery may
    // have deleted it; the class names (the parent's null when none) were taken before.
    void noteDelivery(const QObject* receiver, const char* receiverClass, const char* parentClass,
                      int eventType, bool nested, double ms);

signals:
    void finished();

protected:
    void customEvent(QEvent* event) override;

private:
    enum class Phase { Waiting, Scanning, Settling, Drilling, Done };
    enum class Step { DrillIn, Back };
    struct Delivery {
        QString what;
        double atMs = 0;
        double ms = 0;
    };
    static constexpr std::size_t kDeliveriesKept = 8;
    struct Navigation {
        QString folder;
        double activateMs = 0;  // spent in the activation call itself
        double startingMs = 0;  // until the scan's start was handled
        double completeMs = 0;  // until its completion was handled
        double handlingMs = 0;  // the UI thread's work on the scan's start and completion
        double paintMs = 0;     // window repaints meanwhile
        double totalMs = 0;     // until shown
        bool fromCache = false;
        bool completed = false;
    };

    double sinceStart() const;
    void tick();
    void onScanStarting();
    void onScanComplete(bool stopped);
    void startDrilling();
    void nextStep();
    void stepShown();
    void stepTimedOut();
    void finish();
    void writeReport() const;

    CMainFrame& m_frame;
    scan::ScanController& m_scans;
    QString m_output;
    int m_drillCount;
    QTimer* m_ticker;
    QTimer* m_stepGuard;
    Phase m_phase = Phase::Waiting;
    std::chrono::steady_clock::time_point m_start;  // the first scan's start
    std::chrono::steady_clock::time_point m_lastTick;
    double m_lastTickCpuMs = 0;
    double m_scanMs = 0;
    double m_settledMs = 0;
    long m_peakRssKb = -1;
    LatenessStats m_scanStalls;
    LatenessStats m_paintedScanStalls;  // after the window's first paint
    bool m_framePainted = false;
    bool m_firstPaintTick = false;  // the next tick's lateness is the first paint's
    LatenessStats m_drillStalls;
    struct Longest {
        std::vector<Delivery> events;  // longest first
        std::vector<Delivery> paints;
    };
    Longest m_scanLongest;
    Longest m_drillLongest;

    QStringList m_targets;
    int m_nextTarget = 0;
    Step m_step = Step::Back;
    bool m_stepRunning = false;
    bool m_walked = false;  // a folder was entered, so not everything came from the cache
    std::chrono::steady_clock::time_point m_stepStart;
    Navigation m_current;
    std::vector<Navigation> m_drillIns;
    std::vector<Navigation> m_backs;
};

// The high-water mark of this process's resident memory, in KiB; -1 when unknown.
long peakResidentKb();

}  // namespace tarvolin::app
