#include "gui/image_surface.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QBuffer>
#include <QPainter>
#include <set>

#include "gui/system_colours.h"
#include "platform/error.h"

using namespace arkstash;
using namespace arkstash::gui;

namespace {

constexpr TwipsPerPixel k96Dpi{15, 15};

QRgb rgb(controls::Colour c) {
    return qRgb(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
}

ImageSurface twipsSurface(int w, int h) {
    ImageSurface s(SurfaceUnits::Twips, k96Dpi);
    s.setOuterPixelSize(QSize(w, h));
    s.setBackColor(0xFFFFFF);
    return s;
}

}  // namespace

TEST(ImageSurface, BoxesCoverWholePixelsAndAtLeastOne) {
    ImageSurface s = twipsSurface(20, 4);
    s.FillBox(15 * 5, 0, 15 * 5, 60, 0x0000FF);  // zero width: still one pixel column
    for (int x = 0; x < 20; ++x)
        EXPECT_EQ(s.image().pixel(x, 2), x == 5 ? rgb(0x0000FF) : qRgb(255, 255, 255)) << x;
    s.Cls();
    s.FillBox(15 * 12, 60, 15 * 8, 0, 0x00FF00);  // corners in either order; end excluded
    for (int x = 0; x < 20; ++x)
        EXPECT_EQ(s.image().pixel(x, 0) == rgb(0x00FF00), x >= 8 && x < 12) << x;
    s.FillBox(-500, -500, 99999, 99999, 0x00FF00);  // clipped, no failure
    EXPECT_EQ(s.image().pixel(19, 3), rgb(0x00FF00));
}

TEST(ImageSurface, SystemColoursComeFromThePalette) {
    QPalette pal;
    pal.setColor(QPalette::Midlight, QColor(1, 2, 3));
    pal.setColor(QPalette::Dark, QColor(4, 5, 6));
    pal.setColor(QPalette::Light, QColor(7, 8, 9));
    pal.setColor(QPalette::Base, QColor(10, 11, 12));
    EXPECT_EQ(toQColor(0x80000016, pal), QColor(1, 2, 3));
    EXPECT_EQ(toQColor(0x80000010, pal), QColor(4, 5, 6));
    EXPECT_EQ(toQColor(0x80000014, pal), QColor(7, 8, 9));
    EXPECT_EQ(toQColor(0x80000005, pal), QColor(10, 11, 12));
    EXPECT_EQ(toQColor(0x800000, pal), QColor(0, 0, 0x80));  // &HBBGGRR: blue in the high byte
    EXPECT_THROW(toQColor(0x80000030, pal), PlatformError);
    EXPECT_THROW(toQColor(0x1000000, pal), PlatformError);
}

TEST(ImageSurface, PictureShowsUnderDrawingsAndSurvivesCls) {
    QImage red(4, 4, QImage::Format_RGB32);
    red.fill(Qt::red);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    red.save(&buffer, "PNG");
    ImageSurface s(SurfaceUnits::Pixels, k96Dpi);
    s.setOuterPixelSize(QSize(8, 8));
    s.setBackColor(0xFFFFFF);
    s.setPicture(controls::StdPicture{std::string(bytes.constData(), bytes.size())});
    s.PSet(1, 1, 0x00FF00);
    s.Cls();
    EXPECT_EQ(s.image().pixel(1, 1), qRgb(255, 0, 0));
    EXPECT_EQ(s.image().pixel(6, 6), qRgb(255, 255, 255));
    EXPECT_THROW(s.setPicture(controls::StdPicture{"not an image"}), PlatformError);
    EXPECT_FALSE(s.Image().empty());
}
