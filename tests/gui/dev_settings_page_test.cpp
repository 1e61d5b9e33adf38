// The device settings page and the device password dialog against the in-process simulated network, in
// virtual time, inside the real main window.
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

#include "app/pemra_tabs.h"
#include "app/pemra_utility_dlg.h"
#include "controls/group_ex.h"
#include "controls/label.h"
#include "controls/list_ctr_ex.h"
#include "controls/report_ctrl.h"
#include "engine/device_ops.h"
#include "engine/page_refresh.h"
#include "pages/dev_settings_page.h"
#include "pages/pswdlg.h"
#include "security/device_store.h"
#include "security/key_derivation.h"
#include "tests/gui/gui_test_support.h"
#include "tests/support/sim_connection.h"

namespace {

using Page = CDevSettingsPage;

const MacAddress kHost = {0x02, 0x00, 0x00, 0x00, 0x00, 0x01};
const MacAddress kLocal = {0x00, 0x1f, 0x84, 0x00, 0x00, 0x01};

MacAddress Remote(int n) {
    return {0x00, 0x1f, 0x84, 0x00, 0x01, static_cast<uint8_t>(n)};
}

QString MacText(const MacAddress& mac) {
    return QString::fromStdString(FormatMac(mac));
}

sim::AdapterConfig RemoteAdapter(int n, uint16_t stationRate, uint16_t hostRate) {
    sim::AdapterConfig adapter = sim::DefaultAdapter(Remote(n), false);
    adapter.stationRate = stationRate;
    adapter.hostRate = hostRate;
    return adapter;
}

sim::NetworkConfig LocalOnly() {
    sim::NetworkConfig config;
    config.local = sim::DefaultAdapter(kLocal, true);
    config.local.firmwareVersion = "LX7400 PL500-AV-1-0";
    return config;
}

// The local adapter and three remotes that answer, one of them with its LEDs off and a weak link, and one
// between them that answers nothing.
sim::NetworkConfig FourAdapters() {
    sim::NetworkConfig config = LocalOnly();
    config.remotes.push_back(RemoteAdapter(1, 150, 120));
    config.remotes.back().firmwareVersion = "ABC-DE-1-0";
    config.remotes.push_back(RemoteAdapter(2, 100, 100));
    config.remotes.back().faults.silent = true;
    config.remotes.push_back(RemoteAdapter(3, 15, 60));
    config.remotes.back().ledOn = false;
    config.remotes.back().firmwareVersion = "PL200-AV";
    config.remotes.push_back(RemoteAdapter(4, 90, 80));
    config.remotes.back().firmwareVersion = "v7 " + std::string(40, 'M') + "-2";
    return config;
}

std::vector<int> Range(int first, int last, int step) {
    std::vector<int> values;
    for (int value = first; value <= last; value += step) {
        values.push_back(value);
    }
    return values;
}

std::vector<int> Concat(std::initializer_list<std::vector<int>> parts) {
    std::vector<int> all;
    for (const auto& part : parts) {
        all.insert(all.end(), part.begin(), part.end());
    }
    return all;
}

std::vector<int> Values(const QSignalSpy& spy) {
    std::vector<int> values;
    for (const QList<QVariant>& call : spy) {
        values.push_back(call[0].toInt());
    }
    return values;
}

class DevSettingsPageTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(LoadLanguage(EnglishFile())); }
    void TearDown() override {
        window.reset();
        CPswdlg::SetRunHook({});
        if (network) {
            EXPECT_TRUE(network->FramingErrors().empty()) << "protocol errors were recorded";
        }
    }

    void Attach(const sim::NetworkConfig& config) {
        bed.backend.AddInterface("eth0", kHost);
        network = MakeNetwork(config);
        ASSERT_TRUE(network);
        link = std::make_unique<SimConnection>(bed.backend, *network);
    }

    // The main window, whose device settings page starts its first refresh as it opens.
    Page& OpenWindow() {
        testing::internal::CaptureStdout(); // the engine lists its interfaces on standard output
        window = std::make_unique<CPemra_UtilityDlg>();
        testing::internal::GetCapturedStdout();
        window->show();
        page = window->Tabs()->DevSettingsPage();
        return *page;
    }
    Page& Open() {
        OpenWindow();
        EXPECT_TRUE(WaitForRefresh());
        return *page;
    }
    bool WaitForRefresh() {
        return RunUntil([&] { return !page->Refreshing(); });
    }
    CListCtrEX& List() { return *page->List(); }
    QStringList Row(int row) { return {List().ItemText(row, 0), List().ItemText(row, 1), List().ItemText(row, 2)}; }
    template <typename T> T& Control(int id) { return *page->ControlAs<T>(id); }
    // Clicks the middle of a row's LED cell and waits until the change and the refresh after it are over.
    void ClickLed(int row) {
        QSignalSpy refreshes(page, &Page::refreshStarted);
        ClickCell(&List(), row, CListCtrEX::kLedColumn);
        ASSERT_TRUE(RunUntil([&] { return refreshes.count() > 0 && !page->Refreshing(); }));
    }
    std::vector<std::vector<uint8_t>> LedWrites(const MacAddress& mac) {
        std::vector<std::vector<uint8_t>> writes;
        for (const sim::RequestRecord& write : network->WritesOf(sim::kParamLedMode)) {
            if (write.destination == mac) {
                writes.push_back(write.data);
            }
        }
        return writes;
    }

    GuiTestBed bed;
    std::unique_ptr<sim::SimNetwork> network;
    std::unique_ptr<SimConnection> link;
    std::unique_ptr<CPemra_UtilityDlg> window;
    Page* page = nullptr;
};

TEST_F(DevSettingsPageTest, RefreshListsThePresentAdaptersInTableOrder) {
    Attach(FourAdapters());
    Open();
    EXPECT_TRUE(bed.prompts.Messages().empty()) << bed.prompts.Texts().join('|').toStdString();
    ASSERT_EQ(List().ItemCount(), 4);
    EXPECT_EQ(Row(0), QStringList({"Device01", "PL500", MacText(kLocal)}));
    EXPECT_EQ(Row(1), QStringList({"Device02", "", MacText(Remote(1))})) << "no blank: no model";
    EXPECT_EQ(Row(2), QStringList({"Device03", "", MacText(Remote(3))}));
    EXPECT_EQ(Row(3), QStringList({"Device04", QString(30, 'M'), MacText(Remote(4))}));
    // The local adapter shows the best host rate, the remotes their station rates.
    const int rates[] = {120, 150, 15, 90};
    const bool leds[] = {true, true, false, true};
    for (int row = 0; row < 4; ++row) {
        EXPECT_EQ(List().Rate(row), rates[row]) << row;
        EXPECT_EQ(List().LedState(row), leds[row]) << row;
    }
    EXPECT_EQ(List().headerItem()->text(3), "Link Quality");
    EXPECT_EQ(List().columnWidth(4), 66);
    EXPECT_EQ(Control<CLabel>(Page::kSubVersionCaptionId).Text(), "Sub Version:");
}

TEST_F(DevSettingsPageTest, TheLocalAdapterAloneHasNoQualityValue) {
    Attach(LocalOnly());
    Open();
    ASSERT_EQ(List().ItemCount(), 1);
    EXPECT_EQ(List().Rate(0), -1);
}

TEST_F(DevSettingsPageTest, DeviceNamesUseTheLanguageFilesWord) {
    ASSERT_TRUE(LoadLanguage(EnglishWith("<value>Device</value>", "<value>Gerät</value>", "german_word.xml")));
    sim::NetworkConfig config = LocalOnly();
    config.remotes.push_back(RemoteAdapter(1, 150, 120));
    Attach(config);
    Open();
    ASSERT_EQ(List().ItemCount(), 2);
    EXPECT_EQ(List().ItemText(1, 0), "Gerät02");
    ClickCell(&List(), 1, 0);
    EXPECT_EQ(Control<CGroupEX>(Page::kDetailsId).Text(), "Additional Information Gerät02");
}

TEST_F(DevSettingsPageTest, NoAdapterRunsTheBarToTheEndShowsMsg04AndLeavesTheListEmpty) {
    OpenWindow();
    QSignalSpy positions(&Control<QProgressBar>(Page::kProgressId), &QProgressBar::valueChanged);
    ASSERT_TRUE(WaitForRefresh());
    EXPECT_EQ(bed.prompts.Texts(), QStringList({"No powerline device was found. Check that a powerline adapter is "
                                                "connected to this computer and plugged in."}));
    EXPECT_EQ(bed.prompts.Messages()[0].caption, "Lirra Configuration Utility");
    EXPECT_EQ(Values(positions), Concat({Range(1, 14, 1), Range(15, 100, 5), {0}}));
    EXPECT_EQ(List().ItemCount(), 0);
    EXPECT_EQ(Control<CLabel>(Page::kPercentId).Text(), "0%");
    EXPECT_TRUE(Control<QPushButton>(Page::kRefreshId).isEnabled());
}

TEST_F(DevSettingsPageTest, RefreshHoldsTheTabsAndTheButtonUntilTheListIsFilled) {
    Attach(FourAdapters());
    OpenWindow();
    CPemraTabs& tabs = *window->Tabs();
    QSignalSpy positions(&Control<QProgressBar>(Page::kProgressId), &QProgressBar::valueChanged);
    QSignalSpy refreshes(page, &Page::refreshStarted);
    auto& refresh = Control<QPushButton>(Page::kRefreshId);
    for (int round = 0; round < 2; ++round) {
        EXPECT_TRUE(page->Refreshing());
        EXPECT_FALSE(refresh.isEnabled());
        EXPECT_FALSE(tabs.TabBar()->isEnabled());
        ClickAt(&refresh, refresh.rect().center());
        ClickTab(tabs, 2);
        EXPECT_EQ(tabs.CurrentTab(), 0);
        EXPECT_EQ(refreshes.count(), round);
        ASSERT_TRUE(WaitForRefresh());
        EXPECT_TRUE(refresh.isEnabled());
        EXPECT_TRUE(tabs.TabBar()->isEnabled());
        EXPECT_EQ(List().ItemCount(), 4);
        EXPECT_EQ(Values(positions),
                  Concat({Range(1, 14, 1), Range(15, 29, 1), Range(30, 78, 2), Range(80, 98, 2), {0}}));
        positions.clear();
        ClickAt(&refresh, refresh.rect().center());
        EXPECT_EQ(List().ItemCount(), 0) << "a refresh starts with an empty list";
    }
    ASSERT_TRUE(WaitForRefresh());
}

TEST(FirmwareLabel, RewritesTheVersionText) {
    const struct {
        const char* version;
        const char* label;
    } cases[] = {
        {"ABC-DE-1-0", "ABC v1.0..DE"}, {"1-2-3-4", "1 v3.42"}, {"ABC", " vABC"}, {"", " v"}, {"A-B", "A vB"},
        {"X-Y-0-0", "X v0..0.Y"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FirmwareLabelText(c.version), c.label) << c.version;
    }
}

TEST_F(DevSettingsPageTest, SelectingARowShowsItsFirmwareDetails) {
    Attach(FourAdapters());
    Open();
    ClickCell(&List(), 1, 1);
    EXPECT_EQ(Control<CGroupEX>(Page::kDetailsId).Text(), "Additional Information Device02");
    EXPECT_EQ(Control<CLabel>(Page::kFirmwareValueId).Text(), "ABC v1.0..DE");
    EXPECT_EQ(Control<CLabel>(Page::kSubVersionValueId).Text(), "AV 2.4.1 (build 0712)");
    // A refresh empties them again.
    ClickAt(&Control<QPushButton>(Page::kRefreshId), Control<QPushButton>(Page::kRefreshId).rect().center());
    EXPECT_EQ(Control<CGroupEX>(Page::kDetailsId).Text(), "Additional Information");
    EXPECT_EQ(Control<CLabel>(Page::kFirmwareValueId).Text(), "");
    ASSERT_TRUE(WaitForRefresh());
}

TEST_F(DevSettingsPageTest, ExpandButtonTogglesTheDetails) {
    Open();
    QWidget& details = Control<QWidget>(Page::kDetailsId);
    const int expandedHeight = details.height();
    EXPECT_TRUE(page->Expanded());
    EXPECT_EQ(expandedHeight, 40 + Page::kDetailsGrowth) << "the language file's height, grown";
    const int labels[] = {Page::kFirmwareCaptionId, Page::kSubVersionCaptionId, Page::kFirmwareValueId,
                          Page::kSubVersionValueId};
    QWidget& expand = Control<QWidget>(Page::kExpandId);
    for (int click = 1; click <= 4; ++click) {
        ClickAt(&expand, expand.rect().center());
        const bool open = click % 2 == 0;
        EXPECT_EQ(page->Expanded(), open);
        EXPECT_EQ(details.height(), open ? expandedHeight : expandedHeight - Page::kDetailsGrowth);
        for (int id : labels) {
            EXPECT_EQ(Control<QWidget>(id).isVisible(), open) << id;
        }
    }
}

TEST_F(DevSettingsPageTest, LocalAdapterLedSwitchesWithoutAPassword) {
    Attach(FourAdapters());
    Open();
    int dialogs = 0;
    CPswdlg::SetRunHook([&](CPswdlg&) { ++dialogs; });
    ClickLed(0);
    EXPECT_EQ(dialogs, 0);
    ASSERT_EQ(bed.prompts.Messages().size(), 1u);
    EXPECT_EQ(bed.prompts.Texts()[0], "The LED of the device has been switched off.");
    EXPECT_FALSE(bed.prompts.Messages()[0].waitWindowVisible);
    EXPECT_EQ(LedWrites(kLocal), std::vector<std::vector<uint8_t>>({{0x88}}));
    EXPECT_FALSE(List().LedState(0)) << "the refresh reads the new state back";

    ClickLed(0);
    EXPECT_EQ(bed.prompts.Texts()[1], "The LED of the device has been switched on.");
    EXPECT_EQ(LedWrites(kLocal), std::vector<std::vector<uint8_t>>({{0x88}, {0x08}}));
    EXPECT_TRUE(List().LedState(0));
}

TEST_F(DevSettingsPageTest, RemoteWithAShortStoredPasswordAsksForItFirst) {
    Attach(FourAdapters());
    const std::string mac = FormatMac(Remote(1));
    DeviceStore::Instance().FindOrAdd(mac);
    DeviceStore::Instance().SetPassword(mac, "abcd");
    Open();

    // Cancel: nothing is written, the list is only refreshed.
    QStringList shown;
    CPswdlg::SetRunHook([&](CPswdlg& dialog) {
        CReportCtrl& rows = *dialog.List();
        ASSERT_EQ(rows.ItemCount(), 1);
        shown = {rows.ItemText(0, 0), rows.ItemText(0, 1), rows.ItemText(0, 2)};
        ClickAt(dialog.Control(CPswdlg::kCancelId), dialog.Control(CPswdlg::kCancelId)->rect().center());
    });
    ClickLed(1);
    // Stored before the refresh, the remote took the first free name.
    EXPECT_EQ(shown, QStringList({"Device01", QString::fromStdString(mac), "Enter password"}));
    EXPECT_TRUE(bed.prompts.Messages().empty());
    EXPECT_TRUE(LedWrites(Remote(1)).empty());
    EXPECT_EQ(DeviceStore::Instance().PasswordFor(mac), "abcd");
    EXPECT_EQ(List().ItemCount(), 4);

    // The password printed on the label: stored, then the LED goes off under that key.
    const std::string label = DefaultDevicePassword(Remote(1));
    CPswdlg::SetRunHook([&](CPswdlg& dialog) {
        CReportCtrl& rows = *dialog.List();
        ClickCell(&rows, 0, 2);
        ClickCell(&rows, 0, 2);
        QTest::keyClicks(rows.EditBox(), QString::fromStdString(label));
        ClickAt(dialog.Control(CPswdlg::kOkId), dialog.Control(CPswdlg::kOkId)->rect().center());
    });
    ClickLed(1);
    EXPECT_EQ(DeviceStore::Instance().PasswordFor(mac), label);
    EXPECT_EQ(bed.prompts.Texts(), QStringList({"The LED of the device has been switched off."}));
    EXPECT_EQ(LedWrites(Remote(1)), std::vector<std::vector<uint8_t>>({{0x88}}));
    EXPECT_FALSE(List().LedState(1));
    EXPECT_TRUE(network->Errors().empty()) << "every request went under the adapter's own key";
}

class PasswordDialogTest : public DevSettingsPageTest {
protected:
    // The device table after a refresh, without any window.
    void Refresh(const sim::NetworkConfig& config) {
        Attach(config);
        testing::internal::CaptureStdout();
        StartEngine();
        testing::internal::GetCapturedStdout();
        ASSERT_EQ(RunPageRefresh(RefreshPage::DeviceSettings, [](int) {}), 1);
    }
    static void Type(CReportCtrl& rows, int row, const QString& text) {
        rows.EditCell(row, 2);
        rows.EditBox()->clear();
        QTest::keyClicks(rows.EditBox(), text);
    }
    static void PressOk(CPswdlg& dialog) {
        ClickAt(dialog.Control(CPswdlg::kOkId), dialog.Control(CPswdlg::kOkId)->rect().center());
    }
    int ProbesTo(const MacAddress& mac) { return int(network->RequestsTo(mac, sim::kProbe).size()); }
};

TEST_F(PasswordDialogTest, OkTriesEachRowStoresThoseThatWorkAndStopsAtTheFirstThatFails) {
    sim::NetworkConfig config = LocalOnly();
    config.remotes.push_back(RemoteAdapter(1, 150, 120));
    config.remotes.push_back(RemoteAdapter(2, 150, 120));
    Refresh(config);
    const std::string first = DefaultDevicePassword(Remote(1));
    const std::string second = DefaultDevicePassword(Remote(2));

    CPswdlg dialog;
    dialog.ClearRows();
    for (int row = 0; row < 3; ++row) {
        dialog.AddRow(row);
    }
    std::vector<bool> openAfterOk;
    CPswdlg::SetRunHook([&](CPswdlg& shown) {
        CReportCtrl& rows = *shown.List();
        ASSERT_EQ(rows.ItemCount(), 3);
        EXPECT_EQ(rows.ItemText(0, 2), "****-****-****-****") << "the local adapter";
        EXPECT_EQ(rows.ItemText(1, 2), "Enter password");

        Type(rows, 1, QString::fromStdString(first));
        Type(rows, 2, "WRONG-PASS-WORD-HERE");
        PressOk(shown);
        openAfterOk.push_back(shown.isVisible());
        EXPECT_EQ(rows.ItemText(1, 2).toStdString(), first) << "the rows stay as typed";
        EXPECT_EQ(rows.ItemText(2, 2), "WRONG-PASS-WORD-HERE");

        // Longer than the store holds: refused without a probe.
        const int probes = ProbesTo(Remote(2));
        Type(rows, 2, QString(64, 'A'));
        PressOk(shown);
        openAfterOk.push_back(shown.isVisible());
        EXPECT_EQ(ProbesTo(Remote(2)), probes);

        // The edit still open when OK is pressed is the text tried.
        Type(rows, 2, QString::fromStdString(second));
        ASSERT_TRUE(rows.Editing());
        PressOk(shown);
        openAfterOk.push_back(shown.isVisible());
    });
    EXPECT_EQ(dialog.Run(), CPswdlg::kOk);
    EXPECT_EQ(openAfterOk, std::vector<bool>({true, true, false}));
    const QString msg14 =
        "The device password is empty or wrong. Please enter the password printed on the device label.";
    EXPECT_EQ(bed.prompts.Texts(), QStringList({msg14, msg14}));
    EXPECT_EQ(DeviceStore::Instance().PasswordFor(FormatMac(Remote(1))), first);
    EXPECT_EQ(DeviceStore::Instance().PasswordFor(FormatMac(Remote(2))), second);
    EXPECT_EQ(dialog.windowTitle(), "Enter Device Password");
}

TEST_F(PasswordDialogTest, KnownAndLocalRowsPassWithoutAnyRequest) {
    sim::NetworkConfig config = LocalOnly();
    config.remotes.push_back(RemoteAdapter(1, 150, 120));
    Refresh(config);
    DeviceStore::Instance().SetPassword(FormatMac(Remote(1)), "KNOWN-PASS");
    network->ClearRecord();

    CPswdlg dialog;
    dialog.AddRow(0);
    dialog.AddRow(1);
    dialog.AddRow(9); // not a row of the page: left out
    CPswdlg::SetRunHook([&](CPswdlg& shown) {
        EXPECT_EQ(shown.List()->ItemCount(), 2);
        EXPECT_EQ(shown.List()->ItemText(1, 2), "****-****-****-****");
        PressOk(shown);
    });
    EXPECT_EQ(dialog.Run(), CPswdlg::kOk);
    EXPECT_TRUE(network->Requests().empty());
    EXPECT_TRUE(bed.prompts.Messages().empty());
}

TEST_F(PasswordDialogTest, AnEmptyPasswordIsRefusedAndClosingCancels) {
    sim::NetworkConfig config = LocalOnly();
    config.remotes.push_back(RemoteAdapter(1, 150, 120));
    Refresh(config);
    CPswdlg dialog;
    dialog.AddRow(1);
    CPswdlg::SetRunHook([&](CPswdlg& shown) {
        Type(*shown.List(), 0, "");
        PressOk(shown);
        EXPECT_TRUE(shown.isVisible());
        shown.close();
    });
    EXPECT_EQ(dialog.Run(), CPswdlg::kCancel);
    EXPECT_EQ(bed.prompts.Messages().size(), 1u);
    EXPECT_EQ(DeviceStore::Instance().PasswordFor(FormatMac(Remote(1))), "");
}

} // namespace
