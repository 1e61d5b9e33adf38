#pragma once

#include <string>
#include <utility>

// The lock file that lets only one copy of the program run on the machine.
inline constexpr const char* kInstanceLockPath = "/tmp/pemra-utility.lock";

// An exclusive lock on a fixed file, held until the object goes away. The kernel drops it when the
// process ends in any way, so a copy that crashed or was killed never blocks the next start.
class InstanceLock {
public:
    explicit InstanceLock(std::string path = kInstanceLockPath) : path_(std::move(path)) {}
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // True when this object now holds the lock; false when another holder has it or the file cannot be
    // opened at all.
    bool TryAcquire();
    bool Held() const { return fd_ >= 0; }

private:
    std::string path_;
    int fd_ = -1;
};
