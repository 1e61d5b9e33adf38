// plcctl on the PC side of a test bed, plcsim on the powerline side, real libpcap in between.

#include <gtest/gtest.h>

#include "engine/mac_address.h"
#include "security/key_derivation.h"
#include "tests/e2e/e2e_testbed.h"

namespace {

const char* kLocal = "00:1f:84:00:00:01";
const char* kFirst = "00:1f:84:00:00:02";
const char* kSecond = "00:1f:84:00:00:03";
const char* kLabelled = "00:1f:84:00:00:04";

std::string Scenario(int defaultRemotes, bool withLabelled) {
    nlohmann::json scenario;
    scenario["local"] = {{"mac", kLocal}, {"firmwareVersion", "Lirra PL500-AV v2.4.1"}};
    scenario["remotes"] = nlohmann::json::array();
    for (int i = 0; i < defaultRemotes; ++i) {
        char mac[24];
        std::snprintf(mac, sizeof mac, "00:1f:84:00:00:%02x", 2 + i);
        scenario["remotes"].push_back({{"mac", mac}, {"stationRate", 100 + i}, {"hostRate", 60 + i}});
    }
    if (withLabelled) {
        scenario["remotes"].push_back({{"mac", kLabelled}, {"password", "KXQZ-TRWA-PLMB-HEDU"}, {"hostRate", 40}});
    }
    return scenario.dump(2);
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);) {
        lines.push_back(line);
    }
    return lines;
}

std::string PasswordOption(const char* mac) {
    return std::string(mac) + "=" + DefaultDevicePassword(ParseMac(mac));
}

class PlcctlEndToEndTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (geteuid() != 0) {
            GTEST_SKIP() << "end-to-end tests need root to make network namespaces and capture on them";
        }
        bed = std::make_unique<E2eTestbed>();
        ASSERT_TRUE(bed->Up()) << "scripts/testbed up failed";
    }

    void Serve(int defaultRemotes, bool withLabelled) {
        ASSERT_TRUE(bed->StartSimulator(bed->WriteFile("scenario.json", Scenario(defaultRemotes, withLabelled))));
    }

    E2eTestbed::Run Plcctl(std::vector<std::string> arguments) {
        arguments.insert(arguments.begin(), PLCCTL_PATH);
        return bed->RunOnPcSide(arguments);
    }

    // Destinations of the logged parameter writes of one identifier, in order.
    std::vector<std::string> WritesOf(int parameter, std::vector<std::string>* data = nullptr) {
        std::vector<std::string> destinations;
        for (const nlohmann::json& request : bed->Requests()) {
            if (request.value("type", "") == "WriteParameter" && request.value("parameter", -1) == parameter) {
                destinations.push_back(request["adapter"]);
                if (data) {
                    data->push_back(request["fields"].value("data", ""));
                }
            }
        }
        return destinations;
    }

    std::unique_ptr<E2eTestbed> bed;
};

TEST_F(PlcctlEndToEndTest, ListShowsEveryAdapterOnItsDefaultPassword) {
    Serve(2, true);
    const E2eTestbed::Run run = Plcctl({"list"});
    ASSERT_EQ(run.status, 0) << run.err;
    const std::vector<std::string> lines = Lines(run.out);
    ASSERT_EQ(lines.size(), 3u) << run.out;
    EXPECT_EQ(lines[0],
              std::string("Device01\tPL500\t") + kLocal + "\t61\ton\tLirra PL500-AV v2.4.1\tAV 2.4.1 (build 0712)");
    EXPECT_NE(lines[1].find(std::string("Device02\t\t") + kFirst + "\t100\ton"), std::string::npos) << lines[1];
    EXPECT_NE(lines[2].find(std::string("Device03\t\t") + kSecond + "\t101\ton"), std::string::npos) << lines[2];
    EXPECT_EQ(run.out.find(kLabelled), std::string::npos);
    // The names are remembered.
    EXPECT_EQ(std::filesystem::file_size(bed->Dir() + "/devices.dat"), 4u + 3u * 115u);
}

TEST_F(PlcctlEndToEndTest, SetKeyNeedsDevicePasswordsThenWritesInOrder) {
    Serve(2, false);
    const E2eTestbed::Run refused = Plcctl({"set-key", "MyNetwork01", kLocal, kFirst, kSecond});
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.err.find(kFirst), std::string::npos) << refused.err;
    EXPECT_NE(refused.err.find(kSecond), std::string::npos) << refused.err;
    EXPECT_TRUE(WritesOf(0x4A).empty());

    const E2eTestbed::Run wrong =
        Plcctl({"--password", std::string(kFirst) + "=WRONG-WRONG-WRONG-WRONG", "set-key", "MyNetwork01", kFirst});
    EXPECT_EQ(wrong.status, 1);
    EXPECT_NE(wrong.err.find("does not answer"), std::string::npos) << wrong.err;
    EXPECT_TRUE(WritesOf(0x4A).empty());

    const E2eTestbed::Run done = Plcctl({"--password", PasswordOption(kFirst), "--password", PasswordOption(kSecond),
                                         "set-key", "MyNetwork01", kLocal, kFirst, kSecond});
    ASSERT_EQ(done.status, 0) << done.err;
    std::vector<std::string> nmks;
    std::vector<std::string> nids;
    EXPECT_EQ(WritesOf(0x4A, &nmks), (std::vector<std::string>{kSecond, kFirst, kLocal}));
    EXPECT_EQ(WritesOf(0x49, &nids), (std::vector<std::string>{kSecond, kFirst, kLocal}));
    const Key16 nmk = *DeriveNmk("MyNetwork01");
    const NetworkId nid = DeriveNid(nmk, 0);
    auto hex = [](auto bytes) {
        std::string text;
        for (uint8_t byte : bytes) {
            char pair[3];
            std::snprintf(pair, sizeof pair, "%02x", byte);
            text += pair;
        }
        return text;
    };
    for (const std::string& written : nmks) {
        EXPECT_EQ(written, hex(nmk));
    }
    for (const std::string& written : nids) {
        EXPECT_EQ(written, hex(nid));
    }
    // Stored now: a second run needs no --password.
    EXPECT_EQ(Plcctl({"set-key", "MyNetwork02", kFirst}).status, 0);
}

TEST_F(PlcctlEndToEndTest, QosRulesRoundTrip) {
    Serve(1, false);
    const std::string rules = "# a rule set\n"
                              "mac 00:11:22:33:44:55 CAP2\n"
                              "port 5060 CAP3\n"
                              "vlan 1 CAP3\n";
    const E2eTestbed::Run applied = Plcctl({"qos", "apply", bed->WriteFile("rules.txt", rules)});
    ASSERT_EQ(applied.status, 0) << applied.err;
    EXPECT_EQ(WritesOf(0x46), (std::vector<std::string>{kFirst, kLocal}));
    const E2eTestbed::Run shown = Plcctl({"qos", "show"});
    ASSERT_EQ(shown.status, 0) << shown.err;
    EXPECT_EQ(shown.out, "mac 00:11:22:33:44:55 CAP2\n"
                         "port 5060 CAP3\n"
                         "vlan 0 CAP1\nvlan 1 CAP3\nvlan 2 CAP0\nvlan 3 CAP1\n"
                         "vlan 4 CAP2\nvlan 5 CAP2\nvlan 6 CAP3\nvlan 7 CAP3\n");
    const E2eTestbed::Run bad = Plcctl({"qos", "apply", bed->WriteFile("bad.txt", "mac ff:ff:ff:ff:ff:ff CAP1\n")});
    EXPECT_EQ(bad.status, 2);
    EXPECT_NE(bad.err.find("bad.txt:1"), std::string::npos) << bad.err;
}

// Not a check: how long a listing takes as the network grows, against the protocol's own floor of the 1 s
// pre-wait plus the 2 s discovery window.
TEST_F(PlcctlEndToEndTest, ListWallTime) {
    for (int adapters : {1, 4, 16}) {
        E2eTestbed timed;
        ASSERT_TRUE(timed.Up());
        ASSERT_TRUE(timed.StartSimulator(timed.WriteFile("scenario.json", Scenario(adapters - 1, false))));
        const E2eTestbed::Run run = timed.RunOnPcSide({PLCCTL_PATH, "list"});
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(Lines(run.out).size(), static_cast<size_t>(adapters));
        std::printf("plcctl list, %2d adapters: %.2f s wall time\n", adapters, run.seconds);
    }
}

} // namespace
