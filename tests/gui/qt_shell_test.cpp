#include "gui/qt_shell.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <tuple>

#include "desktop_recorder.h"
#include "gui/file_properties_dialog.h"

using namespace arkstash;
using gui::FilePropertiesDialog;
using gui::QtShell;

namespace {

FilePropertiesDialog* propertiesDialog() {
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (auto* dialog = qobject_cast<FilePropertiesDialog*>(widget)) return dialog;
    return nullptr;
}

std::string field(QWidget* dialog, const char* name) {
    auto* label = dialog->findChild<QLabel*>(name);
    return label ? label->text().toStdString() : std::string("(no field)");
}

}  // namespace

TEST(QtShell, HelpTopicsOpenTheShippedPageInTheBrowser) {
    test::DesktopRecorder browser({"file"});
    QtShell shell;  // finds the build tree's pages beside this test program
    QTemporaryDir empty;
    QtShell withoutHelp(nullptr, empty.filePath("help"));
    const QString buildTreeHelp = QDir(QCoreApplication::applicationDirPath()).filePath("help");
    const std::tuple<QtShell*, std::string, bool> cases[] = {
        {&shell, ui::kIntroductionTopic, true},
        {&shell, ui::kSupportTopic, true},
        {&shell, "No such page.html", false},
        {&withoutHelp, ui::kIntroductionTopic, false}};
    for (const auto& [opener, topic, opens] : cases) {
        browser.opened.clear();
        opener->showHelpTopic(topic);
        ASSERT_EQ(browser.opened.size(), opens ? 1 : 0) << topic;
        if (!opens) continue;
        const QFileInfo page(browser.opened[0].toLocalFile());
        EXPECT_TRUE(page.isFile()) << topic;
        EXPECT_EQ(page.fileName().toStdString(), topic);
        EXPECT_EQ(page.absolutePath().toStdString(), buildTreeHelp.toStdString());
    }
}

TEST(QtShell, AddressesAndFilesGoToTheDesktop) {
    test::DesktopRecorder desktop({"https", "file"});
    QtShell shell;
    EXPECT_TRUE(shell.openUrl("https://arkstash.example.org/news"));
    EXPECT_FALSE(shell.openUrl("not an address"));
    EXPECT_TRUE(shell.openPath("/backups/a b/Sales.zip"));
    EXPECT_FALSE(shell.openPath(""));
    EXPECT_EQ(desktop.opened, (QList<QUrl>{QUrl("https://arkstash.example.org/news"),
                                           QUrl::fromLocalFile("/backups/a b/Sales.zip")}));
}

TEST(QtShell, FilePropertiesShowTheFileAndOpenItsFolder) {
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    QTemporaryDir dir;
    QFile file(dir.filePath("modMain.bas"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(1536, 'x'));
    file.close();
    file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup);
    test::DesktopRecorder desktop({"file"});
    QtShell shell;

    // A file whose properties cannot be read shows nothing and says so.
    EXPECT_FALSE(shell.showFileProperties(dir.filePath("missing.bas").toStdString(), "Module"));
    EXPECT_FALSE(shell.showFileProperties("", ""));
    EXPECT_EQ(propertiesDialog(), nullptr);

    ASSERT_TRUE(shell.showFileProperties(file.fileName().toStdString(), "Module"));
    FilePropertiesDialog* dialog = propertiesDialog();
    ASSERT_TRUE(dialog && dialog->isVisible());
    EXPECT_EQ(field(dialog, "name"), "modMain.bas");
    EXPECT_EQ(field(dialog, "folder"), QDir::toNativeSeparators(dir.path()).toStdString());
    EXPECT_EQ(field(dialog, "type"), "Module");
    EXPECT_EQ(field(dialog, "size"), "1.50 KiB (1,536 bytes)");
    EXPECT_EQ(field(dialog, "permissions"), "rw-r-----");
    dialog->findChild<QPushButton*>("openFolder")->click();
    EXPECT_EQ(desktop.opened, QList<QUrl>{QUrl::fromLocalFile(dir.path())});
    dialog->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(propertiesDialog(), nullptr);
    QLocale::setDefault(QLocale::system());
}
