#include <QApplication>
#include <QEnterEvent>
#include <QPainter>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

#include "controls/artwork.h"
#include "controls/bitmap_static.h"
#include "controls/button_st.h"
#include "controls/hyper_link.h"
#include "controls/label.h"

namespace {

QImage Render(QWidget& widget) {
    return widget.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

TEST(Controls, LabelPaintsPlainWhiteOrALeftToRightGradient) {
    CLabel label;
    label.resize(200, 20);
    label.SetBkColor(Qt::white);
    QImage plain = Render(label);
    EXPECT_EQ(plain.pixelColor(0, 0), QColor(Qt::white));
    EXPECT_EQ(plain.pixelColor(199, 19), QColor(Qt::white));

    label.SetBkColor(Qt::black, Qt::white, CLabel::FillMode::Gradient);
    QImage gradient = Render(label);
    int previous = -1;
    for (int x = 0; x < 200; x += 20) {
        const int grey = gradient.pixelColor(x, 10).red();
        EXPECT_GT(grey, previous) << x;
        previous = grey;
    }
    EXPECT_LT(gradient.pixelColor(0, 10).red(), 10);
    EXPECT_GT(gradient.pixelColor(199, 10).red(), 245);
}

TEST(Controls, DisabledIconButtonIsGreyedAndIgnoresThePointer) {
    QPixmap red(32, 32);
    red.fill(Qt::red);
    CButtonST button;
    button.resize(40, 40);
    button.SetIcon(QIcon(red));
    const QColor enabledMiddle = Render(button).pixelColor(20, 20);
    EXPECT_EQ(enabledMiddle, QColor(Qt::red));

    button.setEnabled(false);
    const QColor disabledMiddle = Render(button).pixelColor(20, 20);
    EXPECT_NE(disabledMiddle, QColor(Qt::red));
    EXPECT_LT(qAbs(disabledMiddle.red() - disabledMiddle.green()), 40) << "greyed";

    QSignalSpy clicks(&button, &QAbstractButton::clicked);
    QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
    QApplication::sendEvent(&button, &enter);
    EXPECT_FALSE(button.Hovering());
    QTest::mouseClick(&button, Qt::LeftButton);
    EXPECT_EQ(clicks.count(), 0);
}

TEST(Controls, HyperLinkWithoutAddressOnlyChangesColourWhilePressed) {
    CHyperLink link;
    link.SetText("web site");
    link.resize(100, 20);
    QSignalSpy clicks(&link, &CHyperLink::clicked);
    EXPECT_EQ(link.CurrentTextColor(), QColor(0, 0, 255));
    QTest::mousePress(&link, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(link.CurrentTextColor(), QColor(255, 0, 0));
    QTest::mouseRelease(&link, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(link.CurrentTextColor(), QColor(0, 0, 255));
    EXPECT_FALSE(link.Visited());
}

TEST(Controls, BitmapStaticLetsTheBackgroundShowThroughItsWhitePixels) {
    QImage picture(10, 10, QImage::Format_RGB32);
    picture.fill(Qt::white);
    picture.setPixelColor(2, 2, Qt::blue);
    QWidget page;
    page.setAutoFillBackground(true);
    QPalette palette = page.palette();
    palette.setColor(QPalette::Window, Qt::green);
    page.setPalette(palette);
    page.resize(10, 10);
    auto* bitmap = new CBitmapStatic(&page);
    bitmap->resize(10, 10);
    bitmap->SetBitmap(picture);
    const QImage shown = Render(page);
    EXPECT_EQ(shown.pixelColor(2, 2), QColor(Qt::blue));
    EXPECT_EQ(shown.pixelColor(5, 5), QColor(Qt::green));
}

TEST(Controls, EveryPictureOfTheProgramIsInTheResourcesAtItsSize) {
    struct Picture {
        int id;
        QSize size;
    };
    std::vector<Picture> pictures = {{132, {669, 86}}, {136, {32, 32}}, {137, {32, 32}}, {139, {32, 32}},
                                     {158, {32, 32}},  {156, {19, 16}}, {157, {19, 16}}};
    for (int level = 142; level <= 152; ++level) {
        pictures.push_back({level, {48, 12}});
    }
    for (const Picture& picture : pictures) {
        EXPECT_EQ(QImage(ArtworkPath(picture.id)).size(), picture.size) << picture.id;
    }
    EXPECT_FALSE(QImage(ArtworkPath(160)).isNull());
    EXPECT_FALSE(AppIcon().pixmap(128, 128).isNull());
}

} // namespace
