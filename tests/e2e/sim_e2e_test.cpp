// The engine's layers and plcsim over a veth pair between two network namespaces, through real libpcap.
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <sched.h>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "engine/frame_backend.h"
#include "engine/frame_channel.h"
#include "engine/link_stack.h"
#include "engine/protocol_layers.h"
#include "platform/net_interfaces.h"
#include "security/encryption_layer.h"
#include "security/key_derivation.h"
#include "tests/e2e/e2e_testbed.h"

namespace {

const MacAddress kLocal = {0x00, 0x1F, 0x84, 0x00, 0x00, 0x01};
const MacAddress kRemote = {0x00, 0x1F, 0x84, 0x00, 0x00, 0x02};
const MacAddress kLabelled = {0x00, 0x1F, 0x84, 0x00, 0x00, 0x03};
const MacAddress kBroadcast = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};

class SimEndToEndTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (geteuid() != 0) {
            GTEST_SKIP() << "end-to-end tests need root to make network namespaces and capture on them";
        }
        bed_ = std::make_unique<E2eTestbed>();
        ASSERT_TRUE(bed_->Up()) << "scripts/testbed up failed";
    }

    void TearDown() override {
        DestroyLinkStack();
        CloseInterface();
    }

    int SendRequest(const MacAddress& destination, uint16_t type, bool sealed, const std::vector<uint8_t>& body) {
        Packet request;
        request.Init(destination, host_, 0x8912, 1, type, 0, kVendorOui, sealed);
        request.payload.AppendBytes(body.data(), body.size());
        return LayerStack::Instance()->Send(request);
    }

    std::vector<uint8_t> ProbeBody(const MacAddress& destination) {
        std::vector<uint8_t> body(host_.begin(), host_.end());
        body.insert(body.end(), destination.begin(), destination.end());
        return body;
    }

    std::unique_ptr<E2eTestbed> bed_;
    MacAddress host_{};
};

TEST_F(SimEndToEndTest, DiscoveryAndSealedExchangesOverRealCapture) {
    ASSERT_TRUE(bed_->StartSimulator(std::string(PEMRA_SOURCE_DIR) + "/sim/scenarios/two_remotes.json"));
    const std::string pcIf = bed_->PcInterface();
    {
        NamespaceScope pcSide(bed_->PcNamespace());
        ASSERT_TRUE(pcSide.Entered());
        std::vector<OsAdapter> adapters;
        ASSERT_TRUE(ListOsAdapters(adapters));
        bool found = false;
        for (const OsAdapter& adapter : adapters) {
            if (adapter.name == pcIf) {
                host_ = adapter.hardwareAddress;
                found = true;
            }
        }
        ASSERT_TRUE(found) << "the PC side sees only its own namespace's interfaces";
        ASSERT_EQ(OpenInterface(pcIf.c_str(), kSnapLength, kReadTimeoutMs), 0);
        ASSERT_EQ(SetFrameFilter(host_), 0);
        BuildLinkStack(kHostAdapterPassword);

        ASSERT_EQ(SendRequest(
                      kBroadcast, 0xA070, false,
                      {0x5C, 0x0E, 0x71, 0xD8, 0x26, 0xB4, 0x9A, 0x3F, 0x60, 0xE7, 0x1B, 0xC2, 0x48, 0x0D, 0x93, 0xAA}),
                  39);
        Packet discovery;
        ASSERT_GT(LayerStack::Instance()->Receive(discovery), 0);
        EXPECT_EQ(discovery.mmType, 0xA071);
        EXPECT_EQ(discovery.source, kLocal);
        ASSERT_GE(discovery.payload.Size(), 2u);
        EXPECT_EQ(discovery.payload.GetU8(0), 0);

        ASSERT_GT(SendRequest(kLocal, 0xA000, true, ProbeBody(kLocal)), 0);
        Packet probe;
        ASSERT_GT(LayerStack::Instance()->Receive(probe), 0);
        EXPECT_EQ(probe.mmType, 0xA001);

        ASSERT_TRUE(RekeyEncryptionLayer(DefaultDevicePassword(kRemote)));
        ASSERT_GT(SendRequest(kRemote, 0xA05C, true, {0x41, 0x00}), 0);
        Packet version;
        ASSERT_GT(LayerStack::Instance()->Receive(version), 0);
        EXPECT_EQ(version.mmType, 0xA05D);
        EXPECT_EQ(version.source, kRemote);
        ASSERT_TRUE(version.payload.Has(0, 3 + 64));
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(version.payload.At(3))), "Lirra PL500 AV v2.4.1");

        // The labelled adapter hears its default password as a wrong key and stays silent; it answers a probe
        // under its label password.
        ASSERT_TRUE(RekeyEncryptionLayer(DefaultDevicePassword(kLabelled)));
        ASSERT_GT(SendRequest(kLabelled, 0xA000, true, ProbeBody(kLabelled)), 0);
        Packet none;
        EXPECT_EQ(LayerStack::Instance()->Receive(none), 0);
        ASSERT_TRUE(RekeyEncryptionLayer("KXQZ-TRWA-PLMB-HEDU"));
        ASSERT_GT(SendRequest(kLabelled, 0xA000, true, ProbeBody(kLabelled)), 0);
        Packet labelled;
        ASSERT_GT(LayerStack::Instance()->Receive(labelled), 0);
        EXPECT_EQ(labelled.source, kLabelled);
        CloseInterface();
    }
    const std::string summary = bed_->StopSimulator();
    EXPECT_NE(summary.find("plcsim: 5 requests, 4 answers sent, 0 send failures, 1 protocol errors"), std::string::npos)
        << summary;

    const std::vector<nlohmann::json> records = bed_->Requests();
    ASSERT_EQ(records.size(), 5u);
    EXPECT_EQ(records[0]["type"], "Discover");
    EXPECT_EQ(records[0]["source"], FormatMac(host_));
    EXPECT_EQ(records[1]["type"], "Probe");
    EXPECT_EQ(records[1]["sequence"], 1);
    EXPECT_EQ(records[2]["type"], "ReadParameter");
    EXPECT_EQ(records[2]["sequence"], 2);
    EXPECT_EQ(records[2]["fields"]["id"], "0x41");
    EXPECT_EQ(records[3]["error"], "wrong-key");
    EXPECT_TRUE(records[3]["answers"].empty());
    EXPECT_EQ(records[4]["adapter"], FormatMac(kLabelled));
    EXPECT_EQ(records[4]["sequence"], 3) << "the unanswered probe left the counter where it was";
    for (size_t i : {0, 1, 2, 4}) {
        EXPECT_FALSE(records[i].contains("error")) << records[i].dump();
        EXPECT_EQ(records[i]["answers"].size(), 1u);
    }
}

} // namespace
