#include "gui/qt_dialogs.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

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

TEST(QtDialogs, MessageBoxTakesTitleButtonsIconAndDefault) {
    auto box = QtDialogs::buildMessageBox(
        {"Overwrite <archive>?", ui::Buttons::YesNo, ui::Icon::Question, true, ""});
    EXPECT_EQ(box->windowTitle(), "Arkstash");
    EXPECT_EQ(box->text(), "Overwrite <archive>?");
    EXPECT_EQ(box->textFormat(), Qt::PlainText);
    EXPECT_EQ(box->standardButtons(), QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(box->icon(), QMessageBox::Question);
    EXPECT_EQ(box->defaultButton(), box->button(QMessageBox::No));

    box = QtDialogs::buildMessageBox({"Done", ui::Buttons::Ok, ui::Icon::Stop, false, "Backup"});
    EXPECT_EQ(box->windowTitle(), "Backup");
    EXPECT_EQ(box->standardButtons(), QMessageBox::Ok);
    EXPECT_EQ(box->icon(), QMessageBox::Critical);
}

TEST(QtDialogs, AQuestionAnswersTheButtonPressed) {
    QtDialogs dialogs;
    whenModal([](QWidget* w) {
        auto* box = qobject_cast<QMessageBox*>(w);
        ASSERT_NE(box, nullptr);
        box->button(QMessageBox::Yes)->click();
    });
    EXPECT_EQ(dialogs.show({"Replace?", ui::Buttons::YesNo}), ui::Answer::Yes);
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
    EXPECT_EQ(dialogs.chooseFolder("Select a folder"), "");

    QString chosen = dir.path();
    whenModal([chosen](QWidget* w) {
        auto* fd = qobject_cast<QFileDialog*>(w);
        ASSERT_NE(fd, nullptr);
        fd->setDirectory(chosen);
        fd->selectFile(chosen);
        static_cast<QDialog*>(fd)->accept();  // public as a dialog, protected as a file dialog
    });
    EXPECT_EQ(QDir(QString::fromStdString(dialogs.chooseFolder("Select a folder"))), QDir(chosen));
}

TEST(QtEventLoop, RunsWhatIsPending) {
    bool ran = false;
    QMetaObject::invokeMethod(
        qApp, [&] { ran = true; }, Qt::QueuedConnection);
    EXPECT_FALSE(ran);
    QtEventLoop loop;
    loop.processPendingEvents();
    EXPECT_TRUE(ran);
}

TEST(QtEventLoop, ATimerRepeatsUntilItsHandleIsDroppedEvenFromItsOwnCall) {
    QtEventLoop loop;
    int calls = 0;
    std::unique_ptr<ui::Timer> timer;
    timer = loop.startTimer(std::chrono::milliseconds(1), true, [&] {
        if (++calls == 3) timer.reset();  // the handle goes inside the call it made
    });
    ASSERT_NE(timer, nullptr);
    QElapsedTimer waited;
    waited.start();
    while (timer && waited.elapsed() < 10000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    EXPECT_EQ(calls, 3);
    // Stopped: nothing more comes.
    QTest::qWait(20);
    EXPECT_EQ(calls, 3);
}
