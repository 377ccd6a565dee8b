#include "platform/Clock.h"

#include <QElapsedTimer>
#include <QThread>

namespace platform {

namespace {
SystemClock g_system;
Clock* g_clock = &g_system;
} // namespace

std::int64_t SystemClock::nowMs() const {
    static QElapsedTimer timer = [] {
        QElapsedTimer t;
        t.start();
        return t;
    }();
    return timer.elapsed();
}

void SystemClock::sleepMs(int ms) {
    QThread::msleep(static_cast<unsigned long>(ms));
}

Clock& clock() {
    return *g_clock;
}
ScopedClock::ScopedClock(Clock& c) : previous_(g_clock) {
    g_clock = &c;
}
ScopedClock::~ScopedClock() {
    g_clock = previous_;
}

} // namespace platform
