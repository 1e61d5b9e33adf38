#include "pages/qos/qos_rules.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const QosCaptions kCaptions = {"Low", "Medium", "High", "Highest"};
const QosEntryRow kNewEntryRow = {"Click to add", "Not set"};

using Outcome = QosEntryOutcome;

struct EntryCase {
    const char* text;
    std::vector<std::string> others;
    Outcome outcome;
    const char* stored; // when accepted
};

TEST(QosRulesTest, ValidateMacEntry) {
    const EntryCase cases[] = {
        {"", {}, Outcome::Empty, ""},
        {"00-11-22-33-44-55", {}, Outcome::Accepted, "00:11:22:33:44:55"},
        {"00:11-22:33-44:55", {}, Outcome::Accepted, "00:11:22:33:44:55"},
        {"001122334455", {}, Outcome::Accepted, "00:11:22:33:44:55"},
        {"0011223344AA", {}, Outcome::Accepted, "00:11:22:33:44:AA"},
        {"02:00:00:00:00:01", {}, Outcome::Accepted, "02:00:00:00:00:01"},
        {"0e:00:00:00:00:01", {}, Outcome::Accepted, "0e:00:00:00:00:01"},
        // group addresses
        {"01:00:5e:00:00:01", {}, Outcome::Refused, ""},
        {"FF:FF:FF:FF:FF:FF", {}, Outcome::Refused, ""},
        {"ff-ff-ff-ff-ff-ff", {}, Outcome::Refused, ""},
        {"11:11:11:11:11:11", {}, Outcome::Refused, ""},
        {"03:00:00:00:00:00", {}, Outcome::Refused, ""},
        {"0B0000000001", {}, Outcome::Refused, ""},
        // the all-zero address
        {"000000000000", {}, Outcome::Refused, ""},
        {"00:00:00:00:00:00", {}, Outcome::Refused, ""},
        {"00-00-00-00-00-00", {}, Outcome::Refused, ""},
        // format
        {"00:11:22:33:44", {}, Outcome::Refused, ""},
        {"00.11.22.33.44.55", {}, Outcome::Refused, ""},
        {"00 11 22 33 44 55", {}, Outcome::Refused, ""},
        {"0011223344G5", {}, Outcome::Refused, ""},
        {"0:011:22:33:44:55", {}, Outcome::Refused, ""},
        {"00:11:22:33:44:5g", {}, Outcome::Refused, ""},
        {"00112233445", {}, Outcome::Refused, ""},
        // duplicates compare the colon form, letter case included
        {"aa:bb:cc:dd:ee:f0", {"AA:BB:CC:DD:EE:F0", "Click to add"}, Outcome::Accepted, "aa:bb:cc:dd:ee:f0"},
        {"aa-bb-cc-dd-ee-f0", {"Click to add", "aa:bb:cc:dd:ee:f0"}, Outcome::Duplicate, ""},
        {"aabbccddeef0", {"aa:bb:cc:dd:ee:f0"}, Outcome::Duplicate, ""},
    };
    for (const EntryCase& c : cases) {
        const QosEntryCheck check = ValidateMacEntry(c.text, c.others);
        EXPECT_EQ(check.outcome, c.outcome) << c.text;
        EXPECT_EQ(check.text, c.stored) << c.text;
    }
}

TEST(QosRulesTest, ValidatePortEntry) {
    const EntryCase cases[] = {
        {"", {}, Outcome::Empty, ""},
        {"80", {}, Outcome::Accepted, "80"},
        {"1", {}, Outcome::Accepted, "1"},
        {"65535", {"80"}, Outcome::Accepted, "65535"},
        {"080", {}, Outcome::Refused, ""},
        {"0", {}, Outcome::Refused, ""},
        {"65536", {}, Outcome::Refused, ""},
        {"8080x", {}, Outcome::Refused, ""},
        {"1.5", {}, Outcome::Refused, ""},
        {"-1", {}, Outcome::Refused, ""},
        {" 80", {}, Outcome::Refused, ""},
        {"12345678901", {}, Outcome::Refused, ""},
        {"99999999999999999999999999", {}, Outcome::Refused, ""},
        {"80", {"Click to add", "80"}, Outcome::Duplicate, ""},
    };
    for (const EntryCase& c : cases) {
        const QosEntryCheck check = ValidatePortEntry(c.text, c.others);
        EXPECT_EQ(check.outcome, c.outcome) << c.text;
        EXPECT_EQ(check.text, c.stored) << c.text;
    }
}

TEST(QosRulesTest, PriorityFromCaptionTakesLastExactMatchElseZero) {
    EXPECT_EQ(PriorityFromCaption("Highest", kCaptions), 3);
    EXPECT_EQ(PriorityFromCaption("High", kCaptions), 2);
    EXPECT_EQ(PriorityFromCaption("Low", kCaptions), 0);
    EXPECT_EQ(PriorityFromCaption("high", kCaptions), 0);
    EXPECT_EQ(PriorityFromCaption("", kCaptions), 0);
    EXPECT_EQ(PriorityFromCaption("Same", QosCaptions{"A", "Same", "Same", "B"}), 2);
    EXPECT_EQ(CaptionChoices(kCaptions), (std::vector<std::string>{"Highest", "High", "Medium", "Low"}));
}

struct RuleShape {
    int32_t type;
    int priority;
    std::vector<uint8_t> value;
};

std::vector<RuleShape> Shapes(const std::vector<ClassifierRecord>& records) {
    std::vector<RuleShape> shapes;
    for (const ClassifierRecord& r : records) {
        EXPECT_EQ(r.ruleCount, 1);
        EXPECT_EQ(r.ruleTypes[1], kNoRule);
        EXPECT_EQ(r.ruleTypes[2], kNoRule);
        EXPECT_EQ(r.ruleTypes[3], kNoRule);
        for (size_t i = r.valueLength; i < r.values.size(); ++i) {
            EXPECT_EQ(r.values[i], 0) << "value byte " << i;
        }
        shapes.push_back({r.ruleTypes[0], r.priority, {r.values.begin(), r.values.begin() + r.valueLength}});
    }
    return shapes;
}

void ExpectShapes(const std::vector<ClassifierRecord>& records, const std::vector<RuleShape>& expected) {
    const std::vector<RuleShape> actual = Shapes(records);
    ASSERT_EQ(actual.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(actual[i].type, expected[i].type) << "record " << i;
        EXPECT_EQ(actual[i].priority, expected[i].priority) << "record " << i;
        EXPECT_EQ(actual[i].value, expected[i].value) << "record " << i;
    }
}

TEST(QosRulesTest, BuildRulesOrdersAddressesTcpUdpThenTypeValues) {
    const std::vector<QosEntryRow> addresses = {
        {"00:11:22:33:44:aa", "High"}, {"02:00:00:00:00:01", "Highest"}, kNewEntryRow};
    const std::vector<QosEntryRow> ports = {{"8080", "Medium"}, kNewEntryRow};
    QosTypeTable types;
    types.checked = {true, false};
    types.cells = DefaultTypeCells(kCaptions);
    types.cells[kQosVlanRow][7] = "Low";

    std::vector<RuleShape> expected = {
        {kRuleEthernetDestination, 2, {0x00, 0x11, 0x22, 0x33, 0x44, 0xaa}},
        {kRuleEthernetDestination, 3, {0x02, 0x00, 0x00, 0x00, 0x00, 0x01}},
        {kRuleTcpDestinationPort, 1, {0x1f, 0x90}},
        {kRuleUdpDestinationPort, 1, {0x1f, 0x90}},
    };
    const int vlanPriorities[] = {1, 0, 0, 1, 2, 2, 3, 0};
    for (uint8_t v = 0; v < 8; ++v) {
        expected.push_back({kRuleVlanUserPriority, vlanPriorities[v], {v}});
    }
    ExpectShapes(BuildRules(addresses, ports, types, kCaptions), expected);
}

TEST(QosRulesTest, BuildRulesAlternatesVlanAndTosByValue) {
    QosTypeTable types;
    types.checked = {true, true};
    types.cells = DefaultTypeCells(kCaptions);
    types.cells[kQosTosRow][0] = "Highest";
    std::vector<RuleShape> expected;
    for (uint8_t v = 0; v < 8; ++v) {
        expected.push_back({kRuleVlanUserPriority, kQosDefaultTypePriority[v], {v}});
        expected.push_back({kRuleIpv4Tos, v == 0 ? 3 : kQosDefaultTypePriority[v], {v}});
    }
    ExpectShapes(BuildRules({kNewEntryRow}, {kNewEntryRow}, types, kCaptions), expected);
    EXPECT_TRUE(BuildRules({kNewEntryRow}, {kNewEntryRow}, QosTypeTable{}, kCaptions).empty());
}

ClassifierRecord Record(int priority, std::vector<int32_t> types, std::vector<uint8_t> values) {
    ClassifierRecord record;
    record.priority = priority;
    record.ruleCount = static_cast<uint8_t>(types.size());
    for (size_t i = 0; i < types.size() && i < record.ruleTypes.size(); ++i) {
        record.ruleTypes[i] = types[i];
    }
    record.values.fill(0xFF);
    std::copy(values.begin(), values.end(), record.values.begin());
    record.valueLength = static_cast<uint8_t>(values.size());
    return record;
}

TEST(QosRulesTest, TwoRuleRecordShowsOneAddressAndOnePortAndWritesBackThreeRecords) {
    const std::vector<ClassifierRecord> read = {
        Record(2, {kRuleEthernetDestination, kRuleTcpDestinationPort},
               {0x00, 0x1f, 0x84, 0xab, 0xcd, 0xef, 0x01, 0xbb}),
        Record(3, {kRuleUdpDestinationPort}, {0x00, 0x35}),
    };
    const QosTables tables = RulesToTables(read, DefaultTypeCells(kCaptions), kCaptions);
    EXPECT_EQ(tables.addressRows, (std::vector<QosEntryRow>{{"00:1f:84:ab:cd:ef", "High"}}));
    EXPECT_EQ(tables.portRows, (std::vector<QosEntryRow>{{"443", "High"}}));
    EXPECT_FALSE(tables.vlanSeen);
    EXPECT_FALSE(tables.tosSeen);
    EXPECT_EQ(tables.typeCells, DefaultTypeCells(kCaptions));

    std::vector<QosEntryRow> addresses = tables.addressRows;
    std::vector<QosEntryRow> ports = tables.portRows;
    addresses.push_back(kNewEntryRow);
    ports.push_back(kNewEntryRow);
    ExpectShapes(BuildRules(addresses, ports, QosTypeTable{}, kCaptions),
                 {{kRuleEthernetDestination, 2, {0x00, 0x1f, 0x84, 0xab, 0xcd, 0xef}},
                  {kRuleTcpDestinationPort, 2, {0x01, 0xbb}},
                  {kRuleUdpDestinationPort, 2, {0x01, 0xbb}}});
}

TEST(QosRulesTest, UnknownPriorityShowsEmptyCaptionAndWritesBackAsCap0) {
    for (int priority : {4, 5, 7, -1}) {
        const QosTables tables = RulesToTables(
            {Record(priority, {kRuleTcpDestinationPort}, {0x00, 0x50}), Record(priority, {kRuleIpv4Tos}, {0x06})},
            DefaultTypeCells(kCaptions), kCaptions);
        ASSERT_EQ(tables.portRows.size(), 1u);
        EXPECT_EQ(tables.portRows[0].caption, "") << priority;
        EXPECT_EQ(tables.typeCells[kQosTosRow][6], "") << priority;
        EXPECT_TRUE(tables.tosSeen);
        ExpectShapes(BuildRules({kNewEntryRow}, {tables.portRows[0], kNewEntryRow}, QosTypeTable{}, kCaptions),
                     {{kRuleTcpDestinationPort, 0, {0x00, 0x50}}, {kRuleUdpDestinationPort, 0, {0x00, 0x50}}});
    }
}

TEST(QosRulesTest, TypeRulesSetFlagsAndCellsLaterRecordsWin) {
    const QosTables tables = RulesToTables(
        {
            Record(3, {kRuleVlanUserPriority}, {0x01}),
            Record(0, {kRuleVlanUserPriority}, {0x01}),
            Record(2, {kRuleVlanUserPriority}, {0x09}), // no such value: flag only
            Record(3, {kRuleIpv4Tos, kRuleVlanUserPriority}, {0x00, 0x05}),
        },
        DefaultTypeCells(kCaptions), kCaptions);
    QosTypeCells expected = DefaultTypeCells(kCaptions);
    expected[kQosVlanRow][1] = "Low";
    expected[kQosTosRow][0] = "Highest";
    expected[kQosVlanRow][5] = "Highest";
    EXPECT_EQ(tables.typeCells, expected);
    EXPECT_TRUE(tables.vlanSeen);
    EXPECT_TRUE(tables.tosSeen);
    EXPECT_TRUE(tables.addressRows.empty());
    EXPECT_TRUE(tables.portRows.empty());
}

// Records read from an adapter are not trusted: empty slots use no value bytes, an unknown rule type ends the
// record, and no rule is read past the record's value bytes or its four rule slots.
TEST(QosRulesTest, RulesToTablesReadsOnlyInsideTheRecord) {
    ClassifierRecord gap =
        Record(1, {kRuleEthernetDestination, kNoRule, kRuleTcpDestinationPort}, {0x02, 0, 0, 0, 0, 0x07, 0x00, 0x16});
    ClassifierRecord unknown =
        Record(1, {kRuleTcpDestinationPort, 20, kRuleTcpDestinationPort}, {0x00, 0x15, 0x00, 0x17});
    ClassifierRecord overlong =
        Record(1, {kRuleIpv6Destination, kRuleTcpDestinationPort}, std::vector<uint8_t>(16, 0x11));
    ClassifierRecord tooManyRules = Record(1, {kRuleTcpDestinationPort, kRuleTcpDestinationPort, kNoRule, kNoRule},
                                           {0x00, 0x01, 0x00, 0x02, 0x00, 0x03});
    tooManyRules.ruleCount = 200;
    const QosTables tables = RulesToTables({gap, unknown, overlong, tooManyRules}, QosTypeCells{}, kCaptions);
    EXPECT_EQ(tables.addressRows, (std::vector<QosEntryRow>{{"02:00:00:00:00:07", "Medium"}}));
    EXPECT_EQ(tables.portRows,
              (std::vector<QosEntryRow>{{"22", "Medium"}, {"21", "Medium"}, {"1", "Medium"}, {"2", "Medium"}}));
}

TEST(QosRulesTest, NormaliseMacKeepsLetterCase) {
    EXPECT_EQ(NormaliseMac("0011223344AA"), "00:11:22:33:44:AA");
    EXPECT_EQ(NormaliseMac("00-11-22-33-44-aa"), "00:11:22:33:44:aa");
    EXPECT_EQ(NormaliseMac("00:11-22:33-44:55"), "00:11:22:33:44:55");
}

} // namespace
