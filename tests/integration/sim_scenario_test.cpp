#include "sim/scenario.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace {

const std::string kDir = PEMRA_SCENARIO_DIR;

TEST(SimScenario, ShippedScenariosLoadAsDescribed) {
    std::string error;
    const auto load = [&](const std::string& name) {
        std::optional<sim::NetworkConfig> config = sim::LoadScenario(kDir + "/" + name, error);
        EXPECT_TRUE(config) << error;
        return config.value_or(sim::NetworkConfig{});
    };
    EXPECT_TRUE(load("local_only.json").remotes.empty());
    const sim::NetworkConfig two = load("two_remotes.json");
    ASSERT_EQ(two.remotes.size(), 2u);
    EXPECT_FALSE(two.remotes[0].password);
    EXPECT_EQ(two.remotes[1].password, "KXQZ-TRWA-PLMB-HEDU");
    const sim::NetworkConfig coordinated = load("coordinator_third.json");
    ASSERT_EQ(coordinated.remotes.size(), 4u);
    EXPECT_EQ(coordinated.coordinator, coordinated.remotes[2].mac);
    EXPECT_TRUE(load("silent_remote.json").remotes.at(1).faults.silent);
    EXPECT_EQ(load("rates_27.json").remotes.at(0).stationRate, 27);
    EXPECT_EQ(load("remotes_63.json").remotes.size(), 63u);
    size_t files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(kDir)) {
        SCOPED_TRACE(entry.path().string());
        EXPECT_TRUE(sim::LoadScenario(entry.path().string(), error)) << error;
        ++files;
    }
    EXPECT_GE(files, 6u);
}

TEST(SimScenario, EveryFieldIsRead) {
    std::string error;
    const std::optional<sim::NetworkConfig> config = sim::ParseScenario(R"js({
        "local": {"mac": "00:1F:84:00:00:01", "discoveryKind": 1, "ledOn": false, "networkPassword": "HomePlugAV0123",
                  "capacities": [1, 2, 3, 4, 5],
                  "classifierRecords": ["0034B800010DFFFFFF1F90FFFFFFFFFFFFFFFFFFFFFFFFFFFF"],
                  "firmwareInfo": {"words": [1, 2, 3, 4, 5, 6], "pairs": [[7, 8]], "lastWord": 9, "text": "x (y)"}},
        "remotes": [{"mac": "00:1f:84:00:00:02", "nmk": "B59319D7E8157BA001B018669CCEE30D", "nid": "026BCBA5354E08",
                     "answersDiscovery": true, "discoveryData": "0102",
                     "faults": {"answerFromProbe": 2, "refuseWrites": true, "busyVerdictFirst": true,
                                "answerDelayMs": 300, "glitchRate": 9, "glitchReads": 3, "lateDuplicateMs": 500,
                                "garbageBeforeAnswer": true, "silentAfterRestartMs": 4000}}]
    })js",
                                                                        error);
    ASSERT_TRUE(config) << error;
    EXPECT_EQ(config->local.discoveryKind, 1);
    EXPECT_FALSE(config->local.ledOn);
    EXPECT_EQ(config->local.nmk, config->remotes[0].nmk);
    EXPECT_EQ(config->local.nid, config->remotes[0].nid);
    EXPECT_EQ(config->local.capacities[4], 5);
    EXPECT_EQ(config->local.classifierTable[2], 0xB8);
    EXPECT_EQ(config->local.classifierTable[25], 0xFF);
    EXPECT_EQ(config->local.firmwareInfo.pairs.at(0).second, 8u);
    const sim::Faults& f = config->remotes[0].faults;
    EXPECT_EQ(f.answerFromProbe, 2);
    EXPECT_TRUE(f.refuseWrites && f.busyVerdictFirst && f.garbageBeforeAnswer);
    EXPECT_EQ(f.answerDelayMs, 300u);
    EXPECT_EQ(f.glitchRate, 9);
    EXPECT_EQ(f.glitchReads, 3);
    EXPECT_EQ(f.lateDuplicateMs, 500u);
    EXPECT_EQ(f.silentAfterRestartMs, 4000u);
    EXPECT_EQ(config->remotes[0].discoveryData, (std::vector<uint8_t>{1, 2}));
}

TEST(SimScenario, BadScenariosNameTheField) {
    const std::string local = R"("local": {"mac": "00:1f:84:00:00:01"})";
    const struct {
        std::string text;
        const char* error;
    } cases[] = {
        {"", "not valid JSON at byte 1"},
        {"{\"local\": {\"mac\": \"00:1f:84:00:00:01\"", "not valid JSON at byte 38"},
        {"[]", "scenario: expected an object"},
        {"{}", "local: missing"},
        {R"({"local": {}})", "local.mac: missing"},
        {R"({"local": {"mac": "00:1f:84:00:00"}})", "local.mac: expected a MAC address such as 00:1f:84:00:00:02"},
        {R"({"local": {"mac": "00-1f-84-00-00-01"}})", "local.mac: expected a MAC address such as 00:1f:84:00:00:02"},
        {R"({"local": {"mac": 17}})", "local.mac: expected a MAC address such as 00:1f:84:00:00:02"},
        {R"({"local": {"mac": "00:1f:84:00:00:01", "colour": 1}})", "local.colour: unknown field"},
        {R"({"local": {"mac": "00:1f:84:00:00:01", "password": "x"}})",
         "local.password: the local adapter always uses the built-in host-adapter password"},
        {R"({"local": {"mac": "00:1f:84:00:00:01", "discoveryKind": 2}})",
         "local.discoveryKind: the local adapter answers discovery with kind 0 or 1"},
        {"{" + local + R"(, "remotes": {}})", "remotes: expected a list of adapters"},
        {"{" + local + R"(, "remotes": [{"mac": "00:1f:84:00:00:02", "faults": {"sielnt": true}}]})",
         "remotes[0].faults.sielnt: unknown field"},
        {"{" + local +
             R"(, "remotes": [{"mac": "00:1f:84:00:00:02", "faults": {"glitchRate": 10, "glitchReads": 1}}]})",
         "remotes[0].faults.glitchRate: must be 9 or 27"},
        {"{" + local + R"(, "remotes": [{"mac": "00:1f:84:00:00:02", "faults": {"glitchRate": 9}}]})",
         "remotes[0].faults.glitchReads: glitchRate and glitchReads go together"},
        {"{" + local + R"(, "remotes": [{"mac": "00:1f:84:00:00:02", "faults": {"answerDelayMs": -5}}]})",
         "remotes[0].faults.answerDelayMs: expected a whole number from 0 to 600000"},
        {"{" + local + R"(, "remotes": [{"mac": "00:1f:84:00:00:02", "faults": {"silent": "yes"}}]})",
         "remotes[0].faults.silent: expected true or false"},
        {"{" + local + R"(, "remotes": [{"mac": "00:1f:84:00:00:02", "stationRate": 70000}]})",
         "remotes[0].stationRate: expected a whole number from 0 to 65535"},
        {"{" + local + R"(, "remotes": [{"mac": "00:1f:84:00:00:02", "password": ""}]})",
         "remotes[0].password: must not be empty"},
        {"{" + local + R"(, "remotes": [{"mac": "00:1f:84:00:00:02", "nmk": "00"}]})",
         "remotes[0].nid: nmk and nid go together"},
        {"{" + local + R"(, "remotes": [{"mac": "00:1f:84:00:00:02", "nmk": "0g", "nid": "00"}]})",
         "remotes[0].nmk: 'g' is not a hexadecimal digit"},
        {"{" + local + R"(, "remotes": [{"mac": "00:1f:84:00:00:02", "capacities": [1, 2]}]})",
         "remotes[0].capacities: expected 5 numbers, categories 0 to 4"},
        {"{" + local + R"(, "remotes": [{"mac": "00:1f:84:00:00:02", "classifierRecords": ["0034B80005"]}]})",
         "remotes[0].classifierRecords[0]: expected 25 bytes"},
        {"{" + local +
             R"(, "remotes": [{"mac": "00:1f:84:00:00:02", "classifierRecords": ["0034B8000510111213FFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFF"]}]})",
         "remotes[0].classifierRecords[0]: rule count 5"},
        {"{" + local +
             R"(, "remotes": [{"mac": "00:1f:84:00:00:02", "capacities": [0, 0, 0, 0, 0], "classifierRecords": ["0034B800010DFFFFFF1F90FFFFFFFFFFFFFFFFFFFFFFFFFFFF"]}]})",
         "remotes[0].classifierRecords: category 4 holds 1 rules, capacity 0"},
        {"{" + local + R"(, "remotes": [{"mac": "00:1f:84:00:00:01"}]})",
         "scenario: address 00:1f:84:00:00:01 appears twice"},
        {"{" + local + R"(, "coordinator": "00:1f:84:00:00:09"})",
         "scenario: coordinator 00:1f:84:00:00:09 is not an adapter of the network"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        std::string error;
        EXPECT_FALSE(sim::ParseScenario(c.text, error));
        EXPECT_EQ(error, c.error);
    }
    std::string text = "{" + local + ", \"remotes\": [";
    for (int i = 0; i < 64; ++i) {
        text += std::string(i ? "," : "") + "{\"mac\": \"00:1f:84:00:01:" + (i < 16 ? "0" : "") + ([](int v) {
                    char b[4];
                    std::snprintf(b, sizeof b, "%x", v);
                    return std::string(b);
                })(i) +
                "\"}";
    }
    std::string error;
    EXPECT_FALSE(sim::ParseScenario(text + "]}", error));
    EXPECT_EQ(error, "remotes: 64 adapters, at most 63");
    EXPECT_FALSE(sim::LoadScenario("/nonexistent/file.json", error));
    EXPECT_EQ(error, "/nonexistent/file.json: cannot be read: No such file or directory");
}

} // namespace
