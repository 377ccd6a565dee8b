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
