#include "gui/about_dialog.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>

#include "desktop_recorder.h"
#include "gui/qt_shell.h"
#include "window/main_window.h"

using namespace arkstash;

TEST(AboutDialog, OpensModallyOffersSupportAndTheWebAndClosesWithOk) {
    test::DesktopRecorder desktop({"file", "https"});
    gui::QtShell shell;
    bool shown = false;
    test::whenModal([&](QWidget* modal) {
        auto* dialog = qobject_cast<gui::AboutDialog*>(modal);
        if (!dialog) {  // not the about box: `shown` stays false
            if (modal) modal->close();
            return;
        }
        shown = true;
        EXPECT_EQ(dialog->windowTitle(), "About Arkstash");
        EXPECT_EQ(dialog->findChild<QLabel*>("lblVersion")->text(),
                  QString("Version ") + ARKSTASH_VERSION);
        EXPECT_EQ(dialog->findChild<QWidget*>("picIcon")->size(), QSize(100, 200));
        // The box has a fixed size: every text must fit in its place.
        for (QLabel* label : dialog->findChildren<QLabel*>()) {
            const int needed = label->wordWrap() ? label->heightForWidth(label->width())
                                                 : label->sizeHint().height();
            EXPECT_LE(needed, label->height()) << label->objectName().toStdString();
            if (!label->wordWrap())
                EXPECT_LE(label->sizeHint().width(), label->width())
                    << label->objectName().toStdString();
        }
        dialog->findChild<QPushButton*>("cmdSysInfo")->click();
        emit dialog->findChild<QLabel*>("Label2")->linkActivated(window::kWebAddress);
        dialog->findChild<QPushButton*>("cmdOK")->click();
        EXPECT_FALSE(dialog->isVisible());
        if (dialog->isVisible()) dialog->reject();  // so a failing OK cannot hang the run
    });
    gui::AboutDialog::showModal(shell, nullptr);
    EXPECT_TRUE(shown);
    ASSERT_EQ(desktop.opened.size(), 2);
    EXPECT_EQ(desktop.opened[0].fileName(), ui::kSupportTopic);
    EXPECT_EQ(desktop.opened[1], QUrl(window::kWebAddress));
}
