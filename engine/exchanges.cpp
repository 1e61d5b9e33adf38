#include "engine/exchanges.h"

#include <cstring>

#include "engine/packet.h"
#include "engine/protocol_layers.h"
#include "platform/clock.h"

namespace {

constexpr uint8_t kDiscoverySignature[16] = {0x5C, 0x0E, 0x71, 0xD8, 0x26, 0xB4, 0x9A, 0x3F,
                                             0x60, 0xE7, 0x1B, 0xC2, 0x48, 0x0D, 0x93, 0xAA};
constexpr uint16_t kEtherType = 0x8912;

int SendRequest(const MacAddress& source, const MacAddress& destination, uint16_t type, bool sealed,
                const ByteBuffer& body) {
    Packet request;
    request.Init(destination, source, kEtherType, kMmv, type, 0, kVendorOui, sealed);
    request.payload.AppendBytes(body);
    return LayerStack::Instance()->Send(request);
}

// The shared exchange: one send, one receive, a confirm of the expected type.
bool Exchange(const MacAddress& source, const MacAddress& destination, uint16_t type, const ByteBuffer& body,
              Packet& confirm, uint16_t confirmType) {
    if (SendRequest(source, destination, type, true, body) < 0) {
        return false;
    }
    const int result = LayerStack::Instance()->Receive(confirm);
    return result > 0 && confirm.mmType == confirmType;
}

bool Exchange(const MacAddress& source, const MacAddress& destination, uint16_t type, const ByteBuffer& body,
              Packet& confirm) {
    return Exchange(source, destination, type, body, confirm, static_cast<uint16_t>(type + 1));
}

MacAddress MacAt(const ByteBuffer& buffer, size_t position) {
    MacAddress mac{};
    for (size_t i = 0; i < mac.size(); ++i) {
        mac[i] = buffer.GetU8(position + i);
    }
    return mac;
}

bool KnownRuleType(int32_t type) {
    return type >= 0 && type <= kMaxRuleType;
}

bool BuildClassifierTable(int count, const ClassifierRecord* records, std::vector<uint8_t>& table,
                          int (&usage)[kClassifierCategories]) {
    table.assign(kClassifierTableBytes, 0xFF);
    for (int i = 0; i < count; ++i) {
        const ClassifierRecord& record = records[i];
        if (record.priority < 0 || record.priority > 7 || record.ruleCount < 1 ||
            record.ruleCount > kMaxRulesPerRecord || record.valueLength > kClassifierValueBytes) {
            return false;
        }
        uint8_t* slot = table.data() + i * kClassifierSlotBytes;
        slot[0] = 0x00;
        slot[1] = 0x34;
        slot[2] = static_cast<uint8_t>(record.priority << 5 | 0x18);
        slot[3] = 0x00;
        slot[4] = record.ruleCount;
        for (int j = 0; j < kMaxRulesPerRecord; ++j) {
            const int32_t type = record.ruleTypes[static_cast<size_t>(j)];
            if (type == kNoRule) {
                continue;
            }
            if (!KnownRuleType(type)) {
                return false;
            }
            slot[5 + j] = static_cast<uint8_t>(type);
            ++usage[kClassifierRuleInfo[static_cast<size_t>(type)].category];
        }
        std::memcpy(slot + 9, record.values.data(), record.valueLength);
    }
    return true;
}

} // namespace

void FirmwareInfo::Release() {
    std::memset(words, 0, sizeof words);
    pairs.clear();
    lastWord = 0;
    text.clear();
}

void ParameterValue::Release() {
    status = 0;
    dataLength = 0;
    data.clear();
}

bool Discover(const MacAddress& source, const MacAddress& destination, std::vector<DiscoveryEntry>& entries) {
    entries.clear();
    const ByteBuffer signature(kDiscoverySignature, sizeof kDiscoverySignature);
    if (SendRequest(source, destination, kMmDiscover, false, signature) < 0) {
        return false;
    }
    const uint64_t start = TickMs();
    // The records of every discovery confirm, one after another; one record is read per confirm. Each
    // frame is received into a packet of its own so that a frame of another type cannot disturb them.
    ByteBuffer collected;
    size_t position = 0;
    do {
        Packet frame;
        const int result = LayerStack::Instance()->Receive(frame);
        if (result < 0) {
            return false;
        }
        if (result > 0 && frame.mmType == kMmDiscoverConfirm) {
            collected.AppendBytes(frame.payload);
            if (collected.Has(position, 2)) {
                DiscoveryEntry entry;
                entry.mac = frame.source;
                entry.kind = collected.GetU8(position);
                const uint8_t length = collected.GetU8(position + 1);
                entry.dataLength = length == 0 ? 37 : length;
                if (entry.dataLength <= kMaxDiscoveryData && collected.Has(position + 2, entry.dataLength) &&
                    entries.size() < kMaxListEntries) {
                    std::memcpy(entry.data, collected.At(position + 2), entry.dataLength);
                    position += 2 + entry.dataLength;
                    entries.push_back(entry);
                } else {
                    // A record that runs past what arrived, or past what an entry holds: refused, and
                    // nothing after it can be placed any more.
                    position = SIZE_MAX / 2;
                }
            }
            SleepMs(kDiscoveryPauseMs);
        }
    } while (TickMs() - start < kDiscoveryWindowMs);
    return !entries.empty();
}

bool Probe(const MacAddress& source, const MacAddress& destination) {
    ByteBuffer body(source.data(), source.size());
    body.AppendBytes(destination.data(), destination.size());
    Packet confirm;
    return Exchange(source, destination, kMmProbe, body, confirm);
}

bool ReadNetworkInfo(const MacAddress& source, const MacAddress& destination, uint8_t first, uint8_t second,
                     std::vector<NetworkInfoEntry>& entries) {
    entries.clear();
    ByteBuffer body;
    body.AppendU8(first);
    body.AppendU8(second);
    Packet confirm;
    if (!Exchange(source, destination, kMmNetworkInfo, body, confirm)) {
        return false;
    }
    const ByteBuffer& reply = confirm.payload;
    const size_t count = reply.GetU8(0);
    if (!reply.Has(1, count * 19)) {
        return false;
    }
    for (size_t i = 0; i < count; ++i) {
        const size_t at = 1 + i * 19;
        NetworkInfoEntry entry;
        std::memcpy(entry.networkId, reply.At(at), 7);
        entry.byte7 = reply.GetU8(at + 7);
        entry.byte8 = reply.GetU8(at + 8);
        entry.byte9 = reply.GetU8(at + 9);
        entry.mac = MacAt(reply, at + 10);
        entry.byte16 = reply.GetU8(at + 16);
        entry.byte17 = reply.GetU8(at + 17);
        entry.byte18 = reply.GetU8(at + 18);
        entries.push_back(entry);
    }
    return true;
}

bool ReadStationList(const MacAddress& source, const MacAddress& destination, const uint8_t (&networkId)[7],
                     std::vector<StationEntry>& entries) {
    entries.clear();
    ByteBuffer body;
    body.AppendU8(0x00);
    body.AppendBytes(networkId, sizeof networkId);
    Packet confirm;
    if (!Exchange(source, destination, kMmStationList, body, confirm)) {
        return false;
    }
    const ByteBuffer& reply = confirm.payload;
    const size_t count = reply.GetU8(0);
    if (!reply.Has(1, count * 10)) {
        return false;
    }
    for (size_t i = 0; i < count; ++i) {
        const size_t at = 1 + i * 10;
        StationEntry entry;
        entry.mac = MacAt(reply, at);
        entry.stationRate = reply.GetU16Le(at + 6);
        entry.hostRate = reply.GetU16Le(at + 8);
        entries.push_back(entry);
    }
    return true;
}

bool ReadFirmwareInfo(const MacAddress& source, const MacAddress& destination, FirmwareInfo& info) {
    info.Release();
    Packet confirm;
    if (!Exchange(source, destination, kMmFirmwareInfo, ByteBuffer(), confirm)) {
        return false;
    }
    const ByteBuffer& reply = confirm.payload;
    if (!reply.Has(0, 25)) {
        return false;
    }
    const size_t pairs = reply.GetU8(24);
    const size_t last = 25 + 5 * pairs;
    if (!reply.Has(last, 5)) {
        return false;
    }
    const size_t textLength = reply.GetU8(last + 4);
    if (!reply.Has(last + 5, textLength)) {
        return false;
    }
    for (size_t i = 0; i < 6; ++i) {
        info.words[i] = reply.GetU32Le(i * 4);
    }
    for (size_t i = 0; i < pairs; ++i) {
        info.pairs.push_back({reply.GetU8(25 + i * 5), reply.GetU32Le(26 + i * 5)});
    }
    info.lastWord = reply.GetU32Le(last);
    for (size_t i = 0; i < textLength; ++i) {
        const char c = static_cast<char>(reply.GetU8(last + 5 + i));
        if (c == '\0') {
            break;
        }
        info.text.push_back(c);
    }
    return true;
}

bool ReadParameter(const MacAddress& source, const MacAddress& destination, uint16_t id, ParameterValue& value) {
    value.Release();
    ByteBuffer body;
    body.AppendU16Le(id);
    Packet confirm;
    if (!Exchange(source, destination, kMmReadParameter, body, confirm)) {
        return false;
    }
    const ByteBuffer& reply = confirm.payload;
    if (!reply.Has(0, 3)) {
        return false;
    }
    const uint16_t length = reply.GetU16Le(1);
    if (!reply.Has(3, length)) {
        return false;
    }
    value.status = reply.GetU8(0);
    value.dataLength = length;
    if (length > 0) {
        value.data.assign(reply.At(3), reply.At(3) + length);
    }
    return true;
}

bool ReadStatusWord(const MacAddress& source, const MacAddress& destination, uint32_t mask, bool& anySet) {
    anySet = false;
    ByteBuffer body;
    for (uint8_t byte : {0x04, 0x03, 0x04, 0x11, 0x01}) {
        body.AppendU8(byte);
    }
    for (int i = 0; i < 252; ++i) {
        body.AppendU8(0);
    }
    Packet confirm;
    if (!Exchange(source, destination, kMmStatusWord, body, confirm)) {
        return false;
    }
    const ByteBuffer& reply = confirm.payload;
    if (!reply.Has(0, 2)) {
        return false;
    }
    uint32_t word = 0;
    if (reply.GetU16Le(0) != 0) {
        if (!reply.Has(2, 4)) {
            return false;
        }
        word = reply.GetU32Le(2);
    }
    anySet = (word & mask) != 0;
    return true;
}

bool WriteParameter(const MacAddress& source, const MacAddress& destination, uint16_t id, uint8_t flag, uint16_t length,
                    const uint8_t* data) {
    ByteBuffer body;
    body.AppendU16Le(id);
    body.AppendU8(flag);
    body.AppendU16Le(length);
    body.AppendBytes(data, length);
    for (int sends = 1;; ++sends) {
        CPacketLayer* packetLayer = CPacketLayer::Instance();
        const uint8_t requestSequence = packetLayer->sequence;
        if (SendRequest(source, destination, kMmWriteParameter, true, body) < 0) {
            return false;
        }
        const uint64_t start = TickMs();
        while (TickMs() - start < kWriteWindowMs) {
            Packet confirm;
            const int result = LayerStack::Instance()->Receive(confirm);
            if (result > 0 && confirm.mmType == kMmWriteParameter + 1 && confirm.payload.Size() >= 1) {
                const uint8_t verdict = confirm.payload.GetU8(0);
                if (verdict == 0) {
                    return true;
                }
                if (verdict == 1) {
                    return false;
                }
                // Not a verdict yet: the adapter's final answer carries this request's Sequence too, so
                // the counter goes back to it instead of rejecting that answer as stale.
                packetLayer->sequence = requestSequence;
            }
        }
        if (sends == kWriteSends) {
            return false;
        }
    }
}

bool Restart(const MacAddress& source, const MacAddress& destination) {
    Packet confirm;
    return Exchange(source, destination, kMmRestart, ByteBuffer(), confirm, kMmProbeConfirm);
}

bool FactoryReset(const MacAddress& source, const MacAddress& destination) {
    ByteBuffer body;
    body.AppendU8(0x01);
    for (int sends = 1;; ++sends) {
        if (SendRequest(source, destination, kMmFactoryReset, true, body) < 0) {
            return false;
        }
        Packet confirm;
        if (LayerStack::Instance()->Receive(confirm) > 0) {
            return true;
        }
        if (sends == kFactoryResetSends) {
            return false;
        }
    }
}

bool ReadClassifierCapacity(const MacAddress& source, const MacAddress& destination, uint16_t id, uint8_t& capacity) {
    ParameterValue value;
    if (!ReadParameter(source, destination, id, value)) {
        return true; // no answer: the capacity stays as the caller set it
    }
    if (value.dataLength != 1) {
        return false;
    }
    capacity = value.data[0];
    return true;
}

bool ReadClassifierTable(const MacAddress& source, const MacAddress& destination, int& count,
                         ClassifierRecord (&records)[kClassifierSlots]) {
    count = 0;
    ParameterValue value;
    if (!ReadParameter(source, destination, kParamClassifierTable, value) ||
        value.dataLength != kClassifierTableBytes) {
        return false;
    }
    int found = 0;
    for (int position = 0; position < kClassifierTableBytes; position += kClassifierSlotBytes) {
        const uint8_t* slot = value.data.data() + position;
        if (slot[0] == 0xFF) {
            continue;
        }
        if (slot[0] == 0x01 || (slot[2] & 0x18) != 0x18 || slot[4] > kMaxRulesPerRecord) {
            return false;
        }
        ClassifierRecord record;
        record.priority = slot[2] >> 5;
        record.ruleCount = slot[4];
        for (int j = 0; j < kMaxRulesPerRecord; ++j) {
            const uint8_t type = j < record.ruleCount ? slot[5 + j] : 0xFF;
            if (type != 0xFF && !KnownRuleType(type)) {
                return false;
            }
            record.ruleTypes[static_cast<size_t>(j)] = type == 0xFF ? kNoRule : type;
        }
        std::memcpy(record.values.data(), slot + 9, kClassifierValueBytes);
        record.valueLength = 0;
        for (uint8_t byte : record.values) {
            if (byte != 0xFF) {
                ++record.valueLength;
            }
        }
        records[found++] = record;
    }
    count = found;
    return true;
}

bool ExpandClassifierRecord(const ClassifierRecord& record, ClassifierEntry (&entries)[kMaxRulesPerRecord]) {
    size_t position = 0;
    const int rules = record.ruleCount < kMaxRulesPerRecord ? record.ruleCount : kMaxRulesPerRecord;
    for (int j = 0; j < rules; ++j) {
        const int32_t type = record.ruleTypes[static_cast<size_t>(j)];
        if (type == kNoRule) {
            continue;
        }
        if (!KnownRuleType(type)) {
            return false;
        }
        const uint8_t length = kClassifierRuleInfo[static_cast<size_t>(type)].valueLength;
        if (position + length > kClassifierValueBytes) {
            return false;
        }
        ClassifierEntry& entry = entries[j];
        entry.type = type;
        entry.length = length;
        entry.value.fill(0);
        std::memcpy(entry.value.data(), record.values.data() + position, length);
        position += length;
    }
    return record.ruleCount <= kMaxRulesPerRecord;
}

bool WriteClassifierTable(const MacAddress& source, const MacAddress& destination, int count,
                          const ClassifierRecord* records) {
    if (count <= 0 || records == nullptr || count > kClassifierSlots) {
        return false;
    }
    uint8_t capacity[kClassifierCategories] = {};
    for (int category = 0; category < kClassifierCategories; ++category) {
        if (!ReadClassifierCapacity(source, destination, static_cast<uint16_t>(kParamClassifierCapacity0 + category),
                                    capacity[category])) {
            return false;
        }
    }
    std::vector<uint8_t> table;
    int usage[kClassifierCategories] = {};
    if (!BuildClassifierTable(count, records, table, usage)) {
        return false;
    }
    for (int category = 0; category < kClassifierCategories; ++category) {
        if (usage[category] > capacity[category]) {
            return false;
        }
    }
    return WriteParameter(source, destination, kParamClassifierTable, 1, kClassifierTableBytes, table.data());
}
