#pragma once
// A scheduler whose clock moves only when the test says so; due tasks run in time order, and
// in the order they were scheduled when due together.

#include "fleet/Scheduler.h"

#include <cstdint>
#include <functional>
#include <map>
#include <utility>

namespace testsupport {

class ManualScheduler final : public fleet::Scheduler {
public:
    std::int64_t nowMs() const override { return now_; }
    fleet::TimerId after(std::int64_t delayMs, std::function<void()> task) override {
        const fleet::TimerId id = next_++;
        tasks_.emplace(std::pair{now_ + (delayMs < 0 ? 0 : delayMs), id}, std::move(task));
        return id;
    }
    void cancel(fleet::TimerId id) override {
        for (auto it = tasks_.begin(); it != tasks_.end(); ++it) {
            if (it->first.second == id) {
                tasks_.erase(it);
                return;
            }
        }
    }

    // Moves the clock to now + ms, running every task that falls due on the way at its time.
    void advance(std::int64_t ms) { runUntil(now_ + ms); }
    void runUntil(std::int64_t until) {
        while (!tasks_.empty() && tasks_.begin()->first.first <= until) {
            auto it = tasks_.begin();
            now_ = it->first.first;
            auto task = std::move(it->second);
            tasks_.erase(it);
            task();
        }
        now_ = until;
    }
    std::size_t pending() const { return tasks_.size(); }

private:
    std::int64_t now_ = 0;
    fleet::TimerId next_ = 1;
    std::map<std::pair<std::int64_t, fleet::TimerId>, std::function<void()>> tasks_;
};

} // namespace testsupport
