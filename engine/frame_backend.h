#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/net_interfaces.h"

// One open capture handle. Mirrors the few libpcap calls the frame channel makes.
class ICaptureHandle {
public:
    virtual ~ICaptureHandle() = default;
    // Compiles (optimised, netmask 0) and installs a filter expression. Returns 0 or -1.
    virtual int SetFilter(const std::string& expression) = 0;
    // Sends one complete frame. Returns 0 on success, -1 on failure.
    virtual int Send(const uint8_t* bytes, size_t length) = 0;
    // Waits up to the handle's read time-out for one frame. Returns 1 with `data`/`length` set (valid until
    // the next call), 0 when the time-out passed, or a negative libpcap result on an error.
    virtual int Next(const uint8_t** data, size_t* length) = 0;
};

// A capture interface as the capture library lists it.
struct CaptureDevice {
    std::string name;
    bool up = false;
    bool loopback = false;
};

// What the frame channel needs from the capture library and the system's adapter list. Production:
// libpcap and getifaddrs; tests: an in-memory network.
class IFrameBackend {
public:
    virtual ~IFrameBackend() = default;
    // Lists the capture interfaces in the library's order. Returns false with `error` set on failure.
    virtual bool FindAllDevices(std::vector<CaptureDevice>& devices, std::string& error) = 0;
    // Lists the system's network adapters with their hardware addresses. False when it cannot.
    virtual bool ListAdapters(std::vector<OsAdapter>& adapters) = 0;
    // Opens and activates a handle; nullptr on failure.
    virtual std::shared_ptr<ICaptureHandle> Open(const std::string& name, int snapLength, bool promiscuous,
                                                 int timeoutMs) = 0;
};

// The backend in force; libpcap unless a test installed another.
IFrameBackend& FrameBackend();
// Installs `backend` (not owned); nullptr restores libpcap.
void SetFrameBackend(IFrameBackend* backend);
// The libpcap backend itself.
IFrameBackend& PcapFrameBackend();
