// The engine's operations against the in-process simulated network, in virtual time.

#include <algorithm>
#include <gtest/gtest.h>

#include "engine/device_ops.h"
#include "engine/exchanges.h"
#include "engine/page_refresh.h"
#include "engine/protocol_layers.h"
#include "platform/clock.h"
#include "security/device_store.h"
#include "security/encryption_layer.h"
#include "security/key_derivation.h"
#include "tests/support/adapter_frames.h"
#include "tests/support/memory_backend.h"
#include "tests/support/sim_connection.h"

namespace {

const MacAddress kHost = {0x02, 0x00, 0x00, 0x00, 0x00, 0x01};
const MacAddress kLocal = {0x00, 0x1f, 0x84, 0x00, 0x00, 0x01};

MacAddress Remote(int n) {
    return {0x00, 0x1f, 0x84, 0x00, 0x01, static_cast<uint8_t>(n)};
}

sim::NetworkConfig Network(int remotes) {
    sim::NetworkConfig config;
    config.local = sim::DefaultAdapter(kLocal, true);
    for (int i = 1; i <= remotes; ++i) {
        config.remotes.push_back(sim::DefaultAdapter(Remote(i), false));
        config.remotes.back().stationRate = static_cast<uint16_t>(100 + i);
        config.remotes.back().hostRate = static_cast<uint16_t>(50 + 10 * i);
    }
    return config;
}

class EngineTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetEngine();
        DeviceStore::Instance().Clear();
    }
    void TearDown() override {
        EXPECT_TRUE(!network || network->FramingErrors().empty()) << "protocol errors were recorded";
        link.reset();
        ResetEngine();
    }

    // The network on `interfaceName`, behind `before` other interfaces that lead nowhere.
    void Attach(const sim::NetworkConfig& config, const std::vector<std::string>& before = {},
                const std::string& interfaceName = "eth0") {
        for (const std::string& name : before) {
            backend.AddInterface(name, {0x02, 0, 0, 0, 0x09, static_cast<uint8_t>(name.back())});
        }
        backend.AddInterface(interfaceName, kHost);
        network = MakeNetwork(config);
        ASSERT_TRUE(network);
        link = std::make_unique<SimConnection>(backend, *network, interfaceName);
        testing::internal::CaptureStdout(); // the engine lists its interfaces on standard output
        StartEngine();
        testing::internal::GetCapturedStdout();
    }

    std::vector<int> Refresh(RefreshPage page = RefreshPage::DeviceSettings) {
        std::vector<int> statuses;
        RunPageRefresh(page, [&](int status) { statuses.push_back(status); });
        return statuses;
    }

    // Destination of each request of a type, in order.
    std::vector<MacAddress> Destinations(uint16_t type, std::optional<uint16_t> parameter = {}) {
        std::vector<MacAddress> order;
        for (const sim::RequestRecord& request : network->RequestsOf(type)) {
            if (!parameter || request.parameterId == parameter) {
                order.push_back(request.destination);
            }
        }
        return order;
    }

    VirtualClock clock;
    ScopedClock scopedClock{clock};
    MemoryFrameBackend backend;
    ScopedFrameBackend scopedBackend{backend};
    std::unique_ptr<sim::SimNetwork> network;
    std::unique_ptr<SimConnection> link;
};

TEST_F(EngineTest, RefreshListsTheNetworkInTableOrder) {
    sim::NetworkConfig config = Network(3);
    config.remotes[1].ledOn = false;
    config.remotes[2].password = "label-password-3"; // answers nothing under its default password
    config.remotes[0].firmwareVersion = "ABC Model1-1.0";
    Attach(config);

    const uint64_t start = clock.ElapsedMs();
    EXPECT_EQ(Refresh(), (std::vector<int>{kRefreshStarted, kRefreshStations, kRefreshDevices, kRefreshDone}));
    EXPECT_GE(clock.ElapsedMs() - start, 1000u + kDiscoveryWindowMs);

    const DeviceTable& table = Devices();
    ASSERT_EQ(table.count, 4);
    EXPECT_EQ(Engine().selectedInterface, 0);
    EXPECT_EQ(Engine().hostNicMac, kHost);
    EXPECT_EQ(Engine().localAdapterMac, kLocal);
    EXPECT_EQ(table.records[0].mac, kLocal);
    for (int i = 1; i <= 3; ++i) {
        EXPECT_EQ(table.records[i].mac, Remote(i));
        EXPECT_EQ(table.records[i].rate, 100 + i);
    }
    EXPECT_EQ(table.records[0].rate, 80); // the largest host rate
    EXPECT_EQ(std::vector<int>({table.records[0].present, table.records[1].present, table.records[2].present,
                                table.records[3].present}),
              std::vector<int>({1, 1, 1, 0}));
    EXPECT_STREQ(table.records[0].name, "Device01");
    EXPECT_STREQ(table.records[1].name, "Device02");
    EXPECT_STREQ(table.records[2].name, "Device03");
    EXPECT_STREQ(table.records[3].name, "");
    EXPECT_STREQ(table.records[1].firmwareVersion, "ABC Model1-1.0");
    EXPECT_EQ(ModelFromFirmwareVersion(table.records[1].firmwareVersion), "Model1");
    EXPECT_STREQ(table.records[1].firmwareBuild, "AV 2.4.1 (build 0712)");
    EXPECT_EQ(table.records[1].ledOn, 1);
    EXPECT_EQ(table.records[2].ledOn, 0);
    EXPECT_EQ(PresentRecords(), (std::vector<int>{0, 1, 2}));
    // The remote with its own password was probed under its default key only: a wrong-key record.
    EXPECT_FALSE(network->Errors().empty());
}

TEST_F(EngineTest, RefreshWithoutAdapterReportsTheFailureStatusOfEachPage) {
    struct Case {
        RefreshPage page;
        int failure;
        uint64_t preWait;
    };
    const Case cases[] = {{RefreshPage::DeviceSettings, kRefreshFailedSettings, 1000},
                          {RefreshPage::FactoryReset, kRefreshFailedOther, 1000},
                          {RefreshPage::Security, kRefreshFailedOther, 0}};
    backend.AddInterface("eth0", kHost); // nothing behind it
    StartEngine();
    for (const Case& c : cases) {
        const uint64_t start = clock.ElapsedMs();
        EXPECT_EQ(Refresh(c.page), (std::vector<int>{kRefreshStarted, c.failure}));
        EXPECT_GE(clock.ElapsedMs() - start, c.preWait + kDiscoveryWindowMs);
        EXPECT_EQ(Engine().selectedInterface, -1);
        EXPECT_FALSE(IsInterfaceOpen());
    }
}

TEST_F(EngineTest, AdapterOnTheSecondInterface) {
    Attach(Network(1), {"eth0"}, "eth1");
    ASSERT_TRUE(RefreshDevices());
    EXPECT_EQ(Engine().selectedInterface, 1);
    EXPECT_EQ(backend.Opened(), (std::vector<std::string>{"eth0", "eth1"}));
    EXPECT_EQ(backend.OpenHandles(), 1);
    EXPECT_EQ(Devices().count, 1);
    EXPECT_EQ(Devices().records[0].present, 1);
}

TEST_F(EngineTest, UnsettledStationRatesAreReadFiveTimes) {
    sim::NetworkConfig config = Network(2);
    config.remotes[1].faults.glitchRate = 27;
    config.remotes[1].faults.glitchReads = 100;
    Attach(config);
    ASSERT_TRUE(RefreshDevices());
    RefreshStations();
    EXPECT_EQ(network->RequestsOf(kMmStationList).size(), 5u);
    ASSERT_EQ(Devices().count, 3); // the fifth pass is taken as it is
    EXPECT_EQ(Devices().records[2].rate, 27);

    // Settling after two reads: the third pass fills the table.
    network->ClearRecord();
    sim::Faults faults;
    faults.glitchRate = 9;
    faults.glitchReads = 2;
    network->SetFaults(Remote(1), faults);
    ResetEngine();
    StartEngine();
    ASSERT_TRUE(RefreshDevices());
    RefreshStations();
    EXPECT_GE(network->RequestsOf(kMmStationList).size(), 2u);
    EXPECT_LE(network->RequestsOf(kMmStationList).size(), 5u);
    EXPECT_EQ(Devices().count, 3);
}

TEST_F(EngineTest, SixtyThreeRemotesFillTheTable) {
    Attach(Network(63));
    EXPECT_EQ(Refresh(RefreshPage::Security).back(), kRefreshDone);
    EXPECT_EQ(Devices().count, kMaxDevices);
    EXPECT_EQ(PresentRecords().size(), 64u);
    EXPECT_EQ(Devices().records[63].mac, Remote(63));
}

TEST_F(EngineTest, DeviceKeySelection) {
    Attach(Network(1));
    ASSERT_TRUE(RefreshDevices());
    CEncryptionLayer* layer = CEncryptionLayer::Instance();
    // The local adapter always uses the built-in password, whatever the store holds.
    DeviceStore::Instance().FindOrAdd(FormatMac(kLocal));
    DeviceStore::Instance().SetPassword(FormatMac(kLocal), "stored-but-ignored");
    EXPECT_TRUE(SelectDeviceKey(kLocal, false));
    EXPECT_TRUE(Probe(kHost, kLocal));
    // A remote without a stored password: false, and the key stays as it was.
    const LayerCipher* before = layer->Cipher();
    EXPECT_FALSE(SelectDeviceKey(Remote(1), false));
    EXPECT_EQ(layer->Cipher(), before);
    EXPECT_TRUE(SelectDeviceKey(Remote(1), true));
    EXPECT_TRUE(Probe(kHost, Remote(1)));
    // ProbeWithPassword uses the typed text only.
    EXPECT_FALSE(ProbeWithPassword(Remote(1), "WRONG-WRONG-WRONG-WRONG"));
    EXPECT_TRUE(ProbeWithPassword(Remote(1), DefaultDevicePassword(Remote(1))));
    EXPECT_EQ(network->Errors().size(), 1u); // the wrong password's probe, recorded as a wrong key
}

TEST_F(EngineTest, LedSwitchWritesTheModeAndRestarts) {
    Attach(Network(2));
    ASSERT_EQ(Refresh().back(), kRefreshDone);
    DeviceStore::Instance().SetPassword(FormatMac(Remote(2)), DefaultDevicePassword(Remote(2)));
    const uint64_t start = clock.ElapsedMs();
    ASSERT_TRUE(SetDeviceLed(Remote(2), false));
    EXPECT_GE(clock.ElapsedMs() - start, kLedChangeWaitMs);
    const std::vector<sim::RequestRecord> writes = network->WritesOf(kParamLedMode);
    ASSERT_EQ(writes.size(), 1u);
    EXPECT_EQ(writes[0].destination, Remote(2));
    EXPECT_EQ(writes[0].data, std::vector<uint8_t>{kLedOffMode});
    EXPECT_EQ(network->RequestsTo(Remote(2), kMmRestart).size(), 1u);
    EXPECT_FALSE(network->Adapter(Remote(2))->config.ledOn);
    ReadLedState(Remote(2));
    EXPECT_EQ(Devices().records[FindDevice(Remote(2))].ledOn, 0);

    ASSERT_TRUE(SetDeviceLed(Remote(2), true));
    EXPECT_EQ(network->WritesOf(kParamLedMode).back().data, std::vector<uint8_t>{kLedOnMode});
    EXPECT_TRUE(network->Adapter(Remote(2))->config.ledOn);
}

TEST_F(EngineTest, SilentAdapterCostsSevenProbes) {
    Attach(Network(1));
    ASSERT_EQ(Refresh().back(), kRefreshDone);
    DeviceStore::Instance().SetPassword(FormatMac(Remote(1)), "any stored password");
    sim::Faults silent;
    silent.silent = true;
    network->SetFaults(Remote(1), silent);
    network->ClearRecord();
    for (auto operation : {+[] { return SetDeviceLed(Remote(1), true); }, +[] { return FactoryResetDevice(Remote(1)); },
                           +[] { return SetNetworkKey(Remote(1), "HomePlugAV", 0); }}) {
        network->ClearRecord();
        EXPECT_FALSE(operation());
        EXPECT_EQ(network->RequestsTo(Remote(1), kMmProbe).size(), static_cast<size_t>(kProbeAttempts));
        EXPECT_EQ(network->RequestsTo(Remote(1)).size(), static_cast<size_t>(kProbeAttempts));
    }
}

TEST_F(EngineTest, WriteParameterWindowsAndVerdicts) {
    Attach(Network(1));
    ASSERT_TRUE(RefreshDevices());
    const uint8_t mode = kLedOffMode;

    sim::Faults faults;
    faults.silent = true;
    network->SetFaults(Remote(1), faults);
    SelectDeviceKey(Remote(1), true);
    uint64_t start = clock.ElapsedMs();
    EXPECT_FALSE(WriteParameter(kHost, Remote(1), kParamLedMode, 1, 1, &mode));
    EXPECT_EQ(network->WritesOf(kParamLedMode).size(), static_cast<size_t>(kWriteSends));
    EXPECT_GE(clock.ElapsedMs() - start, 60000u);
    // Each window may run one receive past its 12 seconds.
    EXPECT_LE(clock.ElapsedMs() - start, static_cast<uint64_t>(kWriteSends) * (kWriteWindowMs + 1600));

    faults = {};
    faults.refuseWrites = true;
    network->SetFaults(Remote(1), faults);
    network->ClearRecord();
    start = clock.ElapsedMs();
    EXPECT_FALSE(WriteParameter(kHost, Remote(1), kParamLedMode, 1, 1, &mode));
    EXPECT_EQ(network->WritesOf(kParamLedMode).size(), 1u);
    EXPECT_LT(clock.ElapsedMs() - start, 1000u);

    faults = {};
    faults.busyVerdictFirst = true;
    network->SetFaults(Remote(1), faults);
    network->ClearRecord();
    EXPECT_TRUE(WriteParameter(kHost, Remote(1), kParamLedMode, 1, 1, &mode));
    ASSERT_EQ(network->WritesOf(kParamLedMode).size(), 1u);
    EXPECT_EQ(network->WritesOf(kParamLedMode)[0].answers.size(), 2u);
}

TEST_F(EngineTest, NetworkKeyWritesNmkThenNidAndRestarts) {
    Attach(Network(1));
    ASSERT_EQ(Refresh(RefreshPage::Security).back(), kRefreshDone);
    DeviceStore::Instance().SetPassword(FormatMac(Remote(1)), DefaultDevicePassword(Remote(1)));
    ASSERT_TRUE(SetNetworkKey(Remote(1), "HomePlugAV0123", 0));
    const std::vector<sim::RequestRecord> requests = network->RequestsTo(Remote(1), kMmWriteParameter);
    ASSERT_EQ(requests.size(), 2u);
    const Key16 nmk = *DeriveNmk("HomePlugAV0123");
    const NetworkId nid = DeriveNid(nmk, 0);
    EXPECT_EQ(requests[0].parameterId, kParamNetworkKey);
    EXPECT_EQ(requests[0].data, std::vector<uint8_t>(nmk.begin(), nmk.end()));
    EXPECT_EQ(requests[1].parameterId, kParamNetworkId);
    EXPECT_EQ(requests[1].data, std::vector<uint8_t>(nid.begin(), nid.end()));
    EXPECT_EQ(network->RequestsTo(Remote(1), kMmRestart).size(), 1u);
    EXPECT_EQ(network->Adapter(Remote(1))->config.nmk, nmk);
    EXPECT_EQ(network->Adapter(Remote(1))->config.nid, nid);
}

TEST_F(EngineTest, FactoryResetRestoresTheFactoryStateAndAcceptsAnyFrame) {
    sim::NetworkConfig config = Network(1);
    config.remotes[0].ledOn = false;
    config.remotes[0].nmk = *DeriveNmk("some private network");
    Attach(config);
    ASSERT_EQ(Refresh(RefreshPage::FactoryReset).back(), kRefreshDone);
    DeviceStore::Instance().SetPassword(FormatMac(Remote(1)), DefaultDevicePassword(Remote(1)));
    ASSERT_TRUE(FactoryResetDevice(Remote(1)));
    EXPECT_EQ(network->Adapter(Remote(1))->config.nmk, sim::FactoryNmk());
    EXPECT_TRUE(network->Adapter(Remote(1))->config.ledOn);

    // The adapter stays silent, but an unrelated frame under the right Sequence counts as the answer.
    sim::Faults silent;
    silent.silent = true;
    network->SetFaults(Remote(1), silent);
    SelectDeviceKey(Remote(1), true);
    const uint8_t sequence = CPacketLayer::Instance()->sequence;
    backend.Deliver("eth0", SealedToHost(kHost, Remote(1), 0xA0FE, sequence, {0x00}, DefaultDevicePassword(Remote(1))),
                    300);
    EXPECT_TRUE(FactoryReset(kHost, Remote(1)));
    EXPECT_FALSE(FactoryReset(kHost, Remote(1)));
    EXPECT_EQ(network->RequestsTo(Remote(1), kMmFactoryReset).size(), 1u + 1u + kFactoryResetSends);
}

ClassifierRecord PortRule(int priority, uint16_t port) {
    ClassifierRecord record;
    record.priority = priority;
    record.ruleCount = 1;
    record.ruleTypes = {kRuleTcpDestinationPort, kNoRule, kNoRule, kNoRule};
    record.valueLength = 2;
    record.values.fill(0xFF);
    record.values[0] = static_cast<uint8_t>(port >> 8);
    record.values[1] = static_cast<uint8_t>(port);
    return record;
}

TEST_F(EngineTest, QosGoesToTheCoordinatorJustBeforeTheLocalAdapter) {
    sim::NetworkConfig config = Network(4);
    config.coordinator = Remote(3); // table position 3 of 5
    Attach(config);
    ASSERT_EQ(Refresh(RefreshPage::Security).back(), kRefreshDone);
    EXPECT_EQ(Engine().coordinatorMac, Remote(3));
    network->ClearRecord();
    const ClassifierRecord records[] = {PortRule(3, 80), PortRule(1, 5060)};
    ASSERT_TRUE(ApplyQos(2, records));
    EXPECT_EQ(Destinations(kMmWriteParameter, kParamClassifierTable),
              (std::vector<MacAddress>{Remote(4), Remote(2), Remote(1), Remote(3), kLocal}));
    EXPECT_EQ(Destinations(kMmRestart), (std::vector<MacAddress>{Remote(4), Remote(2), Remote(1), Remote(3), kLocal}));

    int count = 0;
    ClassifierRecord readBack[kClassifierSlots];
    ASSERT_TRUE(ReadQos(count, readBack));
    ASSERT_EQ(count, 2);
    EXPECT_EQ(readBack[1].priority, 1);
    EXPECT_EQ(readBack[1].ruleTypes[0], kRuleTcpDestinationPort);
    EXPECT_EQ(readBack[1].values[0], 5060 >> 8);
    EXPECT_EQ(readBack[1].valueLength, 2);
}

TEST_F(EngineTest, ClassifierWriteOverCapacityIsRefusedBeforeSending) {
    sim::NetworkConfig config = Network(0);
    config.local.capacities = {8, 8, 8, 8, 1};
    Attach(config);
    ASSERT_TRUE(RefreshDevices());
    SelectDeviceKey(kLocal, false);
    const ClassifierRecord two[] = {PortRule(3, 80), PortRule(2, 443)};
    EXPECT_FALSE(WriteClassifierTable(kHost, kLocal, 2, two));
    EXPECT_EQ(network->RequestsOf(kMmReadParameter).size(), 5u); // the five capacities
    EXPECT_TRUE(network->WritesOf(kParamClassifierTable).empty());
    EXPECT_TRUE(WriteClassifierTable(kHost, kLocal, 1, two));
    // Refused before anything is read: no records, too many, a malformed record.
    std::vector<ClassifierRecord> many(53, PortRule(0, 1));
    EXPECT_FALSE(WriteClassifierTable(kHost, kLocal, 0, two));
    EXPECT_FALSE(WriteClassifierTable(kHost, kLocal, 53, many.data()));
    ClassifierRecord badType = PortRule(0, 1);
    badType.ruleTypes[0] = 16;
    EXPECT_FALSE(WriteClassifierTable(kHost, kLocal, 1, &badType));
    EXPECT_EQ(network->WritesOf(kParamClassifierTable).size(), 1u);
}

TEST_F(EngineTest, ReopenFindsTheInterfaceByName) {
    Attach(Network(1));
    ASSERT_TRUE(RefreshDevices());
    // A new interface listed first shifts eth0 to position 1: the reopen still takes eth0.
    backend.InsertInterfaceFirst("usb0", {0x02, 0, 0, 0, 0x07, 0x07});
    ReopenChannel();
    EXPECT_EQ(backend.Opened().back(), "eth0");
    EXPECT_EQ(Engine().hostNicMac, kHost);
    EXPECT_EQ(backend.Filters().back(), "ether proto 0x8912 and ether dst 02:00:00:00:00:01");
    EXPECT_TRUE(ProbeDevice(Remote(1)));

    const size_t opened = backend.Opened().size();
    backend.RemoveInterface("eth0");
    ReopenChannel();
    EXPECT_EQ(backend.Opened().size(), opened);
}

TEST_F(EngineTest, LateDuplicateIsRejectedAndTheNextAttemptSucceeds) {
    sim::NetworkConfig config = Network(1);
    config.remotes[0].faults.lateDuplicateMs = 5;
    Attach(config);
    ASSERT_TRUE(RefreshDevices());
    RefreshStations();
    ASSERT_EQ(FindDevice(Remote(1)), 1);
    ASSERT_TRUE(ProbeDevice(Remote(1)));
    // The copy of that confirm arrives after the next request went out: rejected, the counter stays.
    const uint8_t sequence = CPacketLayer::Instance()->sequence;
    EXPECT_FALSE(ProbeDevice(Remote(1)));
    EXPECT_EQ(CPacketLayer::Instance()->sequence, sequence);
    // The operations that retry get through.
    ReadDeviceParameter(Remote(1), kParamFirmwareVersion);
    EXPECT_STREQ(Devices().records[1].firmwareVersion, "Lirra PL500 AV v2.4.1");
}

TEST_F(EngineTest, GarbageBeforeTheAnswerFailsThatReceiveOnly) {
    sim::NetworkConfig config = Network(1);
    config.remotes[0].faults.garbageBeforeAnswer = true;
    Attach(config);
    ASSERT_TRUE(RefreshDevices());
    RefreshStations();
    ASSERT_EQ(FindDevice(Remote(1)), 1);
    EXPECT_FALSE(ProbeDevice(Remote(1))); // the malformed frame came first
    ReadDeviceParameter(Remote(1), kParamFirmwareVersion);
    EXPECT_STREQ(Devices().records[1].firmwareVersion, "Lirra PL500 AV v2.4.1");
}

} // namespace
