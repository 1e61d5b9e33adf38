#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <gtest/gtest.h>
#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "app/language_table.h"
#include "platform/instance_lock.h"
#include "platform/language_id.h"
#include "platform/link_arrivals.h"

namespace {

TEST(LanguageChoice, LocalesMapToTheirLanguageIdentifiers) {
    const struct {
        const char* locale;
        uint16_t langId;
    } cases[] = {
        {"fr_CA.UTF-8", 0x0c0c},
        {"de_AT@euro", 0x0c07},
        {"zh_CN.GB18030", 0x0804},
        {"zh_TW", 0x0404},
        {"en_GB.UTF-8", 0x0809},
        {"en_US", 0x0409},
        {"sv_FI", 0x081d},
        {"es_ES", 0x0c0a},
        {"fr", 0x040c},
        {"fr_SN.UTF-8", 0x040c},
        {"C", 0x0409},
        {"C.UTF-8", 0x0409},
        {"POSIX", 0x0409},
        {"", 0x0409},
        {"xx_YY", 0x0409},
        {"_", 0x0409},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(LangIdFromLocale(c.locale), c.langId) << c.locale;
    }
}

TEST(LanguageChoice, IdentifiersChooseTheirFileByExactMatchOnly) {
    const struct {
        uint16_t langId;
        const char* file;
    } cases[] = {
        {3084, "French/French.xml"},
        {1036, "French/French.xml"},
        {2052, "SimpleChinese/SimpleChinese.xml"},
        {1033, "English/English.xml"},
        {1028, "English/English.xml"},
        {2057, "English/English.xml"},
        {0x0c04, "English/English.xml"},
        {0x0c07, "Germany/Germany.xml"},
        {0x1407, "Germany/Germany.xml"},
        {0x040a, "Spanish/Spanish.xml"},
        {0x500a, "Spanish/Spanish.xml"},
        {0x540a, "English/English.xml"},
        {0x081d, "Sweden/Sweden.xml"},
        {0x101a, "Croatian/Croatian.xml"},
        {0x0424, "Slovenian/Slovenian.xml"},
        {0x0814, "Norwegian/Norwegian.xml"},
        {0x0816, "Portuguese/Portuguese.xml"},
        {0x0000, "English/English.xml"},
        {0xffff, "English/English.xml"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(LanguageFileFor(c.langId), c.file) << c.langId;
    }
}

TEST(LanguageChoice, TheFirstSetLocaleVariableDecides) {
    const char* names[] = {"LC_ALL", "LC_MESSAGES", "LANG"};
    std::vector<std::string> saved;
    for (const char* name : names) {
        const char* value = std::getenv(name);
        saved.push_back(value != nullptr ? value : "");
    }
    setenv("LC_ALL", "", 1);
    setenv("LC_MESSAGES", "de_AT.UTF-8", 1);
    setenv("LANG", "fr_FR.UTF-8", 1);
    EXPECT_EQ(DefaultLangId(), 0x0c07);
    setenv("LC_ALL", "zh_CN.UTF-8", 1);
    EXPECT_EQ(DefaultLangId(), 0x0804);
    unsetenv("LC_ALL");
    unsetenv("LC_MESSAGES");
    unsetenv("LANG");
    EXPECT_EQ(DefaultLangId(), 0x0409);
    for (size_t i = 0; i < saved.size(); ++i) {
        setenv(names[i], saved[i].c_str(), 1);
    }
}

class InstanceLockTest : public testing::Test {
protected:
    std::string path =
        (std::filesystem::temp_directory_path() / ("pemra-lock-test-" + std::to_string(getpid()) + ".lock")).string();
    ~InstanceLockTest() override { std::filesystem::remove(path); }
};

TEST_F(InstanceLockTest, OnlyTheFirstHolderRunsUntilItEnds) {
    {
        InstanceLock first(path);
        InstanceLock second(path);
        InstanceLock third(path);
        EXPECT_TRUE(first.TryAcquire());
        EXPECT_FALSE(second.TryAcquire());
        EXPECT_FALSE(third.TryAcquire());
        EXPECT_FALSE(second.Held());
    }
    InstanceLock next(path);
    EXPECT_TRUE(next.TryAcquire());
}

TEST_F(InstanceLockTest, ACopyKilledWhileHoldingTheLockDoesNotBlockTheNext) {
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        InstanceLock held(path);
        const char answer = held.TryAcquire() ? '1' : '0';
        (void)!write(ready[1], &answer, 1);
        pause();
        _exit(0);
    }
    char answer = 0;
    ASSERT_EQ(read(ready[0], &answer, 1), 1);
    ASSERT_EQ(answer, '1');
    InstanceLock meanwhile(path);
    EXPECT_FALSE(meanwhile.TryAcquire());

    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    InstanceLock next(path);
    EXPECT_TRUE(next.TryAcquire());
    close(ready[0]);
    close(ready[1]);
}

// One netlink message about interface `index`.
void AppendLinkMessage(std::vector<uint8_t>& buffer, uint16_t type, int index, uint32_t length = 0) {
    nlmsghdr header{};
    header.nlmsg_len = length != 0 ? length : NLMSG_LENGTH(sizeof(ifinfomsg));
    header.nlmsg_type = type;
    ifinfomsg info{};
    info.ifi_index = index;
    const size_t at = buffer.size();
    buffer.resize(at + NLMSG_SPACE(sizeof(ifinfomsg)));
    std::memcpy(buffer.data() + at, &header, sizeof(header));
    std::memcpy(buffer.data() + at + NLMSG_HDRLEN, &info, sizeof(info));
}

TEST(LinkArrivals, OnlyNewInterfaceIndexesCount) {
    std::set<int> known = {1, 2};
    std::vector<uint8_t> buffer;
    AppendLinkMessage(buffer, RTM_NEWLINK, 2); // a known link changing state
    AppendLinkMessage(buffer, RTM_NEWLINK, 7);
    AppendLinkMessage(buffer, RTM_DELLINK, 9);
    AppendLinkMessage(buffer, RTM_NEWLINK, 8);
    AppendLinkMessage(buffer, RTM_NEWLINK, 7);
    EXPECT_EQ(LinkArrivalWatcher::CountArrivals(buffer.data(), buffer.size(), known), 2);
    EXPECT_EQ(LinkArrivalWatcher::CountArrivals(buffer.data(), buffer.size(), known), 0);
}

TEST(LinkArrivals, MalformedMessagesEndTheWalk) {
    std::set<int> known;
    std::vector<uint8_t> buffer;
    AppendLinkMessage(buffer, RTM_NEWLINK, 3);
    AppendLinkMessage(buffer, RTM_NEWLINK, 4, 4096); // claims more than the buffer holds
    AppendLinkMessage(buffer, RTM_NEWLINK, 5);
    EXPECT_EQ(LinkArrivalWatcher::CountArrivals(buffer.data(), buffer.size(), known), 1);
    std::vector<uint8_t> shortMessage;
    AppendLinkMessage(shortMessage, RTM_NEWLINK, 6, NLMSG_HDRLEN); // no interface record
    EXPECT_EQ(LinkArrivalWatcher::CountArrivals(shortMessage.data(), shortMessage.size(), known), 0);
    EXPECT_EQ(LinkArrivalWatcher::CountArrivals(buffer.data(), 3, known), 0);
}

} // namespace
