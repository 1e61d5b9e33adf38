#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/classifier.h"
#include "engine/frame_channel.h"
#include "engine/mac_address.h"

constexpr int kMaxDevices = 64;
constexpr int kTextField = 64;

constexpr int kProbeAttempts = 7;
constexpr int kReadParameterAttempts = 5;
constexpr int kNetworkInfoAttempts = 5;
constexpr int kStationListRepeats = 4; // passes after the first
constexpr uint32_t kLedChangeWaitMs = 4000;
constexpr uint32_t kQosApplyWaitMs = 6000;
constexpr uint32_t kPageRefreshWaitMs = 1000;

// One adapter as the pages show it.
struct DeviceRecord {
    char name[kTextField];
    MacAddress mac;
    int32_t rate;
    char firmwareBuild[kTextField];
    char firmwareVersion[kTextField];
    uint8_t present;
    uint8_t ledOn;
};

// Record 0 is the local adapter; the remote adapters follow in station-list order.
struct DeviceTable {
    DeviceRecord records[kMaxDevices];
    int32_t count;
};

struct EngineState {
    InterfaceNameSlot interfaceNames[kMaxInterfaces];
    int32_t interfaceCount;
    int32_t selectedInterface;
    MacAddress hostNicMac;
    MacAddress localAdapterMac;
    MacAddress coordinatorMac;
    uint8_t networkId[7];
    // The selected interface's name, so that a reopen finds it again even when new interfaces have
    // shifted the positions of the list.
    InterfaceNameSlot selectedInterfaceName;
};

EngineState& Engine();
DeviceTable& Devices();
// Zeroes the engine state and the table and takes the layers down (tests).
void ResetEngine();

// Start, stop and refresh.
void StartEngine();
void ListInterfacesOnly();
void StopEngine();
void ReopenChannel();
bool RefreshDevices();
bool RefreshStations();
bool ReadHostInfo();

// Per-device operations.
bool SelectDeviceKey(const MacAddress& mac, bool useDefault);
bool ProbeDevice(const MacAddress& mac);
bool ProbeWithPassword(const MacAddress& mac, std::string_view passwordText);
void ReadDeviceParameter(const MacAddress& mac, uint16_t id);
bool ReadFirmwareBuild(const MacAddress& mac);
bool ReadLedState(const MacAddress& mac);
bool SetDeviceLed(const MacAddress& mac, bool on);
bool SetNetworkKey(const MacAddress& mac, std::string_view networkPassword, int securityLevel);
bool FactoryResetDevice(const MacAddress& mac);
bool RestartDevice(const MacAddress& mac);
bool ReadQos(int& count, ClassifierRecord (&records)[kClassifierSlots]);
bool ApplyQos(int count, const ClassifierRecord* records);

// Table helpers: texts are cut to 63 characters; nothing happens for an address not in the table.
int FindDevice(const MacAddress& mac);
void SetDeviceName(const MacAddress& mac, std::string_view text);
void SetFirmwareBuild(const MacAddress& mac, std::string_view text);
void SetFirmwareVersion(const MacAddress& mac, std::string_view text);
void SetLedState(const MacAddress& mac, bool on);
// The firmware build part of a firmware information text: trimmed, up to and including the first ')';
// empty when there is none.
std::string FirmwareBuildText(std::string_view text);

// The model part of a firmware version text: the characters after its first blank up to the next '-',
// cut to 30 characters; "Unknow" for a text shorter than two characters; empty when either is missing.
std::string ModelFromFirmwareVersion(std::string_view version);
// A device name as the pages show it: every "Device" replaced by `deviceWord`; "Unknow" for a name
// shorter than two characters.
std::string DisplayName(std::string_view name, std::string_view deviceWord);
// The present records in table order: the rows of every page's device list.
std::vector<int> PresentRecords();

constexpr uint32_t kRowPauseMs = 2000;
// Serves the ticked rows of a page's list from the last row to the first, pausing 2 seconds before every
// row, with the coordinator deferred to just before row 0 when row 0 is ticked. Stops at the first row
// whose operation fails and returns false.
bool ServeTickedRows(const std::vector<MacAddress>& rows, const std::vector<bool>& ticked,
                     const std::function<bool(const MacAddress&)>& operation);
