#include "controls/folder_browser.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "controls/recording_surface.h"
#include "platform/error.h"
#include "support/scripted_dialogs.h"

using namespace arkstash;
using namespace arkstash::controls;
using arkstash::testing::RecordingSurface;
using ::testing::ElementsAre;

namespace {

// A chooser that fails outright, as a broken platform dialog would.
class FailingDialogs : public test::ScriptedDialogs {
  public:
    std::string chooseFolder(const std::string&) override {
        throw PlatformError("Shell call failed", 5);
    }
};

struct PickerFixture : ::testing::Test {
    test::ScriptedDialogs dialogs;
    FolderBrowser picker;
    int changes = 0;

    PickerFixture() {
        picker.setDialogs(&dialogs);
        picker.Change = [this] { ++changes; };
    }
};

}  // namespace

TEST_F(PickerFixture, TheChosenFolderUpToItsFirstNulBecomesTheText) {
    struct Case {
        std::string answer;  // empty: cancelled
        const char* text;
    } cases[] = {
        {"/srv/backup", "/srv/backup"},
        {"", "/srv/backup"},
        {std::string("/data/x\0garbage", 15), "/data/x"},
        {std::string("\0/never", 7), "/data/x"},  // no path at all
    };
    for (const auto& c : cases) {
        if (!c.answer.empty()) dialogs.folders.push_back(c.answer);
        picker.cmdBrowse.click();
        EXPECT_EQ(picker.text(), c.text);
    }
    EXPECT_EQ(changes, 2);
    EXPECT_TRUE(picker.txtFolder.hasFocus);
    EXPECT_THAT(dialogs.folderTitles, ::testing::Each("Select a folder"));
    EXPECT_EQ(dialogs.folderTitles.size(), 4u);
}

TEST(FolderBrowserAlone, FailingOrMissingChooserChangesNothing) {
    FolderBrowser picker;
    picker.setText("/a");
    int changes = 0;
    picker.Change = [&] { ++changes; };
    EXPECT_NO_THROW(picker.Browse());  // no chooser attached
    FailingDialogs failing;
    picker.setDialogs(&failing);
    EXPECT_NO_THROW(picker.Browse());
    EXPECT_EQ(picker.text(), "/a");
    EXPECT_EQ(changes, 0);
}

TEST_F(PickerFixture, OnlyAltAloneWithDownBrowses) {
    struct Key {
        std::int16_t code, shift;
    };
    // Down, Shift+Down, Ctrl+Down, Ctrl+Alt+Down, Shift+Alt+Down, Alt+Up.
    for (Key k : {Key{40, 0}, Key{40, 1}, Key{40, 2}, Key{40, 6}, Key{40, 5}, Key{38, 4}}) {
        Key before = k;
        picker.UserControl_KeyDown(k.code, k.shift);
        EXPECT_EQ(k.code, before.code);  // keys pass on unchanged
    }
    EXPECT_TRUE(dialogs.folderTitles.empty());
    std::int16_t code = 40, shift = 4;
    dialogs.folders.push_back("/alt/down");
    picker.UserControl_KeyDown(code, shift);
    EXPECT_EQ(picker.text(), "/alt/down");
    EXPECT_EQ(code, 40);  // the key still reaches the text box
}

TEST_F(PickerFixture, EveryTextChangeIsRaisedAndSelectionsCountCharacters) {
    picker.setText("Dokumente/Übung/é");
    picker.txtFolder.setText("Dokumente/Übung/é");  // same text: nothing changed
    picker.setSelStart(10);
    picker.setSelLength(5);
    EXPECT_EQ(picker.SelText(), "Übung");
    picker.setSelText("Ä");  // typing over the selection goes through the text box
    EXPECT_EQ(picker.text(), "Dokumente/Ä/é");
    EXPECT_EQ(picker.SelStart(), 11);
    EXPECT_EQ(picker.SelLength(), 0);
    picker.setSelStart(999);
    EXPECT_EQ(picker.SelStart(), 13);
    EXPECT_THROW(picker.setSelStart(-1), PlatformError);
    EXPECT_THROW(picker.setSelLength(-1), PlatformError);
    EXPECT_EQ(changes, 2);
}

TEST_F(PickerFixture, ResizeLaysOutButtonAndTextBoxAndPaintFollows) {
    RecordingSurface surface;
    picker.attachSurface(&surface);
    struct Case {
        double width, pixel;
        long buttonLeft, textWidth;
    } cases[] = {
        {4935, 15, 4935 - 270, 4935 - (45 + 270)},
        {2535, 12, 2535 - 270, 2535 - (36 + 270)},  // 120 dots per inch
        {315, 15, 45, 0},                           // exactly button plus three pixels
        {300, 15, 30, 0},                           // narrower: the text box clamps to 0
        {0, 15, -270, 0},
    };
    for (const auto& c : cases) {
        picker.UserControl_Resize(c.width, 285, c.pixel, c.pixel);
        EXPECT_EQ(picker.cmdBrowse.left, c.buttonLeft) << c.width;
        EXPECT_EQ(picker.txtFolder.width, c.textWidth) << c.width;
        EXPECT_EQ(picker.txtFolder.left, c.pixel);
        EXPECT_EQ(picker.cmdBrowse.height, 285);
        surface.calls.clear();
        surface.innerHeight = 285;
        picker.UserControl_Paint();
        // A light line just left of the button, over the full height.
        ASSERT_THAT(surface.ops(), ElementsAre("Cls", "FillBox")) << c.width;
        double line = c.buttonLeft - c.pixel;
        EXPECT_THAT(surface.calls[1].at, ElementsAre(line, 0, line, 285));
        EXPECT_EQ(surface.calls[1].colour, 0x80000016u);
    }
}
