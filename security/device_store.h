#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// One remembered adapter: 115 bytes, the same in memory and in devices.dat.
struct StoredDevice {
    uint8_t seen;      // found by a discovery during this run
    char mac[18];      // "xx:xx:xx:xx:xx:xx", zero-terminated
    char name[32];     // "DeviceNN", zero-terminated
    char password[64]; // device password, zero-terminated; empty when none is known
};
static_assert(sizeof(StoredDevice) == 115, "devices.dat records are 115 bytes");

constexpr int kMaxStoredDevices = 100;
constexpr int kNamedDevices = 20;
inline constexpr const char* kDeviceStoreFile = "devices.dat";

// The adapters the program has met, with their names and device passwords. Process-wide; read at
// start-up, written at exit.
class DeviceStore {
public:
    static DeviceStore& Instance();

    // Fills the store from the file. A missing file leaves it unchanged; a file whose count is below 0 or
    // above 100 is refused and the store starts empty. False when nothing was loaded.
    bool Load(const std::string& path = kDeviceStoreFile);
    // Writes the store through a temporary file in the same directory, created with mode 0600, renamed
    // over the old file, so that a failed save never loses the old one. False when nothing was saved.
    bool Save(const std::string& path = kDeviceStoreFile) const;

    // The name of the device with this MAC text, adding (and naming) it first when it is not held.
    std::string FindOrAdd(std::string_view macText);
    std::optional<std::string> PasswordFor(std::string_view macText) const;
    // Stores the password of a held device. False (nothing changes) for an unknown MAC or a password
    // longer than 63 characters.
    bool SetPassword(std::string_view macText, std::string_view password);

    int IndexOf(std::string_view macText) const;
    void Remove(std::string_view macText);
    bool NameInUse(std::string_view name) const;

    int Count() const { return count_; }
    const StoredDevice& Record(int index) const { return records_[index]; }
    // Empties the store (start of a run, and tests).
    void Clear();

private:
    void NextFreeName();
    bool Append(std::string_view macText);

    StoredDevice records_[kMaxStoredDevices] = {};
    int count_ = 0;
};
