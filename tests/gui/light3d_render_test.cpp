#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>

#include "controls/light3d.h"
#include "gui/light3d_widget.h"

using namespace arkstash;
using namespace arkstash::gui;
using arkstash::controls::Light3D;

namespace {

const QColor kShadow(10, 20, 30);        // 3D shadow
const QColor kHighlight(200, 210, 220);  // 3D highlight
const QColor kFace(100, 110, 120);       // button face

struct ShownFrame {
    Light3D frame;
    Light3DWidget widget{frame};

    explicit ShownFrame(QSize size) {
        QPalette pal;
        pal.setColor(QPalette::Dark, kShadow);
        pal.setColor(QPalette::Light, kHighlight);
        pal.setColor(QPalette::Button, kFace);
        widget.surface().setPalette(pal);
        frame.setBackColor(0x8000000F);  // clears with the palette above
        widget.resize(size);
        widget.catchUpWithSize();  // hidden widgets hear of their size only when shown
    }
    QImage image() { return widget.render(); }
};

// Checks the four edges of a w x h frame: top and left in `nearColour`, bottom and right in
// `farColour`, the inside in the face colour.
void expectEdges(const QImage& img, const QColor& nearColour, const QColor& farColour) {
    int w = img.width(), h = img.height();
    for (int x = 0; x < w - 1; ++x) EXPECT_EQ(img.pixelColor(x, 0), nearColour) << "top " << x;
    for (int y = 0; y < h - 1; ++y) EXPECT_EQ(img.pixelColor(0, y), nearColour) << "left " << y;
    for (int x = 0; x < w; ++x) EXPECT_EQ(img.pixelColor(x, h - 1), farColour) << "bottom " << x;
    for (int y = 0; y < h; ++y) EXPECT_EQ(img.pixelColor(w - 1, y), farColour) << "right " << y;
    for (int y = 1; y < h - 1; ++y)
        for (int x = 1; x < w - 1; ++x) ASSERT_EQ(img.pixelColor(x, y), kFace) << x << "," << y;
}

}  // namespace

TEST(Light3DPixels, SunkenAndRaisedEdges) {
    ShownFrame shown(QSize(40, 20));
    expectEdges(shown.image(), kShadow, kHighlight);
    shown.frame.setStyle(false);  // raised: recoloured at once
    expectEdges(shown.image(), kHighlight, kShadow);
}

TEST(Light3DPixels, EdgesFollowAResize) {
    ShownFrame shown(QSize(40, 20));
    shown.frame.setStyle(false);
    shown.widget.resize(75, 33);
    QImage img = shown.image();
    ASSERT_EQ(img.size(), QSize(75, 33));
    expectEdges(img, kHighlight, kShadow);
    shown.widget.resize(3, 3);
    expectEdges(shown.image(), kHighlight, kShadow);
    shown.widget.resize(0, 0);  // nothing left to draw, and no failure
    EXPECT_TRUE(shown.image().size().isEmpty());
}

TEST(Light3DPixels, PSetColoursThePixelOneInFromThePoint) {
    ShownFrame shown(QSize(10, 10));
    shown.frame.PSet_(0, 0, 0x0000FF);
    QImage img = shown.image();
    EXPECT_EQ(img.pixelColor(1, 1), QColor(255, 0, 0));
    EXPECT_NE(img.pixelColor(0, 0), QColor(255, 0, 0));
    EXPECT_NE(img.pixelColor(2, 2), QColor(255, 0, 0));
    shown.frame.Cls();
    EXPECT_EQ(shown.image().pixelColor(1, 1), kFace);
}

TEST(Light3DPixels, TransparentBackShowsOnlyTheEdge) {
    ShownFrame shown(QSize(10, 10));
    shown.frame.setBackStyle(0);
    QImage img = shown.image();
    EXPECT_EQ(img.pixelColor(5, 5).alpha(), 0);
    EXPECT_EQ(img.pixelColor(0, 5), kShadow);
}

TEST(Light3DInput, ContainerSwallowsAKeyByZeroingIt) {
    ShownFrame shown(QSize(10, 10));
    std::vector<int> seen;
    shown.frame.KeyPress = [&](std::int16_t& key) {
        seen.push_back(key);
        if (key == 'x') key = 0;
    };
    QKeyEvent x(QEvent::KeyPress, Qt::Key_X, Qt::NoModifier, "x");
    QApplication::sendEvent(&shown.widget, &x);
    EXPECT_TRUE(x.isAccepted());  // swallowed
    QKeyEvent y(QEvent::KeyPress, Qt::Key_Y, Qt::NoModifier, "y");
    QApplication::sendEvent(&shown.widget, &y);
    EXPECT_FALSE(y.isAccepted());  // passed on
    EXPECT_EQ(seen, (std::vector<int>{'x', 'y'}));
}

TEST(Light3DInput, MouseEventsCarryButtonShiftAndPosition) {
    ShownFrame shown(QSize(40, 20));
    std::vector<std::string> seen;
    shown.frame.MouseDown = [&](std::int16_t& b, std::int16_t& s, float& x, float& y) {
        seen.push_back("down " + std::to_string(b) + " " + std::to_string(s) + " " +
                       std::to_string(int(x)) + "," + std::to_string(int(y)));
    };
    shown.frame.Click = [&] { seen.push_back("click"); };
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(12, 7), QPointF(12, 7), Qt::RightButton,
                      Qt::RightButton, Qt::ShiftModifier);
    QApplication::sendEvent(&shown.widget, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(12, 7), QPointF(12, 7), Qt::RightButton,
                        Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(&shown.widget, &release);
    EXPECT_EQ(seen, (std::vector<std::string>{"down 2 1 12,7", "click"}));
}
