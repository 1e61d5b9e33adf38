#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <random>
#include <span>
#include <string>
#include <vector>

#include "engine/mac_address.h"
#include "security/key_derivation.h"

namespace sim {

constexpr size_t kMaxRemotes = 63;
constexpr size_t kClassifierTableLength = 1300;
constexpr size_t kClassifierSlot = 25;
constexpr size_t kClassifierSlots = 52;
constexpr size_t kFirmwareVersionLength = 64;

// Request and confirm types.
enum : uint16_t {
    kProbe = 0xA000,
    kProbeConfirm = 0xA001,
    kRestart = 0xA020,
    kReadNetworkInfo = 0xA028,
    kReadStationList = 0xA02C,
    kReadFirmwareInfo = 0xA04C,
    kFactoryReset = 0xA054,
    kWriteParameter = 0xA058,
    kReadParameter = 0xA05C,
    kReadStatusWord = 0xA060,
    kDiscover = 0xA070,
    kDiscoverConfirm = 0xA071,
};

// Parameter identifiers.
enum : uint16_t {
    kParamLedMode = 0x21,
    kParamFirmwareVersion = 0x41,
    kParamClassifierTable = 0x46,
    kParamNetworkId = 0x49,
    kParamNmk = 0x4A,
    kParamCapacityFirst = 0x60,
    kParamCapacityLast = 0x64,
};

constexpr uint8_t kLedOnValue = 0x08;
constexpr uint8_t kLedOffValue = 0x88;

// Misbehaviour of one adapter.
struct Faults {
    bool silent = false;
    int answerFromProbe = 0;                 // answers nothing until the K-th probe under its key (0: from the first)
    bool refuseWrites = false;               // every WriteParameter gets verdict 1
    bool busyVerdictFirst = false;           // a verdict-2 confirm goes out before the real verdict
    uint32_t answerDelayMs = 2;              // from request to answer
    uint16_t glitchRate = 0;                 // 9 or 27: the station list reports this rate for the adapter...
    int glitchReads = 0;                     // ...for the first K station list reads
    std::optional<uint32_t> lateDuplicateMs; // a second copy of each sealed confirm this much later
    bool garbageBeforeAnswer = false;        // a malformed frame of the confirm type before each answer
    uint32_t silentAfterRestartMs = 0;       // answers nothing for this long after a restart or factory reset
};

struct FirmwareInfo {
    std::array<uint32_t, 6> words = {0x00010000, 0x00000002, 0x00000001, 0, 0, 0};
    std::vector<std::pair<uint8_t, uint32_t>> pairs;
    uint32_t lastWord = 0;
    std::string text = "AV 2.4.1 (build 0712)";
};

struct AdapterConfig {
    MacAddress mac{};
    std::optional<std::string> password; // remote: its label password when not the default device password
    std::string firmwareVersion = "Lirra PL500 AV v2.4.1";
    FirmwareInfo firmwareInfo;
    bool ledOn = true;
    Key16 nmk{};
    NetworkId nid{};
    std::array<uint8_t, kClassifierTableLength> classifierTable{};
    std::array<uint8_t, 5> capacities = {8, 8, 8, 8, 8};
    uint16_t stationRate = 150; // how the local adapter's station list reports this remote
    uint16_t hostRate = 120;
    uint8_t discoveryKind = 2;
    bool answersDiscovery = false;
    std::vector<uint8_t> discoveryData; // empty: the address followed by the firmware version text
    Faults faults;
};

struct NetworkConfig {
    AdapterConfig local;
    std::vector<AdapterConfig> remotes;
    std::optional<MacAddress> coordinator; // reported in the local adapter's network information
};

// The factory NMK and NID (network password "HomePlugAV").
Key16 FactoryNmk();
NetworkId FactoryNid();
// An adapter in factory state with the given address; local adapters answer discovery with kind 0.
AdapterConfig DefaultAdapter(const MacAddress& mac, bool local);

// Checks a 1300-byte classifier table slot by slot: empty slots all FF, records with the fixed bytes 00 34,
// the two marker bits, 1 to 4 rules of types 0 to 15, value bytes as long as the types need and FF after
// them. With `capacities`, also that no category holds more rules than its capacity. False with the reason.
bool CheckClassifierTable(std::span<const uint8_t> table, const std::array<uint8_t, 5>* capacities,
                          std::string& reason);
// Value length and capacity category of a rule type 0 to 15.
size_t RuleValueLength(uint8_t type);
int RuleCategory(uint8_t type);

enum class ErrorKind {
    ShortFrame,
    BadHeader,
    NoSuchAdapter,
    UnknownType,
    BadPayload, // too short, not whole blocks, or Length outside the payload
    BadCrc,
    BadFill,
    WrongKey,
    BadBody,
};
std::string ErrorKindName(ErrorKind kind);

// One frame that the simulated network sent back.
struct Answer {
    uint64_t delayMs = 0; // after the request arrived
    uint16_t mmType = 0;
    std::string kind; // "confirm", "busy-verdict", "stale-duplicate", "garbage"
    std::optional<uint8_t> verdict;
    size_t length = 0;
};

// One received request: what arrived, what it said, what went back, what was wrong with it.
struct RequestRecord {
    size_t index = 0;
    uint64_t timeMs = 0;
    MacAddress source{};
    MacAddress destination{};
    uint16_t mmType = 0;
    std::string typeName;
    bool sealed = false;
    std::optional<uint8_t> sequence;
    std::vector<uint8_t> body;                 // decoded body (after Sequence, before Crc)
    std::map<std::string, std::string> fields; // decoded fields as text
    std::optional<uint16_t> parameterId;       // ReadParameter and WriteParameter
    std::vector<uint8_t> data;                 // WriteParameter data
    std::vector<Answer> answers;
    std::optional<ErrorKind> error; // a protocol error: the request got no answer
    std::string reason;             // why it is an error, or why it went unanswered
    std::optional<uint8_t> verdict; // WriteParameter verdict sent (0 accepted, 1 refused)
};

// The state of one simulated adapter, as tests inspect it.
struct AdapterState {
    AdapterConfig config; // identity and settings in force
    bool local = false;
    std::string password;
    Key16 layerKey{};
    // Stored parameters, as written; restart puts them in force.
    uint8_t storedLedMode = kLedOnValue;
    Key16 storedNmk{};
    NetworkId storedNid{};
    std::array<uint8_t, kClassifierTableLength> storedClassifier{};
    int probesSeen = 0;
    int stationReads = 0;
    int restarts = 0;
    int factoryResets = 0;
    uint64_t silentUntilMs = 0;
};

// A frame to send, `delayMs` after the request arrived.
struct Outgoing {
    std::vector<uint8_t> frame;
    uint64_t delayMs = 0;
};

// The simulated powerline network: one local adapter and up to 63 remote adapters behind it. It takes the
// frames the host sends, validates them, answers as the addressed adapters answer, and records everything.
// Thread-safe: the engine's worker threads and a test thread may use it at once.
class SimNetwork {
public:
    // nullptr with `error` set on more than 63 remotes, duplicate addresses, a password that cannot be
    // derived, or a coordinator that is not in the network. `seed` drives the IVs, fill and garbage.
    static std::unique_ptr<SimNetwork> Create(const NetworkConfig& config, std::string& error, uint32_t seed = 1);

    // One frame from the host, arriving at `nowMs`. Frames that are not management messages, or that come
    // from a simulated adapter's own address, are ignored without a record.
    std::vector<Outgoing> Handle(std::span<const uint8_t> frame, uint64_t nowMs);

    // The record, in arrival order.
    std::vector<RequestRecord> Requests() const;
    // Records from position `first` on (for writing a log as it grows).
    std::vector<RequestRecord> RequestsFrom(size_t first) const;
    std::vector<RequestRecord> RequestsOf(uint16_t mmType) const;
    std::vector<RequestRecord> RequestsTo(const MacAddress& adapter, std::optional<uint16_t> mmType = {}) const;
    // Accepted and refused parameter writes in arrival order (all sends, retries included).
    std::vector<RequestRecord> WritesOf(uint16_t parameterId) const;
    // Every request recorded with an error; FramingErrors leaves out those sealed under a wrong key.
    std::vector<RequestRecord> Errors() const;
    std::vector<RequestRecord> FramingErrors() const;
    void ClearRecord();

    // A copy of one adapter's state; nullopt for an unknown address.
    std::optional<AdapterState> Adapter(const MacAddress& mac) const;
    MacAddress LocalMac() const;
    size_t RemoteCount() const;

    // Scenario changes while running (tests).
    void SetFaults(const MacAddress& mac, const Faults& faults);

private:
    explicit SimNetwork(uint32_t seed) : random_(seed) {}

    struct KeyCandidate {
        std::string label;
        Key16 key;
    };

    AdapterState* FindLocked(const MacAddress& mac);
    void HandleDiscover(RequestRecord& record, std::span<const uint8_t> payload, uint64_t nowMs,
                        std::vector<Outgoing>& out);
    void HandleSealed(RequestRecord& record, AdapterState& adapter, std::span<const uint8_t> payload, uint64_t nowMs,
                      std::vector<Outgoing>& out);
    // Decodes and checks a body; fills `record`; false with the reason on a malformed body.
    bool DecodeBody(RequestRecord& record, AdapterState& adapter);
    // Sends the confirm of an accepted request and applies what the request changes.
    void Respond(RequestRecord& record, AdapterState& adapter, uint64_t nowMs, std::vector<Outgoing>& out);
    std::vector<uint8_t> Seal(const AdapterState& adapter, uint8_t sequence, std::span<const uint8_t> body);
    void Restart(AdapterState& adapter, uint64_t atMs);
    void FactoryResetState(AdapterState& adapter);
    std::string KeyOwner(std::span<const uint8_t> payload, const AdapterState& addressed);
    void Send(RequestRecord& record, const AdapterState& adapter, uint16_t mmType, std::vector<uint8_t> frame,
              uint64_t delayMs, const std::string& kind, std::vector<Outgoing>& out,
              std::optional<uint8_t> verdict = {});

    mutable std::mutex mutex_;
    std::vector<AdapterState> adapters_; // [0] is the local adapter
    std::optional<MacAddress> coordinator_;
    std::vector<KeyCandidate> candidates_; // filled on the first request under a wrong key
    std::vector<RequestRecord> record_;
    std::mt19937 random_;
};

// One record as a line of JSON (no line break).
std::string RecordJson(const RequestRecord& record);

} // namespace sim
