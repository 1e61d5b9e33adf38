#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/mac_address.h"

// The engine's only contact with the network: capture interfaces, one process-wide capture handle,
// a frame filter, and bounded sends and receives. Talks to the frame backend (libpcap in production).

constexpr int kInterfaceNameSlot = 64;     // bytes per name slot, zero terminator included
constexpr int kMaxInterfaces = 10;         // interface list limit
constexpr int kSnapLength = 5000;          // capture snapshot length
constexpr int kReadTimeoutMs = 400;        // capture read time-out
constexpr int kExtraReceiveAttempts = 3;   // further reads after a read time-out
constexpr uint16_t kMmeEtherType = 0x8912; // HomePlug AV management messages
constexpr int kMaxFrameLength = 1514;      // an Ethernet frame without frame check sequence
constexpr int kInterfaceNameShown = 50;    // characters of a name that FindInterfaceMac writes

using InterfaceNameSlot = char[kInterfaceNameSlot];

// The capture interfaces the engine may use, in the capture library's order: interfaces that carry
// Ethernet, are up and are not loopback. Names that do not fit a slot are left out rather than cut into
// a wrong name. False with `error` set when the capture library cannot list its interfaces.
bool ListCaptureInterfaces(std::vector<std::string>& names, std::string& error);

// Fills up to `max` consecutive slots and returns the number of interfaces; -1 when listing fails or when
// there are more than `max` interfaces (the first `max` slots are filled all the same).
int ListInterfaces(InterfaceNameSlot* names, int max);

// Opens the named interface (promiscuous, immediate delivery). 0 when a handle was obtained, -1 otherwise;
// on failure the channel keeps the handle it had.
int OpenInterface(const char* name, int snapLength, int timeoutMs);
void CloseInterface();
bool IsInterfaceOpen();

// "ether proto 0x8912 and ether dst xx:xx:xx:xx:xx:xx" in lower case.
std::string FrameFilterText(const MacAddress& mac);
// Installs the filter on the open handle. 0 or -1.
int SetFrameFilter(const MacAddress& mac);

// Sends one complete frame: `length` on success, -1 on failure.
int SendFrame(const uint8_t* bytes, int length);

// Waits for one frame through up to four read time-outs. Returns the number of bytes copied (at most
// `capacity`), 0 when nothing arrived, or the capture library's negative result.
int ReceiveFrame(uint8_t* buffer, int capacity);

// Writes the hardware address of the capture interface at `index` to `mac` and its name, cut to 50
// characters and zero-terminated, to `name` (at least 51 bytes). Leaves both untouched when no address
// is found.
void FindInterfaceMac(MacAddress& mac, int index, char* name);
