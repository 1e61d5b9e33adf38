#include "engine/protocol_layers.h"

#include <cstring>
#include <gtest/gtest.h>
#include <zlib.h>

#include "engine/frame_channel.h"
#include "engine/link_stack.h"
#include "platform/clock.h"
#include "security/encryption_layer.h"
#include "tests/support/adapter_frames.h"
#include "tests/support/hex.h"
#include "tests/support/memory_backend.h"

namespace {

const MacAddress kHostMac = {0x02, 0x00, 0x00, 0x00, 0x00, 0x01};
const MacAddress kAdapterMac = {0x00, 0x1F, 0x84, 0x00, 0x00, 0x10};
const MacAddress kBroadcast = {0xff, 0xff, 0xff, 0xff, 0xff, 0xff};
const char* kSignature = "5C0E71D826B49A3F60E71BC2480D93AA";

class LayersTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(BringUpHostLink(network, kHostMac)); }
    void TearDown() override { TakeDownHostLink(); }

    int SendRequest(uint16_t type, bool sealed, const std::vector<uint8_t>& body) {
        Packet request;
        request.Init(kAdapterMac, kHostMac, 0x8912, 1, type, 0, kVendorOui, sealed);
        request.payload.AppendBytes(body.data(), body.size());
        return LayerStack::Instance()->Send(request);
    }

    // The sealed payload of a sent frame, decrypted under `password`: Length onwards.
    static std::vector<uint8_t> Unseal(const std::vector<uint8_t>& frame, std::string_view password) {
        std::vector<uint8_t> plain(frame.begin() + 38, frame.end());
        Iv iv{};
        std::memcpy(iv.data(), frame.data() + 22, 16);
        AesCbcDecrypt(*DeriveLayerKey(password), iv, plain.data(), plain.size());
        return plain;
    }

    // A confirm as an adapter seals it: header, IV, then Length, Sequence, Body, Crc and Fill encrypted.
    static std::vector<uint8_t> SealedConfirm(uint16_t type, uint8_t sequence, const std::vector<uint8_t>& body,
                                              std::string_view password = kHostAdapterPassword) {
        return SealedToHost(kHostMac, kAdapterMac, type, sequence, body, password);
    }

    static std::vector<uint8_t> Header(uint16_t type, uint16_t etherType = 0x8912) {
        std::vector<uint8_t> frame = FrameHeaderToHost(kHostMac, kAdapterMac, type);
        frame[12] = static_cast<uint8_t>(etherType >> 8);
        frame[13] = static_cast<uint8_t>(etherType);
        return frame;
    }

    int Receive(Packet& confirm) { return LayerStack::Instance()->Receive(confirm); }

    VirtualClock clock;
    ScopedClock scopedClock{clock};
    MemoryFrameBackend network;
    ScopedFrameBackend scopedBackend{network};
};

TEST_F(LayersTest, UnsealedDiscoveryRequestIs39Bytes) {
    Packet request;
    request.Init(kBroadcast, kHostMac, 0x8912, 1, 0xA070, 0, kVendorOui, false);
    request.payload.AppendBytes(Bytes(kSignature).data(), 16);
    EXPECT_EQ(LayerStack::Instance()->Send(request), 39);
    ASSERT_EQ(network.Sent().size(), 1u);
    EXPECT_EQ(ToHex(network.Sent()[0].bytes),
              std::string("FFFFFFFFFFFF020000000001891201") + "70A0" + "0000" + "001F84" + "01" + kSignature);
}

TEST_F(LayersTest, SealedPayloadSizesAndLayout) {
    struct Case {
        size_t bodyLength;
        size_t fill;
        size_t encrypted;
    };
    const Case cases[] = {{0, 25, 32}, {9, 16, 32}, {10, 31, 48}, {1, 24, 32}, {257, 24, 288}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bodyLength);
        std::vector<uint8_t> body(c.bodyLength);
        for (size_t i = 0; i < body.size(); ++i) {
            body[i] = static_cast<uint8_t>(i * 7);
        }
        const int length = SendRequest(0xA05C, true, body);
        EXPECT_EQ(length, static_cast<int>(22 + 16 + c.encrypted));
        const std::vector<uint8_t> frame = network.Sent().back().bytes;
        ASSERT_EQ(frame.size(), static_cast<size_t>(length));
        const std::vector<uint8_t> plain = Unseal(frame, kHostAdapterPassword);
        const size_t n = c.bodyLength + 1;
        EXPECT_EQ(plain[0] | plain[1] << 8, static_cast<int>(n));
        EXPECT_EQ(plain[2], CPacketLayer::Instance()->sequence);
        EXPECT_TRUE(std::equal(body.begin(), body.end(), plain.begin() + 3));
        const auto crc = static_cast<uint32_t>(crc32(0, plain.data() + 2, static_cast<unsigned>(n)));
        uint32_t written = 0;
        std::memcpy(&written, plain.data() + 2 + n, 4);
        EXPECT_EQ(written, crc);
        EXPECT_EQ(plain.size() - (2 + n + 4), c.fill);
    }
}

TEST_F(LayersTest, CrcIsTheIeeeCheckValue) {
    // Sequence '1' and body "23456789": the CRC covers "123456789", whose CRC-32 is CBF43926.
    CPacketLayer::Instance()->sequence = '1';
    const std::string body = "23456789";
    SendRequest(0xA05C, true, std::vector<uint8_t>(body.begin(), body.end()));
    const std::vector<uint8_t> plain = Unseal(network.Sent().back().bytes, kHostAdapterPassword);
    EXPECT_EQ(ToHex({plain.data(), 15}), "0900"
                                         "313233343536373839"
                                         "2639F4CB");
}

TEST_F(LayersTest, TypeGoesLittleEndianAtOffsetFifteen) {
    SendRequest(0xA058, false, {});
    const std::vector<uint8_t> frame = network.Sent().back().bytes;
    EXPECT_EQ(frame[15], 0x58);
    EXPECT_EQ(frame[16], 0xA0);
    EXPECT_EQ(frame.size(), 23u);
}

TEST_F(LayersTest, SealedConfirmIsDecryptedAndMatchedBySequence) {
    CPacketLayer* packetLayer = CPacketLayer::Instance();
    ASSERT_EQ(packetLayer->sequence, 1);
    const std::vector<uint8_t> confirm = SealedConfirm(0xA05D, 1, {0x00, 0x02, 0x00, 0xAA, 0xBB});
    network.Deliver("eth0", confirm);
    Packet received;
    EXPECT_EQ(Receive(received), static_cast<int>(confirm.size()));
    EXPECT_EQ(received.mmType, 0xA05D);
    EXPECT_EQ(ToHex({received.payload.At(0), 5}), "000200AABB");
    EXPECT_EQ(packetLayer->sequence, 2);

    // A late answer to the earlier request: rejected, the counter stays.
    network.Deliver("eth0", SealedConfirm(0xA05D, 1, {0x00}));
    Packet stale;
    EXPECT_EQ(Receive(stale), -1);
    EXPECT_EQ(packetLayer->sequence, 2);

    // Sealed under another key: garbage plaintext, rejected by the Sequence check (with this IV and key).
    network.Deliver("eth0", SealedConfirm(0xA05D, 2, {0x00}, "ABCD-EFGH-IJKL-MNOP"));
    Packet wrongKey;
    EXPECT_LT(Receive(wrongKey), 0);
    EXPECT_EQ(packetLayer->sequence, 2);

    // Unsealed confirms are not examined and do not move the counter.
    std::vector<uint8_t> discovery = Header(0xA071);
    discovery.push_back(0x77);
    network.Deliver("eth0", discovery);
    Packet unsealed;
    EXPECT_EQ(Receive(unsealed), static_cast<int>(discovery.size()));
    EXPECT_EQ(ToHex(unsealed.payload.Bytes()), "77");
    EXPECT_EQ(packetLayer->sequence, 2);
}

TEST_F(LayersTest, SequenceWrapsAfter255) {
    CPacketLayer* packetLayer = CPacketLayer::Instance();
    for (int expected = 1; expected <= 255; ++expected) {
        network.Deliver("eth0", SealedConfirm(0xA001, static_cast<uint8_t>(expected), {}));
        Packet confirm;
        ASSERT_GT(Receive(confirm), 0) << expected;
    }
    EXPECT_EQ(packetLayer->sequence, 0);
    SendRequest(0xA000, true, {});
    EXPECT_EQ(Unseal(network.Sent().back().bytes, kHostAdapterPassword)[2], 0);
    SendRequest(0xA070, false, {});
    EXPECT_EQ(network.Sent().back().bytes[22], 0);
}

TEST_F(LayersTest, FreshKeyStartsTheIvCounterAtZero) {
    CEncryptionLayer* encryption = CEncryptionLayer::Instance();
    ASSERT_TRUE(RekeyEncryptionLayer("ABCD-EFGH-IJKL-MNOP"));
    const std::array<uint8_t, 32> ivKey = encryption->Cipher()->ivKey;
    SendRequest(0xA000, true, {});
    SendRequest(0xA000, true, {});
    const uint8_t m0[4] = {3, 0, 0, 0};
    const uint8_t m1[4] = {11, 0, 0, 0};
    EXPECT_EQ(ToHex({network.Sent()[0].bytes.data() + 22, 16}), ToHex({HmacSha256(ivKey, m0).data(), 16}));
    EXPECT_EQ(ToHex({network.Sent()[1].bytes.data() + 22, 16}), ToHex({HmacSha256(ivKey, m1).data(), 16}));
    EXPECT_EQ(Unseal(network.Sent()[0].bytes, "ABCD-EFGH-IJKL-MNOP")[0], 1);
}

TEST_F(LayersTest, NoKeyMeansNothingPasses) {
    // A password that cannot be derived leaves the layer without a key rather than with a stale one.
    EXPECT_FALSE(RekeyEncryptionLayer(std::string(65, 'p')));
    EXPECT_FALSE(CEncryptionLayer::Instance()->HasKey());
    EXPECT_EQ(SendRequest(0xA000, true, {}), -1);
    EXPECT_EQ(SendRequest(0xA070, false, {}), -1);
    EXPECT_TRUE(network.Sent().empty());
    std::vector<uint8_t> discovery = Header(0xA071);
    discovery.push_back(0);
    network.Deliver("eth0", discovery);
    Packet confirm;
    EXPECT_EQ(Receive(confirm), -1);
}

TEST_F(LayersTest, MalformedFramesAreRefusedWithoutReadingOutsideThem) {
    struct Case {
        const char* what;
        std::vector<uint8_t> frame;
        int expected; // 1: accepted (positive length), 0: nothing, -1: refused
    };
    auto withPayload = [](uint16_t type, size_t payload) {
        std::vector<uint8_t> frame = Header(type);
        frame.resize(frame.size() + payload, 0xEE);
        return frame;
    };
    std::vector<uint8_t> shortHeader = Header(0xA05D);
    shortHeader.resize(20);
    std::vector<uint8_t> lyingLength = SealedConfirm(0xA05D, 1, {});
    // Length claims 65535 bytes: nothing in the layers reads by it.
    {
        std::vector<uint8_t> plain(lyingLength.begin() + 38, lyingLength.end());
        Iv iv{};
        iv.fill(0x42);
        AesCbcDecrypt(*DeriveLayerKey(kHostAdapterPassword), iv, plain.data(), plain.size());
        plain[0] = 0xFF;
        plain[1] = 0xFF;
        AesCbcEncrypt(*DeriveLayerKey(kHostAdapterPassword), iv, plain.data(), plain.size());
        std::copy(plain.begin(), plain.end(), lyingLength.begin() + 38);
    }
    const Case cases[] = {
        {"shorter than the header", shortHeader, 0},
        {"header only, sealed type", withPayload(0xA05D, 0), -1},
        {"IV only", withPayload(0xA05D, 16), -1},
        {"IV and a partial block", withPayload(0xA05D, 16 + 20), -1},
        {"IV and one block and a bit", withPayload(0xA05D, 16 + 17), -1},
        {"cut to the buffer, not whole blocks", withPayload(0xA05D, 3000), -1},
        {"unsealed type, empty payload", withPayload(0xA071, 0), 1},
        {"other ethertype",
         [] {
             std::vector<uint8_t> frame = Header(0xA05D, 0x88E1);
             frame.resize(60);
             return frame;
         }(),
         0},
        {"Length field lies", lyingLength, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CPacketLayer::Instance()->sequence = 1;
        network.Deliver("eth0", c.frame);
        Packet confirm;
        const int result = Receive(confirm);
        if (c.expected > 0) {
            EXPECT_GT(result, 0);
        } else if (c.expected == 0) {
            EXPECT_EQ(result, 0);
        } else {
            EXPECT_LT(result, 0);
        }
    }
}

} // namespace
