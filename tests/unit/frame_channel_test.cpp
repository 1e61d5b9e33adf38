#include "engine/frame_channel.h"

#include <cstring>
#include <gtest/gtest.h>

#include "platform/clock.h"
#include "tests/support/memory_backend.h"

namespace {

const MacAddress kHostMac = {0x02, 0x00, 0x00, 0x00, 0x00, 0x01};

class FrameChannelTest : public ::testing::Test {
protected:
    void TearDown() override { CloseInterface(); }

    VirtualClock clock;
    ScopedClock scopedClock{clock};
    MemoryFrameBackend network;
    ScopedFrameBackend scopedBackend{network};
};

std::vector<uint8_t> FrameTo(const MacAddress& destination, size_t length) {
    std::vector<uint8_t> frame(length, 0xAB);
    std::memcpy(frame.data(), destination.data(), 6);
    frame[12] = 0x89;
    frame[13] = 0x12;
    return frame;
}

TEST_F(FrameChannelTest, ListsOnlyEthernetInterfacesThatAreUp) {
    network.AddInterface("eth0", kHostMac);
    network.AddCaptureDevice("any");
    network.AddLoopback("lo");
    network.AddInterface("eth1", kHostMac, /*up=*/false);
    network.AddCaptureDevice("nflog");
    network.AddInterface(std::string(64, 'v'), kHostMac); // does not fit a slot: left out, never cut
    network.AddInterface("veth-pc", kHostMac);
    InterfaceNameSlot names[kMaxInterfaces];
    ASSERT_EQ(ListInterfaces(names, kMaxInterfaces), 2);
    EXPECT_STREQ(names[0], "eth0");
    EXPECT_STREQ(names[1], "veth-pc");
}

TEST_F(FrameChannelTest, ListingLimitAndFailure) {
    for (int i = 0; i < 11; ++i) {
        network.AddInterface("eth" + std::to_string(i), kHostMac);
    }
    InterfaceNameSlot names[kMaxInterfaces] = {};
    EXPECT_EQ(ListInterfaces(names, kMaxInterfaces), -1);
    EXPECT_STREQ(names[0], "eth0");
    EXPECT_STREQ(names[9], "eth9");

    MemoryFrameBackend broken;
    broken.FailListing("no permission");
    ScopedFrameBackend scoped(broken);
    EXPECT_EQ(ListInterfaces(names, kMaxInterfaces), -1);
}

TEST_F(FrameChannelTest, ReceiveGivesUpAfterFourReadTimeOuts) {
    network.AddInterface("eth0", kHostMac);
    ASSERT_EQ(OpenInterface("eth0", kSnapLength, kReadTimeoutMs), 0);
    ASSERT_EQ(SetFrameFilter(kHostMac), 0);
    uint8_t buffer[kMaxFrameLength];
    const uint64_t start = clock.ElapsedMs();
    EXPECT_EQ(ReceiveFrame(buffer, kMaxFrameLength), 0);
    EXPECT_EQ(clock.ElapsedMs() - start, 1600u);
}

TEST_F(FrameChannelTest, FrameOnTheFourthAttemptIsDeliveredWithItsLength) {
    network.AddInterface("eth0", kHostMac);
    ASSERT_EQ(OpenInterface("eth0", kSnapLength, kReadTimeoutMs), 0);
    ASSERT_EQ(SetFrameFilter(kHostMac), 0);
    // Not for us: the filter drops it.
    network.Deliver("eth0", FrameTo({1, 2, 3, 4, 5, 6}, 60), 100);
    network.Deliver("eth0", FrameTo(kHostMac, 77), 1500);
    uint8_t buffer[kMaxFrameLength];
    const uint64_t start = clock.ElapsedMs();
    EXPECT_EQ(ReceiveFrame(buffer, kMaxFrameLength), 77);
    EXPECT_EQ(clock.ElapsedMs() - start, 1500u);
    EXPECT_EQ(buffer[12], 0x89);

    // Longer than the buffer: cut to its capacity.
    network.Deliver("eth0", FrameTo(kHostMac, 3000));
    EXPECT_EQ(ReceiveFrame(buffer, kMaxFrameLength), kMaxFrameLength);
}

TEST_F(FrameChannelTest, ErrorsAndClosedChannel) {
    uint8_t buffer[64] = {};
    EXPECT_EQ(ReceiveFrame(buffer, 64), -1);
    EXPECT_EQ(SendFrame(buffer, 64), -1);
    EXPECT_EQ(SetFrameFilter(kHostMac), -1);
    EXPECT_EQ(OpenInterface("missing0", kSnapLength, kReadTimeoutMs), -1);

    network.AddInterface("eth0", kHostMac);
    ASSERT_EQ(OpenInterface("eth0", kSnapLength, kReadTimeoutMs), 0);
    network.FailNextRead("eth0", -1);
    EXPECT_EQ(ReceiveFrame(buffer, 64), -1);
    EXPECT_EQ(SendFrame(buffer, 64), 64);
    network.FailSend();
    EXPECT_EQ(SendFrame(buffer, 64), -1);

    // A failed open keeps the handle the channel had.
    network.FailOpen("eth0");
    EXPECT_EQ(OpenInterface("eth0", kSnapLength, kReadTimeoutMs), -1);
    EXPECT_TRUE(IsInterfaceOpen());
    CloseInterface();
    EXPECT_FALSE(IsInterfaceOpen());
    EXPECT_EQ(network.OpenHandles(), 0);
}

TEST_F(FrameChannelTest, FilterTextIsLowerCase) {
    EXPECT_EQ(FrameFilterText({0x12, 0x34, 0xAB, 0x56, 0xEF, 0x78}),
              "ether proto 0x8912 and ether dst 12:34:ab:56:ef:78");
    network.AddInterface("eth0", kHostMac);
    ASSERT_EQ(OpenInterface("eth0", kSnapLength, kReadTimeoutMs), 0);
    ASSERT_EQ(SetFrameFilter({0x00, 0x11, 0x22, 0x33, 0x44, 0x55}), 0);
    EXPECT_EQ(network.Filters().back(), "ether proto 0x8912 and ether dst 00:11:22:33:44:55");
}

TEST_F(FrameChannelTest, FindInterfaceMacMatchesTheExactName) {
    const MacAddress vethMac = {0x0a, 0, 0, 0, 0, 1};
    const MacAddress ethMac = {0x0b, 0, 0, 0, 0, 2};
    network.AddInterface("veth1", vethMac);
    network.AddInterface("eth1", ethMac);
    MacAddress mac{};
    char name[51] = {};
    FindInterfaceMac(mac, 1, name);
    EXPECT_EQ(mac, ethMac);
    EXPECT_STREQ(name, "eth1");
    FindInterfaceMac(mac, 0, name);
    EXPECT_EQ(mac, vethMac);

    // Outside the list: nothing changes.
    FindInterfaceMac(mac, 7, name);
    EXPECT_EQ(mac, vethMac);
    EXPECT_STREQ(name, "veth1");
}

TEST_F(FrameChannelTest, FindInterfaceMacCutsTheNameAtFiftyCharacters) {
    const std::string longName(55, 'n');
    network.AddInterface(longName, kHostMac);
    MacAddress mac{};
    char name[64];
    std::memset(name, '#', sizeof name);
    FindInterfaceMac(mac, 0, name);
    EXPECT_EQ(std::string(name), std::string(50, 'n'));
    EXPECT_EQ(mac, kHostMac);
}

TEST_F(FrameChannelTest, FindInterfaceMacFailureTexts) {
    const MacAddress before = {9, 9, 9, 9, 9, 9};
    MacAddress mac = before;
    char name[51] = "previous";

    testing::internal::CaptureStdout();
    FindInterfaceMac(mac, 0, name); // the system lists no adapter
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "\nNo interfaces are enabled\n");

    network.AddInterface("eth0", kHostMac);
    network.FailListing("permission denied");
    testing::internal::CaptureStderr();
    FindInterfaceMac(mac, 0, name);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Error in pcap_findalldevs: permission denied\n");
    EXPECT_EQ(mac, before);
    EXPECT_STREQ(name, "previous");
}

} // namespace
