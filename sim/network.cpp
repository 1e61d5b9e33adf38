#include "sim/network.h"

#include <algorithm>
#include <cstring>
#include <nlohmann/json.hpp>

#include "engine/link_stack.h"
#include "sim/wire.h"

namespace sim {

namespace {

const uint8_t kDiscoverySignature[16] = {0x5C, 0x0E, 0x71, 0xD8, 0x26, 0xB4, 0x9A, 0x3F,
                                         0x60, 0xE7, 0x1B, 0xC2, 0x48, 0x0D, 0x93, 0xAA};
const uint8_t kStatusWordPrefix[5] = {0x04, 0x03, 0x04, 0x11, 0x01};
constexpr size_t kStatusWordRequestLength = 257;
constexpr uint8_t kBusyVerdict = 2;
constexpr uint32_t kBusyVerdictLeadMs = 40;

void PutU16(std::vector<uint8_t>& out, uint16_t value) {
    out.push_back(static_cast<uint8_t>(value & 0xFF));
    out.push_back(static_cast<uint8_t>(value >> 8));
}

void PutU32(std::vector<uint8_t>& out, uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) {
        out.push_back(static_cast<uint8_t>(value >> shift));
    }
}

uint16_t GetU16(std::span<const uint8_t> bytes, size_t at) {
    return static_cast<uint16_t>(bytes[at] | bytes[at + 1] << 8);
}

bool IsSealedRequest(uint16_t type) {
    switch (type) {
    case kProbe:
    case kRestart:
    case kReadNetworkInfo:
    case kReadStationList:
    case kReadFirmwareInfo:
    case kFactoryReset:
    case kWriteParameter:
    case kReadParameter:
    case kReadStatusWord:
        return true;
    default:
        return false;
    }
}

uint16_t ConfirmType(uint16_t request) {
    return request == kRestart ? kProbeConfirm : request + 1;
}

std::string Hex16(uint16_t value) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%02X", value);
    return text;
}

} // namespace

size_t RuleValueLength(uint8_t type) {
    static const uint8_t lengths[16] = {6, 6, 1, 2, 1, 1, 4, 4, 1, 3, 16, 16, 2, 2, 2, 2};
    return type < 16 ? lengths[type] : 0;
}

int RuleCategory(uint8_t type) {
    static const int categories[16] = {0, 0, 1, 1, 2, 2, 3, 3, 2, 2, 3, 3, 4, 4, 4, 4};
    return type < 16 ? categories[type] : -1;
}

bool CheckClassifierTable(std::span<const uint8_t> table, const std::array<uint8_t, 5>* capacities,
                          std::string& reason) {
    if (table.size() != kClassifierTableLength) {
        reason = "classifier table of " + std::to_string(table.size()) + " bytes, expected 1300";
        return false;
    }
    std::array<int, 5> usage{};
    for (size_t slot = 0; slot < kClassifierSlots; ++slot) {
        const uint8_t* r = table.data() + slot * kClassifierSlot;
        const std::string where = "slot " + std::to_string(slot) + ": ";
        if (std::all_of(r, r + kClassifierSlot, [](uint8_t b) { return b == 0xFF; })) {
            continue;
        }
        if (r[0] != 0x00 || r[1] != 0x34 || r[3] != 0x00) {
            reason = where + "fixed bytes are not 00 34 .. 00";
            return false;
        }
        if ((r[2] & 0x18) != 0x18 || (r[2] & 0x07) != 0) {
            reason = where + "priority byte " + Hex16(r[2]) + " lacks the marker bits";
            return false;
        }
        const uint8_t count = r[4];
        if (count < 1 || count > 4) {
            reason = where + "rule count " + std::to_string(count);
            return false;
        }
        size_t valueLength = 0;
        for (uint8_t j = 0; j < 4; ++j) {
            const uint8_t type = r[5 + j];
            if (j >= count) {
                if (type != 0xFF) {
                    reason = where + "rule slot " + std::to_string(j) + " beyond the count is not FF";
                    return false;
                }
                continue;
            }
            if (type > 15) {
                reason = where + "rule type " + std::to_string(type);
                return false;
            }
            valueLength += RuleValueLength(type);
            ++usage[static_cast<size_t>(RuleCategory(type))];
        }
        if (valueLength > 16) {
            reason = where + "rule values need " + std::to_string(valueLength) + " bytes, more than 16";
            return false;
        }
        if (!std::all_of(r + 9 + valueLength, r + kClassifierSlot, [](uint8_t b) { return b == 0xFF; })) {
            reason = where + "value bytes after the rules' values are not FF";
            return false;
        }
    }
    if (capacities) {
        for (size_t c = 0; c < usage.size(); ++c) {
            if (usage[c] > (*capacities)[c]) {
                reason = "category " + std::to_string(c) + " holds " + std::to_string(usage[c]) + " rules, capacity " +
                         std::to_string((*capacities)[c]);
                return false;
            }
        }
    }
    return true;
}

Key16 FactoryNmk() {
    return *DeriveNmk("HomePlugAV");
}

NetworkId FactoryNid() {
    return DeriveNid(FactoryNmk(), 0);
}

AdapterConfig DefaultAdapter(const MacAddress& mac, bool local) {
    AdapterConfig config;
    config.mac = mac;
    config.nmk = FactoryNmk();
    config.nid = FactoryNid();
    config.classifierTable.fill(0xFF);
    config.discoveryKind = local ? 0 : 2;
    config.answersDiscovery = local;
    config.faults.answerDelayMs = local ? 2 : 5;
    return config;
}

std::string ErrorKindName(ErrorKind kind) {
    switch (kind) {
    case ErrorKind::ShortFrame:
        return "short-frame";
    case ErrorKind::BadHeader:
        return "bad-header";
    case ErrorKind::NoSuchAdapter:
        return "no-such-adapter";
    case ErrorKind::UnknownType:
        return "unknown-type";
    case ErrorKind::BadPayload:
        return "bad-payload";
    case ErrorKind::BadCrc:
        return "bad-crc";
    case ErrorKind::BadFill:
        return "bad-fill";
    case ErrorKind::WrongKey:
        return "wrong-key";
    case ErrorKind::BadBody:
        return "bad-body";
    }
    return "unknown";
}

std::unique_ptr<SimNetwork> SimNetwork::Create(const NetworkConfig& config, std::string& error, uint32_t seed) {
    if (config.remotes.size() > kMaxRemotes) {
        error = std::to_string(config.remotes.size()) + " remote adapters, at most 63";
        return nullptr;
    }
    std::unique_ptr<SimNetwork> network(new SimNetwork(seed));
    std::vector<const AdapterConfig*> all = {&config.local};
    for (const AdapterConfig& remote : config.remotes) {
        all.push_back(&remote);
    }
    for (size_t i = 0; i < all.size(); ++i) {
        const AdapterConfig& c = *all[i];
        for (size_t j = 0; j < i; ++j) {
            if (all[j]->mac == c.mac) {
                error = "address " + FormatMac(c.mac) + " appears twice";
                return nullptr;
            }
        }
        if (c.mac == kBroadcast || (c.mac[0] & 1) != 0) {
            error = "address " + FormatMac(c.mac) + " is not a station address";
            return nullptr;
        }
        AdapterState state;
        state.config = c;
        state.local = i == 0;
        if (state.local) {
            state.password = std::string(kHostAdapterPassword);
        } else {
            state.password = c.password.value_or(DefaultDevicePassword(c.mac));
        }
        const std::optional<Key16> key = DeriveLayerKey(state.password);
        if (!key) {
            error = "adapter " + FormatMac(c.mac) + ": its password cannot be derived (1 to 64 characters)";
            return nullptr;
        }
        std::string reason;
        if (!CheckClassifierTable(c.classifierTable, nullptr, reason)) {
            error = "adapter " + FormatMac(c.mac) + ": " + reason;
            return nullptr;
        }
        state.layerKey = *key;
        state.storedLedMode = c.ledOn ? kLedOnValue : kLedOffValue;
        state.storedNmk = c.nmk;
        state.storedNid = c.nid;
        state.storedClassifier = c.classifierTable;
        network->adapters_.push_back(std::move(state));
    }
    if (config.coordinator && !network->FindLocked(*config.coordinator)) {
        error = "coordinator " + FormatMac(*config.coordinator) + " is not an adapter of the network";
        return nullptr;
    }
    network->coordinator_ = config.coordinator;
    return network;
}

AdapterState* SimNetwork::FindLocked(const MacAddress& mac) {
    for (AdapterState& adapter : adapters_) {
        if (adapter.config.mac == mac) {
            return &adapter;
        }
    }
    return nullptr;
}

std::vector<Outgoing> SimNetwork::Handle(std::span<const uint8_t> frame, uint64_t nowMs) {
    std::lock_guard lock(mutex_);
    std::vector<Outgoing> out;
    if (frame.size() >= 14 && static_cast<uint16_t>(frame[12] << 8 | frame[13]) != kEtherType) {
        return out;
    }
    if (frame.size() >= 12) {
        MacAddress source{};
        std::memcpy(source.data(), frame.data() + 6, 6);
        if (FindLocked(source)) {
            return out; // our own answer, seen again on a capture interface
        }
    }
    RequestRecord record;
    record.index = record_.size();
    record.timeMs = nowMs;
    Header header;
    if (!ReadHeader(frame, header)) {
        record.error = ErrorKind::ShortFrame;
        record.reason = "frame of " + std::to_string(frame.size()) + " bytes, shorter than the 22-byte header";
        if (frame.size() >= 12) {
            std::memcpy(record.destination.data(), frame.data(), 6);
            std::memcpy(record.source.data(), frame.data() + 6, 6);
        }
        record_.push_back(std::move(record));
        return out;
    }
    record.source = header.source;
    record.destination = header.destination;
    record.mmType = header.mmType;
    record.typeName = TypeName(header.mmType);
    record.sealed = IsSealedRequest(header.mmType);
    const std::span<const uint8_t> payload = frame.subspan(kHeaderLength);

    auto fail = [&](ErrorKind kind, std::string reason) {
        record.error = kind;
        record.reason = std::move(reason);
    };
    AdapterState* adapter = FindLocked(header.destination);
    if (header.mmv != kMmv) {
        fail(ErrorKind::BadHeader, "management message version " + std::to_string(header.mmv) + ", expected 1");
    } else if (header.fmi != 0) {
        fail(ErrorKind::BadHeader, "fragment information " + Hex16(header.fmi) + ", expected 0");
    } else if (header.oui != kOui) {
        fail(ErrorKind::BadHeader, "vendor identifier " + Hex(header.oui) + ", expected 001f84");
    } else if (header.mmType == kDiscover) {
        if (header.destination != kBroadcast && !adapter) {
            fail(ErrorKind::NoSuchAdapter, "no adapter has the address " + FormatMac(header.destination));
        } else {
            HandleDiscover(record, payload, nowMs, out);
        }
    } else if (!record.sealed) {
        fail(ErrorKind::UnknownType, "no adapter answers type " + Hex16(header.mmType));
    } else if (header.destination == kBroadcast) {
        fail(ErrorKind::BadHeader, record.typeName + " sent to the broadcast address");
    } else if (!adapter) {
        fail(ErrorKind::NoSuchAdapter, "no adapter has the address " + FormatMac(header.destination));
    } else {
        HandleSealed(record, *adapter, payload, nowMs, out);
    }
    record_.push_back(std::move(record));
    return out;
}

void SimNetwork::Send(RequestRecord& record, const AdapterState& adapter, uint16_t mmType, std::vector<uint8_t> payload,
                      uint64_t delayMs, const std::string& kind, std::vector<Outgoing>& out,
                      std::optional<uint8_t> verdict) {
    Outgoing outgoing;
    outgoing.frame = BuildFrame(record.source, adapter.config.mac, mmType, payload);
    outgoing.delayMs = delayMs;
    Answer answer;
    answer.delayMs = delayMs;
    answer.mmType = mmType;
    answer.kind = kind;
    answer.verdict = verdict;
    answer.length = outgoing.frame.size();
    record.answers.push_back(answer);
    out.push_back(std::move(outgoing));
}

void SimNetwork::HandleDiscover(RequestRecord& record, std::span<const uint8_t> payload, uint64_t nowMs,
                                std::vector<Outgoing>& out) {
    // Sequence and the 16-byte signature; a frame padded to the Ethernet minimum may carry zeros after them.
    const size_t expected = 1 + sizeof kDiscoverySignature;
    const bool padded = payload.size() + kHeaderLength == kMinimumEthernetFrame &&
                        std::all_of(payload.begin() + std::min(expected, payload.size()), payload.end(),
                                    [](uint8_t b) { return b == 0; });
    if (payload.size() < expected || (payload.size() > expected && !padded)) {
        record.error = ErrorKind::BadBody;
        record.reason = "Discover payload of " + std::to_string(payload.size()) + " bytes, expected 17";
        if (!payload.empty()) {
            record.sequence = payload[0];
        }
        return;
    }
    record.sequence = payload[0];
    record.body.assign(payload.begin() + 1, payload.begin() + static_cast<std::ptrdiff_t>(expected));
    record.fields["signature"] = Hex(record.body);
    if (!std::equal(record.body.begin(), record.body.end(), kDiscoverySignature)) {
        record.error = ErrorKind::BadBody;
        record.reason = "discovery signature " + Hex(record.body) + " is not the fixed one";
        return;
    }
    uint64_t spacing = 0;
    for (AdapterState& adapter : adapters_) {
        if (!adapter.config.answersDiscovery ||
            (record.destination != kBroadcast && record.destination != adapter.config.mac)) {
            continue;
        }
        const Faults& faults = adapter.config.faults;
        if (faults.silent || nowMs < adapter.silentUntilMs || adapter.probesSeen < faults.answerFromProbe) {
            continue;
        }
        const uint64_t delay = faults.answerDelayMs + spacing++;
        if (faults.garbageBeforeAnswer) {
            std::vector<uint8_t> garbage(random_() % 24);
            for (uint8_t& b : garbage) {
                b = static_cast<uint8_t>(random_());
            }
            Send(record, adapter, kDiscoverConfirm, garbage, delay, "garbage", out);
        }
        std::vector<uint8_t> data = adapter.config.discoveryData;
        if (data.empty()) {
            data.assign(adapter.config.mac.begin(), adapter.config.mac.end());
            const std::string& text = adapter.config.firmwareVersion;
            data.insert(data.end(), text.begin(),
                        text.begin() + static_cast<std::ptrdiff_t>(std::min<size_t>(text.size(), 30)));
        }
        std::vector<uint8_t> answer = {adapter.config.discoveryKind, static_cast<uint8_t>(data.size())};
        answer.insert(answer.end(), data.begin(), data.end());
        Send(record, adapter, kDiscoverConfirm, answer, delay, "confirm", out);
    }
    if (record.answers.empty()) {
        record.reason = "no adapter answers discovery now";
    }
}

std::string SimNetwork::KeyOwner(std::span<const uint8_t> payload, const AdapterState& addressed) {
    if (candidates_.empty()) {
        candidates_.push_back({"the host-adapter password", adapters_[0].layerKey});
        for (const AdapterState& adapter : adapters_) {
            const std::string mac = FormatMac(adapter.config.mac);
            if (!adapter.local) {
                candidates_.push_back({"the own password of " + mac, adapter.layerKey});
            }
            if (const std::optional<Key16> key = DeriveLayerKey(DefaultDevicePassword(adapter.config.mac))) {
                candidates_.push_back({"the default device password of " + mac, *key});
            }
        }
    }
    for (const KeyCandidate& candidate : candidates_) {
        if (candidate.key == addressed.layerKey) {
            continue;
        }
        const UnsealFault fault = UnsealPayload(candidate.key, payload).fault;
        if (fault == UnsealFault::None || fault == UnsealFault::BadFill) {
            return candidate.label;
        }
    }
    return "a key unknown to the network";
}

void SimNetwork::HandleSealed(RequestRecord& record, AdapterState& adapter, std::span<const uint8_t> payload,
                              uint64_t nowMs, std::vector<Outgoing>& out) {
    Unsealed unsealed = UnsealPayload(adapter.layerKey, payload);
    switch (unsealed.fault) {
    case UnsealFault::None:
        break;
    case UnsealFault::TooShort:
    case UnsealFault::NotBlocks:
    case UnsealFault::BadLength:
        record.error = ErrorKind::BadPayload;
        record.reason = unsealed.reason;
        return;
    case UnsealFault::BadCrc:
        record.error = ErrorKind::BadCrc;
        record.reason = unsealed.reason;
        return;
    case UnsealFault::BadFill:
        record.error = ErrorKind::BadFill;
        record.reason = unsealed.reason;
        record.sequence = unsealed.sequence;
        return;
    case UnsealFault::Undecodable:
        record.error = ErrorKind::WrongKey;
        record.reason = "sealed under " + KeyOwner(payload, adapter) + ", not under the key of " +
                        FormatMac(adapter.config.mac) + " (" + unsealed.reason + ")";
        return;
    }
    record.sequence = unsealed.sequence;
    record.body = std::move(unsealed.body);
    if (!DecodeBody(record, adapter)) {
        record.error = ErrorKind::BadBody;
        return;
    }
    const Faults& faults = adapter.config.faults;
    if (record.mmType == kProbe) {
        ++adapter.probesSeen;
    }
    if (faults.silent) {
        record.reason = "adapter is silent";
        return;
    }
    if (nowMs < adapter.silentUntilMs) {
        record.reason = "adapter is restarting";
        return;
    }
    if (adapter.probesSeen < faults.answerFromProbe) {
        record.reason = "adapter answers from probe " + std::to_string(faults.answerFromProbe) + " on";
        return;
    }
    Respond(record, adapter, nowMs, out);
}

bool SimNetwork::DecodeBody(RequestRecord& record, AdapterState& adapter) {
    const std::vector<uint8_t>& body = record.body;
    auto size = [&](size_t expected) {
        if (body.size() == expected) {
            return true;
        }
        record.reason = record.typeName + " body of " + std::to_string(body.size()) + " bytes, expected " +
                        std::to_string(expected);
        return false;
    };
    switch (record.mmType) {
    case kProbe: {
        if (!size(12)) {
            return false;
        }
        MacAddress named{}, target{};
        std::memcpy(named.data(), body.data(), 6);
        std::memcpy(target.data(), body.data() + 6, 6);
        record.fields["source"] = FormatMac(named);
        record.fields["destination"] = FormatMac(target);
        if (named != record.source || target != adapter.config.mac) {
            record.reason = "Probe body names " + FormatMac(named) + " to " + FormatMac(target) + ", frame goes " +
                            FormatMac(record.source) + " to " + FormatMac(adapter.config.mac);
            return false;
        }
        return true;
    }
    case kReadNetworkInfo:
        if (!size(2)) {
            return false;
        }
        record.fields["first"] = std::to_string(body[0]);
        record.fields["second"] = std::to_string(body[1]);
        if (body[0] != 0 || body[1] != 0) {
            record.reason = "ReadNetworkInfo request bytes are not 00 00";
            return false;
        }
        return true;
    case kReadStationList:
        if (!size(8)) {
            return false;
        }
        record.fields["networkId"] = Hex(std::span(body).subspan(1, 7));
        if (body[0] != 0) {
            record.reason = "ReadStationList first byte is not 00";
            return false;
        }
        return true;
    case kReadFirmwareInfo:
    case kRestart:
        return size(0);
    case kReadParameter:
        if (!size(2)) {
            return false;
        }
        record.parameterId = GetU16(body, 0);
        record.fields["id"] = Hex16(*record.parameterId);
        return true;
    case kReadStatusWord:
        if (!size(kStatusWordRequestLength)) {
            return false;
        }
        if (!std::equal(kStatusWordPrefix, kStatusWordPrefix + 5, body.begin()) ||
            !std::all_of(body.begin() + 5, body.end(), [](uint8_t b) { return b == 0; })) {
            record.reason = "ReadStatusWord body is not 04 03 04 11 01 and 252 zero bytes";
            return false;
        }
        return true;
    case kWriteParameter: {
        if (body.size() < 5) {
            record.reason = "WriteParameter body of " + std::to_string(body.size()) + " bytes, at least 5";
            return false;
        }
        record.parameterId = GetU16(body, 0);
        const uint16_t length = GetU16(body, 3);
        record.fields["id"] = Hex16(*record.parameterId);
        record.fields["flag"] = std::to_string(body[2]);
        record.fields["length"] = std::to_string(length);
        if (body[2] != 1) {
            record.reason = "WriteParameter flag " + std::to_string(body[2]) + ", expected 1";
            return false;
        }
        if (length != body.size() - 5) {
            record.reason = "WriteParameter announces " + std::to_string(length) + " data bytes and carries " +
                            std::to_string(body.size() - 5);
            return false;
        }
        record.data.assign(body.begin() + 5, body.end());
        record.fields["data"] = Hex(record.data);
        return true;
    }
    case kFactoryReset:
        if (!size(1)) {
            return false;
        }
        if (body[0] != 1) {
            record.reason = "FactoryReset body byte " + std::to_string(body[0]) + ", expected 01";
            return false;
        }
        return true;
    default:
        record.reason = "no decoder for " + record.typeName;
        return false;
    }
}

std::vector<uint8_t> SimNetwork::Seal(const AdapterState& adapter, uint8_t sequence, std::span<const uint8_t> body) {
    std::array<uint8_t, 16> iv{};
    for (uint8_t& b : iv) {
        b = static_cast<uint8_t>(random_());
    }
    std::vector<uint8_t> fill(FillLength(body.size() + 1));
    for (uint8_t& b : fill) {
        b = static_cast<uint8_t>(random_());
    }
    return SealPayload(adapter.layerKey, iv, sequence, body, fill);
}

void SimNetwork::Restart(AdapterState& adapter, uint64_t atMs) {
    adapter.config.ledOn = adapter.storedLedMode == kLedOnValue;
    adapter.config.nmk = adapter.storedNmk;
    adapter.config.nid = adapter.storedNid;
    adapter.config.classifierTable = adapter.storedClassifier;
    adapter.silentUntilMs = atMs + adapter.config.faults.silentAfterRestartMs;
    ++adapter.restarts;
}

void SimNetwork::FactoryResetState(AdapterState& adapter) {
    adapter.storedLedMode = kLedOnValue;
    adapter.storedNmk = FactoryNmk();
    adapter.storedNid = FactoryNid();
    adapter.storedClassifier.fill(0xFF);
    ++adapter.factoryResets;
}

void SimNetwork::Respond(RequestRecord& record, AdapterState& adapter, uint64_t nowMs, std::vector<Outgoing>& out) {
    const AdapterConfig& config = adapter.config;
    const Faults& faults = config.faults;
    const uint8_t sequence = *record.sequence;
    const uint16_t confirmType = ConfirmType(record.mmType);
    const uint64_t delay = faults.answerDelayMs;
    std::vector<uint8_t> body;
    uint8_t verdict = 0;
    std::string refusal;

    switch (record.mmType) {
    case kProbe:
    case kRestart:
    case kFactoryReset:
        body.push_back(0x00);
        if (record.mmType == kProbe) {
            body.insert(body.end(), config.mac.begin(), config.mac.end());
        }
        break;
    case kReadNetworkInfo: {
        const MacAddress coordinator = coordinator_.value_or(adapters_[0].config.mac);
        const auto tei = static_cast<uint8_t>(&adapter - adapters_.data() + 1);
        body.push_back(1);
        body.insert(body.end(), config.nid.begin(), config.nid.end());
        body.push_back(0x01);                                    // short network identifier
        body.push_back(tei);                                     // this station's identifier
        body.push_back(coordinator == config.mac ? 0x02 : 0x00); // role: coordinator or station
        body.insert(body.end(), coordinator.begin(), coordinator.end());
        body.push_back(0x00);
        body.push_back(0x00);
        body.push_back(0x00);
        break;
    }
    case kReadStationList: {
        std::vector<const AdapterState*> stations;
        for (const AdapterState& other : adapters_) {
            if (&other != &adapter && other.config.nid == config.nid && other.config.nmk == config.nmk) {
                stations.push_back(&other);
            }
        }
        body.push_back(static_cast<uint8_t>(stations.size()));
        for (const AdapterState* station : stations) {
            const Faults& f = station->config.faults;
            const bool glitch = f.glitchRate != 0 && adapter.stationReads < f.glitchReads;
            body.insert(body.end(), station->config.mac.begin(), station->config.mac.end());
            PutU16(body, glitch ? f.glitchRate : station->config.stationRate);
            PutU16(body, glitch ? f.glitchRate : station->config.hostRate);
        }
        ++adapter.stationReads;
        record.fields["stations"] = std::to_string(stations.size());
        break;
    }
    case kReadFirmwareInfo: {
        const FirmwareInfo& info = config.firmwareInfo;
        for (uint32_t word : info.words) {
            PutU32(body, word);
        }
        body.push_back(static_cast<uint8_t>(info.pairs.size()));
        for (const auto& [small, large] : info.pairs) {
            body.push_back(small);
            PutU32(body, large);
        }
        PutU32(body, info.lastWord);
        body.push_back(static_cast<uint8_t>(info.text.size()));
        body.insert(body.end(), info.text.begin(), info.text.end());
        break;
    }
    case kReadParameter: {
        const uint16_t id = *record.parameterId;
        std::vector<uint8_t> data;
        bool known = true;
        if (id == kParamLedMode) {
            data = {adapter.storedLedMode};
        } else if (id == kParamFirmwareVersion) {
            data.assign(kFirmwareVersionLength, 0);
            std::memcpy(data.data(), config.firmwareVersion.data(),
                        std::min(config.firmwareVersion.size(), kFirmwareVersionLength));
        } else if (id == kParamClassifierTable) {
            data.assign(adapter.storedClassifier.begin(), adapter.storedClassifier.end());
        } else if (id == kParamNetworkId) {
            data.assign(adapter.storedNid.begin(), adapter.storedNid.end());
        } else if (id == kParamNmk) {
            data.assign(adapter.storedNmk.begin(), adapter.storedNmk.end());
        } else if (id >= kParamCapacityFirst && id <= kParamCapacityLast) {
            data = {config.capacities[id - kParamCapacityFirst]};
        } else {
            known = false;
            record.reason = "unknown parameter: status 1, no data";
        }
        body.push_back(known ? 0 : 1);
        PutU16(body, static_cast<uint16_t>(data.size()));
        body.insert(body.end(), data.begin(), data.end());
        break;
    }
    case kReadStatusWord:
        PutU16(body, 4);
        PutU32(body, config.ledOn ? 0x10 : 0x40);
        break;
    case kWriteParameter: {
        const uint16_t id = *record.parameterId;
        const std::vector<uint8_t>& data = record.data;
        auto needs = [&](size_t length) {
            if (data.size() != length) {
                refusal = "parameter " + Hex16(id) + " takes " + std::to_string(length) + " bytes, got " +
                          std::to_string(data.size());
            }
            return data.size() == length;
        };
        if (faults.refuseWrites) {
            refusal = "adapter refuses writes";
        } else if (id == kParamLedMode) {
            if (needs(1) && data[0] != kLedOnValue && data[0] != kLedOffValue) {
                refusal = "LED mode " + Hex16(data[0]) + " is neither 0x08 nor 0x88";
            }
        } else if (id == kParamClassifierTable) {
            std::string reason;
            if (needs(kClassifierTableLength) && !CheckClassifierTable(data, &config.capacities, reason)) {
                refusal = reason;
            }
        } else if (id == kParamNetworkId) {
            needs(7);
        } else if (id == kParamNmk) {
            needs(16);
        } else {
            refusal = "parameter " + Hex16(id) + " is not writable";
        }
        verdict = refusal.empty() ? 0 : 1;
        if (verdict == 0) {
            if (id == kParamLedMode) {
                adapter.storedLedMode = data[0];
            } else if (id == kParamClassifierTable) {
                std::copy(data.begin(), data.end(), adapter.storedClassifier.begin());
            } else if (id == kParamNetworkId) {
                std::copy(data.begin(), data.end(), adapter.storedNid.begin());
            } else {
                std::copy(data.begin(), data.end(), adapter.storedNmk.begin());
            }
        } else {
            record.reason = "refused: " + refusal;
        }
        record.verdict = verdict;
        body.push_back(verdict);
        PutU16(body, id);
        if (faults.busyVerdictFirst) {
            const std::vector<uint8_t> busy = {kBusyVerdict, static_cast<uint8_t>(id), static_cast<uint8_t>(id >> 8)};
            Send(record, adapter, confirmType, Seal(adapter, sequence, busy), delay, "busy-verdict", out, kBusyVerdict);
        }
        break;
    }
    default:
        return;
    }

    const uint64_t answerDelay =
        delay + (record.mmType == kWriteParameter && faults.busyVerdictFirst ? kBusyVerdictLeadMs : 0);
    if (faults.garbageBeforeAnswer) {
        // Never a well-formed sealed payload: under 32 bytes, or not whole blocks after an IV.
        size_t length = random_() % 48;
        if (length >= 32 && (length - kIvLength) % kBlock == 0) {
            ++length;
        }
        std::vector<uint8_t> garbage(length);
        for (uint8_t& b : garbage) {
            b = static_cast<uint8_t>(random_());
        }
        Send(record, adapter, confirmType, garbage, answerDelay, "garbage", out);
    }
    Send(record, adapter, confirmType, Seal(adapter, sequence, body), answerDelay, "confirm", out,
         record.mmType == kWriteParameter ? std::optional<uint8_t>(verdict) : std::nullopt);
    if (faults.lateDuplicateMs) {
        Send(record, adapter, confirmType, Seal(adapter, sequence, body), answerDelay + *faults.lateDuplicateMs,
             "stale-duplicate", out);
    }
    if (record.mmType == kRestart) {
        Restart(adapter, nowMs + answerDelay);
    } else if (record.mmType == kFactoryReset) {
        FactoryResetState(adapter);
        Restart(adapter, nowMs + answerDelay);
    }
}

std::vector<RequestRecord> SimNetwork::Requests() const {
    std::lock_guard lock(mutex_);
    return record_;
}

std::vector<RequestRecord> SimNetwork::RequestsFrom(size_t first) const {
    std::lock_guard lock(mutex_);
    if (first >= record_.size()) {
        return {};
    }
    return {record_.begin() + static_cast<std::ptrdiff_t>(first), record_.end()};
}

std::vector<RequestRecord> SimNetwork::RequestsOf(uint16_t mmType) const {
    std::lock_guard lock(mutex_);
    std::vector<RequestRecord> result;
    std::copy_if(record_.begin(), record_.end(), std::back_inserter(result),
                 [&](const RequestRecord& r) { return r.mmType == mmType; });
    return result;
}

std::vector<RequestRecord> SimNetwork::RequestsTo(const MacAddress& adapter, std::optional<uint16_t> mmType) const {
    std::lock_guard lock(mutex_);
    std::vector<RequestRecord> result;
    std::copy_if(record_.begin(), record_.end(), std::back_inserter(result),
                 [&](const RequestRecord& r) { return r.destination == adapter && (!mmType || r.mmType == *mmType); });
    return result;
}

std::vector<RequestRecord> SimNetwork::WritesOf(uint16_t parameterId) const {
    std::lock_guard lock(mutex_);
    std::vector<RequestRecord> result;
    std::copy_if(record_.begin(), record_.end(), std::back_inserter(result), [&](const RequestRecord& r) {
        return r.mmType == kWriteParameter && !r.error && r.parameterId == parameterId;
    });
    return result;
}

std::vector<RequestRecord> SimNetwork::Errors() const {
    std::lock_guard lock(mutex_);
    std::vector<RequestRecord> result;
    std::copy_if(record_.begin(), record_.end(), std::back_inserter(result),
                 [](const RequestRecord& r) { return r.error.has_value(); });
    return result;
}

std::vector<RequestRecord> SimNetwork::FramingErrors() const {
    std::vector<RequestRecord> result = Errors();
    std::erase_if(result, [](const RequestRecord& r) { return r.error == ErrorKind::WrongKey; });
    return result;
}

void SimNetwork::ClearRecord() {
    std::lock_guard lock(mutex_);
    record_.clear();
}

std::optional<AdapterState> SimNetwork::Adapter(const MacAddress& mac) const {
    std::lock_guard lock(mutex_);
    for (const AdapterState& adapter : adapters_) {
        if (adapter.config.mac == mac) {
            return adapter;
        }
    }
    return std::nullopt;
}

MacAddress SimNetwork::LocalMac() const {
    std::lock_guard lock(mutex_);
    return adapters_[0].config.mac;
}

size_t SimNetwork::RemoteCount() const {
    std::lock_guard lock(mutex_);
    return adapters_.size() - 1;
}

void SimNetwork::SetFaults(const MacAddress& mac, const Faults& faults) {
    std::lock_guard lock(mutex_);
    if (AdapterState* adapter = FindLocked(mac)) {
        adapter->config.faults = faults;
    }
}

std::string RecordJson(const RequestRecord& record) {
    nlohmann::json j;
    j["index"] = record.index;
    j["timeMs"] = record.timeMs;
    j["source"] = FormatMac(record.source);
    j["adapter"] = FormatMac(record.destination);
    j["type"] = record.typeName;
    j["mmType"] = record.mmType;
    j["sealed"] = record.sealed;
    if (record.sequence) {
        j["sequence"] = *record.sequence;
    }
    if (record.parameterId) {
        j["parameter"] = *record.parameterId;
    }
    j["fields"] = record.fields;
    nlohmann::json answers = nlohmann::json::array();
    for (const Answer& answer : record.answers) {
        nlohmann::json a = {{"delayMs", answer.delayMs},
                            {"type", TypeName(answer.mmType)},
                            {"kind", answer.kind},
                            {"length", answer.length}};
        if (answer.verdict) {
            a["verdict"] = *answer.verdict;
        }
        answers.push_back(a);
    }
    j["answers"] = answers;
    if (record.error) {
        j["error"] = ErrorKindName(*record.error);
    }
    if (!record.reason.empty()) {
        j["reason"] = record.reason;
    }
    return j.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

} // namespace sim
