#include "security/device_store.h"

#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {
std::string DeviceName(int number) {
    char name[32];
    std::snprintf(name, sizeof name, "Device%2.2d", number);
    return name;
}

bool FieldEquals(const char* field, size_t size, std::string_view text) {
    return text.size() < size && std::strncmp(field, text.data(), text.size()) == 0 && field[text.size()] == '\0';
}

template <size_t N> void CopyField(char (&field)[N], std::string_view text) {
    std::memset(field, 0, N);
    std::memcpy(field, text.data(), text.size() < N ? text.size() : N - 1);
}

bool WriteAll(int fd, const void* data, size_t size) {
    const auto* bytes = static_cast<const uint8_t*>(data);
    while (size > 0) {
        const ssize_t written = ::write(fd, bytes, size);
        if (written <= 0) {
            return false;
        }
        bytes += written;
        size -= static_cast<size_t>(written);
    }
    return true;
}
} // namespace

DeviceStore& DeviceStore::Instance() {
    static DeviceStore store;
    return store;
}

void DeviceStore::Clear() {
    std::memset(records_, 0, sizeof records_);
    count_ = 0;
}

bool DeviceStore::Load(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        return false;
    }
    Clear();
    uint8_t countBytes[4] = {};
    int32_t count = 0;
    if (std::fread(countBytes, 1, 4, file) == 4) {
        count = static_cast<int32_t>(static_cast<uint32_t>(countBytes[0]) | static_cast<uint32_t>(countBytes[1]) << 8 |
                                     static_cast<uint32_t>(countBytes[2]) << 16 |
                                     static_cast<uint32_t>(countBytes[3]) << 24);
    }
    if (count < 0 || count > kMaxStoredDevices) {
        std::fclose(file);
        return false;
    }
    // A file shorter than its count keeps the records it has; the rest stay all-zero and never match.
    count_ = count;
    for (int i = 0; i < count_; ++i) {
        if (std::fread(&records_[i], sizeof(StoredDevice), 1, file) != 1) {
            std::memset(&records_[i], 0, sizeof(StoredDevice));
            break;
        }
    }
    for (int i = 0; i < count_; ++i) {
        records_[i].seen = 0;
        // Terminate every text field, whatever the file held.
        records_[i].mac[sizeof records_[i].mac - 1] = '\0';
        records_[i].name[sizeof records_[i].name - 1] = '\0';
        records_[i].password[sizeof records_[i].password - 1] = '\0';
    }
    std::fclose(file);
    return true;
}

bool DeviceStore::Save(const std::string& path) const {
    const size_t slash = path.find_last_of('/');
    const std::string directory = slash == std::string::npos ? std::string(".") : path.substr(0, slash);
    std::string temporary = directory + "/.devices.dat.XXXXXX";
    const int fd = ::mkstemp(temporary.data()); // created with mode 0600
    if (fd < 0) {
        return false;
    }
    const uint32_t count = static_cast<uint32_t>(count_);
    const uint8_t countBytes[4] = {static_cast<uint8_t>(count), static_cast<uint8_t>(count >> 8),
                                   static_cast<uint8_t>(count >> 16), static_cast<uint8_t>(count >> 24)};
    bool ok = ::fchmod(fd, S_IRUSR | S_IWUSR) == 0 && WriteAll(fd, countBytes, sizeof countBytes) &&
              WriteAll(fd, records_, sizeof(StoredDevice) * static_cast<size_t>(count_)) && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    if (!ok || std::rename(temporary.c_str(), path.c_str()) != 0) {
        ::unlink(temporary.c_str());
        return false;
    }
    return true;
}

int DeviceStore::IndexOf(std::string_view macText) const {
    // Records a short file left all-zero hold an empty MAC text; nothing may match them.
    if (macText.empty()) {
        return -1;
    }
    for (int i = 0; i < count_; ++i) {
        if (FieldEquals(records_[i].mac, sizeof records_[i].mac, macText)) {
            return i;
        }
    }
    return -1;
}

void DeviceStore::Remove(std::string_view macText) {
    const int index = IndexOf(macText);
    if (index < 0) {
        return;
    }
    std::memmove(&records_[index], &records_[index + 1],
                 sizeof(StoredDevice) * static_cast<size_t>(count_ - index - 1));
    --count_;
    std::memset(&records_[count_], 0, sizeof(StoredDevice));
}

bool DeviceStore::NameInUse(std::string_view name) const {
    for (int i = 0; i + 1 < count_; ++i) {
        if (FieldEquals(records_[i].name, sizeof records_[i].name, name)) {
            return true;
        }
    }
    return false;
}

std::optional<std::string> DeviceStore::PasswordFor(std::string_view macText) const {
    const int index = IndexOf(macText);
    if (index < 0) {
        return std::nullopt;
    }
    return std::string(records_[index].password);
}

bool DeviceStore::SetPassword(std::string_view macText, std::string_view password) {
    const int index = IndexOf(macText);
    if (index < 0 || password.size() >= sizeof records_[index].password) {
        return false;
    }
    CopyField(records_[index].password, password);
    return true;
}

bool DeviceStore::Append(std::string_view macText) {
    if (count_ == kMaxStoredDevices) {
        // Full: forget the first device not seen in this run to make room.
        int unseen = -1;
        for (int i = 0; i < count_ && unseen < 0; ++i) {
            if (records_[i].seen == 0) {
                unseen = i;
            }
        }
        if (unseen < 0) {
            return false;
        }
        Remove(std::string(records_[unseen].mac));
    }
    StoredDevice& record = records_[count_];
    std::memset(&record, 0, sizeof record);
    CopyField(record.mac, macText);
    // Found by a discovery just now: seen in this run, so a later newcomer can never take its name.
    record.seen = 1;
    ++count_;
    return true;
}

void DeviceStore::NextFreeName() {
    StoredDevice& added = records_[count_ - 1];
    if (count_ <= kNamedDevices) {
        for (int number = count_; number >= 1; --number) {
            if (!NameInUse(DeviceName(number))) {
                CopyField(added.name, DeviceName(number));
                return;
            }
        }
        for (int number = count_; number <= kNamedDevices; ++number) {
            if (!NameInUse(DeviceName(number))) {
                CopyField(added.name, DeviceName(number));
                return;
            }
        }
    }
    // Hand over the name of the first older device not seen in this run, and forget that device.
    for (int i = 0; i + 1 < count_; ++i) {
        if (records_[i].seen == 0) {
            const std::string oldName = records_[i].name;
            const std::string oldMac = records_[i].mac;
            CopyField(added.name, oldName);
            Remove(oldMac);
            return;
        }
    }
    // Every older device is present: the newcomer keeps its record under the lowest number beyond the
    // named range that no other device holds, so it never shows another device's name.
    for (int number = kNamedDevices + 1;; ++number) {
        if (!NameInUse(DeviceName(number))) {
            CopyField(added.name, DeviceName(number));
            return;
        }
    }
}

std::string DeviceStore::FindOrAdd(std::string_view macText) {
    const int index = IndexOf(macText);
    if (index >= 0) {
        records_[index].seen = 1;
        return records_[index].name;
    }
    if (macText.empty() || macText.size() >= sizeof records_[0].mac || !Append(macText)) {
        return std::string();
    }
    NextFreeName();
    return records_[count_ - 1].name;
}
