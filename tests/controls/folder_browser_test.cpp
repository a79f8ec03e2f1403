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
    std::vector<std::string> changed;

    PickerFixture() {
        picker.setDialogs(&dialogs);
        picker.Change = [this] { ++changes; };
        picker.PropertyChanged = [this](const std::string& n) { changed.push_back(n); };
    }
};

}  // namespace

TEST_F(PickerFixture, ButtonPutsTheChosenFolderIntoTheText) {
    picker.setText("/old");
    changes = 0;
    dialogs.folders.push_back("/srv/backup");
    picker.cmdBrowse.click();
    EXPECT_EQ(picker.text(), "/srv/backup");
    EXPECT_EQ(changes, 1);
    EXPECT_TRUE(picker.txtFolder.hasFocus);
    EXPECT_THAT(dialogs.folderTitles, ElementsAre("Select a folder"));
}

TEST_F(PickerFixture, CancelLeavesTheTextAndRaisesNoChange) {
    picker.setText("/keep");
    changes = 0;
    picker.cmdBrowse.click();  // no answer queued: cancelled
    EXPECT_EQ(picker.text(), "/keep");
    EXPECT_EQ(changes, 0);
    EXPECT_EQ(dialogs.folderTitles.size(), 1u);
}

TEST_F(PickerFixture, PathEndsAtTheFirstNul) {
    dialogs.folders.push_back(std::string("/data/x\0garbage", 15));
    picker.Browse();
    EXPECT_EQ(picker.text(), "/data/x");
    dialogs.folders.push_back(std::string("\0/never", 7));  // no path at all
    picker.Browse();
    EXPECT_EQ(picker.text(), "/data/x");
    EXPECT_EQ(changes, 1);
}

TEST(FolderBrowserAlone, FailingOrMissingChooserChangesNothing) {
    FolderBrowser picker;
    int changes = 0;
    picker.Change = [&] { ++changes; };
    picker.setText("/a");
    changes = 0;
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
        EXPECT_EQ(k.shift, before.shift);
    }
    EXPECT_TRUE(dialogs.folderTitles.empty());
    std::int16_t code = 40, shift = 4;
    dialogs.folders.push_back("/alt/down");
    picker.UserControl_KeyDown(code, shift);
    EXPECT_EQ(dialogs.folderTitles.size(), 1u);
    EXPECT_EQ(picker.text(), "/alt/down");
    EXPECT_EQ(code, 40);  // the key still reaches the text box
}

TEST_F(PickerFixture, LockedTextCanStillBeChosen) {
    picker.setLocked(true);
    dialogs.folders.push_back("/chosen");
    picker.Browse();
    EXPECT_EQ(picker.text(), "/chosen");
    EXPECT_TRUE(picker.Locked());
    EXPECT_EQ(changes, 1);
}

TEST_F(PickerFixture, EveryTextChangeIsRaised) {
    picker.setText("C:\\a");
    picker.txtFolder.setText("C:\\ab");  // typing goes through the text box
    picker.setText("C:\\ab");            // same text: nothing changed
    picker.setSelStart(2);
    picker.setSelLength(1);
    EXPECT_EQ(picker.SelText(), "\\");
    picker.setSelText("/");
    EXPECT_EQ(picker.text(), "C:/ab");
    EXPECT_EQ(picker.SelStart(), 3);
    EXPECT_EQ(picker.SelLength(), 0);
    EXPECT_EQ(changes, 3);
}

TEST_F(PickerFixture, ResizeLaysOutButtonAndTextBox) {
    picker.UserControl_Resize(4935, 285, 15, 15);
    EXPECT_EQ(picker.cmdBrowse.left, 4935 - 270);
    EXPECT_EQ(picker.cmdBrowse.top, 0);
    EXPECT_EQ(picker.cmdBrowse.width, 270);
    EXPECT_EQ(picker.cmdBrowse.height, 285);
    EXPECT_EQ(picker.txtFolder.left, 15);
    EXPECT_EQ(picker.txtFolder.top, 15);
    EXPECT_EQ(picker.txtFolder.width, 4935 - (45 + 270));
    EXPECT_EQ(picker.txtFolder.height, 285);
    // Another pixel size (120 dots per inch).
    picker.UserControl_Resize(2535, 465, 12, 12);
    EXPECT_EQ(picker.txtFolder.left, 12);
    EXPECT_EQ(picker.txtFolder.width, 2535 - (36 + 270));
}

TEST_F(PickerFixture, NarrowControlClampsTheTextBoxWithoutFailing) {
    EXPECT_NO_THROW(picker.UserControl_Resize(300, 285, 15, 15));  // 300 < 270 + 45
    EXPECT_EQ(picker.txtFolder.width, 0);
    EXPECT_EQ(picker.cmdBrowse.left, 30);
    EXPECT_NO_THROW(picker.UserControl_Resize(0, 0, 15, 15));
    EXPECT_EQ(picker.txtFolder.width, 0);
    EXPECT_EQ(picker.cmdBrowse.left, -270);
    picker.UserControl_Resize(315, 285, 15, 15);  // exactly button plus three pixels
    EXPECT_EQ(picker.txtFolder.width, 0);
}

TEST_F(PickerFixture, PaintDrawsTheLightLineLeftOfTheButton) {
    RecordingSurface surface;
    picker.attachSurface(&surface);
    EXPECT_EQ(surface.only("BackColor").back().colour, 0x80000005u);
    picker.UserControl_Resize(4935, 285, 15, 15);
    surface.innerHeight = 285;
    surface.calls.clear();
    picker.UserControl_Paint();
    ASSERT_THAT(surface.ops(), ElementsAre("Cls", "FillBox"));
    EXPECT_THAT(surface.calls[1].at, ElementsAre(4650, 0, 4650, 285));
    EXPECT_EQ(surface.calls[1].colour, 0x80000016u);
    // The line follows the button.
    picker.UserControl_Resize(3000, 285, 15, 15);
    picker.UserControl_Paint();
    EXPECT_EQ(surface.only("FillBox").back().at[0], 3000 - 270 - 15);
}

TEST_F(PickerFixture, ShowCopiesTheContainersToolTip) {
    picker.ToolTipText = "Where backups go";
    EXPECT_EQ(picker.txtFolder.ToolTipText, "");
    picker.UserControl_Show();
    EXPECT_EQ(picker.txtFolder.ToolTipText, "Where backups go");
}

TEST_F(PickerFixture, SettersPassThroughAndNotify) {
    picker.setBackColor(0xEEEEEE);
    picker.setForeColor(0x80000012);
    picker.setEnabled(false);
    picker.setFont(tahoma825());
    picker.setLocked(true);
    picker.setText("abc");
    picker.setSelStart(1);
    picker.setSelLength(5);
    picker.setSelText("X");
    EXPECT_THAT(changed, ElementsAre("BackColor", "ForeColor", "Enabled", "Font", "Locked", "Text",
                                     "SelStart", "SelLength", "SelText"));
    EXPECT_EQ(picker.txtFolder.BackColor, 0xEEEEEEu);
    EXPECT_EQ(picker.txtFolder.ForeColor, 0x80000012u);
    EXPECT_FALSE(picker.txtFolder.enabled);
    EXPECT_FALSE(picker.enabled);
    EXPECT_EQ(picker.txtFolder.Font.Name, "Tahoma");
    EXPECT_EQ(picker.text(), "aX");  // the length was clamped to the two characters left
    EXPECT_THROW(picker.setBackColor(0x1000000), PlatformError);
    EXPECT_THROW(picker.setSelStart(-1), PlatformError);
    EXPECT_THROW(picker.setSelLength(-1), PlatformError);
    EXPECT_EQ(changed.size(), 9u);
}

TEST_F(PickerFixture, SelectionCountsCharactersNotBytes) {
    picker.setText("Dokumente/Übung/é");
    picker.setSelStart(10);
    picker.setSelLength(5);
    EXPECT_EQ(picker.SelText(), "Übung");
    picker.setSelText("Ä");
    EXPECT_EQ(picker.text(), "Dokumente/Ä/é");
    EXPECT_EQ(picker.SelStart(), 11);
    picker.setSelStart(999);
    EXPECT_EQ(picker.SelStart(), 13);
}

TEST_F(PickerFixture, StoredPropertiesLoadAndSaveInOrder) {
    picker.AmbientFont = StdFont{.Name = "Segoe UI", .Size = 9};
    MemoryPropertyBag bag;
    bag.values["Locked"] = true;
    bag.values["Text"] = std::string("/stored");
    bag.values["BackColor"] = controls::Colour{0x00FFFF};
    picker.UserControl_ReadProperties(bag);
    std::vector<std::string> names;
    for (const auto& r : bag.reads) names.push_back(r.name);
    const std::vector<std::string> order = {"BackColor", "ForeColor", "Enabled", "Font", "Locked",
                                            "SelLength", "SelStart",  "SelText", "Text"};
    EXPECT_EQ(names, order);
    EXPECT_EQ(bag.reads[0].defaultValue, PropertyValue(controls::Colour{0x80000005}));
    EXPECT_EQ(bag.reads[1].defaultValue, PropertyValue(controls::Colour{0x80000008}));
    EXPECT_EQ(bag.reads[2].defaultValue, PropertyValue(true));
    EXPECT_EQ(bag.reads[3].defaultValue, PropertyValue(picker.AmbientFont));
    EXPECT_EQ(bag.reads[4].defaultValue, PropertyValue(false));
    EXPECT_EQ(bag.reads[5].defaultValue, PropertyValue(std::int32_t{0}));
    EXPECT_EQ(bag.reads[8].defaultValue, PropertyValue(std::string()));
    EXPECT_TRUE(picker.Locked());
    EXPECT_EQ(picker.text(), "/stored");
    EXPECT_EQ(picker.BackColor(), 0x00FFFFu);
    EXPECT_EQ(picker.Font(), picker.AmbientFont);
    EXPECT_EQ(changes, 1);  // the loaded text arrived through the text box

    MemoryPropertyBag saved;
    picker.UserControl_WriteProperties(saved);
    names.clear();
    for (const auto& w : saved.writes) names.push_back(w.name);
    EXPECT_EQ(names, order);
    // Values read back from the text box; defaults left out.
    EXPECT_EQ(saved.values.size(), 3u);
    EXPECT_EQ(saved.values["Text"], PropertyValue(std::string("/stored")));
    EXPECT_EQ(saved.values["Locked"], PropertyValue(true));
}
