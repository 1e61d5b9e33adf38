#include <QApplication>
#include <QTimer>
#include <atomic>
#include <gtest/gtest.h>
#include <thread>

#include "pages/wait_dialog.h"
#include "tests/gui/gui_test_support.h"

namespace {

class WaitDialogTest : public testing::TestWithParam<WaitWork> {
protected:
    WaitDialogTest() {
        page.setGeometry(137, 91, 300, 200);
        page.show();
    }
    GuiTestBed bed;
    QWidget page;
};

TEST_P(WaitDialogTest, ShowsBesideThePageDuringTheWorkAndIsGoneBeforeTheResultBox) {
    QPoint shownAt;
    bool visibleDuringWork = false;
    bool cursorDuringWork = false;
    QSize size;
    QString text;
    std::vector<std::string> steps;
    RunWithWaitDialog(
        &page,
        [&] {
            steps.push_back("work");
            CMessage* window = CMessage::Active();
            visibleDuringWork = window != nullptr && window->isVisible();
            shownAt = window != nullptr ? window->pos() : QPoint();
            size = window != nullptr ? window->size() : QSize();
            cursorDuringWork = QApplication::overrideCursor() != nullptr;
            // An LED change waits 4 seconds after the write; virtual time passes at once.
            SleepMs(4000);
        },
        [&] {
            steps.push_back("report");
            UiPrompts().ShowMessage(&page, PromptIcon::Information, "caption", "done");
            EXPECT_NE(QApplication::overrideCursor(), nullptr);
        },
        GetParam());

    EXPECT_EQ(steps, (std::vector<std::string>{"work", "report"}));
    EXPECT_TRUE(visibleDuringWork);
    EXPECT_TRUE(cursorDuringWork);
    EXPECT_EQ(shownAt, page.mapToGlobal(QPoint(0, 0)) + QPoint(80, 80));
    EXPECT_GT(size.width(), size.height());
    ASSERT_EQ(bed.prompts.Messages().size(), 1u);
    EXPECT_FALSE(bed.prompts.Messages()[0].waitWindowVisible);
    EXPECT_EQ(bed.clock.ElapsedMs(), 4000u);
    // Cursor ended and window destroyed.
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(CMessage::Active(), nullptr);
}

INSTANTIATE_TEST_SUITE_P(BothWays, WaitDialogTest, testing::Values(WaitWork::OnWorker, WaitWork::OnUiThread),
                         [](const testing::TestParamInfo<WaitWork>& param) {
                             return param.param == WaitWork::OnWorker ? "OnWorker" : "OnUiThread";
                         });

TEST(WaitDialog, WorkOnTheWorkerLeavesTheUserInterfaceThreadRunning) {
    GuiTestBed bed;
    QWidget page;
    page.show();
    std::atomic<bool> timerFired = false;
    std::thread::id workThread;
    QTimer::singleShot(0, [&] { timerFired = true; });
    RunWithWaitDialog(&page,
                      [&] {
                          workThread = std::this_thread::get_id();
                          // Finishes only once the user-interface thread has run its timer.
                          for (int i = 0; i < 500 && !timerFired; ++i) {
                              std::this_thread::sleep_for(std::chrono::milliseconds(10));
                          }
                      },
                      {});
    EXPECT_TRUE(timerFired);
    EXPECT_NE(workThread, std::this_thread::get_id());
}

TEST(WaitDialog, WindowIsAFramelessToolKeptOnTopWithTheFixedText) {
    CMessage window;
    EXPECT_TRUE(window.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_TRUE(window.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(window.windowType(), Qt::Tool);
    EXPECT_FALSE(window.isVisible());
    EXPECT_STREQ(CMessage::kText, "Changing the configuration,please wait...");
    EXPECT_GE(window.width(), QFontMetrics(window.font()).horizontalAdvance(CMessage::kText));
}

} // namespace
