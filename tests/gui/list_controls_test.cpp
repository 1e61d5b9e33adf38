#include <QApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

#include "controls/led_clicked_event.h"
#include "controls/list_ctr_ex.h"
#include "controls/report_ctrl.h"
#include "tests/gui/gui_test_support.h"

namespace {

// The parent of a device list, remembering the rows of the LED clicks it receives.
class LedClickRecorder : public QWidget {
public:
    std::vector<int> rows;

protected:
    bool event(QEvent* event) override {
        if (event->type() == LedClickedEvent::Type()) {
            rows.push_back(static_cast<LedClickedEvent*>(event)->Row());
            return true;
        }
        return QWidget::event(event);
    }
};

class DeviceListTest : public testing::Test {
protected:
    void SetUp() override {
        parent.resize(520, 140);
        list = new CListCtrEX(&parent);
        list->setGeometry(0, 0, 504, 123);
        const int widths[] = {110, 100, 120, 100, 66};
        for (int column = 0; column < 5; ++column) {
            list->InsertColumn(column, QString::number(column), widths[column]);
        }
        list->AppendRow({"Device01", "PL500", "00:1f:84:00:00:01"}, 200, true);
        list->AppendRow({"Device02", "PL500", "00:1f:84:00:00:02"}, 201, false);
        list->AppendRow({"Device03", "PL500", "00:1f:84:00:00:03"}, -1, true);
        parent.show();
    }

    QRect Cell(int row, int column) const { return list->visualRect(list->model()->index(row, column)); }

    QImage Picture() { return list->viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32); }

    // Whether any pixel of `area` differs from `colour`.
    static bool Drawn(const QImage& image, const QRect& area, const QColor& colour) {
        for (int y = area.top(); y <= area.bottom(); ++y) {
            for (int x = area.left(); x <= area.right(); ++x) {
                if (image.pixelColor(x, y) != colour) {
                    return true;
                }
            }
        }
        return false;
    }

    LedClickRecorder parent;
    CListCtrEX* list = nullptr;
};

TEST(DeviceList, RateLevelPictureThresholds) {
    const struct {
        int rate;
        int image;
    } cases[] = {{-5, 142}, {-1, 142}, {0, 143},  {19, 143},  {20, 144},  {40, 144},  {41, 145},  {50, 145},
                 {51, 146}, {70, 147}, {80, 148}, {110, 149}, {140, 150}, {170, 151}, {200, 152}, {201, 0}};
    for (const auto& c : cases) {
        EXPECT_EQ(CListCtrEX::RateImageId(c.rate), c.image) << c.rate;
    }
    EXPECT_EQ(CListCtrEX::RateText(-1), "0");
    EXPECT_EQ(CListCtrEX::RateText(201), "201");
}

TEST_F(DeviceListTest, RateAbove200DrawsOnlyTheNumberAndTheLedShowsItsState) {
    const QImage image = Picture();
    // The level picture lies 5 pixels right of and 2 below the cell's corner, 48 by 12.
    const auto pictureArea = [&](int row) { return QRect(Cell(row, 3).topLeft() + QPoint(5, 2), QSize(48, 12)); };
    EXPECT_TRUE(Drawn(image, pictureArea(0), Qt::white));
    EXPECT_FALSE(Drawn(image, pictureArea(1), Qt::white)) << "no picture above 200";
    // ...but the number is written 70 pixels in.
    const QRect numberArea(Cell(1, 3).topLeft() + QPoint(70, 0), QSize(25, Cell(1, 3).height()));
    EXPECT_TRUE(Drawn(image, numberArea, Qt::white));
    // On and off pictures differ.
    const QRect ledOn(Cell(0, 4).topLeft() + QPoint(25, 0), QSize(19, 16));
    const QRect ledOff(Cell(1, 4).topLeft() + QPoint(25, 0), QSize(19, 16));
    EXPECT_NE(image.copy(ledOn), image.copy(ledOff));
}

TEST_F(DeviceListTest, SelectedRowWithoutFocusShowsTheButtonFace) {
    list->setCurrentItem(list->topLevelItem(1));
    ASSERT_FALSE(list->hasFocus());
    const QImage image = Picture();
    const QColor face = list->palette().color(QPalette::Active, QPalette::Button);
    // Between the (absent) picture and the number, and beside the LED picture.
    EXPECT_EQ(image.pixelColor(Cell(1, 3).topLeft() + QPoint(60, 1)), face);
    EXPECT_EQ(image.pixelColor(Cell(1, 4).topLeft() + QPoint(5, 1)), face);
    EXPECT_EQ(image.pixelColor(Cell(0, 4).topLeft() + QPoint(5, 1)), QColor(Qt::white));
}

TEST_F(DeviceListTest, OnlyTheLedAreaReportsTheRowAndShowsTheHand) {
    ClickCell(list, 1, 4, QPoint(10, Cell(1, 4).height() / 2));
    ClickCell(list, 1, 4, QPoint(Cell(1, 4).width() - 10, Cell(1, 4).height() / 2));
    ClickCell(list, 1, 3);
    QCoreApplication::sendPostedEvents(&parent);
    EXPECT_TRUE(parent.rows.empty());

    ClickCell(list, 1, 4);
    ClickCell(list, 2, 4);
    QCoreApplication::sendPostedEvents(&parent);
    EXPECT_EQ(parent.rows, std::vector<int>({1, 2}));

    QTest::mouseMove(list->viewport(), Cell(0, 4).center());
    EXPECT_EQ(list->viewport()->cursor().shape(), Qt::BitmapCursor);
    QTest::mouseMove(list->viewport(), Cell(0, 1).center());
    EXPECT_EQ(list->viewport()->cursor().shape(), Qt::ArrowCursor);
}

class ReportListTest : public testing::Test {
protected:
    void SetUp() override {
        list.resize(400, 150);
        for (int column = 0; column < 3; ++column) {
            list.InsertColumn(column, QString("Column %1").arg(column), 120);
        }
        for (int row = 0; row < 3; ++row) {
            list.InsertItem(row, QString("name%1").arg(row));
            list.SetItemText(row, 1, QString("mac%1").arg(row));
            list.SetItemText(row, 2, QString("pwd%1").arg(row));
        }
        list.SetEditable(true);
        list.show();
    }

    QLineEdit* Editor() { return list.EditBox(); }

    CReportCtrl list;
};

TEST_F(ReportListTest, ASecondClickOnThePasswordCellEditsAndOnlyAChangedTextNotifies) {
    QSignalSpy commits(&list, &CReportCtrl::editCommitted);
    ClickCell(&list, 1, 2);
    EXPECT_EQ(list.currentIndex().row(), 1);
    EXPECT_FALSE(list.Editing()) << "the first click only selects";

    ClickCell(&list, 1, 2);
    ASSERT_TRUE(list.Editing());
    EXPECT_TRUE(Editor()->isVisible());
    EXPECT_EQ(Editor()->text(), "pwd1");
    QTest::keyClicks(Editor(), "typed");
    PressKey(Editor(), Qt::Key_Escape);
    EXPECT_FALSE(list.Editing());
    EXPECT_FALSE(Editor()->isVisible());
    EXPECT_EQ(list.ItemText(1, 2), "pwd1");

    ClickCell(&list, 1, 2);
    ASSERT_TRUE(list.Editing());
    PressKey(Editor(), Qt::Key_Return);
    EXPECT_EQ(commits.count(), 0) << "unchanged text";

    ClickCell(&list, 1, 2);
    QTest::keyClicks(Editor(), "ABCD-EFGH");
    PressKey(Editor(), Qt::Key_Enter);
    EXPECT_EQ(list.ItemText(1, 2), "ABCD-EFGH");
    ASSERT_EQ(commits.count(), 1);
    EXPECT_EQ(commits[0], QVariantList({1, 2}));

    // A click elsewhere while editing commits and opens nothing; other columns never open on a click.
    ClickCell(&list, 1, 2);
    QTest::keyClicks(Editor(), "x");
    ClickCell(&list, 1, 1);
    EXPECT_FALSE(list.Editing());
    EXPECT_EQ(list.ItemText(1, 2), "x");
    ClickCell(&list, 1, 1);
    EXPECT_FALSE(list.Editing());
}

TEST_F(ReportListTest, TabWrapsWithinTheRowAndUpDownStopAtTheEnds) {
    list.EditCell(0, 2);
    QTest::keyClicks(Editor(), "new");
    PressKey(Editor(), Qt::Key_Tab);
    EXPECT_EQ(list.ItemText(0, 2), "new");
    EXPECT_EQ(list.EditRow(), 0);
    EXPECT_EQ(list.EditColumn(), 0);

    const struct {
        int key;
        int row;
    } moves[] = {{Qt::Key_Down, 1}, {Qt::Key_Down, 2}, {Qt::Key_Down, 2},
                 {Qt::Key_Up, 1},   {Qt::Key_Up, 0},   {Qt::Key_Up, 0}};
    for (const auto& move : moves) {
        PressKey(Editor(), move.key);
        EXPECT_EQ(list.EditRow(), move.row);
        EXPECT_EQ(list.EditColumn(), 0);
        EXPECT_EQ(list.currentIndex().row(), move.row);
    }

    // With only the password column editable, Tab stays on it.
    list.SetEditableColumns([](int column) { return column == 2; });
    list.EditCell(1, 2);
    PressKey(Editor(), Qt::Key_Tab);
    EXPECT_EQ(list.EditColumn(), 2);
    list.EditCell(1, 0);
    EXPECT_EQ(list.EditColumn(), 2) << "a column that may not be edited does not open";
    list.EditCell(7, 2);
    EXPECT_EQ(list.EditRow(), 1) << "a row that does not exist does not open";
    list.SetEditable(false);
    EXPECT_FALSE(list.Editing());
}

TEST_F(ReportListTest, HeadingClicksSortBothWaysKeepingColoursAndSpaceIsDiscarded) {
    list.SetCellColors(0, 1, Qt::red, Qt::yellow);
    list.SetItemData(0, 42);
    QSignalSpy sorts(&list, &CReportCtrl::sorted);
    const auto clickHeading = [&](int column) {
        QHeaderView* header = list.header();
        ClickAt(header->viewport(), QPoint(header->sectionViewportPosition(column) + header->sectionSize(column) / 2,
                                           header->height() / 2));
    };
    clickHeading(0);
    clickHeading(0);
    ASSERT_EQ(sorts.count(), 2);
    EXPECT_EQ(sorts[0], QVariantList({0, true}));
    EXPECT_EQ(sorts[1], QVariantList({0, false}));
    EXPECT_EQ(list.ItemText(0, 0), "name2");
    EXPECT_EQ(list.ItemText(2, 0), "name0");
    EXPECT_EQ(list.CellTextColor(2, 1), QColor(Qt::red));
    EXPECT_EQ(list.CellBackground(2, 1), QColor(Qt::yellow));
    EXPECT_EQ(list.ItemData(2), 42u);

    list.setFocus();
    list.selectionModel()->setCurrentIndex(list.model()->index(1, 0), QItemSelectionModel::Clear);
    PressKey(&list, Qt::Key_Space);
    EXPECT_TRUE(list.selectionModel()->selectedRows().isEmpty());
}

} // namespace
