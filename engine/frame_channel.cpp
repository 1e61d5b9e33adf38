#include "engine/frame_channel.h"

#include <atomic>
#include <cstdio>
#include <cstring>
#include <memory>

#include "engine/frame_backend.h"

namespace {
// Shared ownership: a reopen may replace the handle while another thread is inside a receive on the old
// one; the old handle is freed only when that receive lets go of it.
std::atomic<std::shared_ptr<ICaptureHandle>> channelHandle;
} // namespace

bool ListCaptureInterfaces(std::vector<std::string>& names, std::string& error) {
    names.clear();
    IFrameBackend& backend = FrameBackend();
    std::vector<CaptureDevice> devices;
    if (!backend.FindAllDevices(devices, error)) {
        return false;
    }
    std::vector<OsAdapter> adapters;
    if (!backend.ListAdapters(adapters)) {
        adapters.clear();
    }
    for (const CaptureDevice& device : devices) {
        if (!device.up || device.loopback || device.name.empty() || device.name.size() >= kInterfaceNameSlot) {
            continue;
        }
        for (const OsAdapter& adapter : adapters) {
            if (adapter.name == device.name) {
                if (adapter.ethernet && !adapter.loopback) {
                    names.push_back(device.name);
                }
                break;
            }
        }
    }
    return true;
}

int ListInterfaces(InterfaceNameSlot* names, int max) {
    std::vector<std::string> list;
    std::string error;
    if (!ListCaptureInterfaces(list, error)) {
        return -1;
    }
    int count = 0;
    for (const std::string& name : list) {
        if (count == max) {
            return -1;
        }
        std::memset(names[count], 0, kInterfaceNameSlot);
        std::memcpy(names[count], name.c_str(), name.size());
        ++count;
    }
    return count;
}

int OpenInterface(const char* name, int snapLength, int timeoutMs) {
    if (name == nullptr) {
        return -1;
    }
    std::shared_ptr<ICaptureHandle> handle = FrameBackend().Open(name, snapLength, true, timeoutMs);
    if (!handle) {
        return -1;
    }
    channelHandle.store(std::move(handle));
    return 0;
}

void CloseInterface() {
    channelHandle.store(nullptr);
}

bool IsInterfaceOpen() {
    return channelHandle.load() != nullptr;
}

std::string FrameFilterText(const MacAddress& mac) {
    char text[96];
    std::snprintf(text, sizeof text, "ether proto 0x%x and ether dst %02x:%02x:%02x:%02x:%02x:%02x", kMmeEtherType,
                  mac[0], mac[1], mac[2], mac[3], mac[4], mac[5]);
    return text;
}

int SetFrameFilter(const MacAddress& mac) {
    std::shared_ptr<ICaptureHandle> handle = channelHandle.load();
    if (!handle) {
        return -1;
    }
    return handle->SetFilter(FrameFilterText(mac)) < 0 ? -1 : 0;
}

int SendFrame(const uint8_t* bytes, int length) {
    std::shared_ptr<ICaptureHandle> handle = channelHandle.load();
    if (!handle || bytes == nullptr || length <= 0) {
        return -1;
    }
    return handle->Send(bytes, static_cast<size_t>(length)) == 0 ? length : -1;
}

int ReceiveFrame(uint8_t* buffer, int capacity) {
    std::shared_ptr<ICaptureHandle> handle = channelHandle.load();
    if (!handle || buffer == nullptr || capacity <= 0) {
        return -1;
    }
    const uint8_t* data = nullptr;
    size_t length = 0;
    int result = handle->Next(&data, &length);
    for (int extra = 0; result == 0 && extra < kExtraReceiveAttempts; ++extra) {
        result = handle->Next(&data, &length);
    }
    if (result <= 0) {
        return result;
    }
    const size_t delivered = length < static_cast<size_t>(capacity) ? length : static_cast<size_t>(capacity);
    if (delivered > 0) {
        std::memcpy(buffer, data, delivered);
    }
    return static_cast<int>(delivered);
}

void FindInterfaceMac(MacAddress& mac, int index, char* name) {
    IFrameBackend& backend = FrameBackend();
    std::vector<OsAdapter> adapters;
    if (!backend.ListAdapters(adapters) || adapters.empty()) {
        std::fputs("\nNo interfaces are enabled\n", stdout);
        return;
    }
    std::vector<std::string> captureNames;
    std::string error;
    if (!ListCaptureInterfaces(captureNames, error)) {
        std::fprintf(stderr, "Error in pcap_findalldevs: %s\n", error.c_str());
        return;
    }
    if (index < 0 || static_cast<size_t>(index) >= captureNames.size()) {
        return;
    }
    const std::string& captureName = captureNames[static_cast<size_t>(index)];
    // On Linux the capture name is the interface name: match exactly (containment would give eth1 the
    // address of veth1).
    for (const OsAdapter& adapter : adapters) {
        if (adapter.name == captureName && adapter.ethernet) {
            mac = adapter.hardwareAddress;
            if (name != nullptr) {
                const size_t shown =
                    captureName.size() < kInterfaceNameShown ? captureName.size() : kInterfaceNameShown;
                std::memcpy(name, captureName.data(), shown);
                name[shown] = '\0';
            }
            return;
        }
    }
}
