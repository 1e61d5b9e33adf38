#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <fstream>
#include <gtest/gtest.h>

#include "app/load_ui_setting.h"
#include "controls/button_st.h"
#include "controls/group_ex.h"
#include "controls/label.h"
#include "pages/page_template.h"
#include "pages/tab_page_dlg.h"
#include "tests/gui/gui_test_support.h"

namespace {

constexpr TemplateCtrl kControls[] = {
    {1, CtrlKind::GroupBox, 7, 4, 310, 103, "Group"},
    {2, CtrlKind::Label, 26, 126, 61, 8, "Right:", kCtrlAlignRight | kCtrlHidden},
    {3, CtrlKind::IconButton, 281, 117, 18, 15, ""},
    {4, CtrlKind::ProgressBar, 18, 94, 200, 9, ""},
    {5, CtrlKind::Custom, 17, 16, 288, 70, ""},
    {6, CtrlKind::Custom, 1, 1, 1, 1, "unknown to the factory"},
    {7, CtrlKind::PushButton, 255, 92, 42, 10, "Refresh", kCtrlDisabled},
};
constexpr PageTemplate kTemplate{900, 338, 193, kControls};

QWidget* MakeList(const TemplateCtrl& control, QWidget* parent) {
    return control.id == 5 ? new QLabel(QStringLiteral("list"), parent) : nullptr;
}

class TestPage : public CTabPageDlg {
public:
    bool CreatePage(QWidget* parent) override { return CreateFromTemplate(parent, kTemplate, MakeList); }
    void OnInitPage() override { ++inits; }
    int inits = 0;
};

class PageBuilderTest : public testing::Test {
protected:
    GuiTestBed bed;
};

TEST_F(PageBuilderTest, BuildsTheTemplateInDialogUnitsWithKindsTextsAndStyles) {
    QWidget parent;
    TestPage page;
    ASSERT_TRUE(page.CreatePage(&parent));
    page.CreatePage(&parent);
    EXPECT_EQ(page.inits, 1);
    EXPECT_EQ(page.parentWidget(), &parent);
    EXPECT_FALSE(page.isVisibleTo(&parent));
    EXPECT_EQ(page.size(), QSize(592, 338));

    struct Expected {
        int id;
        QRect rect;
    };
    // x * 7 / 4 and y * 14 / 8, rounded half away from zero.
    for (const Expected& e :
         {Expected{1, {12, 7, 543, 180}}, Expected{2, {46, 221, 107, 14}}, Expected{3, {492, 205, 32, 26}},
          Expected{4, {32, 165, 350, 16}}, Expected{5, {30, 28, 504, 123}}, Expected{7, {446, 161, 74, 18}}}) {
        ASSERT_NE(page.Control(e.id), nullptr) << e.id;
        EXPECT_EQ(page.Control(e.id)->geometry(), e.rect) << e.id;
        EXPECT_EQ(page.Control(e.id)->property("controlId").toInt(), e.id);
    }
    EXPECT_EQ(page.Control(6), nullptr);
    ASSERT_NE(page.ControlAs<CGroupEX>(1), nullptr);
    EXPECT_EQ(page.ControlAs<CGroupEX>(1)->Text(), "Group");
    ASSERT_NE(page.ControlAs<CLabel>(2), nullptr);
    EXPECT_EQ(page.ControlAs<CLabel>(2)->Alignment() & Qt::AlignHorizontal_Mask, Qt::AlignRight);
    EXPECT_FALSE(page.Control(2)->isVisibleTo(&page));
    EXPECT_NE(page.ControlAs<CButtonST>(3), nullptr);
    EXPECT_NE(page.ControlAs<QProgressBar>(4), nullptr);
    ASSERT_NE(page.ControlAs<QPushButton>(7), nullptr);
    EXPECT_FALSE(page.Control(7)->isEnabled());
    EXPECT_FALSE(page.ControlAs<QPushButton>(7)->autoDefault());
}

TEST_F(PageBuilderTest, AppliesLanguageElementsInTableOrderAndKeepsTheTemplateWhereOneFails) {
    std::ofstream("page.xml") << "<Pemra><TestPage>"
                                 "<Label2><Text>Sub Version:</Text><Location_x>40</Location_x>"
                                 "<Location_y>230</Location_y><Size_w>100</Size_w><Size_h>14</Size_h></Label2>"
                                 "<Button><Text></Text><Location_x>1</Location_x><Location_y>1</Location_y>"
                                 "<Size_w>1</Size_w><Size_h>1</Size_h></Button>"
                                 "</TestPage></Pemra>";
    ASSERT_TRUE(LoadLanguage("page.xml"));
    TestPage page;
    page.CreatePage(nullptr);
    const QRect groupBefore = page.Control(1)->geometry();
    const UiControl elements[] = {{1, "TestPage", "Label1"}, {2, "TestPage", "Label2"}, {7, "TestPage", "Button"}};
    EXPECT_FALSE(ApplyLanguage(UISetting(), page.Controls(), elements));

    EXPECT_EQ(bed.prompts.Texts(),
              QStringList({"select single node failure.", "CLoadUISetting::GetStdNodeText failure.",
                           "GetBasicCtrlInfo failure.", "CLoadUISetting::LoadBasicCtrl failure.",
                           "_bstr_t copy failure", "CLoadUISetting::GetStdNodeText failure.",
                           "GetBasicCtrlInfo failure.", "CLoadUISetting::LoadBasicCtrl failure."}));
    EXPECT_EQ(page.Control(1)->geometry(), groupBefore);
    EXPECT_EQ(page.ControlAs<CLabel>(2)->Text(), "Sub Version:");
    EXPECT_EQ(page.Control(2)->geometry(), QRect(40, 230, 100, 14));
    EXPECT_EQ(page.ControlAs<QPushButton>(7)->text(), "Refresh");
}

TEST_F(PageBuilderTest, APageIsWhiteWithAOnePixelBlackFrame) {
    TestPage page;
    page.CreatePage(nullptr);
    page.resize(120, 80);
    const QImage image = page.grab().toImage();
    for (QPoint frame : {QPoint(0, 0), QPoint(119, 0), QPoint(0, 79), QPoint(119, 79), QPoint(60, 0), QPoint(0, 40)}) {
        EXPECT_EQ(image.pixelColor(frame), QColor(Qt::black)) << frame.x() << "," << frame.y();
    }
    for (QPoint inside : {QPoint(1, 1), QPoint(118, 78), QPoint(60, 70)}) {
        EXPECT_EQ(image.pixelColor(inside), QColor(Qt::white)) << inside.x() << "," << inside.y();
    }
}

} // namespace
