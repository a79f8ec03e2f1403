// The environment host offscreen over a copy of the example group: the explorer, the add-in's
// bar and its button, changes on disk reaching Arkstash's window through the environment's
// events, and the add-in manager's choices.
#include <gmock/gmock.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QTreeWidget>
#include <filesystem>
#include <fstream>

#include "gui/host_desktop.h"
#include "gui/host_viewers.h"
#include "gui/host_window.h"
#include "gui/main_window_view.h"
#include "gui/qt_event_loop.h"
#include "platform/registry/hive_registry.h"
#include "platform/registry/reg_helpers.h"
#include "support/temp_dir.h"
#include "support/window_fixture.h"

using namespace arkstash;
using ::testing::Contains;
using ::testing::Not;

namespace {

constexpr int kWaitMilliseconds = 20000;

class HostWindow : public ::testing::Test {
  protected:
    test::TempDir dir, home;
    os::PosixFileSystem files;
    os::FixedClock clock{os::DateTime{2026, 12, 5, 7, 9, 56, 6}};
    registry::HiveRegistry registry{home.str()};
    test::ScriptedDialogs dialogs;
    gui::QtEventLoop events;
    test::RecordingShell shell;
    archive::LibzipEngine engine;
    window::Services services{files, clock, registry, dialogs, events, shell, engine};
    ui::MemoryClipboard clipboard;
    gui::QtSystemColours colours;
    gui::HostServices hostServices{services, {}, clipboard, colours};
    std::unique_ptr<gui::HostWindow> host;

    void SetUp() override {
        std::filesystem::copy(std::string(ARKSTASH_SOURCE_DIR) + "/examples/StockControl",
                              dir / "StockControl", std::filesystem::copy_options::recursive);
    }
    // Starts as `arkstash GROUP` does: opened, shown, the add-in loaded, its button pressed.
    void start() {
        host = std::make_unique<gui::HostWindow>(hostServices);
        host->open({example("StockControl.vbg")});
        host->show();
        host->loadAddinsAtStartup();
        host->pressButton("Arkstash");
    }
    std::string example(const std::string& file) const { return dir / ("StockControl/" + file); }
    std::vector<std::string> listed() {
        std::vector<std::string> paths;
        if (window::MainWindow* w = host->addin().connect()->mainWindow())
            for (const auto& row : w->fileList.rows()) paths.push_back(row.path);
        return paths;
    }
    // Lets the host reload as often as the files on disk make it, until `done`.
    bool waitUntil(const std::function<bool()>& done) {
        QSignalSpy reloads(host.get(), &gui::HostWindow::reloaded);
        while (!done())
            if (!reloads.wait(kWaitMilliseconds)) return false;
        return true;
    }
    bool isListed(const std::string& file) {
        std::vector<std::string> paths = listed();
        return std::find(paths.begin(), paths.end(), file) != paths.end();
    }
    std::string setting(const char* key, const char* value) {
        return registry::RegRead(registry, registry::Root::CurrentUser, key, value, "(none)");
    }
};

TEST_F(HostWindow, OpensTheGroupPutsUpTheBarAndLandsInTheScannedWindow) {
    start();
    auto* explorer = host->findChild<QTreeWidget*>("ProjectExplorer");
    ASSERT_NE(explorer, nullptr);
    QTreeWidgetItem* group = explorer->topLevelItem(0);
    ASSERT_EQ(group->childCount(), 2);
    EXPECT_EQ(group->text(0), "StockControl (StockControl.vbg)");
    EXPECT_EQ(group->child(0)->text(0), "StockControl (StockControl.vbp)");
    EXPECT_TRUE(group->child(0)->font(0).bold());  // the start-up project
    EXPECT_EQ(group->child(1)->text(0), "StockGrid (StockGrid.vbp)");

    auto* bar = host->findChild<QToolBar*>("Arkstash");
    ASSERT_NE(bar, nullptr);
    ASSERT_EQ(bar->actions().size(), 1);
    QAction* button = bar->actions()[0];
    EXPECT_EQ(button->text(), "Arkstash");
    EXPECT_EQ(button->toolTip(), "Backup current project");
    // The pasted face: 17 x 17, the grey background in the menus' colour.
    const std::string& face =
        host->environment().vbe().commandBars().find("Arkstash")->controls[0]->face();
    QImage picture = QImage::fromData(QByteArray(face.data(), static_cast<int>(face.size())));
    EXPECT_EQ(picture.size(), QSize(17, 17));
    EXPECT_EQ(picture.pixelColor(0, 0).rgb(),
              QApplication::palette().color(QPalette::Active, QPalette::Window).rgb());

    ASSERT_NE(host->addin().mainView(), nullptr);
    EXPECT_TRUE(host->addin().mainView()->isVisible());
    EXPECT_THAT(listed(), Contains(example("StockControl.vbg")));
    EXPECT_EQ(listed().size(), 21u);

    // Closing the host disconnects the add-in: its window's close sequence runs.
    host->close();
    EXPECT_EQ(registry::GetSetting(registry, "Arkstash", "Settings", "DisplayOnConnect", ""), "1");
    EXPECT_TRUE(std::filesystem::exists(example("StockControl.aks")));
    EXPECT_EQ(host->findChild<QToolBar*>("Arkstash"), nullptr);
}

TEST_F(HostWindow, ChangesOnDiskReachTheWindowsList) {
    struct Case {
        const char* what;
        std::function<void()> change;
        std::string file;
        bool listed;
    } cases[] = {
        {"a module added to the project file",
         [this] {
             std::ofstream(example("modNew.bas")) << "Attribute VB_Name = \"modNew\"\r\n";
             std::string project = dir.read("StockControl/StockControl.vbp");
             std::string module = "Module=modMain; modMain.bas\r\n";
             project.insert(project.find(module) + module.size(), "Module=modNew; modNew.bas\r\n");
             std::ofstream(example("StockControl.vbp"), std::ios::binary) << project;
         },
         example("modNew.bas"), true},
        {"a class file deleted", [this] { std::filesystem::remove(example("CStockItem.cls")); },
         example("CStockItem.cls"), false},
    };
    start();
    for (const Case& c : cases) {
        ASSERT_NE(isListed(c.file), c.listed) << c.what;
        c.change();
        EXPECT_TRUE(waitUntil([&] { return isListed(c.file) == c.listed; })) << c.what;
    }
    auto* explorer = host->findChild<QTreeWidget*>("ProjectExplorer");
    EXPECT_FALSE(explorer->findItems("modNew (modNew.bas)", Qt::MatchRecursive).isEmpty());
}

TEST_F(HostWindow, ASaveInPlaceOfAnyOpenProjectIsAFileWrittenEvent) {
    start();
    ide::MemoryVBE& vbe = host->environment().vbe();
    std::vector<std::string> written;
    std::vector<ide::Signal<ide::VBProject&, int, const std::string&, int>::Connection> listening;
    for (long i = 1; i <= static_cast<long>(vbe.projects().size()); ++i)
        listening.push_back(
            vbe.events()
                .fileEvents(vbe.project(i))
                ->AfterWriteFile.connect([&](ide::VBProject&, int, const std::string& file, int) {
                    written.push_back(file);
                }));
    // Written in place, as an editor that does not rename: only the file's own watch sees it.
    std::ofstream(example("StockGrid/CGridColumn.cls"), std::ios::app) << "' edited\r\n";
    EXPECT_TRUE(waitUntil([&] { return !written.empty(); }));
    EXPECT_THAT(written, ::testing::ElementsAre(example("StockGrid/CGridColumn.cls")));
}

TEST_F(HostWindow, TheAddinManagersChoicesPersist) {
    start();
    // The user unticks both boxes and presses OK.
    QTimer::singleShot(0, [] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        dialog->findChild<QCheckBox*>("loadedBox")->setChecked(false);
        dialog->findChild<QCheckBox*>("loadOnStartupBox")->setChecked(false);
        dialog->accept();
    });
    host->manageAddins();
    EXPECT_FALSE(host->addin().loaded());
    EXPECT_EQ(host->findChild<QToolBar*>("Arkstash"), nullptr);
    EXPECT_EQ(registry::GetSetting(registry, "Arkstash", "Settings", "DisplayOnConnect", ""), "1");
    const char* key = "Software\\Microsoft\\Visual Basic\\6.0\\Addins\\Arkstash.Connect";
    EXPECT_EQ(setting(key, "Loaded"), "000");
    EXPECT_EQ(setting(key, "LoadOnStartup"), "000");
    EXPECT_EQ(setting(key, "FriendlyName"), "Arkstash for Visual Basic");
    EXPECT_EQ(setting(key, "Description"), "Backup your VB Projects");

    // The next start leaves it unloaded, until the manager loads it again.
    host.reset();
    start();
    EXPECT_FALSE(host->addin().loaded());
    host->applyAddinChoices(true, false);
    EXPECT_NE(host->findChild<QToolBar*>("Arkstash"), nullptr);
    EXPECT_EQ(setting(key, "Loaded"), "001");
    EXPECT_EQ(setting(key, "LoadOnStartup"), "000");
}

TEST_F(HostWindow, CodeWindowsShowTheLinesTheEnvironmentCountsAndDesignersTheirControls) {
    start();
    ide::MemoryVBE& vbe = host->environment().vbe();
    for (std::size_t i = 1; i <= vbe.projects().size(); ++i) {
        ide::MemoryProject& p = vbe.project(static_cast<long>(i));
        for (std::size_t j = 1; j <= p.components().size(); ++j) {
            const ide::ComponentData& c = p.component(static_cast<long>(j)).data();
            if (!c.HasCodeModule) continue;
            gui::ComponentSource source =
                gui::readComponentSource(files.readFile(c.FileName, UINT64_MAX));
            EXPECT_EQ(static_cast<long>(source.code.size()), c.CountOfLines) << c.FileName;
        }
    }
    gui::ComponentSource form =
        gui::readComponentSource(files.readFile(example("frmStock.frm"), UINT64_MAX));
    std::vector<std::string> outline;
    for (const gui::DesignedControl& control : form.design)
        outline.push_back(std::string(static_cast<std::size_t>(control.depth), '.') + control.name +
                          " " + control.type + " " + control.caption);
    EXPECT_THAT(outline,
                ::testing::ElementsAre("frmStock VB.Form Stock levels", ".cmbStore VB.ComboBox ",
                                       ".lvwStock MSComctlLib.ListView "));
}

}  // namespace
