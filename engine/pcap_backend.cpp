#include "engine/frame_backend.h"

#include <atomic>
#include <pcap/pcap.h>

namespace {

class PcapHandle final : public ICaptureHandle {
public:
    explicit PcapHandle(pcap_t* handle) : handle_(handle) {}
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
        pcap_pkthdr* header = nullptr;
        const u_char* bytes = nullptr;
        const int result = pcap_next_ex(handle_, &header, &bytes);
        if (result == 1) {
            *data = bytes;
            *length = header->caplen;
        }
        return result;
    }

private:
    pcap_t* handle_;
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
            pcap_activate(handle) < 0) {
            pcap_close(handle);
            return nullptr;
        }
        return std::make_shared<PcapHandle>(handle);
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
