#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QToolButton>

#include "controls/folder_browser.h"
#include "gui/folder_browser_widget.h"
#include "support/hooked_event_loop.h"
#include "support/scripted_dialogs.h"

using namespace arkstash;
using namespace arkstash::gui;
using arkstash::controls::FolderBrowser;

namespace {

struct ShownPicker {
    test::ScriptedDialogs dialogs;
    FolderBrowser picker;
    FolderBrowserWidget widget{picker};
    int changes = 0;

    explicit ShownPicker(QSize size = QSize(329, 19)) {  // 4935 x 285 twips at 96 dpi
        picker.setDialogs(&dialogs);
        picker.Change = [this] { ++changes; };
        widget.resize(size);
        widget.catchUpWithSize();
    }

    void key(QWidget* target, Qt::Key k, Qt::KeyboardModifiers mods, const QString& text = {}) {
        QKeyEvent press(QEvent::KeyPress, k, mods, text);
        QApplication::sendEvent(target, &press);
    }
};

}  // namespace

TEST(FolderBrowserWidget, PartsSitWhereTheLayoutPutsThem) {
    ShownPicker shown;
    // Button flush right and as tall as the control; text box one pixel in, three before it.
    EXPECT_EQ(shown.widget.button()->geometry(), QRect(311, 0, 18, 19));
    EXPECT_EQ(shown.widget.textBox()->geometry(), QRect(1, 1, 308, 19));
    shown.widget.resize(200, 19);
    shown.widget.catchUpWithSize();
    EXPECT_EQ(shown.widget.button()->geometry().left(), 182);
}

TEST(FolderBrowserWidget, NarrowControlHidesTheTextBox) {
    ShownPicker shown(QSize(15, 19));
    EXPECT_EQ(shown.picker.txtFolder.width, 0);
    EXPECT_FALSE(shown.widget.textBox()->isVisibleTo(&shown.widget));
}

TEST(FolderBrowserWidget, TypingRaisesChangeAndKeepsTheCaret) {
    ShownPicker shown;
    QLineEdit* edit = shown.widget.textBox();
    shown.key(edit, Qt::Key_A, Qt::NoModifier, "a");
    shown.key(edit, Qt::Key_B, Qt::NoModifier, "b");
    EXPECT_EQ(shown.picker.text(), "ab");
    EXPECT_EQ(edit->text(), "ab");
    EXPECT_EQ(edit->cursorPosition(), 2);
    EXPECT_EQ(shown.picker.SelStart(), 2);
    EXPECT_EQ(shown.changes, 2);
}

TEST(FolderBrowserWidget, LockedTextCannotBeTypedButCanBeChosen) {
    ShownPicker shown;
    shown.picker.setLocked(true);
    QLineEdit* edit = shown.widget.textBox();
    EXPECT_TRUE(edit->isReadOnly());
    shown.key(edit, Qt::Key_A, Qt::NoModifier, "a");
    EXPECT_EQ(shown.picker.text(), "");
    shown.dialogs.folders.push_back("/srv/chosen");
    shown.widget.button()->click();
    EXPECT_EQ(edit->text(), "/srv/chosen");
    EXPECT_EQ(shown.changes, 1);
    EXPECT_EQ(shown.dialogs.folderTitles, std::vector<std::string>{"Select a folder"});
}

TEST(FolderBrowserWidget, AltDownBrowsesFromTheTextBoxAndTheButton) {
    ShownPicker shown;
    shown.key(shown.widget.textBox(), Qt::Key_Down, Qt::AltModifier | Qt::ControlModifier);
    EXPECT_TRUE(shown.dialogs.folderTitles.empty());
    shown.dialogs.folders.push_back("/one");
    shown.key(shown.widget.textBox(), Qt::Key_Down, Qt::AltModifier);
    EXPECT_EQ(shown.picker.text(), "/one");
    shown.dialogs.folders.push_back("/two");
    shown.key(shown.widget.button(), Qt::Key_Down, Qt::AltModifier);
    EXPECT_EQ(shown.widget.textBox()->text(), "/two");
    EXPECT_EQ(shown.dialogs.folderTitles.size(), 2u);
}

TEST(FolderBrowserWidget, ShowingCopiesTheToolTipAndStateChangesShow) {
    ShownPicker shown;
    shown.picker.ToolTipText = "Backup folder";
    shown.widget.show();
    EXPECT_EQ(shown.widget.textBox()->toolTip(), "Backup folder");
    shown.picker.setText("/from/code");
    EXPECT_EQ(shown.widget.textBox()->text(), "/from/code");
    shown.picker.setEnabled(false);
    EXPECT_FALSE(shown.widget.textBox()->isEnabled());
    shown.picker.setBackColor(0x0000FF);
    EXPECT_EQ(shown.widget.textBox()->palette().color(QPalette::Base), QColor(255, 0, 0));
    shown.widget.hide();
}
