#include "fleet/Scheduler.h"

#include "platform/Clock.h"

#include <QTimer>

namespace fleet {

QtScheduler::QtScheduler(QObject* parent) : QObject(parent) {}

QtScheduler::~QtScheduler() {
    for (auto& [id, timer] : timers_) {
        delete timer;
    }
}

std::int64_t QtScheduler::nowMs() const {
    return platform::clock().nowMs();
}

TimerId QtScheduler::after(std::int64_t delayMs, std::function<void()> task) {
    const TimerId id = next_++;
    auto* timer = new QTimer(this);
    timer->setSingleShot(true);
    // The window's waits are whole seconds; a coarse timer could fire 5 % early or late.
    timer->setTimerType(Qt::PreciseTimer);
    connect(timer, &QTimer::timeout, this, [this, id, task = std::move(task)] {
        // Taken out first: the task may schedule or cancel others.
        if (const auto it = timers_.find(id); it != timers_.end()) {
            it->second->deleteLater();
            timers_.erase(it);
        }
        task();
    });
    timers_.emplace(id, timer);
    timer->start(static_cast<int>(delayMs < 0 ? 0 : delayMs));
    return id;
}

void QtScheduler::cancel(TimerId id) {
    if (const auto it = timers_.find(id); it != timers_.end()) {
        it->second->stop();
        it->second->deleteLater();
        timers_.erase(it);
    }
}

} // namespace fleet
