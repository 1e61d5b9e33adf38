#pragma once

#include <cstdint>
#include <ctime>

// The one process-wide clock. Every tick read and every sleep of the program goes through it, so that
// tests can replace real time with virtual time and still prove waits of seconds and minutes.
class IClock {
public:
    virtual ~IClock() = default;
    // Milliseconds since an arbitrary origin; never goes backwards.
    virtual uint64_t TickMs() = 0;
    virtual void SleepMs(uint32_t ms) = 0;
    // Wall-clock time in whole seconds (seeds the pseudo-random generator).
    virtual std::time_t NowSeconds() = 0;
};

// steady_clock, a real sleep and std::time.
class SystemClock final : public IClock {
public:
    uint64_t TickMs() override;
    void SleepMs(uint32_t ms) override;
    std::time_t NowSeconds() override;
};

// Time that moves only when the program sleeps or when a test (or a test backend) advances it.
// Thread-safe, so that a worker thread and a test thread may share it.
class VirtualClock final : public IClock {
public:
    explicit VirtualClock(uint64_t startMs = 1'000'000, std::time_t startSeconds = 1'700'000'000)
        : nowMs_(startMs), startMs_(startMs), startSeconds_(startSeconds) {}
    uint64_t TickMs() override;
    void SleepMs(uint32_t ms) override;
    std::time_t NowSeconds() override;
    void Advance(uint64_t ms);
    // Time advanced since construction.
    uint64_t ElapsedMs();

private:
    std::uint64_t nowMs_;
    std::uint64_t startMs_;
    std::time_t startSeconds_;
};

// The clock in force; a SystemClock unless a test installed another.
IClock& Clock();
// Installs `clock` (not owned) as the process clock; nullptr restores the system clock.
void SetClock(IClock* clock);

inline uint64_t TickMs() {
    return Clock().TickMs();
}
inline void SleepMs(uint32_t ms) {
    Clock().SleepMs(ms);
}

// Installs a clock for the lifetime of a scope (tests).
class ScopedClock {
public:
    explicit ScopedClock(IClock& clock) { SetClock(&clock); }
    ~ScopedClock() { SetClock(nullptr); }
    ScopedClock(const ScopedClock&) = delete;
    ScopedClock& operator=(const ScopedClock&) = delete;
};
