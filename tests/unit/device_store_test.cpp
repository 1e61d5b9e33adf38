#include "security/device_store.h"

#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <vector>

namespace {

std::string Mac(int n) {
    char text[18];
    std::snprintf(text, sizeof text, "00:1f:84:00:%02x:%02x", (n >> 8) & 0xff, n & 0xff);
    return text;
}

class DeviceStoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        directory =
            std::filesystem::temp_directory_path() / ("pemra-store-" + std::to_string(::getpid()) + "-" +
                                                      ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(directory);
        path = (directory / "devices.dat").string();
        store.Clear();
    }
    void TearDown() override { std::filesystem::remove_all(directory); }

    void WriteFile(int32_t count, const std::vector<StoredDevice>& records, size_t cut = SIZE_MAX) {
        std::string bytes(reinterpret_cast<const char*>(&count), 4);
        for (const StoredDevice& record : records) {
            bytes.append(reinterpret_cast<const char*>(&record), sizeof record);
        }
        std::ofstream(path, std::ios::binary) << bytes.substr(0, cut);
    }

    static StoredDevice Record(const std::string& mac, const std::string& name, const std::string& password = "") {
        StoredDevice record{};
        std::strcpy(record.mac, mac.c_str());
        std::strcpy(record.name, name.c_str());
        std::strcpy(record.password, password.c_str());
        record.seen = 1; // must be cleared by the load
        return record;
    }

    DeviceStore& store = DeviceStore::Instance();
    std::filesystem::path directory;
    std::string path;
};

TEST_F(DeviceStoreTest, NamesNewDevicesInOrderAndReusesFreeNumbers) {
    EXPECT_EQ(store.FindOrAdd(Mac(1)), "Device01");
    EXPECT_EQ(store.FindOrAdd(Mac(2)), "Device02");
    EXPECT_EQ(store.FindOrAdd(Mac(1)), "Device01");
    EXPECT_EQ(store.Count(), 2);

    // Device01 and Device03 stored: the next tries 03 (taken), then 02.
    store.Clear();
    WriteFile(2, {Record(Mac(1), "Device01"), Record(Mac(3), "Device03")});
    ASSERT_TRUE(store.Load(path));
    EXPECT_EQ(store.FindOrAdd(Mac(9)), "Device02");
    // Upper case never matches the stored lower-case text.
    EXPECT_EQ(store.IndexOf("00:1F:84:00:00:01"), -1);
    EXPECT_EQ(store.IndexOf(Mac(1)), 0);
}

TEST_F(DeviceStoreTest, RoundTripKeepsNamesAndPasswordsAndClearsSeen) {
    store.FindOrAdd(Mac(1));
    store.FindOrAdd(Mac(2));
    EXPECT_TRUE(store.SetPassword(Mac(2), "ABCD-EFGH-IJKL-MNOP"));
    EXPECT_FALSE(store.SetPassword(Mac(7), "nobody"));
    EXPECT_FALSE(store.SetPassword(Mac(2), std::string(64, 'x')));
    ASSERT_TRUE(store.Save(path));

    struct stat info {};
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    EXPECT_EQ(info.st_size, 4 + 2 * 115);

    store.Clear();
    ASSERT_TRUE(store.Load(path));
    EXPECT_EQ(store.Count(), 2);
    EXPECT_EQ(store.Record(0).seen, 0);
    EXPECT_EQ(store.PasswordFor(Mac(2)).value_or("?"), "ABCD-EFGH-IJKL-MNOP");
    EXPECT_EQ(store.PasswordFor(Mac(1)).value_or("?"), "");
    EXPECT_FALSE(store.PasswordFor(Mac(3)).has_value());
    EXPECT_EQ(store.FindOrAdd(Mac(2)), "Device02");
    EXPECT_EQ(store.Record(1).seen, 1);
    // No temporary file is left behind.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(directory), {}), 1);
}

TEST_F(DeviceStoreTest, TwentyFirstDeviceTakesTheNameOfTheFirstUnseen) {
    std::vector<StoredDevice> records;
    for (int i = 1; i <= 20; ++i) {
        records.push_back(
            Record(Mac(i), "Device" + std::string(i < 10 ? "0" : "") + std::to_string(i), "pw" + std::to_string(i)));
    }
    WriteFile(20, records);
    ASSERT_TRUE(store.Load(path));
    store.FindOrAdd(Mac(1)); // seen in this run
    EXPECT_EQ(store.FindOrAdd(Mac(100)), "Device02");
    EXPECT_EQ(store.IndexOf(Mac(2)), -1); // forgotten with its password
    EXPECT_EQ(store.Count(), 20);
    EXPECT_EQ(store.Record(19).name, std::string("Device02"));
    EXPECT_EQ(store.Record(19).password, std::string(""));
}

TEST_F(DeviceStoreTest, MoreThanTwentyPresentDevicesNeverShareAName) {
    // 30 devices present at once: every one of them is seen, so no name can be recycled.
    std::vector<std::string> names;
    for (int i = 1; i <= 30; ++i) {
        names.push_back(store.FindOrAdd(Mac(i)));
    }
    for (int i = 1; i <= 30; ++i) {
        EXPECT_EQ(store.FindOrAdd(Mac(i)), names[static_cast<size_t>(i - 1)]) << i;
    }
    std::vector<std::string> sorted = names;
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(std::unique(sorted.begin(), sorted.end()), sorted.end());
    EXPECT_EQ(names[19], "Device20");
    EXPECT_EQ(names[20], "Device21");
    EXPECT_EQ(store.Count(), 30);
}

TEST_F(DeviceStoreTest, NeverHoldsMoreThanAHundred) {
    for (int i = 0; i < 100; ++i) {
        store.FindOrAdd(Mac(i));
    }
    ASSERT_TRUE(store.Save(path));
    store.Clear();
    ASSERT_TRUE(store.Load(path)); // nothing seen in this run
    const std::string name = store.FindOrAdd(Mac(500));
    EXPECT_FALSE(name.empty());
    EXPECT_LE(store.Count(), 100);
    EXPECT_GE(store.IndexOf(Mac(500)), 0);
    // Filled up with devices all present in this run: a newcomer is not remembered and gets no name.
    for (int i = 600; store.Count() < 100; ++i) {
        store.FindOrAdd(Mac(i));
    }
    for (int i = 0; i < store.Count(); ++i) {
        store.FindOrAdd(store.Record(i).mac);
    }
    EXPECT_EQ(store.FindOrAdd(Mac(501)), "");
    EXPECT_EQ(store.Count(), 100);
    EXPECT_EQ(store.IndexOf(Mac(501)), -1);
}

TEST_F(DeviceStoreTest, ShortAndCorruptFiles) {
    struct Case {
        const char* what;
        int32_t count;
        int records;
        size_t cut;
        bool loads;
        int expectedCount;
        int readable;
    };
    const Case cases[] = {
        {"empty file", 0, 0, 0, true, 0, 0},
        {"count cut short", 2, 0, 3, true, 0, 0},
        {"fewer records than counted", 3, 1, SIZE_MAX, true, 3, 1},
        {"record cut midway", 2, 2, 4 + 115 + 50, true, 2, 1},
        {"negative count", -1, 1, SIZE_MAX, false, 0, 0},
        {"count above the limit", 101, 1, SIZE_MAX, false, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<StoredDevice> records;
        for (int i = 0; i < c.records; ++i) {
            records.push_back(Record(Mac(i + 1), "Device0" + std::to_string(i + 1)));
        }
        WriteFile(c.count, records, c.cut);
        store.Clear();
        store.FindOrAdd(Mac(77)); // refused files start empty, whatever the store held
        EXPECT_EQ(store.Load(path), c.loads);
        EXPECT_EQ(store.Count(), c.expectedCount);
        for (int i = 0; i < c.readable; ++i) {
            EXPECT_EQ(store.IndexOf(Mac(i + 1)), i);
        }
        // Records that were not read are all zero and never match.
        EXPECT_EQ(store.IndexOf(""), -1);
        EXPECT_EQ(store.IndexOf(Mac(77)), -1);
    }
}

TEST_F(DeviceStoreTest, FailedSaveKeepsTheOldFile) {
    store.FindOrAdd(Mac(1));
    ASSERT_TRUE(store.Save(path));
    const auto before = std::filesystem::file_size(path);
    store.FindOrAdd(Mac(2));
    // The disk fills up midway through the save (a file size limit stands in for it): the old file stays whole.
    for (int i = 2; i < 40; ++i) {
        store.FindOrAdd(Mac(i));
    }
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit saved{};
    ::getrlimit(RLIMIT_FSIZE, &saved);
    rlimit limited = saved;
    limited.rlim_cur = 1000;
    ::setrlimit(RLIMIT_FSIZE, &limited);
    EXPECT_FALSE(store.Save(path));
    ::setrlimit(RLIMIT_FSIZE, &saved);
    EXPECT_FALSE(store.Save((directory / "missing" / "devices.dat").string()));
    EXPECT_EQ(std::filesystem::file_size(path), before);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(directory), {}), 1);
    store.Clear();
    ASSERT_TRUE(store.Load(path));
    EXPECT_EQ(store.Count(), 1);
}

} // namespace
