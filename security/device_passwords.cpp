#include "security/device_passwords.h"

#include "engine/device_ops.h"
#include "security/device_store.h"

bool NeedsDevicePassword(const MacAddress& mac) {
    if (mac == Engine().localAdapterMac) {
        return false;
    }
    const std::optional<std::string> stored = DeviceStore::Instance().PasswordFor(FormatMac(mac));
    return !stored || stored->size() < kMinKnownPassword;
}

PasswordCheck CheckDevicePassword(const MacAddress& mac, std::string_view typed) {
    if (mac == Engine().localAdapterMac || typed == kMaskedPassword) {
        return PasswordCheck::Skipped;
    }
    if (typed.empty()) {
        return PasswordCheck::Empty;
    }
    // The store's field holds 63 characters: refuse rather than cut into a password that never worked.
    if (typed.size() > kMaxTypedPassword) {
        return PasswordCheck::TooLong;
    }
    if (!ProbeWithPassword(mac, typed)) {
        return PasswordCheck::NoAnswer;
    }
    DeviceStore::Instance().SetPassword(FormatMac(mac), typed);
    return PasswordCheck::Passed;
}
