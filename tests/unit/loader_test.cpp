#include "app/load_ui_setting.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

namespace {

std::string Fixture(const std::string& name) {
    return std::string(PEMRA_SOURCE_DIR) + "/tests/fixtures/lang/" + name;
}

struct FakeWindow : IBasicWindow {
    void SetText(const std::string& utf8) override {
        text = utf8;
        ++calls;
    }
    void SetGeometry(int newX, int newY, int newWidth, int newHeight) override {
        x = newX;
        y = newY;
        width = newWidth;
        height = newHeight;
        ++calls;
    }
    std::string text = "before";
    int x = -1, y = -1, width = -1, height = -1;
    int calls = 0;
};

class LoaderTest : public ::testing::Test {
protected:
    void SetUp() override {
        loader.SetReporter([this](std::string_view text) { reports.emplace_back(text); });
    }
    void Load(const std::string& name) {
        ASSERT_TRUE(loader.LoadXmlFile(Fixture(name))) << name;
        ASSERT_TRUE(reports.empty());
    }

    CLoadUISetting loader;
    std::vector<std::string> reports;
};

using Reports = std::vector<std::string>;

TEST_F(LoaderTest, LoadBasicCtrlAppliesTextAndConvertedGeometry) {
    Load("basic.xml");
    FakeWindow window;
    ASSERT_TRUE(loader.LoadBasicCtrl(window, "Pemra", "Page", "Label1"));
    EXPECT_EQ(window.text, "Refresh");
    // "12ab" stops at the letters, "ab" has no digits, " -7" and "+40" carry white space and signs.
    EXPECT_EQ(window.x, 12);
    EXPECT_EQ(window.y, 0);
    EXPECT_EQ(window.width, -7);
    EXPECT_EQ(window.height, 40);
    EXPECT_TRUE(reports.empty());
}

TEST_F(LoaderTest, MissingControlReportsFourTextsAndLeavesWindowAlone) {
    Load("basic.xml");
    FakeWindow window;
    EXPECT_FALSE(loader.LoadBasicCtrl(window, "Pemra", "Page", "NoSuchControl"));
    EXPECT_EQ(reports, (Reports{"select single node failure.", "CLoadUISetting::GetStdNodeText failure.",
                                "GetBasicCtrlInfo failure.", "CLoadUISetting::LoadBasicCtrl failure."}));
    EXPECT_EQ(window.calls, 0);
}

TEST_F(LoaderTest, EmptyControlTextReportsCopyFailureFirst) {
    Load("basic.xml");
    FakeWindow window;
    EXPECT_FALSE(loader.LoadBasicCtrl(window, "Pemra", "Page", "NoText"));
    EXPECT_EQ(reports, (Reports{"_bstr_t copy failure", "CLoadUISetting::GetStdNodeText failure.",
                                "GetBasicCtrlInfo failure.", "CLoadUISetting::LoadBasicCtrl failure."}));
    EXPECT_EQ(window.calls, 0);
}

TEST_F(LoaderTest, GetBasicCtrlInfoStopsAtFirstMissingLeafAndKeepsInfo) {
    Load("basic.xml");
    BasicCtrlInfo info{"kept", 1, 2, 3, 4};
    EXPECT_FALSE(loader.GetBasicCtrlInfo("Pemra", "Page", "NoHeight", info));
    EXPECT_EQ(reports, (Reports{"select single node failure.", "CLoadUISetting::GetStdNodeText failure.",
                                "GetBasicCtrlInfo failure."}));
    EXPECT_EQ(info.text, "kept");
    EXPECT_EQ(info.height, 4);
}

TEST_F(LoaderTest, MissingPlainTextReportsTwoTextsAndKeepsOutput) {
    Load("basic.xml");
    std::string out = "previous";
    const std::string_view names[] = {"Pemra", "Utility", "Missing"};
    EXPECT_FALSE(loader.GetStdNodeText(3, names, out));
    EXPECT_EQ(reports, (Reports{"select single node failure.", "CLoadUISetting::GetStdNodeText failure."}));
    EXPECT_EQ(out, "previous");
}

TEST_F(LoaderTest, EmptyOrBlankElementCountsAsMissingAndEmptiesOutput) {
    Load("basic.xml");
    for (const char* key : {"Empty", "Blank"}) {
        reports.clear();
        std::string out = "previous";
        const std::string_view names[] = {"Pemra", "Utility", key};
        EXPECT_FALSE(loader.GetStdNodeText(3, names, out)) << key;
        EXPECT_EQ(reports, (Reports{"_bstr_t copy failure", "CLoadUISetting::GetStdNodeText failure."})) << key;
        EXPECT_EQ(out, "") << key;
    }
}

TEST_F(LoaderTest, TextsAreTrimmedAndEntitiesOfXmlItselfDecoded) {
    Load("basic.xml");
    std::string out;
    EXPECT_TRUE(loader.GetNodeText("/Pemra/Utility/Padded", out));
    EXPECT_EQ(out, "Padded text");
    EXPECT_TRUE(loader.GetStdNodeText("Pemra", "Page", "msgE1", "Text", out));
    EXPECT_EQ(out, "Limit & more");
    EXPECT_TRUE(reports.empty());
}

TEST_F(LoaderTest, LoadPageCaptionReturnsTextOrEmptyWithOneReportPerFailure) {
    Load("basic.xml");
    EXPECT_EQ(loader.LoadPageCaption("Pemra", "Page", "msgE1", "Text"), "Limit & more");
    EXPECT_TRUE(reports.empty());
    EXPECT_EQ(loader.LoadPageCaption("Pemra", "Page", "msgE9", "Text"), "");
    EXPECT_EQ(reports, (Reports{"select single node failure.", "CLoadUISetting::LoadPageCaption failure."}));
}

TEST_F(LoaderTest, WrongDocumentElementLoadsButEveryLookupFails) {
    Load("wrong_root.xml");
    std::string out;
    EXPECT_FALSE(loader.GetStdNodeText("Pemra", "Page", "Label1", "Text", out));
    EXPECT_EQ(reports, (Reports{"select single node failure.", "CLoadUISetting::GetStdNodeText failure."}));
}

TEST_F(LoaderTest, LookupWithoutDocumentFailsSilently) {
    std::string out = "previous";
    FakeWindow window;
    EXPECT_FALSE(loader.GetNodeText("/Pemra/Utility/Text", out));
    // The callers' own texts still follow, as after any failed read.
    EXPECT_FALSE(loader.LoadBasicCtrl(window, "Pemra", "Page", "Label1"));
    EXPECT_EQ(reports, (Reports{"CLoadUISetting::GetStdNodeText failure.", "GetBasicCtrlInfo failure.",
                                "CLoadUISetting::LoadBasicCtrl failure."}));
    EXPECT_EQ(out, "previous");

    reports.clear();
    Load("basic.xml");
    loader.ReleaseDocument();
    reports.clear();
    EXPECT_FALSE(loader.GetNodeText("/Pemra/Utility/Text", out));
    EXPECT_TRUE(reports.empty());
}

TEST_F(LoaderTest, MalformedPathIsAMissingElement) {
    Load("basic.xml");
    for (const char* path : {"", "/Pemra/[", "count(/Pemra)", "/Pemra/Utility/Text/@none"}) {
        reports.clear();
        std::string out = "previous";
        EXPECT_FALSE(loader.GetNodeText(path, out)) << path;
        EXPECT_EQ(reports, (Reports{"select single node failure."})) << path;
        EXPECT_EQ(out, "previous");
    }
}

TEST_F(LoaderTest, DeclaredEncodingsGiveTheSameUtf8Text) {
    for (const char* name : {"utf8.xml", "latin1.xml", "utf16.xml"}) {
        Load(name);
        std::string out;
        EXPECT_TRUE(loader.GetNodeText("/Pemra/Page/Word", out)) << name;
        EXPECT_EQ(out, "Ger\xC3\xA4t Gr\xC3\xB6\xC3\x9F\x65 \xC3\x96lfa\xC3\x9F") << name;
    }
}

// Files that cannot be parsed, or that point outside themselves, are refused with one report and leave no
// document behind, so that every later lookup fails quietly.
TEST_F(LoaderTest, UnacceptableFilesAreRefused) {
    // "" names the fixture folder itself.
    for (const char* name : {"missing.xml", "", "empty.xml", "truncated.xml", "binary.xml", "external_entity.xml",
                             "external_dtd.xml", "external_parameter_entity.xml", "entity_expansion.xml"}) {
        Load("basic.xml");
        EXPECT_FALSE(loader.LoadXmlFile(Fixture(name))) << name;
        EXPECT_EQ(reports, (Reports{"Load XML file failure."})) << name;
        EXPECT_FALSE(loader.HasDocument()) << name;
        reports.clear();
        std::string out;
        EXPECT_FALSE(loader.GetNodeText("/Pemra/Utility/Text", out)) << name;
        EXPECT_TRUE(reports.empty()) << name;
    }
}

TEST(LoaderReporterTest, WithoutReporterTextsGoToStandardError) {
    CLoadUISetting loader;
    testing::internal::CaptureStderr();
    EXPECT_FALSE(loader.LoadXmlFile(Fixture("missing.xml")));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Load XML file failure.\n");
}

TEST(UiTextToIntTest, DecimalConversion) {
    const struct {
        const char* text;
        int32_t value;
    } cases[] = {
        {"12ab", 12},
        {"ab", 0},
        {" -7", -7},
        {"\t\n+40", 40},
        {"", 0},
        {"-", 0},
        {"+-3", 0},
        {"- 3", 0},
        {"007", 7},
        {"3 4", 3},
        {"2147483647", INT32_MAX},
        {"-2147483648", INT32_MIN},
        {"99999999999999999999", INT32_MAX},
        {"-99999999999999999999", INT32_MIN},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(UiTextToInt(c.text), c.value) << '"' << c.text << '"';
    }
}

} // namespace
