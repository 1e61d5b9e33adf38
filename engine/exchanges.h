#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/classifier.h"
#include "engine/mac_address.h"

// The request/confirm exchanges with one adapter. Each sends through the process's layer stack and
// reads the confirm body with every count and length checked against what arrived: a confirm that
// announces more than it holds fails the exchange.

constexpr uint16_t kMmDiscover = 0xA070;
constexpr uint16_t kMmDiscoverConfirm = 0xA071;
constexpr uint16_t kMmProbe = 0xA000;
constexpr uint16_t kMmProbeConfirm = 0xA001;
constexpr uint16_t kMmRestart = 0xA020;
constexpr uint16_t kMmNetworkInfo = 0xA028;
constexpr uint16_t kMmStationList = 0xA02C;
constexpr uint16_t kMmFirmwareInfo = 0xA04C;
constexpr uint16_t kMmFactoryReset = 0xA054;
constexpr uint16_t kMmWriteParameter = 0xA058;
constexpr uint16_t kMmReadParameter = 0xA05C;
constexpr uint16_t kMmStatusWord = 0xA060;

constexpr uint16_t kParamLedMode = 0x21;
constexpr uint16_t kParamFirmwareVersion = 0x41;
constexpr uint16_t kParamClassifierTable = 0x46;
constexpr uint16_t kParamNetworkId = 0x49;
constexpr uint16_t kParamNetworkKey = 0x4A;
constexpr uint16_t kParamClassifierCapacity0 = 0x60; // to 0x64 for categories 0 to 4

constexpr uint8_t kLedOnMode = 0x08;
constexpr uint8_t kLedOffMode = 0x88;

constexpr MacAddress kBroadcastMac = {0xff, 0xff, 0xff, 0xff, 0xff, 0xff};
constexpr int kDiscoveryWindowMs = 2000;
constexpr int kDiscoveryPauseMs = 50;
constexpr int kMaxDiscoveryData = 64;
constexpr int kWriteWindowMs = 12000;
constexpr int kWriteSends = 5;
constexpr int kFactoryResetSends = 5;
constexpr size_t kMaxListEntries = 255;

struct DiscoveryEntry {
    MacAddress mac{};
    uint8_t kind = 0;
    uint8_t dataLength = 0;
    uint8_t data[kMaxDiscoveryData] = {};
};

struct NetworkInfoEntry {
    uint8_t networkId[7] = {};
    uint8_t byte7 = 0;
    uint8_t byte8 = 0;
    uint8_t byte9 = 0;
    MacAddress mac{};
    uint8_t byte16 = 0;
    uint8_t byte17 = 0;
    uint8_t byte18 = 0;
};

struct StationEntry {
    MacAddress mac{};
    uint16_t stationRate = 0;
    uint16_t hostRate = 0;
};

struct FirmwarePair {
    uint8_t value = 0;
    uint32_t word = 0;
};

struct FirmwareInfo {
    uint32_t words[6] = {};
    std::vector<FirmwarePair> pairs;
    uint32_t lastWord = 0;
    std::string text;
    void Release();
};

struct ParameterValue {
    uint8_t status = 0;
    uint16_t dataLength = 0;
    std::vector<uint8_t> data;
    void Release();
};

// Lists come in arrival order; their size never exceeds 255 entries.
bool Discover(const MacAddress& source, const MacAddress& destination, std::vector<DiscoveryEntry>& entries);
bool Probe(const MacAddress& source, const MacAddress& destination);
bool ReadNetworkInfo(const MacAddress& source, const MacAddress& destination, uint8_t first, uint8_t second,
                     std::vector<NetworkInfoEntry>& entries);
bool ReadStationList(const MacAddress& source, const MacAddress& destination, const uint8_t (&networkId)[7],
                     std::vector<StationEntry>& entries);
bool ReadFirmwareInfo(const MacAddress& source, const MacAddress& destination, FirmwareInfo& info);
bool ReadParameter(const MacAddress& source, const MacAddress& destination, uint16_t id, ParameterValue& value);
// True when the read succeeded; `anySet` tells whether the status word shares a bit with `mask`.
bool ReadStatusWord(const MacAddress& source, const MacAddress& destination, uint32_t mask, bool& anySet);

bool WriteParameter(const MacAddress& source, const MacAddress& destination, uint16_t id, uint8_t flag, uint16_t length,
                    const uint8_t* data);
bool Restart(const MacAddress& source, const MacAddress& destination);
bool FactoryReset(const MacAddress& source, const MacAddress& destination);

bool ReadClassifierCapacity(const MacAddress& source, const MacAddress& destination, uint16_t id, uint8_t& capacity);
// Fails as a whole on a slot that starts with 01, a record without its marker bits, a rule count above
// four or a rule type the table does not know.
bool ReadClassifierTable(const MacAddress& source, const MacAddress& destination, int& count,
                         ClassifierRecord (&records)[kClassifierSlots]);
// Refused before anything is sent when `count` is 0 or above 52, a record is malformed, or the rules of
// a category exceed the adapter's capacity for it.
bool WriteClassifierTable(const MacAddress& source, const MacAddress& destination, int count,
                          const ClassifierRecord* records);
// One entry per rule slot; slots without a rule are left as they were. False for a rule type without a
// known length or values that would run past the record's 16 bytes.
bool ExpandClassifierRecord(const ClassifierRecord& record, ClassifierEntry (&entries)[kMaxRulesPerRecord]);
