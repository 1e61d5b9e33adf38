#include "engine/frame_backend.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <pcap/pcap.h>
#include <poll.h>

namespace {

// Reads wait on the handle's descriptor for at most the read time-out. libpcap on Linux keeps polling
// past its own time-out while immediate delivery is on and nothing arrives, so the handle is switched to
// non-blocking mode and the wait is done here.
class PcapHandle final : public ICaptureHandle {
public:
    PcapHandle(pcap_t* handle, int timeoutMs)
        : handle_(handle), fd_(pcap_get_selectable_fd(handle)), timeoutMs_(timeoutMs) {}
    ~PcapHandle() override { pcap_close(handle_); }
    PcapHandle(const PcapHandle&) = delete;
    PcapHandle& operator=(const PcapHandle&) = delete;

    int SetFilter(const std::string& expression) override {
        bpf_program program{};
        if (pcap_compile(handle_, &program, expression.c_str(), 1, 0) < 0) {
            return -1;
        }
        const int result = pcap_setfilter(handle_, &program);
        pcap_freecode(&program);
        return result < 0 ? -1 : 0;
    }

    int Send(const uint8_t* bytes, size_t length) override {
        return pcap_sendpacket(handle_, bytes, static_cast<int>(length)) == 0 ? 0 : -1;
    }

    int Next(const uint8_t** data, size_t* length) override {
        using Clock = std::chrono::steady_clock;
        const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs_);
        for (;;) {
            pcap_pkthdr* header = nullptr;
            const u_char* bytes = nullptr;
            const int result = pcap_next_ex(handle_, &header, &bytes);
            if (result == 1) {
                *data = bytes;
                *length = header->caplen;
                return 1;
            }
            if (result != 0) {
                return result;
            }
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
            if (left <= 0) {
                return 0;
            }
            pollfd wait{fd_, POLLIN, 0};
            const int ready = ::poll(&wait, 1, static_cast<int>(left));
            if (ready == 0) {
                return 0;
            }
            if (ready < 0 && errno != EINTR) {
                return PCAP_ERROR;
            }
        }
    }

private:
    pcap_t* handle_;
    int fd_;
    int timeoutMs_;
};

class PcapBackend final : public IFrameBackend {
public:
    bool FindAllDevices(std::vector<CaptureDevice>& devices, std::string& error) override {
        devices.clear();
        char errorText[PCAP_ERRBUF_SIZE] = {};
        pcap_if_t* list = nullptr;
        if (pcap_findalldevs(&list, errorText) != 0) {
            error = errorText;
            return false;
        }
        for (pcap_if_t* device = list; device != nullptr; device = device->next) {
            CaptureDevice entry;
            entry.name = device->name ? device->name : "";
            entry.up = (device->flags & PCAP_IF_UP) != 0;
            entry.loopback = (device->flags & PCAP_IF_LOOPBACK) != 0;
            devices.push_back(std::move(entry));
        }
        pcap_freealldevs(list);
        return true;
    }

    bool ListAdapters(std::vector<OsAdapter>& adapters) override { return ListOsAdapters(adapters); }

    std::shared_ptr<ICaptureHandle> Open(const std::string& name, int snapLength, bool promiscuous,
                                         int timeoutMs) override {
        char errorText[PCAP_ERRBUF_SIZE] = {};
        pcap_t* handle = pcap_create(name.c_str(), errorText);
        if (handle == nullptr) {
            return nullptr;
        }
        // Immediate delivery: without it Linux holds captured frames until the read time-out expires.
        if (pcap_set_snaplen(handle, snapLength) != 0 || pcap_set_promisc(handle, promiscuous ? 1 : 0) != 0 ||
            pcap_set_timeout(handle, timeoutMs) != 0 || pcap_set_immediate_mode(handle, 1) != 0 ||
            pcap_activate(handle) < 0 || pcap_get_selectable_fd(handle) < 0 ||
            pcap_setnonblock(handle, 1, errorText) != 0) {
            pcap_close(handle);
            return nullptr;
        }
        return std::make_shared<PcapHandle>(handle, timeoutMs);
    }
};

PcapBackend pcapBackend;
std::atomic<IFrameBackend*> currentBackend{&pcapBackend};

} // namespace

IFrameBackend& FrameBackend() {
    return *currentBackend.load();
}

void SetFrameBackend(IFrameBackend* backend) {
    currentBackend.store(backend ? backend : &pcapBackend);
}

IFrameBackend& PcapFrameBackend() {
    return pcapBackend;
}
