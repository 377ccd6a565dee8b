#pragma once
// Time through one seam, so waits can be tested without sleeping.

#include <cstdint>

namespace platform {

class Clock {
public:
    virtual ~Clock() = default;
    virtual std::int64_t nowMs() const = 0;
    // Blocks the calling thread (the start-up address retries do).
    virtual void sleepMs(int ms) = 0;
};

class SystemClock final : public Clock {
public:
    std::int64_t nowMs() const override;
    void sleepMs(int ms) override;
};

// Time moves only when someone sleeps or advances it.
class MockClock final : public Clock {
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

Clock& clock();
class ScopedClock {
public:
    explicit ScopedClock(Clock& c);
    ~ScopedClock();
    ScopedClock(const ScopedClock&) = delete;
    ScopedClock& operator=(const ScopedClock&) = delete;

private:
    Clock* previous_;
};

} // namespace platform
