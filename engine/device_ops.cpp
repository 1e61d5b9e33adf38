#include "engine/device_ops.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <vector>

#include "engine/exchanges.h"
#include "engine/link_stack.h"
#include "platform/clock.h"
#include "security/device_store.h"
#include "security/encryption_layer.h"
#include "security/key_derivation.h"

namespace {
EngineState engineState;
DeviceTable deviceTable;

template <size_t N> void CopyText(char (&field)[N], std::string_view text) {
    const size_t length = text.size() < N - 1 ? text.size() : N - 1;
    std::memcpy(field, text.data(), length);
    field[length] = '\0';
}

// Lists the interfaces afresh into `names`; returns the listing result.
int ListFresh(InterfaceNameSlot (&names)[kMaxInterfaces]) {
    std::memset(names, 0, sizeof names);
    return ListInterfaces(names, kMaxInterfaces);
}

bool ProbeAttempts(const MacAddress& mac) {
    for (int attempt = 0; attempt < kProbeAttempts; ++attempt) {
        if (ProbeDevice(mac)) {
            return true;
        }
    }
    return false;
}

void AppendRecord(const MacAddress& mac) {
    if (deviceTable.count < 0 || deviceTable.count >= kMaxDevices) {
        return;
    }
    DeviceRecord& record = deviceTable.records[deviceTable.count];
    std::memset(&record, 0, sizeof record);
    record.mac = mac;
    ++deviceTable.count;
}
} // namespace

EngineState& Engine() {
    return engineState;
}

DeviceTable& Devices() {
    return deviceTable;
}

void ResetEngine() {
    DestroyLinkStack();
    CloseInterface();
    std::memset(&engineState, 0, sizeof engineState);
    std::memset(&deviceTable, 0, sizeof deviceTable);
}

void ListInterfacesOnly() {
    InterfaceNameSlot names[kMaxInterfaces];
    const int count = ListFresh(names);
    if (count > 0) {
        std::memcpy(engineState.interfaceNames, names, sizeof names);
        for (int i = 0; i < count; ++i) {
            std::printf("%s\n", names[i]);
        }
        std::fflush(stdout);
    }
    engineState.interfaceCount = count;
}

void StartEngine() {
    ListInterfacesOnly();
    engineState.selectedInterface = -1;
    BuildLinkStack(kHostAdapterPassword);
}

void StopEngine() {
    DestroyLinkStack();
}

void ReopenChannel() {
    if (engineState.selectedInterface == -1 || engineState.selectedInterfaceName[0] == '\0') {
        return;
    }
    InterfaceNameSlot names[kMaxInterfaces];
    const int count = ListFresh(names);
    const int listed = count < 0 ? kMaxInterfaces : count;
    for (int i = 0; i < listed; ++i) {
        if (std::strcmp(names[i], engineState.selectedInterfaceName) != 0) {
            continue;
        }
        // The new handle replaces the old one; a receive still running on the old one keeps it alive.
        if (OpenInterface(names[i], kSnapLength, kReadTimeoutMs) == 0) {
            char shown[kInterfaceNameShown + 1];
            FindInterfaceMac(engineState.hostNicMac, i, shown);
            SetFrameFilter(engineState.hostNicMac);
        }
        return;
    }
}

bool RefreshDevices() {
    InterfaceNameSlot names[kMaxInterfaces];
    const int count = ListFresh(names);
    engineState.selectedInterface = -1;
    for (int i = 0; i < count; ++i) {
        if (OpenInterface(names[i], kSnapLength, kReadTimeoutMs) != 0) {
            continue;
        }
        char shown[kInterfaceNameShown + 1];
        FindInterfaceMac(engineState.hostNicMac, i, shown);
        if (SetFrameFilter(engineState.hostNicMac) != 0) {
            return false;
        }
        deviceTable.count = 0;
        std::vector<DiscoveryEntry> entries;
        if (!Discover(engineState.hostNicMac, kBroadcastMac, entries)) {
            engineState.selectedInterface = -1;
            CloseInterface();
            continue;
        }
        engineState.selectedInterface = i;
        CopyText(engineState.selectedInterfaceName, names[i]);
        for (const DiscoveryEntry& entry : entries) {
            if (entry.kind == 0 || entry.kind == 1) {
                engineState.localAdapterMac = entry.mac;
                AppendRecord(entry.mac);
                ProbeDevice(entry.mac);
                deviceTable.records[0].present = 1;
                break;
            }
        }
        return true;
    }
    return false;
}

bool RefreshStations() {
    SelectDeviceKey(engineState.localAdapterMac, false);
    ReadDeviceParameter(engineState.localAdapterMac, kParamNetworkId);
    int repeats = 0;
    int maxHostRate = 0;
    for (;;) {
        std::vector<StationEntry> entries;
        ReadStationList(engineState.hostNicMac, engineState.localAdapterMac, engineState.networkId, entries);
        bool again = false;
        for (const StationEntry& entry : entries) {
            if (entry.stationRate == 0 || entry.hostRate == 0) {
                continue;
            }
            const bool unsettled =
                entry.stationRate == 9 || entry.stationRate == 27 || entry.hostRate == 9 || entry.hostRate == 27;
            if (unsettled && repeats < kStationListRepeats) {
                deviceTable.count = 1;
                ++repeats;
                again = true;
                break;
            }
            // The table keeps the first 63 remote adapters; further entries are not listed.
            if (deviceTable.count < kMaxDevices) {
                AppendRecord(entry.mac);
                deviceTable.records[deviceTable.count - 1].rate = entry.stationRate;
                if (entry.hostRate > maxHostRate) {
                    maxHostRate = entry.hostRate;
                }
            }
        }
        if (!again) {
            break;
        }
    }
    if (deviceTable.count > 0) {
        deviceTable.records[0].rate = maxHostRate;
    }
    return true;
}

bool ReadHostInfo() {
    SelectDeviceKey(engineState.localAdapterMac, false);
    for (int attempt = 0; attempt < kNetworkInfoAttempts; ++attempt) {
        std::vector<NetworkInfoEntry> entries;
        if (ReadNetworkInfo(engineState.hostNicMac, engineState.localAdapterMac, 0, 0, entries)) {
            if (!entries.empty()) {
                engineState.coordinatorMac = entries.front().mac;
            }
            return true;
        }
    }
    return false;
}

bool SelectDeviceKey(const MacAddress& mac, bool useDefault) {
    if (mac == engineState.localAdapterMac) {
        RekeyEncryptionLayer(kHostAdapterPassword);
        return true;
    }
    if (useDefault) {
        RekeyEncryptionLayer(DefaultDevicePassword(mac));
        return true;
    }
    const std::optional<std::string> stored = DeviceStore::Instance().PasswordFor(FormatMac(mac));
    if (!stored) {
        return false;
    }
    RekeyEncryptionLayer(*stored);
    return true;
}

bool ProbeDevice(const MacAddress& mac) {
    SelectDeviceKey(mac, true);
    return Probe(engineState.hostNicMac, mac);
}

bool ProbeWithPassword(const MacAddress& mac, std::string_view passwordText) {
    if (!passwordText.empty()) {
        CEncryptionLayer::Instance()->SetKey(passwordText);
    }
    return Probe(engineState.hostNicMac, mac);
}

void ReadDeviceParameter(const MacAddress& mac, uint16_t id) {
    SelectDeviceKey(mac, true);
    for (int attempt = 0; attempt < kReadParameterAttempts; ++attempt) {
        ParameterValue value;
        if (!ReadParameter(engineState.hostNicMac, mac, id, value)) {
            continue;
        }
        if (id == kParamFirmwareVersion) {
            // The text ends at its first zero byte, or with the data.
            std::string text(value.data.begin(), value.data.end());
            SetFirmwareVersion(mac, text.c_str());
        } else if (id == kParamNetworkId && value.data.size() >= sizeof engineState.networkId) {
            std::memcpy(engineState.networkId, value.data.data(), sizeof engineState.networkId);
        }
        return;
    }
}

std::string FirmwareBuildText(std::string_view text) {
    size_t begin = 0;
    size_t end = text.size();
    while (begin < end && std::isspace(static_cast<unsigned char>(text[begin]))) {
        ++begin;
    }
    while (end > begin && std::isspace(static_cast<unsigned char>(text[end - 1]))) {
        --end;
    }
    const std::string_view trimmed = text.substr(begin, end - begin);
    const size_t close = trimmed.find(')');
    return close == std::string_view::npos ? std::string() : std::string(trimmed.substr(0, close + 1));
}

bool ReadFirmwareBuild(const MacAddress& mac) {
    SelectDeviceKey(mac, true);
    FirmwareInfo info;
    if (ReadFirmwareInfo(engineState.hostNicMac, mac, info) && info.words[2] != 0) {
        SetFirmwareBuild(mac, FirmwareBuildText(info.text));
    }
    return true;
}

bool ReadLedState(const MacAddress& mac) {
    SelectDeviceKey(mac, true);
    bool on = false;
    bool anySet = false;
    if (ReadStatusWord(engineState.hostNicMac, mac, 0x10, anySet) && anySet) {
        on = true;
    } else if (ReadStatusWord(engineState.hostNicMac, mac, 0x40, anySet)) {
        on = !anySet;
    }
    SetLedState(mac, on);
    return true;
}

bool RestartDevice(const MacAddress& mac) {
    SelectDeviceKey(mac, true);
    Restart(engineState.hostNicMac, mac);
    return true;
}

bool SetDeviceLed(const MacAddress& mac, bool on) {
    SelectDeviceKey(mac, false);
    if (!ProbeAttempts(mac)) {
        return false;
    }
    const uint8_t mode = on ? kLedOnMode : kLedOffMode;
    WriteParameter(engineState.hostNicMac, mac, kParamLedMode, 1, 1, &mode);
    RestartDevice(mac);
    SleepMs(kLedChangeWaitMs);
    return true;
}

bool SetNetworkKey(const MacAddress& mac, std::string_view networkPassword, int securityLevel) {
    SelectDeviceKey(mac, false);
    if (!ProbeAttempts(mac)) {
        return false;
    }
    const std::optional<Key16> nmk = DeriveNmk(networkPassword);
    if (!nmk) {
        return false;
    }
    if (!WriteParameter(engineState.hostNicMac, mac, kParamNetworkKey, 1, static_cast<uint16_t>(nmk->size()),
                        nmk->data())) {
        return false;
    }
    const NetworkId nid = DeriveNid(*nmk, securityLevel);
    if (!WriteParameter(engineState.hostNicMac, mac, kParamNetworkId, 1, static_cast<uint16_t>(nid.size()),
                        nid.data())) {
        return false;
    }
    RestartDevice(mac);
    return true;
}

bool FactoryResetDevice(const MacAddress& mac) {
    SelectDeviceKey(mac, false);
    if (!ProbeAttempts(mac)) {
        return false;
    }
    return FactoryReset(engineState.hostNicMac, mac);
}

bool ReadQos(int& count, ClassifierRecord (&records)[kClassifierSlots]) {
    SelectDeviceKey(engineState.localAdapterMac, false);
    return ReadClassifierTable(engineState.hostNicMac, engineState.localAdapterMac, count, records);
}

bool ApplyQos(int count, const ClassifierRecord* records) {
    int successes = 0;
    int coordinator = 0;
    auto writeTo = [&](int position) {
        const MacAddress mac = deviceTable.records[position].mac;
        if (WriteClassifierTable(engineState.hostNicMac, mac, count, records)) {
            RestartDevice(mac);
            ++successes;
        }
    };
    for (int i = deviceTable.count - 1; i >= 0; --i) {
        const MacAddress mac = deviceTable.records[i].mac;
        SelectDeviceKey(mac, true);
        if (!ProbeAttempts(mac)) {
            continue;
        }
        if (mac == engineState.coordinatorMac && i != 0) {
            coordinator = i; // served just before the local adapter
            continue;
        }
        if (i == 0 && mac != engineState.coordinatorMac && coordinator != 0) {
            SelectDeviceKey(deviceTable.records[coordinator].mac, true);
            writeTo(coordinator);
            SelectDeviceKey(mac, true);
        }
        writeTo(i);
    }
    SleepMs(kQosApplyWaitMs);
    RefreshDevices();
    return successes >= 1;
}

int FindDevice(const MacAddress& mac) {
    for (int i = 0; i < deviceTable.count && i < kMaxDevices; ++i) {
        if (deviceTable.records[i].mac == mac) {
            return i;
        }
    }
    return -1;
}

void SetDeviceName(const MacAddress& mac, std::string_view text) {
    const int index = FindDevice(mac);
    if (index >= 0) {
        CopyText(deviceTable.records[index].name, text);
    }
}

void SetFirmwareBuild(const MacAddress& mac, std::string_view text) {
    const int index = FindDevice(mac);
    if (index >= 0) {
        CopyText(deviceTable.records[index].firmwareBuild, text);
    }
}

void SetFirmwareVersion(const MacAddress& mac, std::string_view text) {
    const int index = FindDevice(mac);
    if (index >= 0) {
        CopyText(deviceTable.records[index].firmwareVersion, text);
    }
}

void SetLedState(const MacAddress& mac, bool on) {
    const int index = FindDevice(mac);
    if (index >= 0) {
        deviceTable.records[index].ledOn = on ? 1 : 0;
    }
}

std::string ModelFromFirmwareVersion(std::string_view version) {
    if (version.size() < 2) {
        return "Unknow";
    }
    const size_t blank = version.find(' ');
    if (blank == std::string_view::npos) {
        return std::string();
    }
    const size_t dash = version.find('-', blank + 1);
    if (dash == std::string_view::npos) {
        return std::string();
    }
    return std::string(version.substr(blank + 1, std::min<size_t>(dash - blank - 1, 30)));
}

std::string DisplayName(std::string_view name, std::string_view deviceWord) {
    if (name.size() < 2) {
        return "Unknow";
    }
    std::string shown;
    constexpr std::string_view kDevice = "Device";
    size_t position = 0;
    for (size_t found = name.find(kDevice); found != std::string_view::npos; found = name.find(kDevice, position)) {
        shown.append(name.substr(position, found - position));
        shown.append(deviceWord);
        position = found + kDevice.size();
    }
    shown.append(name.substr(position));
    return shown;
}

std::vector<int> PresentRecords() {
    std::vector<int> present;
    for (int i = 0; i < deviceTable.count && i < kMaxDevices; ++i) {
        if (deviceTable.records[i].present) {
            present.push_back(i);
        }
    }
    return present;
}

bool ServeTickedRows(const std::vector<MacAddress>& rows, const std::vector<bool>& ticked,
                     const std::function<bool(const MacAddress&)>& operation) {
    const MacAddress coordinator = engineState.coordinatorMac;
    const bool rowZeroTicked = !ticked.empty() && ticked[0];
    size_t deferred = 0;
    for (size_t n = rows.size(); n-- > 0;) {
        SleepMs(kRowPauseMs);
        if (n >= ticked.size() || !ticked[n]) {
            continue;
        }
        const MacAddress& mac = rows[n];
        if (mac == coordinator) {
            deferred = n;
            if (n != 0 && rowZeroTicked) {
                continue;
            }
        }
        if (n != 0 || deferred == 0) {
            if (!operation(mac)) {
                return false;
            }
            continue;
        }
        if (!operation(rows[deferred])) {
            return false;
        }
        SleepMs(kRowPauseMs);
        if (!operation(mac)) {
            return false;
        }
    }
    return true;
}
