#include "platform/net_interfaces.h"

#include <algorithm>
#include <cstring>
#include <ifaddrs.h>
#include <linux/if_packet.h>
#include <net/if.h>
#include <net/if_arp.h>

bool ListOsAdapters(std::vector<OsAdapter>& adapters) {
    adapters.clear();
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0) {
        return false;
    }
    for (ifaddrs* entry = list; entry != nullptr; entry = entry->ifa_next) {
        if (entry->ifa_addr == nullptr || entry->ifa_addr->sa_family != AF_PACKET || entry->ifa_name == nullptr) {
            continue;
        }
        const auto* link = reinterpret_cast<const sockaddr_ll*>(entry->ifa_addr);
        OsAdapter adapter;
        adapter.name = entry->ifa_name;
        adapter.ethernet = link->sll_hatype == ARPHRD_ETHER && link->sll_halen == 6;
        adapter.up = (entry->ifa_flags & IFF_UP) != 0;
        adapter.loopback = (entry->ifa_flags & IFF_LOOPBACK) != 0;
        std::memcpy(adapter.hardwareAddress.data(), link->sll_addr,
                    std::min<size_t>(link->sll_halen, adapter.hardwareAddress.size()));
        adapters.push_back(std::move(adapter));
    }
    freeifaddrs(list);
    return true;
}
