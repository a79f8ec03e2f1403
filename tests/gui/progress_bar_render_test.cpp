#include <gtest/gtest.h>

#include <QApplication>

#include "controls/progress_bar.h"
#include "gui/progress_bar_widget.h"

using namespace arkstash;
using namespace arkstash::gui;
using arkstash::controls::vbwProgressBar;

namespace {

const QRgb kWhite = qRgb(255, 255, 255);
const QRgb kBarColour = qRgb(0, 0, 0x80);  // &H800000

// A bar shown in a widget of a given pixel size, without the 3D border unless asked, so that
// the bar's fraction of the outer size is a fraction of the image.
struct ShownBar {
    vbwProgressBar bar;
    ProgressBarWidget widget{bar};

    ShownBar(int w, int h, bool border3D = false) {
        bar.setFont(controls::tahoma825());
        bar.setBorder3D(border3D);
        widget.resize(w, h);
        widget.catchUpWithSize();  // hidden widgets hear of their size only when shown
    }
    QImage image() { return widget.render(); }
};

}  // namespace

TEST(ProgressBarPixels, CoveredTextTurnsWhiteAndTheRestStaysInTheBarColour) {
    ShownBar plain(300, 30), half(300, 30);
    for (ShownBar* s : {&plain, &half}) {
        s->bar.setShowStatus(false);
        s->bar.setText("MMMMMMMMMMMMMMMM");
    }
    plain.bar.setValue(0);
    half.bar.setValue(50);
    QImage before = plain.image(), after = half.image();
    int textLeft = 0, textRight = 0;
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 300; ++x) {
            bool text = before.pixel(x, y) == kBarColour;
            ASSERT_TRUE(text || before.pixel(x, y) == kWhite);
            if (x < 150) {
                textLeft += text;
                EXPECT_EQ(after.pixel(x, y), text ? kWhite : kBarColour) << x << "," << y;
            } else {
                textRight += text;
                EXPECT_EQ(after.pixel(x, y), before.pixel(x, y)) << x << "," << y;
            }
        }
    // The text really straddles the bar's edge.
    EXPECT_GT(textLeft, 20);
    EXPECT_GT(textRight, 20);
}

TEST(ProgressBarPixels, WithABorderTheBarIsMeasuredOnTheOuterSize) {
    ShownBar shown(404, 24, true);  // a 400-pixel field inside two pixels of border
    shown.bar.setShowStatus(false);
    shown.bar.setValue(25);
    QImage img = shown.image();
    int row = 12, bar = 0;
    for (int x = 2; x < 402; ++x) bar += img.pixel(x, row) == kBarColour;
    EXPECT_EQ(bar, 101);  // a quarter of 404, not of 400
    shown.bar.setValue(100);
    img = shown.image();
    EXPECT_EQ(img.pixel(401, row), kBarColour);  // reaches the far edge
    EXPECT_NE(img.pixel(403, row), kBarColour);  // the border is not painted over
}

TEST(ProgressBarPixels, ResizeRedrawsTheCurrentPercentage) {
    ShownBar shown(400, 20);
    shown.bar.setShowStatus(false);
    shown.bar.setCalculatePercentage(true);
    shown.bar.setTotalValue(8);
    shown.bar.setValue(2);
    shown.widget.resize(200, 20);
    QImage img = shown.image();
    EXPECT_EQ(img.pixel(49, 10), kBarColour);
    EXPECT_EQ(img.pixel(50, 10), kWhite);
}
