#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "engine/classifier.h"

// The QoS page's logic without windows: the priority classes CAP0 (lowest) to CAP3 (highest) and their
// captions, the checks of typed addresses and ports, and the translation between the page's three tables
// and a list of classifier records. Captions come from the language file and are passed in, indexed by
// priority.

constexpr int kQosPriorityCount = 4;
constexpr int kQosDefaultEntryPriority = 3; // a newly entered address or port
constexpr int kQosMaxTypedEntries = 8;      // typed rows per entry table
constexpr int kQosTypeValues = 8;           // VLAN user priorities and TOS values 0 to 7
constexpr int kQosVlanRow = 0;
constexpr int kQosTosRow = 1;

// Default priority of each VLAN user priority and TOS value.
constexpr std::array<int, kQosTypeValues> kQosDefaultTypePriority = {1, 0, 0, 1, 2, 2, 3, 3};

using QosCaptions = std::array<std::string, kQosPriorityCount>;

// One row of the address or port table: column 0 the entry, column 1 its priority caption.
struct QosEntryRow {
    std::string entry;
    std::string caption;

    bool operator==(const QosEntryRow&) const = default;
};

// The type table's 16 caption cells: [kQosVlanRow or kQosTosRow][value].
using QosTypeCells = std::array<std::array<std::string, kQosTypeValues>, 2>;

// The type table: which rows are checked (their eight records are written) and their cells.
struct QosTypeTable {
    std::array<bool, 2> checked{};
    QosTypeCells cells;
};

enum class QosEntryOutcome { Empty, Refused, Duplicate, Accepted };

struct QosEntryCheck {
    QosEntryOutcome outcome = QosEntryOutcome::Empty;
    std::string text; // the text to store when accepted
};

// A typed destination address: 12 hexadecimal digits, or 17 characters with ':' or '-' separators (each
// independently). Group addresses and the all-zero address are refused; the stored colon form is compared
// with `otherEntries` (the column 0 texts of every other row) exactly, letter case included.
QosEntryCheck ValidateMacEntry(std::string_view text, const std::vector<std::string>& otherEntries);

// The colon form of a text that passed the format checks of ValidateMacEntry; letter case is kept.
std::string NormaliseMac(std::string_view text);

// A typed destination port: decimal digits without a leading zero, 1 to 65535; stored as typed.
QosEntryCheck ValidatePortEntry(std::string_view text, const std::vector<std::string>& otherEntries);

// The index of the last caption equal to `text` (exact, case-sensitive), or 0 when none is.
int PriorityFromCaption(std::string_view text, const QosCaptions& captions);

// The type table with every cell at its default priority.
QosTypeCells DefaultTypeCells(const QosCaptions& captions);

// The captions in the order the priority choices are listed: CAP3, CAP2, CAP1, CAP0.
std::vector<std::string> CaptionChoices(const QosCaptions& captions);

// Single-rule records in this order: one per address row (rule type 0), one per port row as a TCP port
// (13), the same port rows again as UDP ports (15), then for each value 0 to 7 a VLAN record (2) if that row
// is checked and a TOS record (4) if that row is checked. The entry tables are passed as the page shows
// them: their last row is the new-entry row and is not read.
std::vector<ClassifierRecord> BuildRules(const std::vector<QosEntryRow>& addressRows,
                                         const std::vector<QosEntryRow>& portRows, const QosTypeTable& typeTable,
                                         const QosCaptions& captions);

struct QosTables {
    std::vector<QosEntryRow> addressRows; // without a new-entry row
    std::vector<QosEntryRow> portRows;    // without a new-entry row
    QosTypeCells typeCells;
    bool vlanSeen = false;
    bool tosSeen = false;
};

// The tables that a record list read from an adapter shows. Records with a priority outside 0 to 3 show an
// empty caption; only destination addresses, TCP destination ports, VLAN and TOS rules are shown. Cells of
// values no record sets keep `typeCells`.
QosTables RulesToTables(const std::vector<ClassifierRecord>& records, const QosTypeCells& typeCells,
                        const QosCaptions& captions);
