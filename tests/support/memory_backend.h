#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "engine/frame_backend.h"
#include "engine/mac_address.h"

// An in-memory stand-in for libpcap and the system's adapter list. Frames sent by the program go to a
// peer callback (the simulated network); frames delivered to an interface reach every handle open on it
// that the handle's filter admits. A read waits on the process clock: with the virtual clock, a read that
// finds nothing advances time by the read time-out, and a frame due later within the time-out advances
// time to its arrival.
class MemoryFrameBackend final : public IFrameBackend {
public:
    struct SentFrame {
        std::string interfaceName;
        std::vector<uint8_t> bytes;
    };
    using Peer = std::function<void(const std::string& interfaceName, const std::vector<uint8_t>& frame)>;

    // An Ethernet interface, listed by both the capture library and the system.
    void AddInterface(const std::string& name, const MacAddress& mac, bool up = true);
    // The same, listed first: an interface that arrives can shift the positions of the others.
    void InsertInterfaceFirst(const std::string& name, const MacAddress& mac);
    // The interface disappears from both lists; handles open on it stay as they are.
    void RemoveInterface(const std::string& name);
    // A capture-only pseudo-device (no system adapter), as `any` or `nflog`.
    void AddCaptureDevice(const std::string& name, bool up = true, bool loopback = false);
    // A system adapter without an Ethernet address that the capture library also lists (as `lo`).
    void AddLoopback(const std::string& name);

    void SetPeer(Peer peer);
    // Queues `frame` on `interfaceName`, arriving `delayMs` after the current time.
    void Deliver(const std::string& interfaceName, std::vector<uint8_t> frame, uint64_t delayMs = 0);
    // The next read on `interfaceName` returns `result` (a negative capture error).
    void FailNextRead(const std::string& interfaceName, int result);

    void FailListing(const std::string& error) { listingError_ = error; }
    void FailAdapterList() { adapterListFails_ = true; }
    void FailOpen(const std::string& name) { failingOpens_.push_back(name); }
    void FailSend() { sendFails_ = true; }

    std::vector<SentFrame> Sent();
    std::vector<std::string> Filters();
    std::vector<std::string> Opened();
    int OpenHandles();

    bool FindAllDevices(std::vector<CaptureDevice>& devices, std::string& error) override;
    bool ListAdapters(std::vector<OsAdapter>& adapters) override;
    std::shared_ptr<ICaptureHandle> Open(const std::string& name, int snapLength, bool promiscuous,
                                         int timeoutMs) override;

    struct Queued {
        uint64_t dueMs;
        std::vector<uint8_t> bytes;
    };
    struct HandleState {
        std::string interfaceName;
        int timeoutMs = 0;
        std::optional<std::string> filter;
        std::deque<Queued> queue;
        std::vector<uint8_t> current;
        std::optional<int> failure;
        bool closed = false;
    };

private:
    friend class MemoryHandle;
    std::mutex mutex_;
    std::vector<CaptureDevice> devices_;
    std::vector<OsAdapter> adapters_;
    std::vector<std::shared_ptr<HandleState>> handles_;
    std::vector<SentFrame> sent_;
    std::vector<std::string> filters_;
    std::vector<std::string> opened_;
    std::vector<std::string> failingOpens_;
    std::vector<std::pair<std::string, int>> pendingFailures_;
    std::optional<std::string> listingError_;
    bool adapterListFails_ = false;
    bool sendFails_ = false;
    Peer peer_;
};

// The host side of a test link: `host` as an Ethernet interface of `backend`, opened and filtered as the
// engine opens it, and the layer stack keyed with the local adapter's password. Returns false when a step
// failed. TakeDownHostLink undoes it.
bool BringUpHostLink(MemoryFrameBackend& backend, const MacAddress& host, const std::string& name = "eth0");
void TakeDownHostLink();

// Installs a backend as the process's frame backend for a scope.
class ScopedFrameBackend {
public:
    explicit ScopedFrameBackend(IFrameBackend& backend) { SetFrameBackend(&backend); }
    ~ScopedFrameBackend() { SetFrameBackend(nullptr); }
    ScopedFrameBackend(const ScopedFrameBackend&) = delete;
    ScopedFrameBackend& operator=(const ScopedFrameBackend&) = delete;
};
