#include "engine/byte_buffer.h"

#include <gtest/gtest.h>

#include "engine/packet.h"
#include "tests/support/hex.h"

namespace {

TEST(ByteBuffer, ReadsAndWritesInWireOrder) {
    ByteBuffer buffer;
    buffer.AppendU8(0x01);
    buffer.AppendU16Le(0x0302);
    buffer.AppendU32Le(0x07060504);
    buffer.PrependU16Be(0xAABB);
    buffer.PrependU16Le(0xCCDD);
    buffer.PrependU8(0xEE);
    EXPECT_EQ(ToHex(buffer.Bytes()), "EEDDCCAABB01020304050607");
    EXPECT_EQ(buffer.GetU16Le(1), 0xCCDD);
    EXPECT_EQ(buffer.GetU32Le(8), 0x07060504u);

    ByteBuffer front;
    buffer.RemoveFront(3, front);
    EXPECT_EQ(ToHex(front.Bytes()), "EEDDCC");
    EXPECT_EQ(ToHex(buffer.Bytes()), "AABB01020304050607");
    buffer.PrependBytes(front);
    buffer.AppendBytes(front);
    EXPECT_EQ(ToHex(buffer.Bytes()), "EEDDCCAABB01020304050607EEDDCC");
    buffer.PrependBytes(buffer);
    EXPECT_EQ(buffer.Size(), 30u);
}

TEST(ByteBuffer, ReadsOutsideTheBufferNeverTouchMemory) {
    const uint8_t bytes[] = {1, 2, 3};
    ByteBuffer buffer(bytes, 3);
    EXPECT_EQ(buffer.GetU8(3), 0);
    EXPECT_EQ(buffer.GetU16Le(2), 0);
    EXPECT_EQ(buffer.GetU32Le(0), 0u);
    EXPECT_EQ(buffer.GetU32Le(SIZE_MAX - 1), 0u);
    EXPECT_EQ(buffer.At(3), nullptr);
    EXPECT_TRUE(buffer.Has(0, 3));
    EXPECT_TRUE(buffer.Has(3, 0));
    EXPECT_FALSE(buffer.Has(1, 3));
    EXPECT_FALSE(buffer.Has(SIZE_MAX, 2));
    buffer.SetU8(10, 9);
    EXPECT_EQ(buffer.Size(), 3u);
    ByteBuffer removed;
    buffer.RemoveFront(10, removed);
    EXPECT_EQ(removed.Size(), 3u);
    EXPECT_EQ(buffer.Size(), 0u);
}

TEST(Packet, BuildFramePutsTheHeaderInFront) {
    Packet packet;
    packet.Init({0xff, 0xff, 0xff, 0xff, 0xff, 0xff}, {0x00, 0x11, 0x22, 0x33, 0x44, 0x55}, 0x8912, 1, 0xA058, 0,
                kVendorOui, true);
    packet.payload.AppendU8(0x99);
    packet.BuildFrame();
    EXPECT_EQ(ToHex(packet.payload.Bytes()), "FFFFFFFFFFFF001122334455891201"
                                             "58A0"
                                             "0000"
                                             "001F84"
                                             "99");
    EXPECT_EQ(packet.payload.GetU8(15), 0x58);
    EXPECT_EQ(packet.payload.GetU8(16), 0xA0);
}

TEST(Packet, ParseFrameReadsTheHeaderAndCollectsPayloads) {
    const std::vector<uint8_t> frame = Bytes("001122334455 0A0B0C0D0E0F 8912 01 71A0 3412 001F84 AABB");
    Packet packet;
    ASSERT_TRUE(packet.ParseFrame(frame.data(), static_cast<int>(frame.size())));
    EXPECT_EQ(FormatMac(packet.destination), "00:11:22:33:44:55");
    EXPECT_EQ(FormatMac(packet.source), "0a:0b:0c:0d:0e:0f");
    EXPECT_EQ(packet.mmType, 0xA071);
    EXPECT_EQ(packet.fmi, 0x1234);
    EXPECT_FALSE(packet.sealed);
    ASSERT_TRUE(packet.ParseFrame(frame.data(), static_cast<int>(frame.size())));
    EXPECT_EQ(ToHex(packet.payload.Bytes()), "AABBAABB");

    // Other types are sealed; a wrong ethertype or a short header leaves the packet as it was.
    std::vector<uint8_t> sealed = frame;
    sealed[15] = 0x5D;
    Packet other;
    ASSERT_TRUE(other.ParseFrame(sealed.data(), static_cast<int>(sealed.size())));
    EXPECT_TRUE(other.sealed);
    std::vector<uint8_t> wrongType = frame;
    wrongType[13] = 0x13;
    Packet untouched;
    EXPECT_FALSE(untouched.ParseFrame(wrongType.data(), static_cast<int>(wrongType.size())));
    EXPECT_FALSE(untouched.ParseFrame(frame.data(), 21));
    EXPECT_FALSE(untouched.ParseFrame(frame.data(), 0));
    EXPECT_FALSE(untouched.ParseFrame(nullptr, 30));
    EXPECT_EQ(untouched.payload.Size(), 0u);
    EXPECT_EQ(untouched.mmType, 0);
}

TEST(MacText, FormatAndParse) {
    const MacAddress mac = {0x12, 0x34, 0xAB, 0x56, 0xEF, 0x78};
    EXPECT_EQ(FormatMac(mac), "12:34:ab:56:ef:78");
    EXPECT_EQ(ParseMac("12:34:AB:56:ef:78"), mac);
    struct Case {
        const char* text;
        const char* expected;
    };
    // A non-digit reads as F in a high half and as FF for the whole byte in a low half.
    const Case cases[] = {
        {"g2:34:ab:56:ef:78", "f2:34:ab:56:ef:78"},    {"1g:34:ab:56:ef:78", "ff:34:ab:56:ef:78"},
        {"12:34:ab:56:ef", "12:34:ab:56:ef:ff"},       {"", "ff:ff:ff:ff:ff:ff"},
        {"12:34:ab:56:ef:78:99", "12:34:ab:56:ef:78"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FormatMac(ParseMac(c.text)), c.expected) << c.text;
    }
    // Typed input: only the exact colon form passes.
    EXPECT_EQ(ParseMacStrict("12:34:AB:56:ef:78"), mac);
    for (const char* refused : {"12:34:ab:56:ef", "12-34-ab-56-ef-78", "12:34:ab:56:ef:7g", "1234ab56ef78", ""}) {
        EXPECT_FALSE(ParseMacStrict(refused)) << refused;
    }
}

} // namespace
