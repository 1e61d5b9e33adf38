#include "platform/clock.h"

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>

namespace {
std::mutex virtualMutex;
SystemClock systemClock;
std::atomic<IClock*> current{&systemClock};
} // namespace

uint64_t SystemClock::TickMs() {
    using namespace std::chrono;
    return static_cast<uint64_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

void SystemClock::SleepMs(uint32_t ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

std::time_t SystemClock::NowSeconds() {
    return std::time(nullptr);
}

uint64_t VirtualClock::TickMs() {
    std::lock_guard lock(virtualMutex);
    return nowMs_;
}

void VirtualClock::SleepMs(uint32_t ms) {
    Advance(ms);
}

std::time_t VirtualClock::NowSeconds() {
    std::lock_guard lock(virtualMutex);
    return startSeconds_ + static_cast<std::time_t>((nowMs_ - startMs_) / 1000);
}

void VirtualClock::Advance(uint64_t ms) {
    std::lock_guard lock(virtualMutex);
    nowMs_ += ms;
}

uint64_t VirtualClock::ElapsedMs() {
    std::lock_guard lock(virtualMutex);
    return nowMs_ - startMs_;
}

IClock& Clock() {
    return *current.load();
}

void SetClock(IClock* clock) {
    current.store(clock ? clock : &systemClock);
}
