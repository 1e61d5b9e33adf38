#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

#include "app/load_ui_setting.h"
#include "app/pemra_tabs.h"
#include "app/pemra_utility_app.h"
#include "app/pemra_utility_dlg.h"
#include "platform/instance_lock.h"
#include "security/device_store.h"
#include "tests/gui/gui_test_support.h"

namespace fs = std::filesystem;

namespace {

// Each test runs in an empty current directory of its own, also when the whole program runs in one process.
class StartupTest : public testing::Test {
protected:
    void SetUp() override {
        home_ = fs::current_path();
        const fs::path own = home_ / testing::UnitTest::GetInstance()->current_test_info()->name();
        fs::remove_all(own);
        fs::create_directories(own);
        fs::current_path(own);
        std::ofstream("diag.txt") << "report";
        std::ofstream("diagnostic.txt") << "printed report";
    }
    void TearDown() override { fs::current_path(home_); }

    CPemra_UtilityApp::Options Options(uint16_t langId = 0x0409) {
        CPemra_UtilityApp::Options options;
        options.lockPath = (fs::current_path() / "instance.lock").string();
        options.langId = [langId] { return langId; };
        options.runMainWindow = [this](CPemra_UtilityDlg& dialog) {
            title = dialog.windowTitle();
            tabs = dialog.Tabs()->PageCount();
        };
        return options;
    }

    static void InstallEnglish() {
        fs::create_directories("English");
        fs::copy_file(EnglishFile(), "English/English.xml");
    }

    GuiTestBed bed;
    QString title;
    int tabs = 0;

private:
    fs::path home_;
};

TEST_F(StartupTest, RunsTheMainWindowAndSavesTheStoreAtExit) {
    InstallEnglish();
    CPemra_UtilityApp app(Options());
    ASSERT_TRUE(app.InitInstance());
    EXPECT_TRUE(app.RanMainWindow());
    EXPECT_EQ(title, "Lirra Configuration Utility");
    EXPECT_EQ(tabs, 3);
    EXPECT_TRUE(bed.prompts.Messages().empty());
    app.ExitInstance();
    EXPECT_TRUE(fs::exists(kDeviceStoreFile));
    EXPECT_EQ(fs::status(kDeviceStoreFile).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_FALSE(fs::exists("diag.txt"));
    EXPECT_TRUE(fs::exists("diagnostic.txt"));
    EXPECT_FALSE(UISetting().HasDocument());
}

TEST_F(StartupTest, MissingLanguageFolderShowsTheLoaderFailureAndStillSavesTheStore) {
    // French Canadian asks for French/French.xml, which is not there.
    CPemra_UtilityApp app(Options(3084));
    ASSERT_TRUE(app.InitInstance());
    EXPECT_FALSE(app.RanMainWindow());
    EXPECT_EQ(bed.prompts.Texts(), QStringList({"Load XML file failure."}));
    EXPECT_EQ(bed.prompts.Messages().front().icon, PromptIcon::Warning);
    app.ExitInstance();
    EXPECT_TRUE(fs::exists(kDeviceStoreFile));
    EXPECT_FALSE(fs::exists("diag.txt"));
}

TEST_F(StartupTest, ALanguageWithoutItsFileDoesNotFallBackToEnglish) {
    InstallEnglish();
    CPemra_UtilityApp app(Options(2052));
    ASSERT_TRUE(app.InitInstance());
    EXPECT_FALSE(app.RanMainWindow());
    EXPECT_EQ(bed.prompts.Texts(), QStringList({"Load XML file failure."}));
}

TEST_F(StartupTest, SecondAndThirdCopiesEndSilentlyWithoutExitSteps) {
    InstallEnglish();
    InstanceLock first((fs::current_path() / "instance.lock").string());
    ASSERT_TRUE(first.TryAcquire());
    for (int copy = 2; copy <= 3; ++copy) {
        CPemra_UtilityApp app(Options());
        EXPECT_FALSE(app.InitInstance()) << copy;
        app.ExitInstance();
        EXPECT_FALSE(app.RanMainWindow());
    }
    EXPECT_TRUE(bed.prompts.Messages().empty());
    EXPECT_FALSE(fs::exists(kDeviceStoreFile));
    EXPECT_TRUE(fs::exists("diag.txt"));
}

} // namespace
