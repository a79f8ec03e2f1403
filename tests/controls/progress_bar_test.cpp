#include "controls/progress_bar.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "controls/recording_surface.h"
#include "platform/error.h"
#include "support/hooked_event_loop.h"

using namespace arkstash;
using namespace arkstash::controls;
using arkstash::testing::RecordingSurface;
using ::testing::ElementsAre;

namespace {

struct BarFixture : ::testing::Test {
    RecordingSurface surface;
    vbwProgressBar bar;
    test::HookedEventLoop loop;

    BarFixture() {
        bar.attachSurface(&surface);
        bar.setEventLoop(&loop);
        surface.calls.clear();
    }

    // The status text of the last redraw.
    std::string printed() const {
        auto prints = surface.only("Print");
        return prints.empty() ? "<nothing printed>" : prints.back().text;
    }
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

TEST(ProgressBarHeadless, EachRedrawLetsTheMessageLoopRunEvenWithoutASurface) {
    // That is where a busy caller (the backup run) lets the window's events in.
    vbwProgressBar bar;
    test::HookedEventLoop loop;
    bar.setEventLoop(&loop);
    bar.setValue(42);
    bar.setValue(100);
    EXPECT_FLOAT_EQ(bar.Value(), 100);
    EXPECT_EQ(loop.runs, 2);
}

TEST_F(BarFixture, StatusTextAndBarFollowTheValue) {
    struct Case {
        float value;
        bool showStatus;
        const char *text, *after, *printed;
        double barEnd;  // right edge of the bar on the 3000-wide surface; 0: no bar
    } cases[] = {
        {0, true, "", "", " 0%", 0},
        {49.5f, true, "", "", " 50%", 3000 * 0.495f},  // the figure rounds, the bar does not
        {49.49f, true, "", "", " 49%", 3000 * 0.4949f},
        {0.49999997f, true, "", "", " 0%", 3000 * 0.0049999997f},  // no rounding up in singles
        {-10, true, "", "", " -10%", 0},
        {150, true, "", "", " 150%", 4500},  // fills the whole surface
        {30, false, "A", "B", "A B", 900},
        {30, false, "A", "", "A", 900},  // no trailing blank
        {30, true, "A", "of 4 files", "A 30% of 4 files", 900},
    };
    for (const auto& c : cases) {
        bar.setShowStatus(c.showStatus);
        bar.setText(c.text);
        bar.setTextAfterProgress(c.after);
        surface.calls.clear();
        bar.setValue(c.value);
        EXPECT_EQ(printed(), c.printed) << c.value;
        auto boxes = surface.only("FillBox");
        if (c.barEnd == 0) {
            EXPECT_TRUE(boxes.empty()) << c.value;
        } else {
            ASSERT_EQ(boxes.size(), 1u) << c.value;
            EXPECT_FLOAT_EQ(static_cast<float>(boxes[0].at[2]), static_cast<float>(c.barEnd));
        }
    }
}

TEST_F(BarFixture, PercentageModeSetsTheTotalAndDrawsValueOverTotal) {
    bar.setCalculatePercentage(true);
    EXPECT_FLOAT_EQ(bar.TotalValue(), 100);  // a zero total becomes 100
    bar.setTotalValue(200);
    bar.setCalculatePercentage(true);  // a non-zero total stays
    bar.setValue(50);
    EXPECT_EQ(printed(), " 25%");
    EXPECT_THAT(surface.only("FillBox").back().at, ElementsAre(0, 0, 750, 300));
    bar.setCalculatePercentage(false);
    EXPECT_FLOAT_EQ(bar.TotalValue(), 0);
    // Outside percentage mode a total is ignored entirely: no store, no redraw.
    surface.calls.clear();
    bar.setTotalValue(400);
    EXPECT_FLOAT_EQ(bar.TotalValue(), 0);
    EXPECT_TRUE(surface.calls.empty());
}

TEST_F(BarFixture, ErrorsCarryTheirSourceAndLeaveTheOldValues) {
    bar.setCalculatePercentage(true);
    bar.setTotalValue(80);
    surface.calls.clear();
    int runs = loop.runs;
    for (float bad : {0.0f, -5.0f, std::numeric_limits<float>::quiet_NaN()}) {
        PlatformError e = errorOf([&] { bar.setTotalValue(bad); });
        EXPECT_EQ(e.number(), 0x800403E9L);
        EXPECT_EQ(e.source(), "spbProgressBar");
        EXPECT_EQ(e.description(), "Total value must be a postive, non-zero value");
    }
    EXPECT_FLOAT_EQ(bar.TotalValue(), 80);
    for (Colour bad : {0x01000000u, 0x80000019u}) {
        PlatformError e = errorOf([&] { bar.setProgressColor(bad); });
        EXPECT_EQ(e.number(), 380);
        EXPECT_EQ(e.source(), "vbwProgressBar");
    }
    EXPECT_EQ(bar.ProgressColor(), kDefaultProgressColor);
    EXPECT_TRUE(surface.calls.empty());
    EXPECT_EQ(loop.runs, runs);
}

TEST_F(BarFixture, DrawingErrorsArePassedOnUnderTheControlsSource) {
    // A figure beyond 16 bits: the surface was cleared, nothing more drawn; the value stays.
    PlatformError e = errorOf([&] { bar.setValue(40000); });
    EXPECT_EQ(e.number(), 6);
    EXPECT_EQ(e.source(), "vbwProgressBar");
    EXPECT_FLOAT_EQ(bar.Value(), 40000);
    EXPECT_THAT(surface.ops(), ElementsAre("BackColor"));

    surface.failOn = "TextWidth";  // a failing surface keeps its number and description
    e = errorOf([&] { bar.setValue(5); });
    EXPECT_EQ(e.number(), 999);
    EXPECT_EQ(e.description(), "Surface failed");
    EXPECT_EQ(e.source(), "vbwProgressBar");

    surface.failOn.clear();
    surface.charWidth = 20000;  // a text too wide for a 16-bit size
    EXPECT_EQ(errorOf([&] { bar.setValue(5); }).number(), 6);

    // A zero total loaded from stored properties (not validated there) divides by zero.
    MemoryPropertyBag bag;
    bag.values["CalculatePercentage"] = true;
    bag.values["TotalValue"] = 0.0f;
    bag.values["Value"] = 3.0f;
    e = errorOf([&] { bar.UserControl_ReadProperties(bag); });
    EXPECT_EQ(e.number(), 11);
    EXPECT_EQ(e.source(), "vbwProgressBar");
    EXPECT_FLOAT_EQ(bar.TotalValue(), 0);
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
    // Two complete redraws; the outer one was drawn before it let the loop run.
    auto prints = surface.only("Print");
    ASSERT_EQ(prints.size(), 2u);
    EXPECT_EQ(prints[0].text, " 10%");
    EXPECT_EQ(prints[1].text, " 75%");
}
