#include "platform/link_arrivals.h"

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <net/if.h>
#include <sys/socket.h>
#include <unistd.h>

LinkArrivalWatcher::~LinkArrivalWatcher() {
    if (fd_ >= 0) {
        close(fd_);
    }
}

bool LinkArrivalWatcher::Open(int& error) {
    const int fd = socket(AF_NETLINK, SOCK_RAW | SOCK_NONBLOCK | SOCK_CLOEXEC, NETLINK_ROUTE);
    if (fd < 0) {
        error = errno;
        return false;
    }
    sockaddr_nl address{};
    address.nl_family = AF_NETLINK;
    address.nl_groups = RTMGRP_LINK;
    if (bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0) {
        error = errno;
        close(fd);
        return false;
    }
    if (struct if_nameindex* names = if_nameindex(); names != nullptr) {
        for (const struct if_nameindex* entry = names; entry->if_index != 0; ++entry) {
            known_.insert(static_cast<int>(entry->if_index));
        }
        if_freenameindex(names);
    }
    fd_ = fd;
    return true;
}

int LinkArrivalWatcher::ReadArrivals() {
    if (fd_ < 0) {
        return 0;
    }
    int arrivals = 0;
    alignas(nlmsghdr) uint8_t buffer[16384];
    for (;;) {
        const ssize_t got = recv(fd_, buffer, sizeof(buffer), 0);
        if (got <= 0) {
            // EAGAIN: nothing left. ENOBUFS: the kernel dropped messages; what was lost cannot be read back.
            break;
        }
        arrivals += CountArrivals(buffer, static_cast<size_t>(got), known_);
    }
    return arrivals;
}

int LinkArrivalWatcher::CountArrivals(const void* data, size_t length, std::set<int>& known) {
    int arrivals = 0;
    const auto* bytes = static_cast<const uint8_t*>(data);
    size_t offset = 0;
    while (length - offset >= sizeof(nlmsghdr)) {
        nlmsghdr header;
        std::memcpy(&header, bytes + offset, sizeof(header));
        if (header.nlmsg_len < sizeof(nlmsghdr) || header.nlmsg_len > length - offset) {
            break;
        }
        if (header.nlmsg_type == RTM_NEWLINK && header.nlmsg_len >= NLMSG_LENGTH(sizeof(ifinfomsg))) {
            ifinfomsg info;
            std::memcpy(&info, bytes + offset + NLMSG_HDRLEN, sizeof(info));
            if (known.insert(info.ifi_index).second) {
                ++arrivals;
            }
        }
        offset += NLMSG_ALIGN(header.nlmsg_len);
        if (offset > length) {
            break;
        }
    }
    return arrivals;
}
