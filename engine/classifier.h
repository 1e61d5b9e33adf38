#pragma once

#include <array>
#include <cstdint>

// QoS classification records as the adapters' classifier table (parameter 0x46) holds them, and the
// in-memory forms exchanged between the QoS page and the engine.

constexpr int kClassifierTableBytes = 1300; // parameter 0x46
constexpr int kClassifierSlotBytes = 25;    // one record or 25 bytes FF
constexpr int kClassifierSlots = 52;        // kClassifierTableBytes / kClassifierSlotBytes
constexpr int kMaxRulesPerRecord = 4;       // rule slots of one record
constexpr int kClassifierValueBytes = 16;   // packed rule values of one record
constexpr int kClassifierCategories = 5;    // capacity categories, read from parameters 0x60 to 0x64
constexpr int32_t kNoRule = 255;            // rule type of a slot without a rule

// Classifier rule types.
enum ClassifierRuleType : int32_t {
    kRuleEthernetDestination = 0,
    kRuleEthernetSource = 1,
    kRuleVlanUserPriority = 2,
    kRuleVlanId = 3,
    kRuleIpv4Tos = 4,
    kRuleIpv4Protocol = 5,
    kRuleIpv4Source = 6,
    kRuleIpv4Destination = 7,
    kRuleIpv6TrafficClass = 8,
    kRuleIpv6FlowLabel = 9,
    kRuleIpv6Source = 10,
    kRuleIpv6Destination = 11,
    kRuleTcpSourcePort = 12,
    kRuleTcpDestinationPort = 13,
    kRuleUdpSourcePort = 14,
    kRuleUdpDestinationPort = 15,
};
constexpr int32_t kMaxRuleType = kRuleUdpDestinationPort;

// Value length in bytes and capacity category of each rule type, indexed by type. Types above
// kMaxRuleType have neither.
struct ClassifierRuleInfo {
    uint8_t valueLength;
    uint8_t category;
};
constexpr std::array<ClassifierRuleInfo, kMaxRuleType + 1> kClassifierRuleInfo = {{
    {6, 0},  // Ethernet destination address
    {6, 0},  // Ethernet source address
    {1, 1},  // VLAN user priority
    {2, 1},  // VLAN identifier
    {1, 2},  // IPv4 type of service
    {1, 2},  // IPv4 protocol
    {4, 3},  // IPv4 source address
    {4, 3},  // IPv4 destination address
    {1, 2},  // IPv6 traffic class
    {3, 2},  // IPv6 flow label
    {16, 3}, // IPv6 source address
    {16, 3}, // IPv6 destination address
    {2, 4},  // TCP source port
    {2, 4},  // TCP destination port
    {2, 4},  // UDP source port
    {2, 4},  // UDP destination port
}};

// One classification record. Multi-byte values are in network byte order; the engine copies them as bytes.
struct ClassifierRecord {
    int32_t priority = 0;  // 0 to 7
    uint8_t ruleCount = 0; // 1 to 4 (8 bits, padded to a 32-bit slot)
    std::array<int32_t, kMaxRulesPerRecord> ruleTypes{kNoRule, kNoRule, kNoRule, kNoRule};
    uint8_t valueLength = 0; // meaningful bytes of values
    std::array<uint8_t, kClassifierValueBytes> values{};
};

// One rule of a record, unpacked: `value` holds `length` bytes, zero after them.
struct ClassifierEntry {
    int32_t type = kNoRule;
    uint8_t length = 0;
    std::array<uint8_t, kClassifierValueBytes> value{};
};
