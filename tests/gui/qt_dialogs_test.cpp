#include "gui/qt_dialogs.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QPushButton>
#include <QTemporaryDir>

#include "gui/qt_event_loop.h"

using namespace arkstash;
using namespace arkstash::gui;

namespace {

// Runs `act` on the modal dialog once the dialog's own event loop is running.
void whenModal(std::function<void(QWidget*)> act) {
    QMetaObject::invokeMethod(
        qApp,
        [act] {
            QWidget* modal = QApplication::activeModalWidget();
            ASSERT_NE(modal, nullptr);
            act(modal);
        },
        Qt::QueuedConnection);
}

}  // namespace

TEST(QtDialogs, MessageBoxTakesTitleButtonsIconAndDefaultFromTheStyle) {
    auto box = QtDialogs::buildMessageBox(
        {"Overwrite <archive>?", ui::vbYesNo | ui::vbQuestion | ui::vbDefaultButton2, ""});
    EXPECT_EQ(box->windowTitle(), "Arkstash");
    EXPECT_EQ(box->text(), "Overwrite <archive>?");
    EXPECT_EQ(box->textFormat(), Qt::PlainText);
    EXPECT_EQ(box->standardButtons(), QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(box->icon(), QMessageBox::Question);
    EXPECT_EQ(box->defaultButton(), box->button(QMessageBox::No));

    box = QtDialogs::buildMessageBox({"Done", ui::vbOKOnly, "Backup"});
    EXPECT_EQ(box->windowTitle(), "Backup");
    EXPECT_EQ(box->standardButtons(), QMessageBox::Ok);
    EXPECT_EQ(box->icon(), QMessageBox::NoIcon);
    EXPECT_EQ(box->defaultButton(), box->button(QMessageBox::Ok));

    EXPECT_EQ(QtDialogs::buildMessageBox({"x", ui::vbCritical})->icon(), QMessageBox::Critical);
    EXPECT_EQ(QtDialogs::buildMessageBox({"x", ui::vbExclamation})->icon(), QMessageBox::Warning);
    EXPECT_EQ(QtDialogs::buildMessageBox({"x", ui::vbInformation})->icon(),
              QMessageBox::Information);
    box = QtDialogs::buildMessageBox({"x", 3 | 512});  // yes/no/cancel, third default
    EXPECT_EQ(box->standardButtons(), QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    EXPECT_EQ(box->defaultButton(), box->button(QMessageBox::Cancel));
    box = QtDialogs::buildMessageBox({"x", ui::vbYesNo | 512});  // no third button: the first
    EXPECT_EQ(box->defaultButton(), box->button(QMessageBox::Yes));
}

TEST(QtDialogs, AnswersUseTheRuntimesNumbers) {
    EXPECT_EQ(QtDialogs::answerFor(QMessageBox::Ok), 1);
    EXPECT_EQ(QtDialogs::answerFor(QMessageBox::Cancel), 2);
    EXPECT_EQ(QtDialogs::answerFor(QMessageBox::Abort), 3);
    EXPECT_EQ(QtDialogs::answerFor(QMessageBox::Retry), 4);
    EXPECT_EQ(QtDialogs::answerFor(QMessageBox::Ignore), 5);
    EXPECT_EQ(QtDialogs::answerFor(QMessageBox::Yes), 6);
    EXPECT_EQ(QtDialogs::answerFor(QMessageBox::No), 7);
}

TEST(QtDialogs, MsgBoxAnswersTheButtonPressed) {
    QtDialogs dialogs;
    whenModal([](QWidget* w) {
        auto* box = qobject_cast<QMessageBox*>(w);
        ASSERT_NE(box, nullptr);
        box->button(QMessageBox::Yes)->click();
    });
    EXPECT_EQ(dialogs.MsgBox("Replace?", ui::vbYesNo), ui::vbYes);
}

TEST(QtDialogs, FileFiltersBecomeQtNameFilters) {
    EXPECT_EQ(QtDialogs::nameFilters("Text files|*.txt;*.log|All files (*.*)|*.*"),
              (QStringList{"Text files (*.txt *.log)", "All files (*.*) (*.*)"}));
    EXPECT_EQ(QtDialogs::nameFilters(""), QStringList{});
    EXPECT_EQ(QtDialogs::nameFilters("Dangling"), QStringList{});
    EXPECT_EQ(QtDialogs::nameFilters("|*.bas"), QStringList{"*.bas (*.bas)"});
}

TEST(QtDialogs, FolderChooserAnswersThePathOrNothing) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QtDialogs dialogs;
    whenModal([](QWidget* w) {
        auto* fd = qobject_cast<QFileDialog*>(w);
        ASSERT_NE(fd, nullptr);
        EXPECT_EQ(fd->windowTitle(), "Select a folder");
        fd->reject();
    });
    EXPECT_EQ(dialogs.BrowseForFolder("Select a folder"), "");

    QString chosen = dir.path();
    whenModal([chosen](QWidget* w) {
        auto* fd = qobject_cast<QFileDialog*>(w);
        ASSERT_NE(fd, nullptr);
        fd->setDirectory(chosen);
        fd->selectFile(chosen);
        static_cast<QDialog*>(fd)->accept();  // public as a dialog, protected as a file dialog
    });
    EXPECT_EQ(QDir(QString::fromStdString(dialogs.BrowseForFolder("Select a folder"))),
              QDir(chosen));
}

TEST(QtEventLoop, DoEventsRunsWhatIsPending) {
    bool ran = false;
    QMetaObject::invokeMethod(
        qApp, [&] { ran = true; }, Qt::QueuedConnection);
    EXPECT_FALSE(ran);
    QtEventLoop loop;
    loop.DoEvents();
    EXPECT_TRUE(ran);
}
