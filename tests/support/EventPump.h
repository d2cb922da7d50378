// pumpUntil: lets queued calls reach the UI thread while a test waits for them.
#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>

namespace tarvolin::test {

// Runs the UI thread's event loop until `done` or the time-out; false on time-out.
template <class Done>
bool pumpUntil(Done&& done, int timeoutMs = 10000) {
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > timeoutMs) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

}  // namespace tarvolin::test
