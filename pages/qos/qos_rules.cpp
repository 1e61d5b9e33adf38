#include "pages/qos/qos_rules.h"

#include "engine/exchanges.h"
#include "engine/mac_address.h"

#include <algorithm>
#include <cstdio>

namespace {

constexpr size_t kMacDigits = 12;
constexpr size_t kMacTextLength = 17;
constexpr int kMaxPort = 65535;

bool IsHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

bool IsSeparatorPosition(size_t index) {
    return index % 3 == 2;
}

bool Contains(const std::vector<std::string>& entries, std::string_view text) {
    return std::find(entries.begin(), entries.end(), text) != entries.end();
}

// True when every digit of the address is 0, in either length.
bool IsAllZero(std::string_view text) {
    for (size_t i = 0; i < text.size(); ++i) {
        const bool separator = text.size() == kMacTextLength && IsSeparatorPosition(i);
        if (!separator && text[i] != '0') {
            return false;
        }
    }
    return true;
}

bool HasMacFormat(std::string_view text) {
    if (text.size() == kMacDigits) {
        return std::all_of(text.begin(), text.end(), IsHexDigit);
    }
    if (text.size() != kMacTextLength) {
        return false;
    }
    for (size_t i = 0; i < text.size(); ++i) {
        const bool ok = IsSeparatorPosition(i) ? (text[i] == ':' || text[i] == '-') : IsHexDigit(text[i]);
        if (!ok) {
            return false;
        }
    }
    return true;
}

// The low digit of the first octet is odd for group (multicast and broadcast) addresses.
bool IsGroupAddress(std::string_view text) {
    const char c = text[1];
    const int value = c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10;
    return (value & 1) != 0;
}

// A port cell read back as a number; cells hold decimal texts of at most 65535.
uint16_t PortValue(std::string_view text) {
    int value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') {
            break;
        }
        value = std::min(value * 10 + (c - '0'), kMaxPort);
    }
    return static_cast<uint16_t>(value);
}

ClassifierRecord SingleRule(int priority, int32_t type, const uint8_t* value, uint8_t length) {
    ClassifierRecord record;
    record.priority = priority;
    record.ruleCount = 1;
    record.ruleTypes = {type, kNoRule, kNoRule, kNoRule};
    record.valueLength = length;
    std::copy(value, value + length, record.values.begin());
    return record;
}

// The rows before the new-entry row (the last one).
size_t EntryRowCount(const std::vector<QosEntryRow>& rows) {
    return rows.empty() ? 0 : rows.size() - 1;
}

std::string FormatAddress(const ClassifierEntry& entry) {
    char text[kMacTextLength + 1];
    std::snprintf(text, sizeof text, "%.2x:%.2x:%.2x:%.2x:%.2x:%.2x", entry.value[0], entry.value[1], entry.value[2],
                  entry.value[3], entry.value[4], entry.value[5]);
    return text;
}

// The rules of a record in slot order. The engine's expansion stops at a rule type without a known length
// and at values that would run past the record, leaving the later slots empty, so the rules before such a
// point are shown and nothing is read outside the record.
std::vector<ClassifierEntry> UnpackRules(const ClassifierRecord& record) {
    ClassifierEntry slots[kMaxRulesPerRecord];
    ExpandClassifierRecord(record, slots);
    std::vector<ClassifierEntry> entries;
    for (int j = 0; j < std::min<int>(record.ruleCount, kMaxRulesPerRecord); ++j) {
        if (slots[j].type != kNoRule) {
            entries.push_back(slots[j]);
        }
    }
    return entries;
}

} // namespace

std::string NormaliseMac(std::string_view text) {
    std::string normal;
    if (text.size() == kMacDigits) {
        for (size_t i = 0; i < text.size(); ++i) {
            if (i > 0 && i % 2 == 0) {
                normal += ':';
            }
            normal += text[i];
        }
        return normal;
    }
    normal = text;
    if (normal.size() == kMacTextLength) {
        for (size_t i = 2; i < normal.size(); i += 3) {
            normal[i] = ':';
        }
    }
    return normal;
}

QosEntryCheck ValidateMacEntry(std::string_view text, const std::vector<std::string>& otherEntries) {
    if (text.empty()) {
        return {QosEntryOutcome::Empty, {}};
    }
    if (!HasMacFormat(text) || IsGroupAddress(text) || IsAllZero(text)) {
        return {QosEntryOutcome::Refused, {}};
    }
    std::string normal = NormaliseMac(text);
    if (Contains(otherEntries, normal)) {
        return {QosEntryOutcome::Duplicate, {}};
    }
    return {QosEntryOutcome::Accepted, std::move(normal)};
}

QosEntryCheck ValidatePortEntry(std::string_view text, const std::vector<std::string>& otherEntries) {
    if (text.empty()) {
        return {QosEntryOutcome::Empty, {}};
    }
    if (!std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }) || text[0] == '0') {
        return {QosEntryOutcome::Refused, {}};
    }
    long value = 0;
    for (char c : text) {
        value = value * 10 + (c - '0');
        if (value > kMaxPort) {
            return {QosEntryOutcome::Refused, {}};
        }
    }
    if (Contains(otherEntries, text)) {
        return {QosEntryOutcome::Duplicate, {}};
    }
    return {QosEntryOutcome::Accepted, std::string(text)};
}

int PriorityFromCaption(std::string_view text, const QosCaptions& captions) {
    int priority = 0;
    for (int i = 0; i < kQosPriorityCount; ++i) {
        if (text == captions[i]) {
            priority = i;
        }
    }
    return priority;
}

QosTypeCells DefaultTypeCells(const QosCaptions& captions) {
    QosTypeCells cells;
    for (auto& row : cells) {
        for (int v = 0; v < kQosTypeValues; ++v) {
            row[v] = captions[kQosDefaultTypePriority[v]];
        }
    }
    return cells;
}

std::vector<std::string> CaptionChoices(const QosCaptions& captions) {
    return {captions[3], captions[2], captions[1], captions[0]};
}

std::vector<ClassifierRecord> BuildRules(const std::vector<QosEntryRow>& addressRows,
                                         const std::vector<QosEntryRow>& portRows, const QosTypeTable& typeTable,
                                         const QosCaptions& captions) {
    std::vector<ClassifierRecord> records;
    for (size_t i = 0; i < EntryRowCount(addressRows); ++i) {
        const MacAddress mac = ParseMac(addressRows[i].entry);
        records.push_back(SingleRule(PriorityFromCaption(addressRows[i].caption, captions), kRuleEthernetDestination,
                                     mac.data(), static_cast<uint8_t>(mac.size())));
    }
    for (int32_t type : {kRuleTcpDestinationPort, kRuleUdpDestinationPort}) {
        for (size_t i = 0; i < EntryRowCount(portRows); ++i) {
            const uint16_t port = PortValue(portRows[i].entry);
            const uint8_t value[2] = {static_cast<uint8_t>(port >> 8), static_cast<uint8_t>(port & 0xFF)};
            records.push_back(SingleRule(PriorityFromCaption(portRows[i].caption, captions), type, value, 2));
        }
    }
    for (int v = 0; v < kQosTypeValues; ++v) {
        const uint8_t value = static_cast<uint8_t>(v);
        if (typeTable.checked[kQosVlanRow]) {
            records.push_back(SingleRule(PriorityFromCaption(typeTable.cells[kQosVlanRow][v], captions),
                                         kRuleVlanUserPriority, &value, 1));
        }
        if (typeTable.checked[kQosTosRow]) {
            records.push_back(
                SingleRule(PriorityFromCaption(typeTable.cells[kQosTosRow][v], captions), kRuleIpv4Tos, &value, 1));
        }
    }
    return records;
}

QosTables RulesToTables(const std::vector<ClassifierRecord>& records, const QosTypeCells& typeCells,
                        const QosCaptions& captions) {
    QosTables tables;
    tables.typeCells = typeCells;
    for (const ClassifierRecord& record : records) {
        const bool known = record.priority >= 0 && record.priority < kQosPriorityCount;
        const std::string caption = known ? captions[record.priority] : std::string();
        for (const ClassifierEntry& entry : UnpackRules(record)) {
            switch (entry.type) {
            case kRuleEthernetDestination:
                tables.addressRows.push_back({FormatAddress(entry), caption});
                break;
            case kRuleVlanUserPriority:
            case kRuleIpv4Tos: {
                const bool vlan = entry.type == kRuleVlanUserPriority;
                (vlan ? tables.vlanSeen : tables.tosSeen) = true;
                if (entry.value[0] < kQosTypeValues) {
                    tables.typeCells[vlan ? kQosVlanRow : kQosTosRow][entry.value[0]] = caption;
                }
                break;
            }
            case kRuleTcpDestinationPort:
                tables.portRows.push_back({std::to_string(entry.value[0] << 8 | entry.value[1]), caption});
                break;
            default:
                break;
            }
        }
    }
    return tables;
}
