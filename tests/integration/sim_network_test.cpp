#include "sim/network.h"

#include <deque>
#include <gtest/gtest.h>

#include "sim/wire.h"
#include "tests/integration/sim_test_util.h"
#include "tests/support/hex.h"

using namespace simtest;
using sim::ErrorKind;
using sim::Outgoing;

namespace {

class SimNetworkTest : public ::testing::Test {
protected:
    void SetUp() override { Make(ThreeAdapters()); }

    void Make(const sim::NetworkConfig& config) {
        std::string error;
        network = sim::SimNetwork::Create(config, error);
        ASSERT_TRUE(network) << error;
    }

    std::vector<Outgoing> Send(const std::vector<uint8_t>& frame) {
        auto out = network->Handle(frame, now);
        now += 10;
        return out;
    }

    // One sealed request to `mac` under its proper key; returns the confirm's body (fails the test if none).
    std::vector<uint8_t> Ask(const MacAddress& mac, uint16_t type, const std::vector<uint8_t>& body) {
        const std::string_view password = PasswordOf(mac);
        const std::vector<Outgoing> out = Send(Sealed(mac, type, sequence, body, password));
        EXPECT_EQ(out.size(), 1u) << sim::TypeName(type);
        if (out.empty()) {
            return {};
        }
        const sim::Unsealed confirm = Open(out.back(), password);
        EXPECT_EQ(confirm.fault, sim::UnsealFault::None) << confirm.reason;
        EXPECT_EQ(confirm.sequence, sequence);
        ++sequence;
        return confirm.body;
    }

    std::string_view PasswordOf(const MacAddress& mac) {
        if (mac == kLocal) {
            return kHostPassword;
        }
        if (mac == kLabelled) {
            return kLabelPassword;
        }
        passwords.push_back(DefaultDevicePassword(mac));
        return passwords.back();
    }

    std::vector<uint8_t> ReadParameter(const MacAddress& mac, uint16_t id) {
        return Ask(mac, sim::kReadParameter, U16(id));
    }

    uint8_t Write(const MacAddress& mac, uint16_t id, const std::vector<uint8_t>& data) {
        const std::vector<uint8_t> body = Ask(mac, sim::kWriteParameter, WriteBody(id, data));
        return body.empty() ? 0xEE : body[0];
    }

    uint32_t StatusWord(const MacAddress& mac) {
        std::vector<uint8_t> body(257, 0);
        const uint8_t prefix[] = {0x04, 0x03, 0x04, 0x11, 0x01};
        std::copy(prefix, prefix + 5, body.begin());
        const std::vector<uint8_t> confirm = Ask(mac, sim::kReadStatusWord, body);
        EXPECT_EQ(confirm.size(), 6u);
        return confirm.size() < 6 ? 0 : confirm[2] | confirm[3] << 8 | confirm[4] << 16 | confirm[5] << 24;
    }

    std::unique_ptr<sim::SimNetwork> network;
    uint64_t now = 1000;
    uint8_t sequence = 1;
    std::deque<std::string> passwords;
};

// --- Golden frames, written out by hand from the wire tables ---

TEST_F(SimNetworkTest, DiscoveryAnswerIsOneUnsealedRecordFromTheLocalAdapter) {
    sim::NetworkConfig config = ThreeAdapters();
    config.local.discoveryData = {0xC0, 0xFF, 0xEE};
    Make(config);
    const std::vector<Outgoing> out =
        Send(Bytes("FFFFFFFFFFFF 020000000001 8912 01 70A0 0000 001F84 07 5C0E71D826B49A3F60E71BC2480D93AA"));
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(ToHex(out[0].frame), "020000000001"
                                   "001F84000001"
                                   "8912"
                                   "01"
                                   "71A0"
                                   "0000"
                                   "001F84"
                                   "00"
                                   "03"
                                   "C0FFEE");
    EXPECT_EQ(out[0].delayMs, 2u);
    const sim::RequestRecord record = network->Requests().at(0);
    EXPECT_EQ(record.typeName, "Discover");
    EXPECT_EQ(record.sequence, 7);
    EXPECT_FALSE(record.error);
}

TEST_F(SimNetworkTest, DiscoveryAcceptsPaddingToTheEthernetMinimumOnly) {
    std::vector<uint8_t> frame =
        Bytes("FFFFFFFFFFFF 020000000001 8912 01 70A0 0000 001F84 01 5C0E71D826B49A3F60E71BC2480D93AA");
    frame.resize(60, 0x00);
    EXPECT_EQ(Send(frame).size(), 1u);
    frame.back() = 0x01;
    EXPECT_TRUE(Send(frame).empty());
    frame.resize(40, 0x00);
    EXPECT_TRUE(Send(frame).empty());
    const auto errors = network->Errors();
    ASSERT_EQ(errors.size(), 2u);
    EXPECT_EQ(errors[0].error, ErrorKind::BadBody);
    EXPECT_EQ(errors[1].reason, "Discover payload of 18 bytes, expected 17");
}

TEST_F(SimNetworkTest, SealedProbeConfirmDecryptsToTheHandWrittenPlaintext) {
    // Probe from the host to the local adapter, Sequence 5: Length 13, Sequence, the two addresses, CRC, 29 fill.
    std::vector<uint8_t> plain = Bytes("0D00 05 020000000001 001F84000001 13719BAF");
    plain.resize(plain.size() + 29, 0x11);
    ASSERT_EQ(plain.size(), 48u);
    Iv iv{};
    iv.fill(0x77);
    const Key16 key = *DeriveLayerKey(kHostPassword);
    AesCbcEncrypt(key, iv, plain.data(), plain.size());
    std::vector<uint8_t> frame = Bytes("001F84000001 020000000001 8912 01 00A0 0000 001F84");
    frame.insert(frame.end(), iv.begin(), iv.end());
    frame.insert(frame.end(), plain.begin(), plain.end());

    const std::vector<Outgoing> out = Send(frame);
    ASSERT_EQ(out.size(), 1u);
    const std::vector<uint8_t>& answer = out[0].frame;
    // Confirm: Length 8, Sequence 5, status 00 and the adapter's address, CRC, 18 bytes of fill.
    ASSERT_EQ(answer.size(), 22u + 16 + 32);
    EXPECT_EQ(ToHex({answer.data(), 22}), "020000000001"
                                          "001F84000001"
                                          "8912"
                                          "01"
                                          "01A0"
                                          "0000"
                                          "001F84");
    Iv answerIv{};
    std::copy(answer.begin() + 22, answer.begin() + 38, answerIv.begin());
    EXPECT_NE(answerIv, iv);
    std::vector<uint8_t> decrypted(answer.begin() + 38, answer.end());
    AesCbcDecrypt(key, answerIv, decrypted.data(), decrypted.size());
    EXPECT_EQ(ToHex({decrypted.data(), 14}), "0800"
                                             "05"
                                             "00"
                                             "001F84000001"
                                             "A4C04EDA");
    const sim::RequestRecord record = network->Requests().at(0);
    EXPECT_FALSE(record.error) << record.reason;
    EXPECT_EQ(record.fields.at("destination"), "00:1f:84:00:00:01");
}

TEST_F(SimNetworkTest, EverySealedAnswerHasAFreshIvAndFreshFill) {
    const std::vector<uint8_t> request = Sealed(kLocal, sim::kProbe, 1, ProbeBody(kLocal), kHostPassword);
    const std::vector<Outgoing> first = Send(request);
    const std::vector<Outgoing> second = Send(request);
    ASSERT_EQ(first.size(), 1u);
    ASSERT_EQ(second.size(), 1u);
    EXPECT_NE(first[0].frame, second[0].frame);
    EXPECT_EQ(Open(first[0], kHostPassword).body, Open(second[0], kHostPassword).body);
}

TEST_F(SimNetworkTest, ClassifierTableRecordReadsBackByteForByte) {
    sim::NetworkConfig config = ThreeAdapters();
    const std::vector<uint8_t> record = Bytes("0034B80001 0DFFFFFF 1F90 FFFFFFFFFFFFFFFFFFFFFFFFFFFF");
    ASSERT_EQ(record.size(), 25u);
    std::copy(record.begin(), record.end(), config.local.classifierTable.begin() + 25);
    Make(config);
    const std::vector<uint8_t> body = ReadParameter(kLocal, sim::kParamClassifierTable);
    ASSERT_EQ(body.size(), 3u + 1300);
    EXPECT_EQ(ToHex({body.data(), 3}), "001405");
    EXPECT_EQ(ToHex({body.data() + 3 + 25, 25}), ToHex(record));
    EXPECT_TRUE(std::all_of(body.begin() + 3, body.begin() + 28, [](uint8_t b) { return b == 0xFF; }));
    EXPECT_TRUE(std::all_of(body.begin() + 53, body.end(), [](uint8_t b) { return b == 0xFF; }));
}

// --- Confirm layouts ---

TEST_F(SimNetworkTest, StatusConfirmsFollowTheirLayouts) {
    sim::NetworkConfig config = ThreeAdapters();
    config.coordinator = kRemote;
    config.local.firmwareInfo.pairs = {{0x07, 0x11223344}, {0x08, 0x55667788}};
    config.local.firmwareInfo.lastWord = 0xCAFEBABE;
    config.local.firmwareInfo.text = "  v1 (b9) x";
    Make(config);

    const std::vector<uint8_t> info = Ask(kLocal, sim::kReadNetworkInfo, {0, 0});
    ASSERT_EQ(info.size(), 1u + 19);
    EXPECT_EQ(info[0], 1);
    EXPECT_EQ(ToHex({info.data() + 1, 7}), ToHex(sim::FactoryNid()));
    EXPECT_EQ(ToHex({info.data() + 11, 6}), "001F84000002");

    std::vector<uint8_t> stationRequest = {0x00};
    const NetworkId nid = sim::FactoryNid();
    stationRequest.insert(stationRequest.end(), nid.begin(), nid.end());
    const std::vector<uint8_t> stations = Ask(kLocal, sim::kReadStationList, stationRequest);
    EXPECT_EQ(ToHex(stations), "02"
                               "001F84000002"
                               "9600"
                               "7800"
                               "001F84000003"
                               "5000"
                               "C800");

    const std::vector<uint8_t> firmware = Ask(kLocal, sim::kReadFirmwareInfo, {});
    ASSERT_EQ(firmware.size(), 40u + 11);
    EXPECT_EQ(firmware[24], 2);
    EXPECT_EQ(ToHex({firmware.data() + 25, 10}), "0744332211"
                                                 "0888776655");
    EXPECT_EQ(ToHex({firmware.data() + 35, 4}), "BEBAFECA");
    EXPECT_EQ(firmware[39], 11);
    EXPECT_EQ(std::string(firmware.begin() + 40, firmware.end()), "  v1 (b9) x");

    const std::vector<uint8_t> version = ReadParameter(kRemote, sim::kParamFirmwareVersion);
    ASSERT_EQ(version.size(), 3u + 64);
    EXPECT_EQ(ToHex({version.data(), 3}), "004000");
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(version.data() + 3)), "Lirra PL500 AV v2.4.1");

    EXPECT_EQ(ToHex(ReadParameter(kLocal, 0x7777)), "010000");
    EXPECT_EQ(ToHex(ReadParameter(kLocal, 0x62)), "00010008");
    EXPECT_TRUE(network->FramingErrors().empty());
}

// --- Writes, restart and factory reset ---

TEST_F(SimNetworkTest, WrittenStateTakesEffectAtRestart) {
    EXPECT_EQ(StatusWord(kRemote), 0x10u);
    EXPECT_EQ(Write(kRemote, sim::kParamLedMode, {0x88}), 0);
    EXPECT_EQ(ToHex(ReadParameter(kRemote, sim::kParamLedMode)), "00010088");
    EXPECT_EQ(StatusWord(kRemote), 0x10u) << "not before the restart";
    Ask(kRemote, sim::kRestart, {});
    EXPECT_EQ(network->RequestsOf(sim::kRestart).at(0).answers.at(0).mmType, sim::kProbeConfirm);
    EXPECT_EQ(StatusWord(kRemote), 0x40u);
    EXPECT_EQ(network->Adapter(kRemote)->restarts, 1);
}

TEST_F(SimNetworkTest, StationListHoldsTheAdaptersOnTheLocalAdaptersNetwork) {
    const Key16 nmk = *DeriveNmk("another-network");
    const NetworkId nid = DeriveNid(nmk, 0);
    auto stations = [&] {
        std::vector<uint8_t> request = {0x00};
        request.insert(request.end(), nid.begin(), nid.end());
        const std::vector<uint8_t> body = Ask(kLocal, sim::kReadStationList, request);
        std::vector<std::string> macs;
        for (size_t at = 1; at + 10 <= body.size(); at += 10) {
            macs.push_back(ToHex({body.data() + at, 6}));
        }
        return macs;
    };
    const std::vector<std::string> both = {"001F84000002", "001F84000003"};
    EXPECT_EQ(Write(kRemote, sim::kParamNmk, {nmk.begin(), nmk.end()}), 0);
    EXPECT_EQ(Write(kRemote, sim::kParamNetworkId, {nid.begin(), nid.end()}), 0);
    EXPECT_EQ(stations(), both) << "written but not restarted";
    Ask(kRemote, sim::kRestart, {});
    EXPECT_EQ(stations(), std::vector<std::string>{"001F84000003"});
    EXPECT_EQ(Write(kLocal, sim::kParamNmk, {nmk.begin(), nmk.end()}), 0);
    EXPECT_EQ(Write(kLocal, sim::kParamNetworkId, {nid.begin(), nid.end()}), 0);
    EXPECT_EQ(ToHex(ReadParameter(kLocal, sim::kParamNetworkId)), "000700" + ToHex(nid));
    Ask(kLocal, sim::kRestart, {});
    EXPECT_EQ(stations(), std::vector<std::string>{"001F84000002"});
    EXPECT_EQ(network->Adapter(kRemote)->config.nmk, nmk);
    const auto nmkWrites = network->WritesOf(sim::kParamNmk);
    ASSERT_EQ(nmkWrites.size(), 2u);
    EXPECT_EQ(nmkWrites[0].destination, kRemote);
    EXPECT_EQ(nmkWrites[1].destination, kLocal);
    EXPECT_EQ(nmkWrites[1].data, std::vector<uint8_t>(nmk.begin(), nmk.end()));
}

TEST_F(SimNetworkTest, WritesWithWrongValuesAreRefusedAndChangeNothing) {
    std::vector<uint8_t> badTable(1300, 0xFF);
    badTable[0] = 0x00;
    badTable[1] = 0x34;
    badTable[2] = 0xA0; // priority 5 without the marker bits
    badTable[3] = 0x00;
    badTable[4] = 0x01;
    badTable[5] = 0x04;
    const struct {
        uint16_t id;
        std::vector<uint8_t> data;
        const char* reason;
    } cases[] = {
        {sim::kParamLedMode, {0x09}, "LED mode 0x09 is neither 0x08 nor 0x88"},
        {sim::kParamLedMode, {0x08, 0x08}, "parameter 0x21 takes 1 bytes, got 2"},
        {sim::kParamNmk, std::vector<uint8_t>(15, 1), "parameter 0x4A takes 16 bytes, got 15"},
        {sim::kParamClassifierTable, badTable, "slot 0: priority byte 0xA0 lacks the marker bits"},
        {sim::kParamFirmwareVersion, {0x41}, "parameter 0x41 is not writable"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reason);
        EXPECT_EQ(Write(kLocal, c.id, c.data), 1);
        EXPECT_EQ(network->Requests().back().reason, std::string("refused: ") + c.reason);
    }
    EXPECT_EQ(network->Adapter(kLocal)->storedLedMode, sim::kLedOnValue);
    EXPECT_TRUE(network->FramingErrors().empty());
}

TEST_F(SimNetworkTest, ClassifierWriteIsCheckedAgainstCapacities) {
    sim::NetworkConfig config = ThreeAdapters();
    config.local.capacities = {0, 0, 0, 0, 1};
    Make(config);
    std::vector<uint8_t> table(1300, 0xFF);
    const std::vector<uint8_t> record = Bytes("0034B80001 0DFFFFFF 1F90 FFFFFFFFFFFFFFFFFFFFFFFFFFFF");
    std::copy(record.begin(), record.end(), table.begin());
    EXPECT_EQ(Write(kLocal, sim::kParamClassifierTable, table), 0);
    std::copy(record.begin(), record.end(), table.begin() + 25);
    EXPECT_EQ(Write(kLocal, sim::kParamClassifierTable, table), 1);
    EXPECT_EQ(network->Requests().back().reason, "refused: category 4 holds 2 rules, capacity 1");
}

TEST_F(SimNetworkTest, FactoryResetRestoresFactoryState) {
    sim::NetworkConfig config = ThreeAdapters();
    config.remotes[0].ledOn = false;
    config.remotes[0].nmk = *DeriveNmk("elsewhere");
    config.remotes[0].classifierTable[0] = 0x00;
    config.remotes[0].classifierTable[1] = 0x34;
    config.remotes[0].classifierTable[2] = 0x18;
    config.remotes[0].classifierTable[3] = 0x00;
    config.remotes[0].classifierTable[4] = 0x01;
    config.remotes[0].classifierTable[5] = 0x04;
    config.remotes[0].classifierTable[9] = 0x2E;
    Make(config);
    Ask(kRemote, sim::kFactoryReset, {0x01});
    const sim::AdapterState state = *network->Adapter(kRemote);
    EXPECT_TRUE(state.config.ledOn);
    EXPECT_EQ(state.config.nmk, sim::FactoryNmk());
    EXPECT_EQ(state.config.nid, sim::FactoryNid());
    EXPECT_TRUE(std::all_of(state.config.classifierTable.begin(), state.config.classifierTable.end(),
                            [](uint8_t b) { return b == 0xFF; }));
    EXPECT_EQ(state.password, DefaultDevicePassword(kRemote));
}

// --- Strict validation: no answer, and the reason recorded ---

TEST_F(SimNetworkTest, MalformedRequestsGetNoAnswerAndARecordedReason) {
    const std::vector<uint8_t> probe = ProbeBody(kLocal);
    auto withByte = [](std::vector<uint8_t> frame, size_t at, uint8_t value) {
        frame[at] = value;
        return frame;
    };
    const std::vector<uint8_t> good = Sealed(kLocal, sim::kProbe, 1, probe, kHostPassword);
    const struct {
        const char* name;
        std::vector<uint8_t> frame;
        ErrorKind kind;
        const char* reason; // start of the recorded reason
    } cases[] = {
        {"13 bytes", std::vector<uint8_t>(good.begin(), good.begin() + 13), ErrorKind::ShortFrame, "frame of 13"},
        {"header only, cut", std::vector<uint8_t>(good.begin(), good.begin() + 21), ErrorKind::ShortFrame,
         "frame of 21 bytes"},
        {"version 2", withByte(good, 14, 2), ErrorKind::BadHeader, "management message version 2"},
        {"fmi", withByte(good, 18, 1), ErrorKind::BadHeader, "fragment information 0x100"},
        {"oui", withByte(good, 21, 0x85), ErrorKind::BadHeader, "vendor identifier 001f85"},
        {"confirm type", withByte(good, 15, 0x01), ErrorKind::UnknownType, "no adapter answers type 0xA001"},
        {"unknown adapter", withByte(good, 5, 0x55), ErrorKind::NoSuchAdapter, "no adapter has the address"},
        {"broadcast", Sealed(sim::kBroadcast, sim::kProbe, 1, probe, kHostPassword), ErrorKind::BadHeader,
         "Probe sent to the broadcast"},
        {"IV only", Sealed(kLocal, sim::kProbe, 1, probe, kHostPassword, {.cutBytes = 48}), ErrorKind::BadPayload,
         "sealed payload of 16 bytes"},
        {"partial block", Sealed(kLocal, sim::kProbe, 1, probe, kHostPassword, {.cutBytes = 5}), ErrorKind::BadPayload,
         "encrypted part of 43 bytes"},
        {"broken CRC", Sealed(kLocal, sim::kProbe, 1, probe, kHostPassword, {.crcDelta = 1}), ErrorKind::BadCrc,
         "CRC-32 does not match"},
        {"fill too long", Sealed(kLocal, sim::kProbe, 1, probe, kHostPassword, {.fillDelta = 16}), ErrorKind::BadFill,
         "fill of 45 bytes, expected 29"},
        {"fill too short", Sealed(kLocal, sim::kReadParameter, 1, {0x41, 0x00}, kHostPassword, {.fillDelta = -16}),
         ErrorKind::BadFill, "fill of 7 bytes, expected 23"},
        {"Length past the end", Sealed(kLocal, sim::kProbe, 1, probe, kHostPassword, {.lengthDelta = 200}),
         ErrorKind::WrongKey, "sealed under a key unknown"},
        {"default key for the local adapter", Sealed(kLocal, sim::kProbe, 1, probe, DefaultDevicePassword(kLocal)),
         ErrorKind::WrongKey, "sealed under the default device password of 00:1f:84:00:00:01"},
        {"probe body of 11", Sealed(kLocal, sim::kProbe, 1, {probe.begin(), probe.end() - 1}, kHostPassword),
         ErrorKind::BadBody, "Probe body of 11 bytes, expected 12"},
        {"probe names another adapter", Sealed(kLocal, sim::kProbe, 1, ProbeBody(kRemote), kHostPassword),
         ErrorKind::BadBody, "Probe body names"},
        {"status word body", Sealed(kLocal, sim::kReadStatusWord, 1, std::vector<uint8_t>(257, 0), kHostPassword),
         ErrorKind::BadBody, "ReadStatusWord body is not"},
        {"station list body", Sealed(kLocal, sim::kReadStationList, 1, std::vector<uint8_t>(7, 0), kHostPassword),
         ErrorKind::BadBody, "ReadStationList body of 7 bytes"},
        {"write length lies",
         Sealed(kLocal, sim::kWriteParameter, 1, {0x21, 0x00, 0x01, 0x05, 0x00, 0x08}, kHostPassword),
         ErrorKind::BadBody, "WriteParameter announces 5 data bytes and carries 1"},
        {"write flag 2", Sealed(kLocal, sim::kWriteParameter, 1, {0x21, 0x00, 0x02, 0x01, 0x00, 0x08}, kHostPassword),
         ErrorKind::BadBody, "WriteParameter flag 2"},
        {"reset byte", Sealed(kLocal, sim::kFactoryReset, 1, {0x00}, kHostPassword), ErrorKind::BadBody,
         "FactoryReset body byte 0"},
        {"restart with a body", Sealed(kLocal, sim::kRestart, 1, {0x00}, kHostPassword), ErrorKind::BadBody,
         "Restart body of 1 bytes, expected 0"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_TRUE(Send(c.frame).empty());
        const sim::RequestRecord record = network->Requests().back();
        EXPECT_EQ(record.error, c.kind) << record.reason;
        EXPECT_EQ(record.reason.rfind(c.reason, 0), 0u) << record.reason;
        EXPECT_TRUE(record.answers.empty());
    }
    EXPECT_EQ(network->Requests().size(), std::size(cases));
    EXPECT_EQ(network->Adapter(kLocal)->restarts + network->Adapter(kLocal)->factoryResets, 0);
}

TEST_F(SimNetworkTest, ForeignFramesAndOwnEchoesAreNotRecorded) {
    std::vector<uint8_t> ipv6 = Header(kLocal, sim::kProbe);
    ipv6[12] = 0x86;
    ipv6[13] = 0xDD;
    EXPECT_TRUE(Send(ipv6).empty());
    const std::vector<Outgoing> answer = Send(Sealed(kLocal, sim::kProbe, 1, ProbeBody(kLocal), kHostPassword));
    ASSERT_EQ(answer.size(), 1u);
    EXPECT_TRUE(Send(answer[0].frame).empty()) << "a capture sees the simulator's own answers";
    EXPECT_EQ(network->Requests().size(), 1u);
}

TEST_F(SimNetworkTest, LabelledAdapterAnswersOnlyItsOwnPassword) {
    EXPECT_TRUE(
        Send(Sealed(kLabelled, sim::kProbe, 1, ProbeBody(kLabelled), DefaultDevicePassword(kLabelled))).empty());
    const sim::RequestRecord refused = network->Requests().back();
    EXPECT_EQ(refused.error, ErrorKind::WrongKey);
    EXPECT_EQ(refused.reason.rfind("sealed under the default device password of 00:1f:84:00:00:03, not under the "
                                   "key of 00:1f:84:00:00:03",
                                   0),
              0u)
        << refused.reason;
    EXPECT_EQ(Send(Sealed(kLabelled, sim::kProbe, 1, ProbeBody(kLabelled), kLabelPassword)).size(), 1u);
    EXPECT_EQ(network->Errors().size(), 1u);
    EXPECT_TRUE(network->FramingErrors().empty());
}

// --- Faults ---

TEST_F(SimNetworkTest, SilentAndLateAdaptersRecordButDoNotAnswer) {
    sim::NetworkConfig config = ThreeAdapters();
    config.remotes[0].faults.silent = true;
    config.remotes[1].faults.answerFromProbe = 3;
    Make(config);
    const std::string password = DefaultDevicePassword(kRemote);
    EXPECT_TRUE(Send(Sealed(kRemote, sim::kProbe, 1, ProbeBody(kRemote), password)).empty());
    EXPECT_EQ(network->Requests().back().reason, "adapter is silent");
    std::vector<size_t> answers;
    for (int i = 0; i < 4; ++i) {
        answers.push_back(Send(Sealed(kLabelled, sim::kProbe, 1, ProbeBody(kLabelled), kLabelPassword)).size());
    }
    EXPECT_EQ(answers, (std::vector<size_t>{0, 0, 1, 1}));
    EXPECT_TRUE(network->Errors().empty());
}

TEST_F(SimNetworkTest, WriteFaultsGiveRefusalOrABusyVerdictFirst) {
    sim::NetworkConfig config = ThreeAdapters();
    config.local.faults.refuseWrites = true;
    config.remotes[0].faults.busyVerdictFirst = true;
    config.remotes[0].faults.answerDelayMs = 100;
    Make(config);
    EXPECT_EQ(Write(kLocal, sim::kParamLedMode, {0x88}), 1);
    EXPECT_EQ(network->Adapter(kLocal)->storedLedMode, sim::kLedOnValue);

    const std::string password = DefaultDevicePassword(kRemote);
    const std::vector<Outgoing> out = Send(Sealed(kRemote, sim::kWriteParameter, 9, WriteBody(0x21, {0x88}), password));
    ASSERT_EQ(out.size(), 2u);
    EXPECT_LT(out[0].delayMs, out[1].delayMs);
    EXPECT_EQ(out[0].delayMs, 100u);
    EXPECT_EQ(Open(out[0], password).body.at(0), 2);
    EXPECT_EQ(Open(out[1], password).body.at(0), 0);
    EXPECT_EQ(Open(out[0], password).sequence, 9);
    EXPECT_EQ(Open(out[1], password).sequence, 9);
}

TEST_F(SimNetworkTest, DuplicateAndGarbageAnswers) {
    sim::NetworkConfig config = ThreeAdapters();
    config.local.faults.lateDuplicateMs = 700;
    config.remotes[0].faults.garbageBeforeAnswer = true;
    Make(config);
    const std::vector<Outgoing> late = Send(Sealed(kLocal, sim::kProbe, 4, ProbeBody(kLocal), kHostPassword));
    ASSERT_EQ(late.size(), 2u);
    EXPECT_EQ(late[1].delayMs, late[0].delayMs + 700);
    EXPECT_EQ(Open(late[1], kHostPassword).sequence, 4);
    EXPECT_EQ(network->Requests().back().answers.at(1).kind, "stale-duplicate");

    const std::string password = DefaultDevicePassword(kRemote);
    for (int i = 0; i < 20; ++i) {
        const std::vector<Outgoing> out = Send(Sealed(kRemote, sim::kProbe, 4, ProbeBody(kRemote), password));
        ASSERT_EQ(out.size(), 2u);
        EXPECT_EQ(out[0].frame[15] | out[0].frame[16] << 8, sim::kProbeConfirm);
        EXPECT_NE(Open(out[0], password).fault, sim::UnsealFault::None) << "garbage must never open";
        EXPECT_EQ(Open(out[1], password).fault, sim::UnsealFault::None);
    }
}

TEST_F(SimNetworkTest, StationListGlitchesForTheFirstReads) {
    sim::NetworkConfig config = ThreeAdapters();
    config.remotes[1].faults.glitchRate = 27;
    config.remotes[1].faults.glitchReads = 2;
    Make(config);
    std::vector<uint8_t> request = {0x00};
    const NetworkId nid = sim::FactoryNid();
    request.insert(request.end(), nid.begin(), nid.end());
    std::vector<std::string> rates;
    for (int i = 0; i < 3; ++i) {
        const std::vector<uint8_t> body = Ask(kLocal, sim::kReadStationList, request);
        rates.push_back(ToHex({body.data() + 17, 4}));
    }
    EXPECT_EQ(rates, (std::vector<std::string>{"1B001B00", "1B001B00", "5000C800"}));
}

TEST_F(SimNetworkTest, SilentForAWhileAfterRestart) {
    sim::NetworkConfig config = ThreeAdapters();
    config.local.faults.silentAfterRestartMs = 3000;
    Make(config);
    Ask(kLocal, sim::kRestart, {});
    const std::vector<uint8_t> probe = Sealed(kLocal, sim::kProbe, 2, ProbeBody(kLocal), kHostPassword);
    EXPECT_TRUE(network->Handle(probe, now + 2990).empty());
    EXPECT_EQ(network->Requests().back().reason, "adapter is restarting");
    EXPECT_EQ(network->Handle(probe, now + 3010).size(), 1u);
}

TEST(SimNetworkCreate, RefusesInconsistentNetworks) {
    auto error = [](const sim::NetworkConfig& config) {
        std::string text;
        EXPECT_FALSE(sim::SimNetwork::Create(config, text));
        return text;
    };
    sim::NetworkConfig config = ThreeAdapters();
    config.remotes[1].mac = kRemote;
    EXPECT_EQ(error(config), "address 00:1f:84:00:00:02 appears twice");
    config = ThreeAdapters();
    config.coordinator = MacAddress{0x00, 0x1F, 0x84, 0x00, 0x00, 0x09};
    EXPECT_EQ(error(config), "coordinator 00:1f:84:00:00:09 is not an adapter of the network");
    config = ThreeAdapters();
    config.remotes.resize(64, config.remotes[0]);
    EXPECT_EQ(error(config), "64 remote adapters, at most 63");
}

} // namespace
