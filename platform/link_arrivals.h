#pragma once

#include <cstddef>
#include <set>

// Tells when a network interface appears: an rtnetlink socket subscribed to link changes, read by the
// owner whenever its descriptor becomes readable. Only an RTM_NEWLINK for an interface index not seen
// before counts; the interfaces present at Open are known from the start.
class LinkArrivalWatcher {
public:
    LinkArrivalWatcher() = default;
    ~LinkArrivalWatcher();
    LinkArrivalWatcher(const LinkArrivalWatcher&) = delete;
    LinkArrivalWatcher& operator=(const LinkArrivalWatcher&) = delete;

    // Opens the socket. False with `error` set to the errno value when it cannot.
    bool Open(int& error);
    // The non-blocking descriptor to watch for reading; -1 before Open.
    int Fd() const { return fd_; }
    // Reads everything pending and returns how many interfaces arrived.
    int ReadArrivals();

    // Counts the arrivals in one buffer of netlink messages, adding their indexes to `known`. Truncated
    // or malformed messages end the walk.
    static int CountArrivals(const void* data, size_t length, std::set<int>& known);

private:
    int fd_ = -1;
    std::set<int> known_;
};
