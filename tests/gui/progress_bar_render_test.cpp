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

// The pixels that differ between two images of the same size.
int differences(const QImage& a, const QImage& b) {
    int n = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) n += a.pixel(x, y) != b.pixel(x, y);
    return n;
}

int count(const QImage& img, QRgb colour) {
    int n = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) n += img.pixel(x, y) == colour;
    return n;
}

}  // namespace

TEST(ProgressBarPixels, AQuarterFromEachEdge) {
    struct Case {
        bool horizontal, backwards;
        QRect bar;  // in a 400 x 80 image
    };
    for (const Case& c :
         {Case{true, false, QRect(0, 0, 100, 80)}, Case{true, true, QRect(300, 0, 100, 80)},
          Case{false, false, QRect(0, 60, 400, 20)}, Case{false, true, QRect(0, 0, 400, 20)}}) {
        ShownBar shown(400, 80);
        shown.bar.setShowStatus(false);  // no text: every pixel is bar or field
        shown.bar.setHorizontal(c.horizontal);
        shown.bar.setBackwards(c.backwards);
        shown.bar.setValue(25);
        QImage img = shown.image();
        ASSERT_EQ(img.size(), QSize(400, 80));
        int wrong = 0;
        for (int y = 0; y < 80; ++y)
            for (int x = 0; x < 400; ++x)
                wrong += img.pixel(x, y) != (c.bar.contains(x, y) ? kBarColour : kWhite);
        EXPECT_EQ(wrong, 0) << "horizontal " << c.horizontal << " backwards " << c.backwards;
    }
}

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

TEST(ProgressBarPixels, ZeroShowsSpaceZeroPercentAndNoBar) {
    ShownBar zero(200, 24), same(200, 24), other(200, 24);
    zero.bar.setValue(0);
    // The same status text given as the caption draws the same picture.
    same.bar.setShowStatus(false);
    same.bar.setText(" 0%");
    other.bar.setShowStatus(false);
    other.bar.setText(" 8%");
    QImage img = zero.image();
    EXPECT_EQ(differences(img, same.image()), 0);
    EXPECT_GT(differences(img, other.image()), 0);
    // No bar: the bar colour appears only as text, which is far from filling a column.
    EXPECT_GT(count(img, kBarColour), 10);
    for (int y = 0; y < 24; ++y) EXPECT_EQ(img.pixel(0, y), kWhite);
}

TEST(ProgressBarPixels, HalfRoundsUpInTheShownFigure) {
    ShownBar shown(200, 24), fifty(200, 24);
    shown.bar.setValue(49.5f);
    fifty.bar.setShowStatus(false);
    fifty.bar.setText(" 50%");
    fifty.bar.setValue(49.5f);
    EXPECT_EQ(differences(shown.image(), fifty.image()), 0);
}

TEST(ProgressBarPixels, AboveHundredFillsTheBarAndShowsTheFigureInWhite) {
    ShownBar shown(200, 24), text(200, 24), reference(200, 24);
    shown.bar.setValue(150);
    text.bar.setShowStatus(false);
    text.bar.setText(" 150%");
    text.bar.setValue(150);
    reference.bar.setShowStatus(false);
    reference.bar.setText(" 150%");  // the same text on an empty field
    QImage img = shown.image(), ref = reference.image();
    EXPECT_EQ(differences(img, text.image()), 0);
    int whiteText = 0;
    for (int y = 0; y < 24; ++y)
        for (int x = 0; x < 200; ++x) {
            bool isText = ref.pixel(x, y) == kBarColour;
            whiteText += isText;
            EXPECT_EQ(img.pixel(x, y), isText ? kWhite : kBarColour);
        }
    EXPECT_GT(whiteText, 10);
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

TEST(ProgressBarPixels, BorderLineFramesTheControl) {
    ShownBar shown(100, 20);
    shown.bar.setShowStatus(false);
    shown.bar.setValue(100);
    EXPECT_EQ(shown.image().pixel(0, 0), kBarColour);
    shown.bar.setBorderLine(true);
    QImage img = shown.image();
    EXPECT_NE(img.pixel(0, 0), kBarColour);
    EXPECT_NE(img.pixel(99, 19), kBarColour);
    EXPECT_EQ(img.pixel(1, 1), kBarColour);
    EXPECT_EQ(img.pixel(98, 18), kBarColour);
}
