#include "sim/scenario.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <limits>
#include <nlohmann/json.hpp>
#include <sstream>

namespace sim {

namespace {

using nlohmann::json;

// Carries a message naming the field; caught at the top of ParseScenario.
struct ScenarioError {
    std::string message;
};

[[noreturn]] void Fail(const std::string& path, const std::string& what) {
    throw ScenarioError{path + ": " + what};
}

void CheckKeys(const json& object, const std::string& path, std::initializer_list<const char*> allowed) {
    if (!object.is_object()) {
        Fail(path, "expected an object");
    }
    for (const auto& item : object.items()) {
        bool known = false;
        for (const char* key : allowed) {
            known = known || item.key() == key;
        }
        if (!known) {
            Fail(path + "." + item.key(), "unknown field");
        }
    }
}

uint64_t Unsigned(const json& value, const std::string& path, uint64_t max) {
    if (!value.is_number_integer() ||
        (value.is_number_integer() && !value.is_number_unsigned() && value.get<int64_t>() < 0)) {
        Fail(path, "expected a whole number from 0 to " + std::to_string(max));
    }
    const uint64_t number = value.get<uint64_t>();
    if (number > max) {
        Fail(path, "expected a whole number from 0 to " + std::to_string(max));
    }
    return number;
}

bool Bool(const json& value, const std::string& path) {
    if (!value.is_boolean()) {
        Fail(path, "expected true or false");
    }
    return value.get<bool>();
}

std::string Text(const json& value, const std::string& path, size_t maxLength) {
    if (!value.is_string()) {
        Fail(path, "expected a text");
    }
    std::string text = value.get<std::string>();
    if (text.size() > maxLength) {
        Fail(path, "longer than " + std::to_string(maxLength) + " characters");
    }
    return text;
}

std::vector<uint8_t> HexBytes(const json& value, const std::string& path, size_t minLength, size_t maxLength) {
    if (!value.is_string()) {
        Fail(path, "expected hexadecimal digits");
    }
    const std::string text = value.get<std::string>();
    std::vector<uint8_t> bytes;
    int high = -1;
    for (char c : text) {
        if (c == ' ') {
            continue;
        }
        const int digit = HexDigitValue(c);
        if (digit < 0) {
            Fail(path, std::string("'") + c + "' is not a hexadecimal digit");
        }
        if (high < 0) {
            high = digit;
        } else {
            bytes.push_back(static_cast<uint8_t>(high << 4 | digit));
            high = -1;
        }
    }
    if (high >= 0) {
        Fail(path, "odd number of hexadecimal digits");
    }
    if (bytes.size() < minLength || bytes.size() > maxLength) {
        Fail(path, minLength == maxLength
                       ? "expected " + std::to_string(minLength) + " bytes"
                       : "expected " + std::to_string(minLength) + " to " + std::to_string(maxLength) + " bytes");
    }
    return bytes;
}

MacAddress Mac(const json& value, const std::string& path) {
    const std::optional<MacAddress> mac = value.is_string() ? ParseMacStrict(value.get<std::string>()) : std::nullopt;
    if (!mac) {
        Fail(path, "expected a MAC address such as 00:1f:84:00:00:02");
    }
    return *mac;
}

Faults ReadFaults(const json& object, const std::string& path, bool local, uint32_t defaultDelay) {
    CheckKeys(object, path,
              {"silent", "answerFromProbe", "refuseWrites", "busyVerdictFirst", "answerDelayMs", "glitchRate",
               "glitchReads", "lateDuplicateMs", "garbageBeforeAnswer", "silentAfterRestartMs"});
    Faults faults;
    faults.answerDelayMs = defaultDelay;
    constexpr uint64_t kMaxMs = 600'000;
    for (const auto& item : object.items()) {
        const std::string& key = item.key();
        const json& v = item.value();
        const std::string at = path + "." + key;
        if (key == "silent") {
            faults.silent = Bool(v, at);
        } else if (key == "answerFromProbe") {
            faults.answerFromProbe = static_cast<int>(Unsigned(v, at, 1000));
        } else if (key == "refuseWrites") {
            faults.refuseWrites = Bool(v, at);
        } else if (key == "busyVerdictFirst") {
            faults.busyVerdictFirst = Bool(v, at);
        } else if (key == "answerDelayMs") {
            faults.answerDelayMs = static_cast<uint32_t>(Unsigned(v, at, kMaxMs));
        } else if (key == "glitchRate") {
            faults.glitchRate = static_cast<uint16_t>(Unsigned(v, at, 65535));
            if (faults.glitchRate != 9 && faults.glitchRate != 27) {
                Fail(at, "must be 9 or 27");
            }
        } else if (key == "glitchReads") {
            faults.glitchReads = static_cast<int>(Unsigned(v, at, 1000));
        } else if (key == "lateDuplicateMs") {
            faults.lateDuplicateMs = static_cast<uint32_t>(Unsigned(v, at, kMaxMs));
        } else if (key == "garbageBeforeAnswer") {
            faults.garbageBeforeAnswer = Bool(v, at);
        } else if (key == "silentAfterRestartMs") {
            faults.silentAfterRestartMs = static_cast<uint32_t>(Unsigned(v, at, kMaxMs));
        }
    }
    if (local && (faults.glitchRate != 0 || faults.glitchReads != 0)) {
        Fail(path + ".glitchRate", "only remote adapters appear in the station list");
    }
    if ((faults.glitchRate != 0) != (faults.glitchReads != 0)) {
        Fail(path + (faults.glitchRate ? ".glitchReads" : ".glitchRate"), "glitchRate and glitchReads go together");
    }
    return faults;
}

FirmwareInfo ReadFirmwareInfo(const json& object, const std::string& path) {
    CheckKeys(object, path, {"words", "pairs", "lastWord", "text"});
    FirmwareInfo info;
    constexpr uint64_t kMaxWord = std::numeric_limits<uint32_t>::max();
    if (object.contains("words")) {
        const json& words = object["words"];
        if (!words.is_array() || words.size() != 6) {
            Fail(path + ".words", "expected 6 numbers");
        }
        for (size_t i = 0; i < 6; ++i) {
            info.words[i] =
                static_cast<uint32_t>(Unsigned(words[i], path + ".words[" + std::to_string(i) + "]", kMaxWord));
        }
    }
    if (object.contains("pairs")) {
        const json& pairs = object["pairs"];
        if (!pairs.is_array() || pairs.size() > 255) {
            Fail(path + ".pairs", "expected a list of at most 255 pairs");
        }
        for (size_t i = 0; i < pairs.size(); ++i) {
            const std::string at = path + ".pairs[" + std::to_string(i) + "]";
            if (!pairs[i].is_array() || pairs[i].size() != 2) {
                Fail(at, "expected [small, large]");
            }
            info.pairs.emplace_back(static_cast<uint8_t>(Unsigned(pairs[i][0], at + "[0]", 255)),
                                    static_cast<uint32_t>(Unsigned(pairs[i][1], at + "[1]", kMaxWord)));
        }
    }
    if (object.contains("lastWord")) {
        info.lastWord = static_cast<uint32_t>(Unsigned(object["lastWord"], path + ".lastWord", kMaxWord));
    }
    if (object.contains("text")) {
        info.text = Text(object["text"], path + ".text", 255);
    }
    return info;
}

AdapterConfig ReadAdapter(const json& object, const std::string& path, bool local) {
    CheckKeys(object, path,
              {"mac", "password", "firmwareVersion", "firmwareInfo", "ledOn", "networkPassword", "nmk", "nid",
               "classifierRecords", "capacities", "stationRate", "hostRate", "discoveryKind", "answersDiscovery",
               "discoveryData", "faults"});
    if (!object.contains("mac")) {
        Fail(path + ".mac", "missing");
    }
    AdapterConfig adapter = DefaultAdapter(Mac(object["mac"], path + ".mac"), local);
    if (object.contains("password")) {
        if (local) {
            Fail(path + ".password", "the local adapter always uses the built-in host-adapter password");
        }
        adapter.password = Text(object["password"], path + ".password", kMaxPasswordLength);
        if (adapter.password->empty()) {
            Fail(path + ".password", "must not be empty");
        }
    }
    if (object.contains("firmwareVersion")) {
        adapter.firmwareVersion = Text(object["firmwareVersion"], path + ".firmwareVersion", kFirmwareVersionLength);
    }
    if (object.contains("firmwareInfo")) {
        adapter.firmwareInfo = ReadFirmwareInfo(object["firmwareInfo"], path + ".firmwareInfo");
    }
    if (object.contains("ledOn")) {
        adapter.ledOn = Bool(object["ledOn"], path + ".ledOn");
    }
    if (object.contains("networkPassword")) {
        if (object.contains("nmk") || object.contains("nid")) {
            Fail(path + ".networkPassword", "give either networkPassword or nmk and nid");
        }
        const std::string password = Text(object["networkPassword"], path + ".networkPassword", kMaxPasswordLength);
        const std::optional<Key16> nmk = DeriveNmk(password);
        if (!nmk) {
            Fail(path + ".networkPassword", "must not be empty");
        }
        adapter.nmk = *nmk;
        adapter.nid = DeriveNid(*nmk, 0);
    } else if (object.contains("nmk") != object.contains("nid")) {
        Fail(path + (object.contains("nmk") ? ".nid" : ".nmk"), "nmk and nid go together");
    } else if (object.contains("nmk")) {
        const std::vector<uint8_t> nmk = HexBytes(object["nmk"], path + ".nmk", 16, 16);
        const std::vector<uint8_t> nid = HexBytes(object["nid"], path + ".nid", 7, 7);
        std::copy(nmk.begin(), nmk.end(), adapter.nmk.begin());
        std::copy(nid.begin(), nid.end(), adapter.nid.begin());
    }
    if (object.contains("capacities")) {
        const json& capacities = object["capacities"];
        if (!capacities.is_array() || capacities.size() != 5) {
            Fail(path + ".capacities", "expected 5 numbers, categories 0 to 4");
        }
        for (size_t i = 0; i < 5; ++i) {
            adapter.capacities[i] =
                static_cast<uint8_t>(Unsigned(capacities[i], path + ".capacities[" + std::to_string(i) + "]", 255));
        }
    }
    if (object.contains("classifierRecords")) {
        const json& records = object["classifierRecords"];
        if (!records.is_array() || records.size() > kClassifierSlots) {
            Fail(path + ".classifierRecords", "expected a list of at most 52 records");
        }
        for (size_t i = 0; i < records.size(); ++i) {
            const std::string at = path + ".classifierRecords[" + std::to_string(i) + "]";
            const std::vector<uint8_t> record = HexBytes(records[i], at, kClassifierSlot, kClassifierSlot);
            std::copy(record.begin(), record.end(), adapter.classifierTable.begin() + i * kClassifierSlot);
            std::string reason;
            if (!CheckClassifierTable(adapter.classifierTable, nullptr, reason)) {
                Fail(at, reason.substr(reason.find(": ") + 2));
            }
        }
        std::string reason;
        if (!CheckClassifierTable(adapter.classifierTable, &adapter.capacities, reason)) {
            Fail(path + ".classifierRecords", reason);
        }
    }
    for (const char* key : {"stationRate", "hostRate"}) {
        if (object.contains(key)) {
            if (local) {
                Fail(path + "." + key, "the local adapter's rate is the largest host rate of its station list");
            }
            const auto rate = static_cast<uint16_t>(Unsigned(object[key], path + "." + key, 65535));
            (std::string(key) == "stationRate" ? adapter.stationRate : adapter.hostRate) = rate;
        }
    }
    if (object.contains("discoveryKind")) {
        adapter.discoveryKind = static_cast<uint8_t>(Unsigned(object["discoveryKind"], path + ".discoveryKind", 255));
    }
    if (object.contains("answersDiscovery")) {
        adapter.answersDiscovery = Bool(object["answersDiscovery"], path + ".answersDiscovery");
    }
    if (object.contains("discoveryData")) {
        adapter.discoveryData = HexBytes(object["discoveryData"], path + ".discoveryData", 1, 255);
    }
    if (local && adapter.answersDiscovery && adapter.discoveryKind > 1) {
        Fail(path + ".discoveryKind", "the local adapter answers discovery with kind 0 or 1");
    }
    if (object.contains("faults")) {
        adapter.faults = ReadFaults(object["faults"], path + ".faults", local, adapter.faults.answerDelayMs);
    }
    return adapter;
}

} // namespace

std::optional<NetworkConfig> ParseScenario(std::string_view text, std::string& error) {
    try {
        const json root = json::parse(text.begin(), text.end());
        CheckKeys(root, "scenario", {"description", "local", "remotes", "coordinator"});
        if (root.contains("description")) {
            Text(root["description"], "description", 4096);
        }
        if (!root.contains("local")) {
            Fail("local", "missing");
        }
        NetworkConfig config;
        config.local = ReadAdapter(root["local"], "local", true);
        if (root.contains("remotes")) {
            const json& remotes = root["remotes"];
            if (!remotes.is_array()) {
                Fail("remotes", "expected a list of adapters");
            }
            if (remotes.size() > kMaxRemotes) {
                Fail("remotes", std::to_string(remotes.size()) + " adapters, at most 63");
            }
            for (size_t i = 0; i < remotes.size(); ++i) {
                config.remotes.push_back(ReadAdapter(remotes[i], "remotes[" + std::to_string(i) + "]", false));
            }
        }
        if (root.contains("coordinator")) {
            config.coordinator = Mac(root["coordinator"], "coordinator");
        }
        // Whole-network rules (duplicates, coordinator membership) are checked as the network is made.
        std::string networkError;
        if (!SimNetwork::Create(config, networkError)) {
            Fail("scenario", networkError);
        }
        return config;
    } catch (const ScenarioError& e) {
        error = e.message;
    } catch (const json::parse_error& e) {
        error = "not valid JSON at byte " + std::to_string(e.byte);
    } catch (const json::exception& e) {
        error = e.what();
    }
    return std::nullopt;
}

std::optional<NetworkConfig> LoadScenario(const std::string& path, std::string& error) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        error = path + ": cannot be read: " + std::strerror(errno);
        return std::nullopt;
    }
    std::ostringstream text;
    text << file.rdbuf();
    std::optional<NetworkConfig> config = ParseScenario(text.str(), error);
    if (!config) {
        error = path + ": " + error;
    }
    return config;
}

} // namespace sim
