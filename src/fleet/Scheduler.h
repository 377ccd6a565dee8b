#pragma once
// Time for the fleet engine: when a task runs, and what time it is. The program runs on Qt's
// timers; the tests move a manual clock, so nothing in them sleeps.

#include <QObject>
#include <cstdint>
#include <functional>
#include <unordered_map>

class QTimer;

namespace fleet {

using TimerId = std::uint64_t;

class Scheduler {
public:
    virtual ~Scheduler() = default;
    // Milliseconds since some fixed moment; only differences count.
    virtual std::int64_t nowMs() const = 0;
    // Runs `task` once, `delayMs` from now, on the thread that owns the scheduler. Tasks due at
    // the same moment run in the order they were scheduled.
    virtual TimerId after(std::int64_t delayMs, std::function<void()> task) = 0;
    // A task that has run or was cancelled already is no error.
    virtual void cancel(TimerId id) = 0;
};

class QtScheduler final : public QObject, public Scheduler {
public:
    explicit QtScheduler(QObject* parent = nullptr);
    ~QtScheduler() override;
    QtScheduler(const QtScheduler&) = delete;
    QtScheduler& operator=(const QtScheduler&) = delete;

    std::int64_t nowMs() const override;
    TimerId after(std::int64_t delayMs, std::function<void()> task) override;
    void cancel(TimerId id) override;

private:
    std::unordered_map<TimerId, QTimer*> timers_;
    TimerId next_ = 1;
};

} // namespace fleet
