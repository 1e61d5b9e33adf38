#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

// A network adapter as the operating system lists it (getifaddrs, AF_PACKET entries).
struct OsAdapter {
    std::string name;
    std::array<uint8_t, 6> hardwareAddress{};
    bool ethernet = false; // a 6-byte Ethernet hardware address
    bool up = false;
    bool loopback = false;
};

// Fills `adapters` in the system's order. Returns false when the system cannot list them.
bool ListOsAdapters(std::vector<OsAdapter>& adapters);
