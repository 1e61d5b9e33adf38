#include "platform/instance_lock.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

InstanceLock::~InstanceLock() {
    if (fd_ >= 0) {
        close(fd_);
    }
}

bool InstanceLock::TryAcquire() {
    if (fd_ >= 0) {
        return true;
    }
    // Read-only is enough for flock, so a lock file created by another user works as well. In a sticky
    // directory the kernel may refuse O_CREAT on another user's file; opening it without O_CREAT is allowed.
    int fd = open(path_.c_str(), O_RDONLY | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd < 0 && errno == EACCES) {
        fd = open(path_.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    }
    if (fd < 0) {
        return false;
    }
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        close(fd);
        return false;
    }
    fd_ = fd;
    return true;
}
