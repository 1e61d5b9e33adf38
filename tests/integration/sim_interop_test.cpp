// The engine's protocol layers against the simulated network, in process, under the virtual clock.
#include <gtest/gtest.h>
#include <zlib.h>

#include "engine/frame_channel.h"
#include "engine/link_stack.h"
#include "engine/protocol_layers.h"
#include "platform/clock.h"
#include "security/encryption_layer.h"
#include "tests/integration/sim_test_util.h"
#include "tests/support/hex.h"
#include "tests/support/sim_connection.h"

using namespace simtest;

namespace {

class SimInteropTest : public ::testing::Test {
protected:
    void SetUp() override {
        sim::NetworkConfig config = ThreeAdapters();
        config.remotes[0].faults.lateDuplicateMs = 300;
        network = MakeNetwork(config);
        ASSERT_TRUE(network);
        connection = std::make_unique<SimConnection>(backend, *network);
        ASSERT_TRUE(BringUpHostLink(backend, kHost));
    }
    void TearDown() override { TakeDownHostLink(); }

    int Send(const MacAddress& destination, uint16_t type, bool sealed, const std::vector<uint8_t>& body) {
        Packet request;
        request.Init(destination, kHost, 0x8912, 1, type, 0, kVendorOui, sealed);
        request.payload.AppendBytes(body.data(), body.size());
        return LayerStack::Instance()->Send(request);
    }

    int Receive(Packet& confirm) { return LayerStack::Instance()->Receive(confirm); }

    VirtualClock clock;
    ScopedClock scopedClock{clock};
    MemoryFrameBackend backend;
    ScopedFrameBackend scopedBackend{backend};
    std::unique_ptr<sim::SimNetwork> network;
    std::unique_ptr<SimConnection> connection;
};

TEST_F(SimInteropTest, DiscoveryFindsTheLocalAdapter) {
    ASSERT_EQ(Send(sim::kBroadcast, 0xA070, false, Bytes("5C0E71D826B49A3F60E71BC2480D93AA")), 39);
    Packet confirm;
    const uint64_t start = clock.ElapsedMs();
    EXPECT_GT(Receive(confirm), 0);
    EXPECT_EQ(clock.ElapsedMs() - start, 2u);
    EXPECT_EQ(confirm.mmType, 0xA071);
    EXPECT_EQ(confirm.source, kLocal);
    ASSERT_GE(confirm.payload.Size(), 2u);
    EXPECT_EQ(confirm.payload.GetU8(0), 0);                           // kind: the local adapter
    EXPECT_EQ(confirm.payload.Size(), 2u + confirm.payload.GetU8(1)); // one record per frame
    Packet nothing;
    EXPECT_EQ(Receive(nothing), 0) << "the remotes do not answer discovery";
    const auto record = network->Requests();
    ASSERT_EQ(record.size(), 1u);
    EXPECT_EQ(record[0].sequence, 1);
    EXPECT_TRUE(network->Errors().empty());
}

TEST_F(SimInteropTest, SealedProbeAndParameterReadUnderEachAdaptersKey) {
    ASSERT_GT(Send(kLocal, sim::kProbe, true, ProbeBody(kLocal)), 0);
    Packet probe;
    ASSERT_GT(Receive(probe), 0);
    EXPECT_EQ(probe.mmType, sim::kProbeConfirm);
    EXPECT_EQ(CPacketLayer::Instance()->sequence, 2);

    ASSERT_TRUE(RekeyEncryptionLayer(DefaultDevicePassword(kRemote)));
    ASSERT_GT(Send(kRemote, sim::kReadParameter, true, U16(sim::kParamFirmwareVersion)), 0);
    Packet read;
    ASSERT_GT(Receive(read), 0);
    EXPECT_EQ(read.mmType, 0xA05D);
    EXPECT_EQ(read.source, kRemote);
    ASSERT_TRUE(read.payload.Has(0, 3 + 64));
    EXPECT_EQ(read.payload.GetU16Le(1), 64);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(read.payload.At(3))), "Lirra PL500 AV v2.4.1");

    const auto record = network->Requests();
    ASSERT_EQ(record.size(), 2u);
    EXPECT_EQ(record[0].sequence, 1);
    EXPECT_EQ(record[1].sequence, 2);
    EXPECT_EQ(record[1].parameterId, sim::kParamFirmwareVersion);
    EXPECT_TRUE(network->Errors().empty()) << network->Errors()[0].reason;
}

TEST_F(SimInteropTest, LateDuplicateIsRejectedByTheSequenceCheck) {
    ASSERT_TRUE(RekeyEncryptionLayer(DefaultDevicePassword(kRemote)));
    for (int i = 0; i < 2; ++i) {
        ASSERT_GT(Send(kRemote, sim::kProbe, true, ProbeBody(kRemote)), 0);
        Packet confirm;
        ASSERT_GT(Receive(confirm), 0);
    }
    EXPECT_EQ(CPacketLayer::Instance()->sequence, 3);
    // 300 ms after each confirm its copy arrives, in the middle of the next exchange.
    ASSERT_GT(Send(kRemote, sim::kProbe, true, ProbeBody(kRemote)), 0);
    Packet third;
    ASSERT_GT(Receive(third), 0);
    clock.Advance(400);
    ASSERT_GT(Send(kRemote, sim::kProbe, true, ProbeBody(kRemote)), 0);
    Packet stale;
    EXPECT_LT(Receive(stale), 0) << "a copy of an earlier confirm carries an earlier Sequence";
    EXPECT_EQ(CPacketLayer::Instance()->sequence, 4);
    EXPECT_TRUE(network->Errors().empty());
}

TEST_F(SimInteropTest, LabelledAdapterIgnoresItsDefaultPassword) {
    ASSERT_TRUE(RekeyEncryptionLayer(DefaultDevicePassword(kLabelled)));
    ASSERT_GT(Send(kLabelled, sim::kProbe, true, ProbeBody(kLabelled)), 0);
    Packet none;
    EXPECT_EQ(Receive(none), 0);
    ASSERT_TRUE(RekeyEncryptionLayer(kLabelPassword));
    ASSERT_GT(Send(kLabelled, sim::kProbe, true, ProbeBody(kLabelled)), 0);
    Packet probe;
    EXPECT_GT(Receive(probe), 0);
    const auto errors = network->Errors();
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].error, sim::ErrorKind::WrongKey);
}

// Damaged requests sealed by the engine's encryption and raw layers: each is recorded with its reason and
// left unanswered, so the engine's receive finds nothing.
TEST_F(SimInteropTest, DamagedRequestsAreRecordedAndUnanswered) {
    const struct {
        const char* name;
        int crcDelta;
        int fillDelta;
        std::string_view password;
        sim::ErrorKind kind;
        const char* reason;
    } cases[] = {
        {"broken CRC", 0x100, 0, kHostPassword, sim::ErrorKind::BadCrc, "CRC-32 does not match"},
        {"fill one block long", 0, 16, kHostPassword, sim::ErrorKind::BadFill, "fill of 45 bytes, expected 29"},
        {"wrong key", 0, 0, "not the built-in password", sim::ErrorKind::WrongKey, "sealed under a key unknown"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(RekeyEncryptionLayer(c.password));
        // Length, Sequence, Body, Crc and Fill framed here; the encryption layer seals them, the raw layer sends.
        const std::vector<uint8_t> body = ProbeBody(kLocal);
        std::vector<uint8_t> plain = {static_cast<uint8_t>(body.size() + 1), 0x00, 0x01};
        plain.insert(plain.end(), body.begin(), body.end());
        const uint32_t crc = static_cast<uint32_t>(crc32(0, plain.data() + 2, static_cast<uInt>(body.size() + 1))) +
                             static_cast<uint32_t>(c.crcDelta);
        for (int shift = 0; shift < 32; shift += 8) {
            plain.push_back(static_cast<uint8_t>(crc >> shift));
        }
        plain.resize(plain.size() + SealedFillLength(static_cast<uint16_t>(body.size() + 1)) +
                         static_cast<size_t>(c.fillDelta),
                     0x00);
        Packet request;
        request.Init(kLocal, kHost, 0x8912, 1, sim::kProbe, 0, kVendorOui, true);
        request.payload.AppendBytes(plain.data(), plain.size());
        ASSERT_GT(CEncryptionLayer::Instance()->Send(request), 0);
        Packet confirm;
        EXPECT_EQ(Receive(confirm), 0);
        const sim::RequestRecord record = network->Requests().back();
        EXPECT_EQ(record.error, c.kind);
        EXPECT_EQ(record.reason.rfind(c.reason, 0), 0u) << record.reason;
        EXPECT_TRUE(record.answers.empty());
    }
    EXPECT_EQ(network->Errors().size(), std::size(cases));
}

} // namespace
