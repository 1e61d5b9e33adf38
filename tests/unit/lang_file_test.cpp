#include "app/load_ui_setting.h"
#include "app/ui_text_paths.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

namespace {

// The password-length message as the security page shows it: every '2' becomes '6', the first '4' becomes
// '8', and the text splits at its first backslash, which with the character after it is dropped.
std::string RewritePasswordLengthMessage(std::string text) {
    for (char& c : text) {
        if (c == '2') {
            c = '6';
        }
    }
    const size_t four = text.find('4');
    if (four != std::string::npos) {
        text[four] = '8';
    }
    const size_t slash = text.find('\\');
    if (slash == std::string::npos) {
        return text;
    }
    return text.substr(0, slash) + "\n" + text.substr(std::min(text.size(), slash + 2));
}

class EnglishFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        loader.SetReporter([this](std::string_view text) { reports.emplace_back(text); });
        ASSERT_TRUE(loader.LoadXmlFile(std::string(PEMRA_SOURCE_DIR) + "/lang/English/English.xml"));
    }
    std::string Read(const UiTextPath& path) {
        std::string text;
        EXPECT_TRUE(ReadUiText(loader, path, text)) << path.PathText();
        return text;
    }
    std::string Reports() const {
        std::string all;
        for (const auto& r : reports) {
            all += r + "\n";
        }
        return all;
    }

    CLoadUISetting loader;
    std::vector<std::string> reports;
};

// Every control element, column and text that a window reads is present with a text, and every control has
// a size and lies inside the main window.
TEST_F(EnglishFileTest, EveryElementTheWindowsReadIsPresent) {
    const int windowWidth = UiTextToInt(Read(MainWindowUi::kWidth));
    const int windowHeight = UiTextToInt(Read(MainWindowUi::kHeight));
    EXPECT_GT(windowWidth, 0);
    EXPECT_GT(windowHeight, 0);
    for (const UiPageTable& page : kUiPageTables) {
        for (const UiControl& control : page.controls) {
            BasicCtrlInfo info;
            EXPECT_TRUE(loader.GetBasicCtrlInfo(kUiRoot, control.page, control.element, info))
                << control.page << "/" << control.element;
            EXPECT_FALSE(info.text.empty()) << control.page << "/" << control.element;
            EXPECT_GT(info.width, 0) << control.page << "/" << control.element;
            EXPECT_GT(info.height, 0) << control.page << "/" << control.element;
            EXPECT_TRUE(info.x >= 0 && info.y >= 0 && info.x + info.width <= windowWidth &&
                        info.y + info.height <= windowHeight)
                << control.page << "/" << control.element;
        }
        for (const UiColumn& column : page.columns) {
            EXPECT_GT(UiTextToInt(Read(column.Width())), 0) << column.Width().PathText();
            if (column.hasHeading) {
                Read(column.Heading());
            }
        }
        for (const UiTextPath& path : page.texts) {
            Read(path);
        }
    }
    EXPECT_TRUE(reports.empty()) << Reports();
}

TEST_F(EnglishFileTest, PasswordLengthMessageRewritesToTwoLines) {
    EXPECT_EQ(RewritePasswordLengthMessage(Read(MessagesUi::kPasswordLength)),
              "The encryption key must have 8 to 64 characters.\nPlease enter a key of that length.");
}

TEST_F(EnglishFileTest, TextsThatCodeTellsApartDiffer) {
    std::set<std::string> captions;
    for (const UiTextPath& path : QosPageUi::kCaptions) {
        captions.insert(Read(path));
    }
    EXPECT_EQ(captions.size(), 4u) << "captions must be distinct";
    EXPECT_EQ(captions.count(Read(QosPageUi::kPriorityPlaceholder)), 0u);
    // The entry tables tell which one they are by their column 0 heading.
    EXPECT_NE(Read(QosPageUi::kAddressColumn.Heading()), Read(QosPageUi::kPortColumn.Heading()));
    EXPECT_NE(Read(MainWindowUi::kTitle).find("%model"), std::string::npos);
    // The LED tooltip fits the list's 80-character tooltip buffer.
    EXPECT_LT(Read(DevSettingsPageUi::kLedTooltip).size(), 80u);
    EXPECT_TRUE(reports.empty()) << Reports();
}

} // namespace
