#include "controls/folder_browser.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "controls/recording_surface.h"
#include "platform/error.h"

using namespace arkstash;
using namespace arkstash::controls;
using arkstash::testing::RecordingSurface;
using ::testing::ElementsAre;

namespace {

// A chooser that fails outright, as a broken platform dialog would.
class FailingDialogs : public ui::ScriptedDialogs {
  public:
    std::string BrowseForFolder(const std::string&) override {
        throw PlatformError("Shell call failed", 5);
    }
};

struct PickerFixture : ::testing::Test {
    ui::ScriptedDialogs dialogs;
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
    dialogs.nextFolders.push_back("/srv/backup");
    picker.cmdBrowse.click();
    EXPECT_EQ(picker.Text(), "/srv/backup");
    EXPECT_EQ(changes, 1);
    EXPECT_TRUE(picker.txtFolder.hasFocus);
    EXPECT_THAT(dialogs.folderRequests, ElementsAre("Select a folder"));
}

TEST_F(PickerFixture, CancelLeavesTheTextAndRaisesNoChange) {
    picker.setText("/keep");
    changes = 0;
    picker.cmdBrowse.click();  // no answer queued: cancelled
    EXPECT_EQ(picker.Text(), "/keep");
    EXPECT_EQ(changes, 0);
    EXPECT_EQ(dialogs.folderRequests.size(), 1u);
}

TEST_F(PickerFixture, PathEndsAtTheFirstNul) {
    dialogs.nextFolders.push_back(std::string("/data/x\0garbage", 15));
    picker.Browse();
    EXPECT_EQ(picker.Text(), "/data/x");
    dialogs.nextFolders.push_back(std::string("\0/never", 7));  // no path at all
    picker.Browse();
    EXPECT_EQ(picker.Text(), "/data/x");
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
    EXPECT_EQ(picker.Text(), "/a");
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
    EXPECT_TRUE(dialogs.folderRequests.empty());
    std::int16_t code = 40, shift = 4;
    dialogs.nextFolders.push_back("/alt/down");
    picker.UserControl_KeyDown(code, shift);
    EXPECT_EQ(dialogs.folderRequests.size(), 1u);
    EXPECT_EQ(picker.Text(), "/alt/down");
    EXPECT_EQ(code, 40);  // the key still reaches the text box
}

TEST_F(PickerFixture, LockedTextCanStillBeChosen) {
    picker.setLocked(true);
    dialogs.nextFolders.push_back("/chosen");
    picker.Browse();
    EXPECT_EQ(picker.Text(), "/chosen");
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
    EXPECT_EQ(picker.Text(), "C:/ab");
    EXPECT_EQ(picker.SelStart(), 3);
    EXPECT_EQ(picker.SelLength(), 0);
    EXPECT_EQ(changes, 3);
}

TEST_F(PickerFixture, ResizeLaysOutButtonAndTextBox) {
    picker.UserControl_Resize(4935, 285, 15, 15);
    EXPECT_EQ(picker.cmdBrowse.Left, 4935 - 270);
    EXPECT_EQ(picker.cmdBrowse.Top, 0);
    EXPECT_EQ(picker.cmdBrowse.Width, 270);
    EXPECT_EQ(picker.cmdBrowse.Height, 285);
    EXPECT_EQ(picker.txtFolder.Left, 15);
    EXPECT_EQ(picker.txtFolder.Top, 15);
    EXPECT_EQ(picker.txtFolder.Width, 4935 - (45 + 270));
    EXPECT_EQ(picker.txtFolder.Height, 285);
    // Another pixel size (120 dots per inch).
    picker.UserControl_Resize(2535, 465, 12, 12);
    EXPECT_EQ(picker.txtFolder.Left, 12);
    EXPECT_EQ(picker.txtFolder.Width, 2535 - (36 + 270));
}

TEST_F(PickerFixture, NarrowControlClampsTheTextBoxWithoutFailing) {
    EXPECT_NO_THROW(picker.UserControl_Resize(300, 285, 15, 15));  // 300 < 270 + 45
    EXPECT_EQ(picker.txtFolder.Width, 0);
    EXPECT_EQ(picker.cmdBrowse.Left, 30);
    EXPECT_NO_THROW(picker.UserControl_Resize(0, 0, 15, 15));
    EXPECT_EQ(picker.txtFolder.Width, 0);
    EXPECT_EQ(picker.cmdBrowse.Left, -270);
    picker.UserControl_Resize(315, 285, 15, 15);  // exactly button plus three pixels
    EXPECT_EQ(picker.txtFolder.Width, 0);
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
    EXPECT_FALSE(picker.txtFolder.Enabled);
    EXPECT_FALSE(picker.Enabled);
    EXPECT_EQ(picker.txtFolder.Font.Name, "Tahoma");
    EXPECT_EQ(picker.Text(), "aX");  // the length was clamped to the two characters left
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
    EXPECT_EQ(picker.Text(), "Dokumente/Ä/é");
    EXPECT_EQ(picker.SelStart(), 11);
    picker.setSelStart(999);
    EXPECT_EQ(picker.SelStart(), 13);
}

TEST_F(PickerFixture, StoredPropertiesLoadAndSaveInOrder) {
    picker.AmbientFont = StdFont{.Name = "Segoe UI", .Size = 9};
    MemoryPropertyBag bag;
    bag.values["Locked"] = true;
    bag.values["Text"] = std::string("/stored");
    bag.values["BackColor"] = ui::Colour{0x00FFFF};
    picker.UserControl_ReadProperties(bag);
    std::vector<std::string> names;
    for (const auto& r : bag.reads) names.push_back(r.name);
    const std::vector<std::string> order = {"BackColor", "ForeColor", "Enabled", "Font", "Locked",
                                            "SelLength", "SelStart",  "SelText", "Text"};
    EXPECT_EQ(names, order);
    EXPECT_EQ(bag.reads[0].defaultValue, PropertyValue(ui::Colour{0x80000005}));
    EXPECT_EQ(bag.reads[1].defaultValue, PropertyValue(ui::Colour{0x80000008}));
    EXPECT_EQ(bag.reads[2].defaultValue, PropertyValue(true));
    EXPECT_EQ(bag.reads[3].defaultValue, PropertyValue(picker.AmbientFont));
    EXPECT_EQ(bag.reads[4].defaultValue, PropertyValue(false));
    EXPECT_EQ(bag.reads[5].defaultValue, PropertyValue(std::int32_t{0}));
    EXPECT_EQ(bag.reads[8].defaultValue, PropertyValue(std::string()));
    EXPECT_TRUE(picker.Locked());
    EXPECT_EQ(picker.Text(), "/stored");
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
