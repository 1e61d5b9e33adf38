#include <QPushButton>
#include <QSignalSpy>
#include <gtest/gtest.h>

#include "app/pemra_tabs.h"
#include "app/pemra_utility_dlg.h"
#include "controls/bitmap_static.h"
#include "pages/advace_settings_page.h"
#include "pages/dev_settings_page.h"
#include "pages/diagnostics_page.h"
#include "tests/gui/gui_test_support.h"

namespace {

class MainWindowTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(LoadLanguage(EnglishFile())); }
    GuiTestBed bed;
};

// The device settings page holds the tab strip while it refreshes (here: no adapter, so "msg04").
void WaitForRefresh(CPemraTabs& tabs) {
    ASSERT_TRUE(RunUntil([&] { return !tabs.DevSettingsPage()->Refreshing(); }));
    EXPECT_TRUE(tabs.TabBar()->isEnabled());
}

TEST_F(MainWindowTest, OpensWithTitleSizeCloseButtonBannerAndThreeTabs) {
    CPemra_UtilityDlg dialog;
    dialog.show();
    EXPECT_TRUE(bed.prompts.Messages().empty()) << bed.prompts.Texts().join('|').toStdString();
    EXPECT_EQ(dialog.windowTitle(), "Lirra Configuration Utility");
    EXPECT_EQ(dialog.size(), QSize(614, 480));
    EXPECT_EQ(dialog.CloseButton()->text(), "Close");
    EXPECT_EQ(dialog.CloseButton()->geometry(), QRect(509, 434, 70, 19));
    EXPECT_FALSE(dialog.Banner()->Picture().isNull());
    // The banner keeps the same margin on both sides of the window.
    EXPECT_EQ(dialog.Banner()->geometry().right() + 1, 614 - dialog.Banner()->x());

    CPemraTabs& tabs = *dialog.Tabs();
    ASSERT_EQ(tabs.PageCount(), 3);
    EXPECT_EQ(tabs.TabBar()->tabText(0), "Device Settings");
    EXPECT_EQ(tabs.TabBar()->tabText(1), "Advanced Settings");
    EXPECT_EQ(tabs.TabBar()->tabText(2), "About");
    EXPECT_EQ(tabs.CurrentTab(), 0);
    EXPECT_TRUE(tabs.Page(0)->isVisible());
    EXPECT_FALSE(tabs.Page(1)->isVisible());
    EXPECT_FALSE(tabs.Page(2)->isVisible());

    // The page lies below the first tab item and fills the rest of the tab control.
    const QRect item = tabs.TabBar()->tabRect(0).translated(tabs.TabBar()->pos());
    const int itemBottom = item.top() + item.height();
    EXPECT_EQ(tabs.Page(0)->geometry(),
              QRect(item.left(), itemBottom + 1, tabs.width() - item.left() - 1, tabs.height() - itemBottom - 2));
}

TEST_F(MainWindowTest, WindowWithoutWidthIsAsWideAsItIsHigh) {
    ASSERT_TRUE(LoadLanguage(EnglishWith("<Size_w>614</Size_w>", "", "no_width.xml")));
    CPemra_UtilityDlg dialog;
    EXPECT_EQ(bed.prompts.Texts(),
              QStringList({"select single node failure.", "CLoadUISetting::GetStdNodeText failure."}));
    EXPECT_EQ(bed.prompts.Messages().front().icon, PromptIcon::Warning);
    EXPECT_EQ(dialog.width(), 480);
    EXPECT_EQ(dialog.height(), 480);
}

TEST_F(MainWindowTest, OnlyAClickOnAnotherTabSwitchesAndTabZeroRefreshesEachTime) {
    CPemra_UtilityDlg dialog;
    dialog.show();
    CPemraTabs& tabs = *dialog.Tabs();
    WaitForRefresh(tabs);
    QSignalSpy refreshes(tabs.DevSettingsPage(), &CDevSettingsPage::refreshStarted);

    ClickTab(tabs, 0);
    EXPECT_EQ(refreshes.count(), 0);

    ClickTab(tabs, 2);
    EXPECT_EQ(tabs.CurrentTab(), 2);
    EXPECT_TRUE(tabs.Page(2)->isVisible());
    EXPECT_FALSE(tabs.Page(0)->isVisible());
    EXPECT_EQ(refreshes.count(), 0);
    ClickTab(tabs, 2);
    EXPECT_EQ(refreshes.count(), 0);

    ClickTab(tabs, 0);
    EXPECT_EQ(refreshes.count(), 1);
    WaitForRefresh(tabs);
    ClickTab(tabs, 1);
    ClickTab(tabs, 0);
    EXPECT_EQ(refreshes.count(), 2);
    WaitForRefresh(tabs);
    EXPECT_TRUE(tabs.Page(0)->isVisible());
    EXPECT_EQ(tabs.Page(0)->geometry(), tabs.Page(1)->geometry());

    // Keys and the wheel never move the selection away from the page shown.
    PressKey(tabs.TabBar(), Qt::Key_Right);
    EXPECT_EQ(tabs.TabBar()->currentIndex(), 0);
    EXPECT_EQ(tabs.CurrentTab(), 0);
}

TEST_F(MainWindowTest, SelectingTheAdvancedTabAgainShowsTheOverview) {
    CPemra_UtilityDlg dialog;
    dialog.show();
    CPemraTabs& tabs = *dialog.Tabs();
    CAdvaceSettingsPage& advanced = *tabs.AdvancedPage();
    WaitForRefresh(tabs);
    ClickTab(tabs, 1);
    advanced.OpenSubPage(CAdvaceSettingsPage::kDiagnostics);
    EXPECT_TRUE(advanced.Page(CAdvaceSettingsPage::kDiagnostics)->isVisible());
    // A sub-page covers the overview exactly.
    EXPECT_EQ(advanced.Page(CAdvaceSettingsPage::kDiagnostics)->geometry(), advanced.rect());

    ClickTab(tabs, 0);
    WaitForRefresh(tabs);
    ClickTab(tabs, 1);
    for (int page = 0; page < CAdvaceSettingsPage::kSubPageCount; ++page) {
        EXPECT_FALSE(advanced.Page(CAdvaceSettingsPage::SubPage(page))->isVisible()) << page;
    }
    EXPECT_TRUE(advanced.isVisible());
}

TEST_F(MainWindowTest, ReturnPressesNothingOnTheWindowOrItsPages) {
    CPemra_UtilityDlg dialog;
    dialog.show();
    QSignalSpy closes(dialog.CloseButton(), &QPushButton::clicked);
    QSignalSpy finished(&dialog, &QDialog::finished);
    CPemraTabs& tabs = *dialog.Tabs();

    // A default button on a page, as a later page might have: Return must not press it either.
    auto* defaultButton = new QPushButton("Apply", tabs.Page(0));
    defaultButton->setDefault(true);
    defaultButton->show();
    QSignalSpy applies(defaultButton, &QPushButton::clicked);

    dialog.CloseButton()->setFocus();
    for (int key : {Qt::Key_Return, Qt::Key_Enter}) {
        PressKey(defaultButton, key);
        PressKey(dialog.CloseButton(), key);
        PressKey(&dialog, key);
        for (int page = 0; page < CPemraTabs::kPageCount; ++page) {
            PressKey(tabs.Page(page), key);
        }
        PressKey(tabs.AdvancedPage()->DiagnosticsPage(), key);
    }
    EXPECT_EQ(applies.count(), 0);
    EXPECT_EQ(closes.count(), 0);
    EXPECT_EQ(finished.count(), 0);
    EXPECT_TRUE(dialog.isVisible());

    // The Close button itself still works.
    ClickAt(dialog.CloseButton(), dialog.CloseButton()->rect().center());
    EXPECT_EQ(finished.count(), 1);
}

} // namespace
