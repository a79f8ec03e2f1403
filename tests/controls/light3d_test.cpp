#include "controls/light3d.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "controls/recording_surface.h"
#include "platform/error.h"

using namespace arkstash;
using namespace arkstash::controls;
using arkstash::testing::RecordingSurface;
using ::testing::ElementsAre;

namespace {

std::vector<controls::Colour> lineColours(const Light3D& l) {
    std::vector<controls::Colour> c;
    for (const auto& line : l.lin3D) c.push_back(line.BorderColor);
    return c;
}

std::vector<float> ends(const LineControl& l) {
    return {l.X1, l.Y1, l.X2, l.Y2};
}

}  // namespace

TEST(Light3DStyle, SunkenIsDarkTopLeftAndRaisedTheReverseAlsoWhenLoaded) {
    Light3D frame;
    EXPECT_THAT(lineColours(frame), ElementsAre(0x80000010, 0x80000010, 0x80000014, 0x80000014));
    frame.setStyle(false);
    EXPECT_THAT(lineColours(frame), ElementsAre(0x80000014, 0x80000014, 0x80000010, 0x80000010));
    frame.setStyle(true);
    EXPECT_THAT(lineColours(frame), ElementsAre(0x80000010, 0x80000010, 0x80000014, 0x80000014));
    // A stored raised style recolours the edge as it loads.
    MemoryPropertyBag bag;
    bag.values["Style"] = false;
    frame.UserControl_ReadProperties(bag);
    EXPECT_FALSE(frame.Style());
    EXPECT_THAT(lineColours(frame), ElementsAre(0x80000014, 0x80000014, 0x80000010, 0x80000010));
}

TEST(Light3DResize, LineEndsFollowTheInnerSizeRoundedHalvesToEven) {
    Light3D frame;
    std::vector<float> topEndAtResizeEvent;
    frame.Resize = [&] { topEndAtResizeEvent.push_back(frame.lin3D[0].X2); };
    struct Case {
        double width, height;
        std::vector<float> top, left, bottom, right;
    } cases[] = {
        {200, 24, {0, 0, 199, 0}, {0, 0, 0, 23}, {0, 23, 200, 23}, {199, 24, 199, -225}},
        {100.5, 41.5, {0, 0, 99, 0}, {0, 0, 0, 41}, {0, 41, 100, 41}, {99, 42, 99, -225}},
        {101.5, 40.5, {0, 0, 101, 0}, {0, 0, 0, 39}, {0, 39, 102, 39}, {101, 40, 101, -225}},
        // Tiny sizes collapse onto the origin without an error.
        {1, 1, {0, 0, 0, 0}, {0, 0, 0, 0}, {0, 0, 1, 0}, {0, 1, 0, -225}},
        {0, 0, {0, 0, -1, 0}, {0, 0, 0, -1}, {0, -1, 0, -1}, {-1, 0, -1, -225}},
    };
    for (const auto& c : cases) {
        frame.UserControl_Resize(c.width, c.height);
        EXPECT_EQ(ends(frame.lin3D[0]), c.top) << c.width;
        EXPECT_EQ(ends(frame.lin3D[1]), c.left) << c.width;
        EXPECT_EQ(ends(frame.lin3D[2]), c.bottom) << c.width;
        EXPECT_EQ(ends(frame.lin3D[3]), c.right) << c.width;
    }
    // The container hears of the first resize before the edge moves.
    EXPECT_EQ(topEndAtResizeEvent.front(), 3480);
    // Beyond a 32-bit size the conversion overflows.
    EXPECT_THROW(frame.UserControl_Resize(3e9, 10), PlatformError);
}

TEST(Light3DDrawing, PSetIsOffsetByOneUnit) {
    Light3D frame;
    RecordingSurface surface;
    frame.attachSurface(&surface);
    surface.calls.clear();
    frame.PSet_(10.5f, -1, 0x00FF00);
    EXPECT_THAT(surface.only("PSet").at(0).at, ElementsAre(11.5, 0));
    Light3D detached;
    EXPECT_NO_THROW(detached.PSet_(0, 0, 0));
}

TEST(Light3DProperties, InvalidValuesAreRefusedSetOrLoaded) {
    Light3D frame;
    EXPECT_THROW(frame.setBackStyle(2), PlatformError);
    EXPECT_THROW(frame.setBackColor(0x80000040), PlatformError);
    EXPECT_THROW(frame.setForeColor(0x2000000), PlatformError);
    EXPECT_EQ(frame.BackStyle(), 1);
    MemoryPropertyBag bag;
    bag.values["BackStyle"] = std::int16_t{7};
    EXPECT_THROW(frame.UserControl_ReadProperties(bag), PlatformError);
    MemoryPropertyBag wrongType;
    wrongType.values["Style"] = std::string("yes");
    EXPECT_THROW(frame.UserControl_ReadProperties(wrongType), PlatformError);
}
