#pragma once
// Running the event loop from a test until something has happened.

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

// Processes events until the condition holds or the time is up; returns the condition.
template <typename Condition>
bool WaitFor(Condition condition, int timeoutMs = 2000)
{
    QElapsedTimer timer;
    timer.start();
    while (!condition() && timer.elapsed() < timeoutMs) {
        QCoreApplication::processEvents();
        QThread::msleep(1);
    }
    return condition();
}

inline void Spin(int ms)
{
    WaitFor([] { return false; }, ms);
}
