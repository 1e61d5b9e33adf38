// Confirms that announce more than they hold, and other bodies no well-behaved adapter sends: each
// exchange fails (or refuses the record) without reading outside what arrived.

#include <functional>
#include <gtest/gtest.h>

#include "engine/device_ops.h"
#include "engine/exchanges.h"
#include "engine/frame_channel.h"
#include "engine/link_stack.h"
#include "engine/protocol_layers.h"
#include "platform/clock.h"
#include "tests/support/adapter_frames.h"
#include "tests/support/memory_backend.h"

namespace {

const MacAddress kHost = {0x02, 0x00, 0x00, 0x00, 0x00, 0x01};
const MacAddress kAdapter = {0x00, 0x1f, 0x84, 0x00, 0x00, 0x01};

class MalformedConfirmTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(BringUpHostLink(backend, kHost)); }
    void TearDown() override { TakeDownHostLink(); }

    // Queues a confirm for the next request, under the key and Sequence it will use.
    void Answer(uint16_t type, const std::vector<uint8_t>& body) {
        backend.Deliver("eth0", SealedToHost(kHost, kAdapter, type, CPacketLayer::Instance()->sequence, body,
                                             kHostAdapterPassword));
    }

    VirtualClock clock;
    ScopedClock scopedClock{clock};
    MemoryFrameBackend backend;
    ScopedFrameBackend scopedBackend{backend};
};

std::vector<uint8_t> Repeat(size_t count, uint8_t byte) {
    return std::vector<uint8_t>(count, byte);
}

std::vector<uint8_t> Join(std::initializer_list<std::vector<uint8_t>> parts) {
    std::vector<uint8_t> all;
    for (const auto& part : parts) {
        all.insert(all.end(), part.begin(), part.end());
    }
    return all;
}

TEST_F(MalformedConfirmTest, CountsAndLengthsPastTheBody) {
    const uint8_t nid[7] = {};
    struct Case {
        const char* what;
        uint16_t type;
        std::vector<uint8_t> body;
        std::function<bool()> exchange;
        bool expected;
    };
    std::vector<NetworkInfoEntry> info;
    std::vector<StationEntry> stations;
    FirmwareInfo firmware;
    ParameterValue value;
    bool anySet = false;
    const std::vector<Case> cases = {
        {"network info: 3 entries announced, 1 sent", 0xA029, Join({{3}, Repeat(19, 0x11)}),
         [&] { return ReadNetworkInfo(kHost, kAdapter, 0, 0, info); }, false},
        {"network info: 1 entry", 0xA029, Join({{1}, Repeat(19, 0x11)}),
         [&] { return ReadNetworkInfo(kHost, kAdapter, 0, 0, info) && info.size() == 1; }, true},
        {"station list: 255 entries announced", 0xA02D, Join({{255}, Repeat(10, 0x22)}),
         [&] { return ReadStationList(kHost, kAdapter, nid, stations); }, false},
        {"station list: no entry",
         0xA02D,
         {0},
         [&] { return ReadStationList(kHost, kAdapter, nid, stations) && stations.empty(); },
         true},
        {"firmware info: body shorter than its words", 0xA04D, Repeat(4, 1),
         [&] { return ReadFirmwareInfo(kHost, kAdapter, firmware); }, false},
        {"firmware info: 200 pairs announced", 0xA04D, Join({Repeat(24, 1), {200}, Repeat(10, 2)}),
         [&] { return ReadFirmwareInfo(kHost, kAdapter, firmware); }, false},
        {"firmware info: text of 250 bytes announced", 0xA04D, Join({Repeat(24, 1), {0}, Repeat(4, 3), {250}, {'A'}}),
         [&] { return ReadFirmwareInfo(kHost, kAdapter, firmware); }, false},
        {"firmware info: two pairs, text at 40", 0xA04D,
         Join({Repeat(24, 1), {2}, Repeat(10, 7), {9, 9, 9, 9}, {3}, {'X', 'Y', 0}}),
         [&] {
             return ReadFirmwareInfo(kHost, kAdapter, firmware) && firmware.pairs.size() == 2 &&
                    firmware.lastWord == 0x09090909 && firmware.text == "XY";
         },
         true},
        {"parameter: 1300 bytes announced, 4 sent",
         0xA05D,
         {0, 0x14, 0x05, 1, 2, 3, 4},
         [&] { return ReadParameter(kHost, kAdapter, 0x46, value); },
         false},
        {"parameter: no data",
         0xA05D,
         {0, 0, 0},
         [&] { return ReadParameter(kHost, kAdapter, 0x41, value) && value.data.empty(); },
         true},
        {"status word: no data reads as clear",
         0xA061,
         {0, 0},
         [&] { return ReadStatusWord(kHost, kAdapter, 0xFFFFFFFF, anySet) && !anySet; },
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Answer(c.type, c.body);
        EXPECT_EQ(c.exchange(), c.expected);
    }
}

TEST_F(MalformedConfirmTest, DiscoveryRecords) {
    // Each confirm carries one record: kind, length (0 means 37), data.
    std::vector<DiscoveryEntry> entries;
    auto discover = [&](const std::vector<std::vector<uint8_t>>& payloads) {
        for (size_t i = 0; i < payloads.size(); ++i) {
            const MacAddress from = {0x00, 0x1f, 0x84, 0x00, 0x00, static_cast<uint8_t>(0x10 + i)};
            backend.Deliver("eth0", UnsealedToHost(kHost, from, 0xA071, payloads[i]), 10 * (i + 1));
        }
        return Discover(kHost, kBroadcastMac, entries);
    };
    ASSERT_TRUE(discover({Join({{0, 0}, Repeat(37, 0xAA)}), Join({{2, 3}, {1, 2, 3}})}));
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].dataLength, 37);
    EXPECT_EQ(entries[0].mac[5], 0x10);
    EXPECT_EQ(entries[1].kind, 2);
    EXPECT_EQ(entries[1].mac[5], 0x11);

    // Longer than an entry holds, or longer than what arrived: refused, and nothing after it is read.
    EXPECT_FALSE(discover({Join({{0, 65}, Repeat(65, 0xBB)}), Join({{0, 1}, {7}})}));
    EXPECT_TRUE(entries.empty());
    EXPECT_FALSE(discover({Join({{0, 20}, Repeat(5, 0xBB)})}));
    EXPECT_FALSE(discover({{0}})); // a lone kind byte: no record yet
}

ClassifierRecord Rule(int32_t type, std::vector<uint8_t> value, int priority = 3) {
    ClassifierRecord record;
    record.priority = priority;
    record.ruleCount = 1;
    record.ruleTypes[0] = type;
    record.values.fill(0xFF);
    std::copy(value.begin(), value.end(), record.values.begin());
    record.valueLength = static_cast<uint8_t>(value.size());
    return record;
}

TEST_F(MalformedConfirmTest, ClassifierTables) {
    auto table = [](std::vector<uint8_t> firstSlot) {
        std::vector<uint8_t> data = {0, 0x14, 0x05}; // status, length 1300
        std::vector<uint8_t> image(1300, 0xFF);
        std::copy(firstSlot.begin(), firstSlot.end(), image.begin() + 25); // slot 1; slot 0 stays empty
        data.insert(data.end(), image.begin(), image.end());
        return data;
    };
    const std::vector<uint8_t> good =
        Join({{0x00, 0x34, 0xB8, 0x00, 0x02, 0x00, 0x0D, 0xFF, 0xFF}, {1, 2, 3, 4, 5, 6, 0x1F, 0x90}, Repeat(8, 0xFF)});
    struct Case {
        const char* what;
        std::vector<uint8_t> slot;
        bool expected;
    };
    std::vector<uint8_t> fiveRules = good;
    fiveRules[4] = 5;
    std::vector<uint8_t> unknownType = good;
    unknownType[6] = 16;
    std::vector<uint8_t> noMarkers = good;
    noMarkers[2] = 0xA0;
    std::vector<uint8_t> endMark = good;
    endMark[0] = 0x01;
    const Case cases[] = {{"two rules", good, true},
                          {"five rules announced", fiveRules, false},
                          {"rule type 16", unknownType, false},
                          {"marker bits missing", noMarkers, false},
                          {"slot starting with 01", endMark, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Answer(0xA05D, table(c.slot));
        int count = -1;
        ClassifierRecord records[kClassifierSlots];
        EXPECT_EQ(ReadClassifierTable(kHost, kAdapter, count, records), c.expected);
        if (c.expected) {
            ASSERT_EQ(count, 1);
            EXPECT_EQ(records[0].priority, 5);
            EXPECT_EQ(records[0].valueLength, 8);
            EXPECT_EQ(records[0].ruleTypes[2], kNoRule);
        }
    }
    Answer(0xA05D, {0, 0x13, 0x05});
    int count = 0;
    ClassifierRecord records[kClassifierSlots];
    EXPECT_FALSE(ReadClassifierTable(kHost, kAdapter, count, records)); // 1299 bytes announced, none sent
}

TEST_F(MalformedConfirmTest, StationListLongerThanTheTableKeepsTheFirst63) {
    Engine().hostNicMac = kHost;
    Engine().localAdapterMac = kAdapter;
    Devices().count = 1;
    // The network identifier read, then a station list of 70 remote adapters.
    Answer(0xA05D, {0, 7, 0, 1, 2, 3, 4, 5, 6, 7});
    std::vector<uint8_t> stations = {70};
    for (int i = 0; i < 70; ++i) {
        const std::vector<uint8_t> entry = {0x00, 0x1f, 0x84, 0x01, 0x00, static_cast<uint8_t>(i), 100, 0, 50, 0};
        stations.insert(stations.end(), entry.begin(), entry.end());
    }
    backend.Deliver("eth0",
                    SealedToHost(kHost, kAdapter, 0xA02D, static_cast<uint8_t>(CPacketLayer::Instance()->sequence + 1),
                                 stations, kHostAdapterPassword));
    EXPECT_TRUE(RefreshStations());
    EXPECT_EQ(Devices().count, kMaxDevices);
    EXPECT_EQ(Devices().records[63].mac[5], 62);
    EXPECT_EQ(Devices().records[0].rate, 50);
    ResetEngine();
}

TEST(ClassifierRecords, ExpandTakesValuesInRuleOrder) {
    ClassifierRecord record = Rule(kRuleEthernetDestination, {1, 2, 3, 4, 5, 6, 0x1F, 0x90});
    record.ruleCount = 3;
    record.ruleTypes = {kRuleEthernetDestination, kNoRule, kRuleTcpDestinationPort, kNoRule};
    ClassifierEntry entries[kMaxRulesPerRecord];
    entries[1].length = 99; // a slot without a rule stays as it was
    ASSERT_TRUE(ExpandClassifierRecord(record, entries));
    EXPECT_EQ(entries[0].length, 6);
    EXPECT_EQ(entries[1].length, 99);
    EXPECT_EQ(entries[2].type, kRuleTcpDestinationPort);
    EXPECT_EQ(entries[2].value[0], 0x1F);
    EXPECT_EQ(entries[2].value[1], 0x90);
    EXPECT_EQ(entries[2].value[2], 0);

    ClassifierRecord unknown = Rule(16, {1});
    EXPECT_FALSE(ExpandClassifierRecord(unknown, entries));
    ClassifierRecord tooLong = Rule(kRuleIpv6Source, Repeat(16, 1));
    tooLong.ruleCount = 2;
    tooLong.ruleTypes[1] = kRuleIpv6Destination; // 32 value bytes in a 16-byte block
    EXPECT_FALSE(ExpandClassifierRecord(tooLong, entries));
}

} // namespace
