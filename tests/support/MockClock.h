#pragma once
// A clock for tests: time moves only when someone sleeps or advances it.

#include "platform/Clock.h"

#include <cstdint>

namespace testsupport {

class MockClock final : public platform::Clock {
public:
    std::int64_t nowMs() const override { return now_; }
    void sleepMs(int ms) override {
        now_ += ms;
        ++sleeps;
    }
    void advance(std::int64_t ms) { now_ += ms; }
    int sleeps = 0;

private:
    std::int64_t now_ = 0;
};

} // namespace testsupport
