#include "tests/support/memory_backend.h"

#include <algorithm>
#include <cstdio>

#include "engine/frame_channel.h"
#include "engine/link_stack.h"
#include "platform/clock.h"

namespace {
// The filter the frame channel installs; anything else is refused as a capture library would refuse
// an expression it cannot compile.
bool ParseFilter(const std::string& text, unsigned& etherType, MacAddress& destination) {
    unsigned b[6];
    char tail = 0;
    if (std::sscanf(text.c_str(), "ether proto 0x%x and ether dst %2x:%2x:%2x:%2x:%2x:%2x%c", &etherType, &b[0], &b[1],
                    &b[2], &b[3], &b[4], &b[5], &tail) != 7) {
        return false;
    }
    for (int i = 0; i < 6; ++i) {
        destination[static_cast<size_t>(i)] = static_cast<uint8_t>(b[i]);
    }
    return true;
}

bool FilterAdmits(const std::optional<std::string>& filter, const std::vector<uint8_t>& frame) {
    if (!filter) {
        return true;
    }
    unsigned etherType = 0;
    MacAddress destination{};
    if (!ParseFilter(*filter, etherType, destination) || frame.size() < 14) {
        return false;
    }
    return std::equal(destination.begin(), destination.end(), frame.begin()) &&
           ((frame[12] << 8) | frame[13]) == static_cast<int>(etherType);
}
} // namespace

class MemoryHandle final : public ICaptureHandle {
public:
    MemoryHandle(MemoryFrameBackend& backend, std::shared_ptr<MemoryFrameBackend::HandleState> state)
        : backend_(backend), state_(std::move(state)) {}
    ~MemoryHandle() override {
        std::lock_guard lock(backend_.mutex_);
        state_->closed = true;
    }
    MemoryHandle(const MemoryHandle&) = delete;
    MemoryHandle& operator=(const MemoryHandle&) = delete;

    int SetFilter(const std::string& expression) override {
        unsigned etherType = 0;
        MacAddress destination{};
        std::lock_guard lock(backend_.mutex_);
        backend_.filters_.push_back(expression);
        if (!ParseFilter(expression, etherType, destination)) {
            return -1;
        }
        state_->filter = expression;
        return 0;
    }

    int Send(const uint8_t* bytes, size_t length) override {
        MemoryFrameBackend::Peer peer;
        std::vector<uint8_t> frame(bytes, bytes + length);
        {
            std::lock_guard lock(backend_.mutex_);
            if (backend_.sendFails_) {
                return -1;
            }
            backend_.sent_.push_back({state_->interfaceName, frame});
            peer = backend_.peer_;
        }
        if (peer) {
            peer(state_->interfaceName, frame);
        }
        return 0;
    }

    int Next(const uint8_t** data, size_t* length) override {
        IClock& clock = Clock();
        std::unique_lock lock(backend_.mutex_);
        if (state_->failure) {
            const int failure = *state_->failure;
            state_->failure.reset();
            return failure;
        }
        auto& queue = state_->queue;
        while (!queue.empty() && !FilterAdmits(state_->filter, queue.front().bytes)) {
            queue.pop_front();
        }
        const uint64_t now = clock.TickMs();
        const uint64_t timeout = static_cast<uint64_t>(state_->timeoutMs);
        if (queue.empty() || queue.front().dueMs > now + timeout) {
            lock.unlock();
            clock.SleepMs(static_cast<uint32_t>(timeout));
            return 0;
        }
        const uint64_t due = queue.front().dueMs;
        state_->current = std::move(queue.front().bytes);
        queue.pop_front();
        lock.unlock();
        if (due > now) {
            clock.SleepMs(static_cast<uint32_t>(due - now));
        }
        *data = state_->current.data();
        *length = state_->current.size();
        return 1;
    }

private:
    MemoryFrameBackend& backend_;
    std::shared_ptr<MemoryFrameBackend::HandleState> state_;
};

bool BringUpHostLink(MemoryFrameBackend& backend, const MacAddress& host, const std::string& name) {
    backend.AddInterface(name, host);
    if (OpenInterface(name.c_str(), kSnapLength, kReadTimeoutMs) != 0 || SetFrameFilter(host) != 0) {
        return false;
    }
    BuildLinkStack(kHostAdapterPassword);
    return true;
}

void TakeDownHostLink() {
    DestroyLinkStack();
    CloseInterface();
}

void MemoryFrameBackend::AddInterface(const std::string& name, const MacAddress& mac, bool up) {
    std::lock_guard lock(mutex_);
    devices_.push_back({name, up, false});
    OsAdapter adapter;
    adapter.name = name;
    adapter.hardwareAddress = mac;
    adapter.ethernet = true;
    adapter.up = up;
    adapters_.push_back(adapter);
}

void MemoryFrameBackend::InsertInterfaceFirst(const std::string& name, const MacAddress& mac) {
    std::lock_guard lock(mutex_);
    devices_.insert(devices_.begin(), CaptureDevice{name, true, false});
    OsAdapter adapter;
    adapter.name = name;
    adapter.hardwareAddress = mac;
    adapter.ethernet = true;
    adapter.up = true;
    adapters_.insert(adapters_.begin(), adapter);
}

void MemoryFrameBackend::RemoveInterface(const std::string& name) {
    std::lock_guard lock(mutex_);
    std::erase_if(devices_, [&](const CaptureDevice& d) { return d.name == name; });
    std::erase_if(adapters_, [&](const OsAdapter& a) { return a.name == name; });
}

void MemoryFrameBackend::AddCaptureDevice(const std::string& name, bool up, bool loopback) {
    std::lock_guard lock(mutex_);
    devices_.push_back({name, up, loopback});
}

void MemoryFrameBackend::AddLoopback(const std::string& name) {
    std::lock_guard lock(mutex_);
    devices_.push_back({name, true, true});
    OsAdapter adapter;
    adapter.name = name;
    adapter.up = true;
    adapter.loopback = true;
    adapters_.push_back(adapter);
}

void MemoryFrameBackend::SetPeer(Peer peer) {
    std::lock_guard lock(mutex_);
    peer_ = std::move(peer);
}

void MemoryFrameBackend::Deliver(const std::string& interfaceName, std::vector<uint8_t> frame, uint64_t delayMs) {
    const uint64_t due = Clock().TickMs() + delayMs;
    std::lock_guard lock(mutex_);
    for (const auto& handle : handles_) {
        if (handle->closed || handle->interfaceName != interfaceName) {
            continue;
        }
        auto position = std::upper_bound(handle->queue.begin(), handle->queue.end(), due,
                                         [](uint64_t value, const Queued& queued) { return value < queued.dueMs; });
        handle->queue.insert(position, Queued{due, frame});
    }
}

void MemoryFrameBackend::FailNextRead(const std::string& interfaceName, int result) {
    std::lock_guard lock(mutex_);
    for (const auto& handle : handles_) {
        if (!handle->closed && handle->interfaceName == interfaceName) {
            handle->failure = result;
        }
    }
}

std::vector<MemoryFrameBackend::SentFrame> MemoryFrameBackend::Sent() {
    std::lock_guard lock(mutex_);
    return sent_;
}

std::vector<std::string> MemoryFrameBackend::Filters() {
    std::lock_guard lock(mutex_);
    return filters_;
}

std::vector<std::string> MemoryFrameBackend::Opened() {
    std::lock_guard lock(mutex_);
    return opened_;
}

int MemoryFrameBackend::OpenHandles() {
    std::lock_guard lock(mutex_);
    return static_cast<int>(std::count_if(handles_.begin(), handles_.end(), [](const auto& h) { return !h->closed; }));
}

bool MemoryFrameBackend::FindAllDevices(std::vector<CaptureDevice>& devices, std::string& error) {
    std::lock_guard lock(mutex_);
    if (listingError_) {
        error = *listingError_;
        return false;
    }
    devices = devices_;
    return true;
}

bool MemoryFrameBackend::ListAdapters(std::vector<OsAdapter>& adapters) {
    std::lock_guard lock(mutex_);
    if (adapterListFails_) {
        return false;
    }
    adapters = adapters_;
    return true;
}

std::shared_ptr<ICaptureHandle> MemoryFrameBackend::Open(const std::string& name, int /*snapLength*/,
                                                         bool /*promiscuous*/, int timeoutMs) {
    std::lock_guard lock(mutex_);
    opened_.push_back(name);
    const bool known = std::any_of(devices_.begin(), devices_.end(), [&](const auto& d) { return d.name == name; });
    if (!known || std::find(failingOpens_.begin(), failingOpens_.end(), name) != failingOpens_.end()) {
        return nullptr;
    }
    auto state = std::make_shared<HandleState>();
    state->interfaceName = name;
    state->timeoutMs = timeoutMs;
    handles_.push_back(state);
    return std::make_shared<MemoryHandle>(*this, state);
}
