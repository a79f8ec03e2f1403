#include "controls/progress_bar.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "controls/recording_surface.h"
#include "support/hooked_event_loop.h"
#include "platform/error.h"

using namespace arkstash;
using namespace arkstash::controls;
using arkstash::testing::RecordingSurface;
using ::testing::ElementsAre;

namespace {

struct BarFixture : ::testing::Test {
    RecordingSurface surface;
    vbwProgressBar bar;
    test::HookedEventLoop loop;
    std::vector<std::string> changed;

    BarFixture() {
        bar.attachSurface(&surface);
        bar.setEventLoop(&loop);
        bar.PropertyChanged = [this](const std::string& n) { changed.push_back(n); };
        surface.calls.clear();
    }

    // The status text of the last redraw.
    std::string printed() const {
        auto prints = surface.only("Print");
        return prints.empty() ? "<nothing printed>" : prints.back().text;
    }
    int redraws() const { return static_cast<int>(surface.only("BackColor").size()); }
};

PlatformError errorOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const PlatformError& e) {
        return e;
    }
    ADD_FAILURE() << "no error raised";
    return PlatformError("none");
}

}  // namespace

TEST(ProgressBarHeadless, ValueWorksWithoutASurface) {
    vbwProgressBar bar;
    test::HookedEventLoop loop;
    bar.setEventLoop(&loop);
    bar.setValue(42);
    EXPECT_FLOAT_EQ(bar.Value(), 42);
    bar.setValue(100);
    EXPECT_FLOAT_EQ(bar.Value(), 100);
    // The message loop still runs once per redraw: that is where a busy caller lets events in.
    EXPECT_EQ(loop.runs, 2);
    // Defaults of a fresh control.
    EXPECT_TRUE(bar.ShowStatus());
    EXPECT_TRUE(bar.Horizontal());
    EXPECT_TRUE(bar.Border3D());
    EXPECT_FALSE(bar.BorderLine());
    EXPECT_EQ(bar.ProgressColor(), 0x800000u);
}

TEST_F(BarFixture, EachSetterRedrawsThenNotifies) {
    std::vector<int> redrawsAtNotice;
    bar.PropertyChanged = [&](const std::string& n) {
        changed.push_back(n);
        redrawsAtNotice.push_back(redraws());
    };
    bar.setValue(10);
    bar.setShowStatus(false);
    bar.setText("Copying");
    bar.setTextAfterProgress("done");
    bar.setBackwards(true);
    bar.setHorizontal(false);
    bar.setProgressColor(0x0000FF);
    bar.setBorder3D(false);
    bar.setBorderLine(true);
    bar.setFont(StdFont{.Name = "Arial", .Size = 10});
    bar.setCalculatePercentage(true);
    bar.setTotalValue(50);
    EXPECT_THAT(changed, ElementsAre("Value", "ShowStatus", "Text", "TextAfterProgress",
                                     "Backwards", "Horizontal", "ProgressColor", "Border3D",
                                     "BorderLine", "Font", "CalculatePercentage", "TotalValue"));
    for (std::size_t i = 0; i < redrawsAtNotice.size(); ++i)
        EXPECT_EQ(redrawsAtNotice[i], static_cast<int>(i) + 1) << changed[i];
    EXPECT_EQ(loop.runs, 12);
    // Surface members follow their properties.
    EXPECT_EQ(surface.only("ForeColor").back().colour, 0x0000FFu);
    EXPECT_EQ(surface.only("Border").back().at[0], 0);
    EXPECT_EQ(surface.only("Font").back().text, "Arial");
    EXPECT_EQ(bar.BorderStyle(), 1);
}

TEST_F(BarFixture, PercentageModeSwitchingSetsTheTotal) {
    bar.setCalculatePercentage(true);
    EXPECT_FLOAT_EQ(bar.TotalValue(), 100);
    bar.setTotalValue(250);
    bar.setCalculatePercentage(true);  // a non-zero total stays
    EXPECT_FLOAT_EQ(bar.TotalValue(), 250);
    bar.setCalculatePercentage(false);
    EXPECT_FALSE(bar.CalculatePercentage());
    EXPECT_FLOAT_EQ(bar.TotalValue(), 0);

    // Outside percentage mode a total is ignored entirely: no store, no redraw, no notice.
    surface.calls.clear();
    changed.clear();
    bar.setTotalValue(400);
    EXPECT_FLOAT_EQ(bar.TotalValue(), 0);
    EXPECT_TRUE(surface.calls.empty());
    EXPECT_TRUE(changed.empty());

    bar.setCalculatePercentage(true);
    EXPECT_FLOAT_EQ(bar.TotalValue(), 100);
}

TEST_F(BarFixture, PercentageModeDrawsValueOverTotal) {
    bar.setCalculatePercentage(true);
    bar.setTotalValue(200);
    bar.setValue(50);
    EXPECT_EQ(printed(), " 25%");
    auto box = surface.only("FillBox").back();
    EXPECT_THAT(box.at, ElementsAre(0, 0, 750, 300));  // a quarter of the outer width
}

TEST_F(BarFixture, NonPositiveTotalIsRefusedAndKeepsTheOldOne) {
    bar.setCalculatePercentage(true);
    bar.setTotalValue(80);
    surface.calls.clear();
    changed.clear();
    int runs = loop.runs;
    for (float bad : {0.0f, -5.0f, -0.0f}) {
        PlatformError e = errorOf([&] { bar.setTotalValue(bad); });
        EXPECT_EQ(e.number(), 0x800403E9L);
        EXPECT_EQ(e.source(), "spbProgressBar");
        EXPECT_EQ(e.description(), "Total value must be a postive, non-zero value");
    }
    EXPECT_THROW(bar.setTotalValue(std::numeric_limits<float>::quiet_NaN()), PlatformError);
    EXPECT_FLOAT_EQ(bar.TotalValue(), 80);
    EXPECT_TRUE(surface.calls.empty());
    EXPECT_TRUE(changed.empty());
    EXPECT_EQ(loop.runs, runs);
}

TEST_F(BarFixture, ZeroShowsASpaceAndZeroPercentAndNoBar) {
    bar.setValue(0);
    EXPECT_EQ(printed(), " 0%");
    EXPECT_TRUE(surface.only("FillBox").empty());
    // The drawing order: clear to white, measure, copy-mode text, then not-xor-pen.
    EXPECT_THAT(surface.ops(), ElementsAre("BackColor", "TextWidth", "TextHeight", "DrawMode",
                                           "Print", "DrawMode"));
    EXPECT_EQ(surface.calls[0].colour, 0xFFFFFFu);
    EXPECT_EQ(surface.calls[3].at[0], 13);
    EXPECT_EQ(surface.calls[5].at[0], 10);
}

TEST_F(BarFixture, StatusTextJoinsCaptionPercentAndTrailingText) {
    bar.setShowStatus(false);
    bar.setText("A");
    bar.setTextAfterProgress("B");
    EXPECT_EQ(printed(), "A B");
    bar.setTextAfterProgress("");
    EXPECT_EQ(printed(), "A");  // no trailing space
    bar.setShowStatus(true);
    bar.setValue(30);
    EXPECT_EQ(printed(), "A 30%");
    bar.setTextAfterProgress("of 4 files");
    EXPECT_EQ(printed(), "A 30% of 4 files");
    bar.setText("");
    bar.setShowStatus(false);
    bar.setTextAfterProgress("");
    EXPECT_EQ(printed(), "");
}

TEST_F(BarFixture, WholePercentageRoundsHalvesUpButBarUsesTheExactFraction) {
    bar.setValue(49.5f);
    EXPECT_EQ(printed(), " 50%");
    EXPECT_FLOAT_EQ(static_cast<float>(surface.only("FillBox").back().at[2]), 3000 * 0.495f);
    bar.setValue(49.49f);
    EXPECT_EQ(printed(), " 49%");
    bar.setValue(0.49999997f);  // would round up if added in single precision
    EXPECT_EQ(printed(), " 0%");
    bar.setValue(-0.5f);
    EXPECT_EQ(printed(), " 0%");
    bar.setValue(-10);
    EXPECT_EQ(printed(), " -10%");
    EXPECT_EQ(surface.only("FillBox").size(), 3u);  // none for the two non-positive values
}

TEST_F(BarFixture, AboveHundredFillsAndShowsTheFullFigure) {
    bar.setValue(150);
    EXPECT_EQ(printed(), " 150%");
    EXPECT_THAT(surface.only("FillBox").back().at, ElementsAre(0, 0, 4500, 300));
}

TEST_F(BarFixture, TextIsCentredOnTheInnerSizeWithHalvesToEven) {
    surface.innerWidth = 6495;  // 3247.5 - 150 = 3097.5 -> 3098
    surface.innerHeight = 255;  // 127.5 - 97.5 = 30
    bar.setValue(50);           // " 50%": 4 characters, 300 wide
    EXPECT_THAT(surface.only("Print").back().at, ElementsAre(3098, 30));
    surface.innerWidth = 6497;  // 3248.5 - 150 = 3098.5 -> 3098
    bar.setValue(50);
    EXPECT_THAT(surface.only("Print").back().at, ElementsAre(3098, 30));
    // Measured sizes round to whole units first: 4 x 10.5 = 42 -> 42, height 12.5 -> 12.
    surface.charWidth = 10.5;
    surface.textHeight = 12.5;
    surface.innerWidth = 101;  // 50.5 - 21 = 29.5 -> 30
    surface.innerHeight = 25;  // 12.5 - 6 = 6.5 -> 6
    bar.setValue(50);
    EXPECT_THAT(surface.only("Print").back().at, ElementsAre(30, 6));
}

TEST_F(BarFixture, BarGrowsInFourDirectionsOnTheOuterSize) {
    surface.outerWidth = 400;
    surface.outerHeight = 40;
    surface.innerWidth = 396;
    surface.innerHeight = 36;
    struct Case {
        bool horizontal, backwards;
        std::vector<double> corners;
    };
    for (const Case& c :
         {Case{true, false, {0, 0, 100, 40}}, Case{true, true, {400, 0, 300, 40}},
          Case{false, false, {0, 40, 400, 30}}, Case{false, true, {0, 0, 400, 10}}}) {
        bar.setHorizontal(c.horizontal);
        bar.setBackwards(c.backwards);
        bar.setValue(25);
        auto box = surface.only("FillBox").back();
        EXPECT_EQ(box.at, c.corners) << c.horizontal << c.backwards;
        EXPECT_EQ(box.colour, bar.ProgressColor());
    }
}

TEST_F(BarFixture, DrawingErrorsArePassedOnUnderTheControlsSource) {
    // A 16-bit overflow of the shown figure: the surface was cleared, nothing more drawn.
    PlatformError e = errorOf([&] { bar.setValue(40000); });
    EXPECT_EQ(e.number(), 6);
    EXPECT_EQ(e.description(), "Overflow");
    EXPECT_EQ(e.source(), "vbwProgressBar");
    EXPECT_FLOAT_EQ(bar.Value(), 40000);  // stored before the redraw
    EXPECT_THAT(surface.ops(), ElementsAre("BackColor"));
    EXPECT_TRUE(changed.empty());

    // A failing surface call keeps its number and description.
    surface.failOn = "TextWidth";
    e = errorOf([&] { bar.setValue(5); });
    EXPECT_EQ(e.number(), 999);
    EXPECT_EQ(e.description(), "Surface failed");
    EXPECT_EQ(e.source(), "vbwProgressBar");

    // A text too wide for a 16-bit size.
    surface.failOn.clear();
    surface.charWidth = 20000;
    e = errorOf([&] { bar.setValue(5); });
    EXPECT_EQ(e.number(), 6);
    EXPECT_EQ(e.source(), "vbwProgressBar");
}

TEST_F(BarFixture, ZeroTotalFromStoredPropertiesFailsToDraw) {
    MemoryPropertyBag bag;
    bag.values["CalculatePercentage"] = true;
    bag.values["TotalValue"] = 0.0f;
    bag.values["Value"] = 3.0f;
    // The border setters redraw while loading, which divides by the stored zero total.
    PlatformError e = errorOf([&] { bar.UserControl_ReadProperties(bag); });
    EXPECT_EQ(e.number(), 11);
    EXPECT_EQ(e.description(), "Division by zero");
    EXPECT_EQ(e.source(), "vbwProgressBar");
    e = errorOf([&] { bar.setValue(0); });  // 0 / 0
    EXPECT_EQ(e.number(), 6);
}

TEST_F(BarFixture, InvalidProgressColorIsRefusedUnderTheControlsSource) {
    for (controls::Colour bad : {0x01000000u, 0x80000019u, 0xFFFFFFFFu}) {
        PlatformError e = errorOf([&] { bar.setProgressColor(bad); });
        EXPECT_EQ(e.number(), 380);
        EXPECT_EQ(e.source(), "vbwProgressBar");
    }
    EXPECT_EQ(bar.ProgressColor(), 0x800000u);
    EXPECT_TRUE(surface.calls.empty());
    bar.setProgressColor(0x8000000D);  // a system colour is fine
    EXPECT_EQ(bar.ProgressColor(), 0x8000000Du);
}

TEST_F(BarFixture, ResizeGivesPicStatusTheInnerHeightAndRedraws) {
    bar.setCalculatePercentage(true);
    bar.setTotalValue(8);
    bar.setValue(2);
    surface.calls.clear();
    bar.UserControl_Resize(255);
    EXPECT_EQ(surface.calls.front().op, "Height");
    EXPECT_EQ(surface.calls.front().at[0], 255);
    EXPECT_EQ(printed(), " 25%");  // still the current percentage
    EXPECT_EQ(surface.only("FillBox").back().at[3], 255);
}

TEST_F(BarFixture, ANestedRedrawFromTheMessageLoopFinishesFirst) {
    bool once = true;
    loop.hook = [&] {
        if (once) {
            once = false;
            bar.setValue(75);  // a handler that runs while the first redraw yields
        }
    };
    bar.setValue(10);
    EXPECT_FLOAT_EQ(bar.Value(), 75);
    EXPECT_THAT(changed, ElementsAre("Value", "Value"));
    // Two complete redraws; the outer one was drawn before it let the loop run.
    auto prints = surface.only("Print");
    ASSERT_EQ(prints.size(), 2u);
    EXPECT_EQ(prints[0].text, " 10%");
    EXPECT_EQ(prints[1].text, " 75%");
}

TEST_F(BarFixture, NewInstanceSetsBordersThroughTheirSetters) {
    bar.UserControl_InitProperties();
    EXPECT_THAT(changed, ElementsAre("Border3D", "BorderLine"));
    EXPECT_EQ(redraws(), 2);
    EXPECT_TRUE(bar.ShowStatus());
    EXPECT_TRUE(bar.Border3D());
    EXPECT_FALSE(bar.BorderLine());
}

TEST_F(BarFixture, StoredPropertiesLoadInOrderWithTheirDefaults) {
    bar.AmbientFont = StdFont{.Name = "Verdana", .Size = 9};
    MemoryPropertyBag empty;
    bar.UserControl_ReadProperties(empty);
    std::vector<std::string> names;
    for (const auto& r : empty.reads) names.push_back(r.name);
    EXPECT_THAT(names, ElementsAre("Value", "CalculatePercentage", "TotalValue", "ShowStatus",
                                   "Text", "Font", "ProgressColor", "Border3D", "BorderLine",
                                   "Backwards", "Horizontal", "TextAfterProgress"));
    EXPECT_EQ(empty.reads[0].defaultValue, PropertyValue(0.0f));
    EXPECT_EQ(empty.reads[3].defaultValue, PropertyValue(true));
    EXPECT_EQ(empty.reads[5].defaultValue, PropertyValue(bar.AmbientFont));
    EXPECT_EQ(empty.reads[6].defaultValue, PropertyValue(controls::Colour{0x800000}));
    EXPECT_EQ(empty.reads[7].defaultValue, PropertyValue(true));
    EXPECT_EQ(empty.reads[8].defaultValue, PropertyValue(false));
    EXPECT_EQ(empty.reads[10].defaultValue, PropertyValue(true));
    EXPECT_EQ(bar.Font(), bar.AmbientFont);
    // Only the two border setters redraw and notify while loading.
    EXPECT_THAT(changed, ElementsAre("Border3D", "BorderLine"));
    EXPECT_EQ(redraws(), 2);
}

TEST_F(BarFixture, StoredPropertiesSaveInOrderAndRoundTrip) {
    MemoryPropertyBag defaults;
    bar.UserControl_WriteProperties(defaults);
    std::vector<std::string> names;
    for (const auto& w : defaults.writes) names.push_back(w.name);
    EXPECT_THAT(names, ElementsAre("Value", "CalculatePercentage", "TotalValue", "ShowStatus",
                                   "Text", "Font", "ProgressColor", "Border3D", "BorderLine",
                                   "Backwards", "Horizontal", "TextAfterProgress"));
    // The main window's bars keep the defaults except the font, so only the font is stored.
    EXPECT_EQ(defaults.values.size(), 1u);
    EXPECT_TRUE(defaults.values.count("Font"));

    bar.setCalculatePercentage(true);
    bar.setTotalValue(40);
    bar.setValue(10);
    bar.setShowStatus(false);
    bar.setText("Files");
    bar.setProgressColor(0x00FF00);
    bar.setBorder3D(false);
    bar.setBorderLine(true);
    bar.setBackwards(true);
    bar.setHorizontal(false);
    bar.setTextAfterProgress("left");
    MemoryPropertyBag bag;
    bar.UserControl_WriteProperties(bag);

    vbwProgressBar copy;
    copy.UserControl_ReadProperties(bag);
    EXPECT_FLOAT_EQ(copy.Value(), 10);
    EXPECT_TRUE(copy.CalculatePercentage());
    EXPECT_FLOAT_EQ(copy.TotalValue(), 40);
    EXPECT_FALSE(copy.ShowStatus());
    EXPECT_EQ(copy.text(), "Files");
    EXPECT_EQ(copy.ProgressColor(), 0x00FF00u);
    EXPECT_FALSE(copy.Border3D());
    EXPECT_TRUE(copy.BorderLine());
    EXPECT_TRUE(copy.Backwards());
    EXPECT_FALSE(copy.Horizontal());
    EXPECT_EQ(copy.TextAfterProgress(), "left");
}

TEST_F(BarFixture, StoredTotalIsNotValidatedOnLoad) {
    MemoryPropertyBag bag;
    bag.values["TotalValue"] = -3.0f;  // percentage mode off: nothing divides by it
    bar.UserControl_ReadProperties(bag);
    EXPECT_FLOAT_EQ(bar.TotalValue(), -3);
}
