// plcctl: the engine's command-line front end, for scripts and end-to-end tests. It runs the same
// refreshes and device operations as the pages, with the same device-password rules.

#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

#include "engine/device_ops.h"
#include "engine/page_refresh.h"
#include "pages/qos/qos_rules.h"
#include "platform/clock.h"
#include "security/device_passwords.h"
#include "security/device_store.h"

namespace {

constexpr uint32_t kNetworkKeyEndWaitMs = 6000;
constexpr uint32_t kFactoryResetEndWaitMs = 8000;
const QosCaptions kCaptions = {"CAP0", "CAP1", "CAP2", "CAP3"};

const char* kUsage = R"(usage: plcctl [--password MAC=PASSWORD]... COMMAND [ARGUMENTS]

Talks to the powerline adapters behind this PC's Ethernet interfaces. Reads and writes devices.dat in
the current directory, like the utility itself.

commands:
  list                    refresh, then one line per adapter: name, model, MAC, rate, LED state,
                          firmware version and firmware build, separated by tabs
  led MAC on|off          switch an adapter's LEDs
  set-key PASSWORD MAC... write the network key of PASSWORD (8 to 64 characters) into the adapters,
                          the last listed adapter first, the coordinator just before the local
                          adapter, the local adapter last
  reset MAC...            reset the adapters to factory settings, in the same order
  qos show                print the local adapter's QoS rules
  qos apply FILE          write the QoS rules of FILE into every adapter

options:
  --password MAC=PASSWORD the device password of a remote adapter (printed on its label); needed to
                          change an adapter whose password is not stored yet. Checked against the
                          adapter, then stored. May be repeated.
  --help                  this text

QoS rule files hold one rule per line; '#' starts a comment:
  mac ADDRESS CAPn        Ethernet destination address (00:11:22:33:44:55, 00-11-..., or 12 digits)
  port NUMBER CAPn        TCP and UDP destination port, 1 to 65535
  vlan VALUE CAPn         VLAN user priority 0 to 7; any vlan line writes all eight VLAN rules,
                          values not named keep their default priority
  tos VALUE CAPn          IPv4 type of service 0 to 7, likewise
CAP0 is the lowest priority, CAP3 the highest. 'qos show' prints the same format.

Exit status: 0 on success, 1 when an operation failed, 2 for a usage error.
)";

int Fail(const std::string& message, int status = 1) {
    std::fprintf(stderr, "plcctl: %s\n", message.c_str());
    return status;
}

// The interface names the engine lists at start go to standard error, keeping standard output for results.
void StartEngineQuietly() {
    std::fflush(stdout);
    const int saved = ::dup(STDOUT_FILENO);
    ::dup2(STDERR_FILENO, STDOUT_FILENO);
    StartEngine();
    std::fflush(stdout);
    ::dup2(saved, STDOUT_FILENO);
    ::close(saved);
}

struct Rows {
    std::vector<int> records;
    std::vector<MacAddress> macs;
};

Rows ListRows() {
    Rows rows;
    rows.records = PresentRecords();
    for (int index : rows.records) {
        rows.macs.push_back(Devices().records[index].mac);
    }
    return rows;
}

// Checks the targets' device passwords before any adapter is changed; returns an error text or "".
std::string PreparePasswords(const std::vector<MacAddress>& targets, const std::map<std::string, std::string>& given) {
    std::vector<std::string> missing;
    for (const MacAddress& mac : targets) {
        if (!NeedsDevicePassword(mac)) {
            continue;
        }
        const auto found = given.find(FormatMac(mac));
        if (found == given.end()) {
            missing.push_back(FormatMac(mac));
            continue;
        }
        switch (CheckDevicePassword(mac, found->second)) {
        case PasswordCheck::Passed:
        case PasswordCheck::Skipped:
            break;
        case PasswordCheck::Empty:
            return "the device password given for " + found->first + " is empty";
        case PasswordCheck::TooLong:
            return "the device password given for " + found->first + " is longer than 63 characters";
        case PasswordCheck::NoAnswer:
            return "the adapter " + found->first + " does not answer to the device password given for it";
        }
    }
    if (!missing.empty()) {
        std::string text = "a device password is needed for";
        for (const std::string& mac : missing) {
            text += " " + mac;
        }
        return text + " (give it with --password MAC=PASSWORD); nothing was changed";
    }
    return "";
}

int RefreshOrFail(RefreshPage page) {
    if (RunPageRefresh(page, [](int) {}) == 0) {
        return Fail("no powerline adapter answered on any Ethernet interface");
    }
    return 0;
}

int List() {
    if (const int status = RefreshOrFail(RefreshPage::DeviceSettings)) {
        return status;
    }
    const DeviceTable& table = Devices();
    for (int index : PresentRecords()) {
        const DeviceRecord& record = table.records[index];
        const int rate = index == 0 && table.count == 1 ? -1 : record.rate;
        std::printf("%s\t%s\t%s\t%d\t%s\t%s\t%s\n", DisplayName(record.name, "Device").c_str(),
                    ModelFromFirmwareVersion(record.firmwareVersion).c_str(), FormatMac(record.mac).c_str(), rate,
                    record.ledOn ? "on" : "off", record.firmwareVersion, record.firmwareBuild);
    }
    return 0;
}

// Resolves the MAC arguments against the refreshed list; returns an error text or "".
std::string Targets(const std::vector<std::string>& arguments, const Rows& rows, std::vector<bool>& ticked,
                    std::vector<MacAddress>& targets) {
    ticked.assign(rows.macs.size(), false);
    for (const std::string& argument : arguments) {
        const std::optional<MacAddress> parsed = ParseMacStrict(argument);
        if (!parsed) {
            return "not a MAC address in the form 00:1f:84:0a:0b:1d: " + argument;
        }
        const MacAddress mac = *parsed;
        size_t row = 0;
        while (row < rows.macs.size() && rows.macs[row] != mac) {
            ++row;
        }
        if (row == rows.macs.size()) {
            return "no adapter " + FormatMac(mac) + " answered";
        }
        if (!ticked[row]) {
            ticked[row] = true;
            targets.push_back(mac);
        }
    }
    return "";
}

int Led(const std::vector<std::string>& arguments, const std::map<std::string, std::string>& passwords) {
    if (arguments.size() != 2 || (arguments[1] != "on" && arguments[1] != "off")) {
        return Fail("usage: plcctl led MAC on|off", 2);
    }
    if (const int status = RefreshOrFail(RefreshPage::DeviceSettings)) {
        return status;
    }
    std::vector<bool> ticked;
    std::vector<MacAddress> targets;
    const Rows rows = ListRows();
    if (std::string error = Targets({arguments[0]}, rows, ticked, targets); !error.empty()) {
        return Fail(error);
    }
    if (std::string error = PreparePasswords(targets, passwords); !error.empty()) {
        return Fail(error);
    }
    if (!SetDeviceLed(targets[0], arguments[1] == "on")) {
        return Fail("the adapter " + FormatMac(targets[0]) + " did not take the change");
    }
    return 0;
}

int ServeMany(RefreshPage page, const std::vector<std::string>& macArguments,
              const std::map<std::string, std::string>& passwords,
              const std::function<bool(const MacAddress&)>& operation, uint32_t endWaitMs) {
    if (macArguments.empty()) {
        return Fail("name at least one adapter", 2);
    }
    if (const int status = RefreshOrFail(page)) {
        return status;
    }
    std::vector<bool> ticked;
    std::vector<MacAddress> targets;
    const Rows rows = ListRows();
    if (std::string error = Targets(macArguments, rows, ticked, targets); !error.empty()) {
        return Fail(error);
    }
    if (std::string error = PreparePasswords(targets, passwords); !error.empty()) {
        return Fail(error);
    }
    MacAddress failed{};
    const bool done = ServeTickedRows(rows.macs, ticked, [&](const MacAddress& mac) {
        failed = mac;
        return operation(mac);
    });
    if (!done) {
        return Fail("the adapter " + FormatMac(failed) +
                    " did not take the change; adapters after it were not changed");
    }
    SleepMs(endWaitMs);
    return 0;
}

std::string PrintRules(const std::vector<ClassifierRecord>& records) {
    const QosTables tables = RulesToTables(records, DefaultTypeCells(kCaptions), kCaptions);
    std::ostringstream out;
    auto caption = [](const std::string& text) { return text.empty() ? std::string("CAP0") : text; };
    for (const QosEntryRow& row : tables.addressRows) {
        out << "mac " << row.entry << " " << caption(row.caption) << "\n";
    }
    for (const QosEntryRow& row : tables.portRows) {
        out << "port " << row.entry << " " << caption(row.caption) << "\n";
    }
    const std::pair<bool, int> typeRows[] = {{tables.vlanSeen, kQosVlanRow}, {tables.tosSeen, kQosTosRow}};
    for (const auto& [seen, row] : typeRows) {
        for (int value = 0; seen && value < kQosTypeValues; ++value) {
            out << (row == kQosVlanRow ? "vlan " : "tos ") << value << " "
                << caption(tables.typeCells[static_cast<size_t>(row)][static_cast<size_t>(value)]) << "\n";
        }
    }
    return out.str();
}

// Reads a rule file into the page's tables; returns an error text or "".
std::string ReadRuleFile(const std::string& path, std::vector<QosEntryRow>& addresses, std::vector<QosEntryRow>& ports,
                         QosTypeTable& types) {
    std::ifstream file(path);
    if (!file) {
        return "cannot read " + path;
    }
    types.cells = DefaultTypeCells(kCaptions);
    std::string line;
    for (int number = 1; std::getline(file, line); ++number) {
        const size_t hash = line.find('#');
        if (hash != std::string::npos) {
            line.erase(hash);
        }
        std::istringstream words(line);
        std::string kind;
        std::string value;
        std::string priority;
        std::string extra;
        if (!(words >> kind)) {
            continue;
        }
        const std::string where = path + ":" + std::to_string(number) + ": ";
        if (!(words >> value >> priority) || (words >> extra)) {
            return where + "expected KIND VALUE CAPn";
        }
        if (priority.size() != 4 || priority.compare(0, 3, "CAP") != 0 || priority[3] < '0' || priority[3] > '3') {
            return where + "priority must be CAP0, CAP1, CAP2 or CAP3: " + priority;
        }
        if (kind == "mac" || kind == "port") {
            std::vector<QosEntryRow>& rows = kind == "mac" ? addresses : ports;
            std::vector<std::string> others;
            for (const QosEntryRow& row : rows) {
                others.push_back(row.entry);
            }
            const QosEntryCheck check =
                kind == "mac" ? ValidateMacEntry(value, others) : ValidatePortEntry(value, others);
            if (check.outcome == QosEntryOutcome::Refused) {
                return where + (kind == "mac" ? "not a unicast destination address: " : "not a port 1 to 65535: ") +
                       value;
            }
            if (check.outcome == QosEntryOutcome::Duplicate) {
                return where + "named twice: " + value;
            }
            rows.push_back({check.text, priority});
        } else if (kind == "vlan" || kind == "tos") {
            if (value.size() != 1 || value[0] < '0' || value[0] > '7') {
                return where + "value must be 0 to 7: " + value;
            }
            const int row = kind == "vlan" ? kQosVlanRow : kQosTosRow;
            types.checked[static_cast<size_t>(row)] = true;
            types.cells[static_cast<size_t>(row)][static_cast<size_t>(value[0] - '0')] = priority;
        } else {
            return where + "unknown rule kind (mac, port, vlan or tos): " + kind;
        }
    }
    return "";
}

int Qos(const std::vector<std::string>& arguments) {
    if (arguments.empty() || (arguments[0] == "show" && arguments.size() != 1) ||
        (arguments[0] == "apply" && arguments.size() != 2) || (arguments[0] != "show" && arguments[0] != "apply")) {
        return Fail("usage: plcctl qos show | plcctl qos apply FILE", 2);
    }
    if (arguments[0] == "show") {
        if (!RefreshDevices()) {
            return Fail("no powerline adapter answered on any Ethernet interface");
        }
        int count = 0;
        ClassifierRecord records[kClassifierSlots];
        if (!ReadQos(count, records)) {
            return Fail("the local adapter did not give its QoS rules");
        }
        std::fputs(PrintRules(std::vector<ClassifierRecord>(records, records + count)).c_str(), stdout);
        return 0;
    }
    std::vector<QosEntryRow> addresses;
    std::vector<QosEntryRow> ports;
    QosTypeTable types;
    if (std::string error = ReadRuleFile(arguments[1], addresses, ports, types); !error.empty()) {
        return Fail(error, 2);
    }
    // The page's tables end with their new-entry row, which the rule builder does not read.
    addresses.push_back({});
    ports.push_back({});
    const std::vector<ClassifierRecord> records = BuildRules(addresses, ports, types, kCaptions);
    if (records.empty()) {
        return Fail("the rule file holds no rule", 2);
    }
    if (const int status = RefreshOrFail(RefreshPage::Security)) {
        return status;
    }
    if (!ApplyQos(static_cast<int>(records.size()), records.data())) {
        return Fail("no adapter took the QoS rules");
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    std::map<std::string, std::string> passwords;
    std::vector<std::string> words;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--help" || argument == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (argument == "--password") {
            if (i + 1 >= argc) {
                return Fail("--password needs MAC=PASSWORD", 2);
            }
            const std::string pair = argv[++i];
            const size_t equals = pair.find('=');
            const std::optional<MacAddress> mac =
                equals == std::string::npos ? std::nullopt : ParseMacStrict(pair.substr(0, equals));
            if (!mac) {
                return Fail("--password needs MAC=PASSWORD, with the MAC in the form 00:1f:84:0a:0b:1d", 2);
            }
            passwords[FormatMac(*mac)] = pair.substr(equals + 1);
            continue;
        }
        words.push_back(argument);
    }
    if (words.empty()) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    const std::string command = words.front();
    const std::vector<std::string> arguments(words.begin() + 1, words.end());
    if (command != "list" && command != "led" && command != "set-key" && command != "reset" && command != "qos") {
        return Fail("unknown command " + command + " (see --help)", 2);
    }
    if (command == "list" && !arguments.empty()) {
        return Fail("usage: plcctl list", 2);
    }
    if (command == "set-key" && (arguments.empty() || arguments[0].size() < 8 || arguments[0].size() > 64)) {
        return Fail("usage: plcctl set-key PASSWORD MAC... (the password has 8 to 64 characters)", 2);
    }

    DeviceStore::Instance().Load();
    StartEngineQuietly();
    int status = 0;
    if (command == "list") {
        status = List();
    } else if (command == "led") {
        status = Led(arguments, passwords);
    } else if (command == "set-key") {
        const std::string networkPassword = arguments[0];
        status = ServeMany(
            RefreshPage::Security, {arguments.begin() + 1, arguments.end()}, passwords,
            [&](const MacAddress& mac) { return SetNetworkKey(mac, networkPassword, 0); }, kNetworkKeyEndWaitMs);
    } else if (command == "reset") {
        status = ServeMany(RefreshPage::FactoryReset, arguments, passwords, FactoryResetDevice, kFactoryResetEndWaitMs);
    } else {
        status = Qos(arguments);
    }
    StopEngine();
    DeviceStore::Instance().Save();
    return status;
}
