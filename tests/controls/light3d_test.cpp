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

TEST(Light3DStyle, SunkenIsDarkTopLeftAndRaisedTheReverse) {
    Light3D frame;
    std::vector<std::string> changed;
    frame.PropertyChanged = [&](const std::string& n) { changed.push_back(n); };
    EXPECT_TRUE(frame.Style());
    EXPECT_THAT(lineColours(frame), ElementsAre(0x80000010, 0x80000010, 0x80000014, 0x80000014));
    frame.setStyle(false);
    EXPECT_FALSE(frame.Style());
    EXPECT_THAT(lineColours(frame), ElementsAre(0x80000014, 0x80000014, 0x80000010, 0x80000010));
    frame.setStyle(true);
    EXPECT_THAT(lineColours(frame), ElementsAre(0x80000010, 0x80000010, 0x80000014, 0x80000014));
    EXPECT_THAT(changed, ElementsAre("Style", "Style"));
}

TEST(Light3DResize, LineEndsFollowTheInnerSize) {
    Light3D frame;
    std::vector<float> topEndAtResizeEvent;
    frame.Resize = [&] { topEndAtResizeEvent.push_back(frame.lin3D[0].X2); };
    frame.UserControl_Resize(200, 24);
    // The container hears of the resize before the edge moves.
    EXPECT_THAT(topEndAtResizeEvent, ElementsAre(3480));
    EXPECT_THAT(ends(frame.lin3D[0]), ElementsAre(0, 0, 199, 0));
    EXPECT_THAT(ends(frame.lin3D[1]), ElementsAre(0, 0, 0, 23));
    EXPECT_THAT(ends(frame.lin3D[2]), ElementsAre(0, 23, 200, 23));
    EXPECT_THAT(ends(frame.lin3D[3]), ElementsAre(199, 24, 199, -225));
}

TEST(Light3DResize, SizesRoundHalvesToEven) {
    Light3D frame;
    frame.UserControl_Resize(100.5, 41.5);  // -> 100 and 42
    EXPECT_EQ(frame.lin3D[2].X2, 100);
    EXPECT_EQ(frame.lin3D[3].Y1, 42);
    frame.UserControl_Resize(101.5, 40.5);  // -> 102 and 40
    EXPECT_EQ(frame.lin3D[2].X2, 102);
    EXPECT_EQ(frame.lin3D[3].Y1, 40);
}

TEST(Light3DResize, TinySizesCollapseOntoTheOriginWithoutError) {
    Light3D frame;
    EXPECT_NO_THROW(frame.UserControl_Resize(1, 1));
    EXPECT_THAT(ends(frame.lin3D[0]), ElementsAre(0, 0, 0, 0));
    EXPECT_THAT(ends(frame.lin3D[1]), ElementsAre(0, 0, 0, 0));
    EXPECT_THAT(ends(frame.lin3D[2]), ElementsAre(0, 0, 1, 0));
    EXPECT_NO_THROW(frame.UserControl_Resize(0, 0));
    EXPECT_THAT(ends(frame.lin3D[0]), ElementsAre(0, 0, -1, 0));
    EXPECT_THAT(ends(frame.lin3D[3]), ElementsAre(-1, 0, -1, -225));
    // Beyond a 32-bit size the conversion overflows.
    EXPECT_THROW(frame.UserControl_Resize(3e9, 10), PlatformError);
}

TEST(Light3DDrawing, PSetIsOffsetByOneUnit) {
    Light3D frame;
    RecordingSurface surface;
    frame.attachSurface(&surface);
    surface.calls.clear();
    frame.PSet_(0, 0, 0x0000FF);
    frame.PSet_(10.5f, -1, 0x00FF00);
    auto sets = surface.only("PSet");
    ASSERT_EQ(sets.size(), 2u);
    EXPECT_THAT(sets[0].at, ElementsAre(1, 1));
    EXPECT_EQ(sets[0].colour, 0x0000FFu);
    EXPECT_THAT(sets[1].at, ElementsAre(11.5, 0));
    frame.Cls();
    frame.Refresh();
    EXPECT_THAT(surface.ops(), ElementsAre("PSet", "PSet", "Cls", "Refresh"));
    Light3D detached;
    EXPECT_NO_THROW(detached.PSet_(0, 0, 0));
}

TEST(Light3DEvents, ContainerHandlersChangeTheArguments) {
    Light3D frame;
    frame.KeyPress = [](std::int16_t& keyAscii) {
        if (keyAscii == 'x') keyAscii = 0;  // swallow
    };
    std::int16_t key = 'x';
    frame.UserControl_KeyPress(key);
    EXPECT_EQ(key, 0);
    key = 'y';
    frame.UserControl_KeyPress(key);
    EXPECT_EQ(key, 'y');

    frame.KeyDown = [](std::int16_t& code, std::int16_t& shift) {
        code = 0;
        shift = 0;
    };
    std::int16_t code = 13, shift = 2;
    frame.UserControl_KeyDown(code, shift);
    EXPECT_EQ(code, 0);
    EXPECT_EQ(shift, 0);

    std::vector<std::string> seen;
    frame.MouseDown = [&](std::int16_t& b, std::int16_t&, float& x, float& y) {
        seen.push_back("down " + std::to_string(b));
        x += 1;
        y = 0;
    };
    frame.MouseUp = [&](std::int16_t&, std::int16_t&, float&, float&) { seen.push_back("up"); };
    frame.Click = [&] { seen.push_back("click"); };
    frame.DblClick = [&] { seen.push_back("dblclick"); };
    std::int16_t button = 1;
    float x = 5, y = 6;
    frame.UserControl_MouseDown(button, shift, x, y);
    EXPECT_FLOAT_EQ(x, 6);
    EXPECT_FLOAT_EQ(y, 0);
    frame.UserControl_MouseUp(button, shift, x, y);
    frame.UserControl_Click();
    frame.UserControl_DblClick();
    frame.UserControl_MouseMove(button, shift, x, y);  // no handler: nothing happens
    std::int16_t up = 65;
    frame.UserControl_KeyUp(up, shift);
    EXPECT_THAT(seen, ElementsAre("down 1", "up", "click", "dblclick"));
}

TEST(Light3DProperties, SettersPassToTheSurfaceAndNotify) {
    Light3D frame;
    RecordingSurface surface;
    frame.attachSurface(&surface);
    surface.calls.clear();
    std::vector<std::string> changed;
    frame.PropertyChanged = [&](const std::string& n) { changed.push_back(n); };
    frame.setForeColor(0x112233);
    frame.setEnabled(false);
    frame.setFont(tahoma825());
    frame.setBackStyle(0);
    frame.setPicture(StdPicture{"PNG..."});
    frame.setAutoRedraw(true);
    frame.setBackColor(0x808080);
    EXPECT_THAT(changed, ElementsAre("ForeColor", "Enabled", "Font", "BackStyle", "Picture",
                                     "AutoRedraw", "BackColor"));
    EXPECT_THAT(surface.ops(), ElementsAre("ForeColor", "Enabled", "Font", "BackStyle", "Picture",
                                           "AutoRedraw", "BackColor"));
    EXPECT_FALSE(frame.enabled);
    EXPECT_EQ(frame.BackColor(), 0x808080u);
    EXPECT_THROW(frame.setBackStyle(2), PlatformError);
    EXPECT_THROW(frame.setBackColor(0x80000040), PlatformError);
    EXPECT_THROW(frame.setForeColor(0x2000000), PlatformError);
    EXPECT_EQ(frame.BackStyle(), 0);
    EXPECT_EQ(changed.size(), 7u);
}

TEST(Light3DProperties, NewInstanceTakesTheAmbientFont) {
    Light3D frame;
    frame.AmbientFont = StdFont{.Name = "MS Sans Serif", .Size = 10};
    frame.UserControl_InitProperties();
    EXPECT_EQ(frame.Font(), frame.AmbientFont);
    EXPECT_TRUE(frame.Style());
}

TEST(Light3DProperties, StoredPropertiesLoadInOrderAndStyleRecolours) {
    Light3D frame;
    RecordingSurface surface;
    frame.attachSurface(&surface);
    frame.AmbientFont = StdFont{.Name = "Arial", .Size = 8};
    MemoryPropertyBag bag;
    bag.values["Style"] = false;
    bag.values["BackColor"] = controls::Colour{0x808080};
    bag.values["BorderStyle"] = std::int16_t{1};
    std::vector<std::string> changed;
    frame.PropertyChanged = [&](const std::string& n) { changed.push_back(n); };
    frame.UserControl_ReadProperties(bag);

    std::vector<std::string> names;
    for (const auto& r : bag.reads) names.push_back(r.name);
    const std::vector<std::string> order = {"BackColor", "ForeColor",  "Enabled",
                                            "Font",      "BackStyle",  "BorderStyle",
                                            "Picture",   "AutoRedraw", "Style"};
    EXPECT_EQ(names, order);
    EXPECT_EQ(bag.reads[0].defaultValue, PropertyValue(controls::Colour{0x8000000F}));
    EXPECT_EQ(bag.reads[1].defaultValue, PropertyValue(controls::Colour{0x80000012}));
    EXPECT_EQ(bag.reads[3].defaultValue, PropertyValue(frame.AmbientFont));
    EXPECT_EQ(bag.reads[4].defaultValue, PropertyValue(std::int16_t{1}));
    EXPECT_EQ(bag.reads[5].defaultValue, PropertyValue(std::int16_t{0}));
    EXPECT_EQ(bag.reads[6].defaultValue, PropertyValue(StdPicture{}));
    EXPECT_EQ(bag.reads[8].defaultValue, PropertyValue(true));
    // The stored raised style recolours the edge; Font, Picture and Style go through setters.
    EXPECT_FALSE(frame.Style());
    EXPECT_THAT(lineColours(frame), ElementsAre(0x80000014, 0x80000014, 0x80000010, 0x80000010));
    EXPECT_THAT(changed, ElementsAre("Font", "Picture", "Style"));
    EXPECT_EQ(frame.BorderStyle(), 1);
    EXPECT_EQ(surface.only("Border").back().at[0], 1);
    EXPECT_EQ(surface.only("BackColor").back().colour, 0x808080u);

    MemoryPropertyBag saved;
    frame.UserControl_WriteProperties(saved);
    names.clear();
    for (const auto& w : saved.writes) names.push_back(w.name);
    EXPECT_EQ(names, order);
    EXPECT_EQ(saved.values.size(), 3u);  // everything else is at its default
    EXPECT_EQ(saved.values["Style"], PropertyValue(false));
    EXPECT_EQ(saved.values["BorderStyle"], PropertyValue(std::int16_t{1}));
}

TEST(Light3DProperties, InvalidStoredValuesAreRefused) {
    Light3D frame;
    MemoryPropertyBag bag;
    bag.values["BackStyle"] = std::int16_t{7};
    EXPECT_THROW(frame.UserControl_ReadProperties(bag), PlatformError);
    MemoryPropertyBag wrongType;
    wrongType.values["Style"] = std::string("yes");
    EXPECT_THROW(frame.UserControl_ReadProperties(wrongType), PlatformError);
}
