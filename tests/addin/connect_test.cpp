// The add-in against the in-memory environment: the bar and its button, what a failing step of
// the connection leaves, disconnection, and how the environment's events reach the window.
#include <gmock/gmock.h>

#include <algorithm>

#include "addin/connect.h"
#include "platform/registry/reg_helpers.h"
#include "support/failing_environment.h"
#include "support/temp_dir.h"
#include "support/window_fixture.h"

using namespace arkstash;
using ::testing::ElementsAre;

namespace {

constexpr std::uint32_t kMenuColour = 0xF0E0D0;

// The main window on the screen, as a record of what it was asked.
class RecordingView final : public addin::FormView {
  public:
    RecordingView(window::MainWindow& window, std::vector<std::string>& log,
                  std::string& folderShown)
        : window_(window), log_(log), folderShown_(folderShown) {}
    void show() override {
        log_.push_back("show");
        folderShown_ = window_.backupFolder.text();
    }
    void hide() override { log_.push_back("hide"); }
    void unload() override {
        log_.push_back("unload");
        window_.close();
    }

  private:
    window::MainWindow& window_;
    std::vector<std::string>& log_;
    std::string& folderShown_;
};

struct FixedColours final : addin::SystemColours {
    std::uint32_t GetSysColor(int index) override { return index == 4 ? kMenuColour : 0; }
};

class ConnectTest : public ::testing::Test {
  protected:
    test::TempDir dir;
    ide::MemoryVBE vbe;
    test::WindowFixture fixture;
    ui::MemoryClipboard clipboard;
    FixedColours colours;
    std::vector<std::string> viewLog;
    std::string folderShown;  // the backup folder the window showed as it appeared
    addin::ConnectServices services{
        fixture.services, clipboard, colours, [this](window::MainWindow& window) {
            return std::make_unique<RecordingView>(window, viewLog, folderShown);
        }};
    addin::Connect connect{services};
    ide::MemoryProject* project = nullptr;

    void SetUp() override {
        vbe.commandBars().setClipboard(&clipboard);
        clipboard.setContent({"", "what the user copied"});
        project = &vbe.addProject({"Stock", dir.write("Stock.vbp", "Type=Exe\r\n")});
        addModule("modMain");
    }
    void addModule(const std::string& name) {
        project->addComponent(
            {name, ide::vbext_ct_StdModule, dir.write(name + ".bas", "Dim a"), false, true, 1});
    }
    void click() { vbe.events().buttonEvents(*connect.mcbMenuCommandBar)->Click(); }
    std::string displayOnConnect() {
        return registry::GetSetting(fixture.registry, "Arkstash", "Settings", "DisplayOnConnect",
                                    "(none)");
    }
};

TEST_F(ConnectTest, AfterStartUpPutsUpTheBarWithItsButtonAndOpensNothing) {
    registry::SaveSetting(fixture.registry, "Arkstash", "Settings", "DisplayOnConnect", "1");
    connect.AddinInstance_OnConnection(vbe, ide::ext_cm_AfterStartup);

    ide::MemoryCommandBar* bar = vbe.commandBars().find("Arkstash");
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->position, 1);
    EXPECT_FALSE(bar->temporary);
    EXPECT_TRUE(bar->Enabled() && bar->Visible());
    ASSERT_EQ(bar->controls.size(), 1u);
    ide::MemoryCommandBarControl& button = *bar->controls[0];
    EXPECT_EQ(button.Style(), 3);
    EXPECT_EQ(button.TooltipText(), "Backup current project");
    EXPECT_EQ(button.Caption(), "Arkstash");
    EXPECT_EQ(connect.mcbMenuCommandBar, &button);

    // The grey background took the menus' colour, and the face came through the clipboard,
    // which holds what the user had copied again.
    addin::Bitmap face = addin::buttonBitmap({addin::kButtonBackground, kMenuColour});
    EXPECT_EQ(face.pixels.front(), kMenuColour);
    EXPECT_EQ(std::count(face.pixels.begin(), face.pixels.end(), addin::kButtonBackground), 0);
    EXPECT_EQ(button.face(), addin::encodePng(face));
    EXPECT_EQ(button.face().substr(0, 8), "\x89PNG\r\n\x1a\n");
    EXPECT_EQ(clipboard.content().text, "what the user copied");
    EXPECT_TRUE(clipboard.content().picture.empty());
    EXPECT_FALSE(connect.BitmapToPicture(addin::Bitmap{17, 17, {}}));

    // Until the first scan only the button's clicks arrive.
    addModule("modOther");
    EXPECT_EQ(connect.mainWindow(), nullptr);
    EXPECT_TRUE(viewLog.empty());
    EXPECT_TRUE(fixture.dialogs.shown.empty());
}

TEST_F(ConnectTest, ExternalModeShowsTheWindowAtOnceAndMakesNoBar) {
    connect.AddinInstance_OnConnection(vbe, ide::ext_cm_External);
    EXPECT_THAT(viewLog, ElementsAre("show"));
    EXPECT_TRUE(connect.FormDisplayed);
    EXPECT_EQ(vbe.commandBars().find("Arkstash"), nullptr);

    // There is no bar to delete; the rest of the disconnection still runs.
    connect.AddinInstance_OnDisconnection(0);
    EXPECT_EQ(displayOnConnect(), "1");
    EXPECT_THAT(viewLog, ElementsAre("show", "unload"));
    EXPECT_EQ(connect.mainWindow(), nullptr);
    EXPECT_TRUE(fixture.dialogs.shown.empty());
}

TEST_F(ConnectTest, DisconnectionKeepsWhetherTheWindowWasShown) {
    enum class Before { Nothing, Click, ClickThenHide, ClickThenUserClose };
    struct Case {
        Before before;
        const char* saved;
        std::vector<std::string> viewLog;
    } cases[] = {
        {Before::Nothing, "0", {}},
        {Before::Click, "1", {"show", "unload"}},
        {Before::ClickThenHide, "0", {"show", "hide", "unload"}},
        // Closed by the user: unloaded already, so only the flag says it was shown.
        {Before::ClickThenUserClose, "1", {"show"}},
    };
    for (const Case& c : cases) {
        viewLog.clear();
        connect.AddinInstance_OnConnection(vbe, ide::ext_cm_AfterStartup);
        if (c.before != Before::Nothing) click();
        if (c.before == Before::ClickThenHide) connect.Hide();
        if (c.before == Before::ClickThenUserClose) connect.mainWindow()->close();
        connect.AddinInstance_OnDisconnection(0);
        EXPECT_EQ(displayOnConnect(), c.saved) << c.saved;
        EXPECT_EQ(viewLog, c.viewLog) << c.saved;
        EXPECT_EQ(vbe.commandBars().find("Arkstash"), nullptr);
        EXPECT_EQ(connect.mainWindow(), nullptr);
        EXPECT_FALSE(connect.FormDisplayed);
    }
}

TEST_F(ConnectTest, AFailingStepShowsItsDescriptionAndSkipsTheRest) {
    // What the connection got done, step by step, before the failing one.
    struct Case {
        const char* member;
        int stepsDone;
    } cases[] = {
        {"CommandBars.Add", 0},   {"CommandBars.Item", 1}, {"CommandBar.setVisible", 1},
        {"Controls.Add", 2},      {"Control.setStyle", 3}, {"Control.setCaption", 5},
        {"Control.PasteFace", 7},
    };
    for (const Case& c : cases) {
        ide::MemoryVBE environment;
        environment.addProject({"Stock", ""});
        environment.commandBars().setClipboard(&clipboard);
        test::FailingEnvironment failing(environment);
        failing.fail(c.member);
        fixture.dialogs.shown.clear();
        addin::Connect addin(services);
        addin.AddinInstance_OnConnection(failing, ide::ext_cm_Startup);

        ASSERT_EQ(fixture.dialogs.shown.size(), 1u) << c.member;
        EXPECT_EQ(fixture.dialogs.shown[0].text, std::string(c.member) + " failed");
        EXPECT_EQ(fixture.dialogs.shown[0].buttons, ui::Buttons::Ok);
        EXPECT_TRUE(fixture.dialogs.shown[0].title.empty());
        ide::MemoryCommandBar* bar = environment.commandBars().find("Arkstash");
        auto* button = bar && !bar->controls.empty() ? bar->controls[0].get() : nullptr;
        std::vector<bool> done = {bar != nullptr,
                                  bar && bar->Visible(),
                                  button != nullptr,
                                  button && button->Style() == 3,
                                  button && !button->TooltipText().empty(),
                                  button && !button->Caption().empty(),
                                  addin.MenuHandler != nullptr,
                                  button && !button->face().empty()};
        std::vector<bool> expected(done.size(), false);
        std::fill_n(expected.begin(), c.stepsDone, true);
        EXPECT_EQ(done, expected) << c.member;
        EXPECT_EQ(clipboard.content().text, "what the user copied") << c.member;
    }
}

TEST_F(ConnectTest, TheButtonReadsTheSettingsShowsTheWindowAndScans) {
    registry::RegWrite(fixture.registry, registry::Root::CurrentUser, registry::kSettingsKey,
                       project->FileName(), registry::REG_SZ, dir / "kept");
    connect.AddinInstance_OnConnection(vbe, ide::ext_cm_AfterStartup);
    click();

    window::MainWindow& window = *connect.mainWindow();
    EXPECT_THAT(viewLog, ElementsAre("show"));
    EXPECT_EQ(window.environment(), &vbe);
    EXPECT_EQ(fixture.events.runs, 1);
    EXPECT_EQ(window.fileList.rows().size(), 2u);
    // Read again once the window had the environment: the project's own folder is shown from
    // the start, and the scan kept it rather than the default.
    EXPECT_EQ(folderShown, dir / "kept");
    EXPECT_EQ(window.backupFolder.text(), dir / "kept");
    EXPECT_EQ(registry::RegRead(fixture.registry, registry::Root::CurrentUser,
                                registry::kSettingsKey, project->FileName(), ""),
              dir / "kept");
    EXPECT_EQ(connect.CompEvents, vbe.events().componentsEvents(*project));
    EXPECT_EQ(connect.FileControlEvents, vbe.events().fileEvents(*project));
    EXPECT_EQ(connect.ProjEvents, vbe.events().projectsEvents());
}

TEST_F(ConnectTest, EnvironmentEventsRescanByTheirRules) {
    enum class Event { ComponentAdded, FileRemoved, ProjectAdded };
    struct Case {
        Event event;
        bool autoRefresh;
        bool userClosedWindow;  // the event loads it again, hidden
        int scans;
    } cases[] = {
        {Event::ComponentAdded, false, false, 1}, {Event::ComponentAdded, true, true, 1},
        {Event::FileRemoved, false, true, 1},     {Event::FileRemoved, true, false, 1},
        {Event::ProjectAdded, true, false, 1},    {Event::ProjectAdded, false, false, 0},
    };
    int n = 0;
    for (const Case& c : cases) {
        connect.AddinInstance_OnConnection(vbe, ide::ext_cm_AfterStartup);
        click();
        window::MainWindow& window = *connect.mainWindow();
        if (c.userClosedWindow) window.close();
        viewLog.clear();
        window.autoRefreshOption.setChecked(c.autoRefresh);
        fixture.events.runs = 0;
        std::string name = "Added" + std::to_string(++n);
        if (c.event == Event::ComponentAdded) addModule(name);
        if (c.event == Event::FileRemoved) vbe.raiseFileRemoved(*project, 1, dir / "modMain.bas");
        if (c.event == Event::ProjectAdded) vbe.addProject({name, ""});
        EXPECT_EQ(fixture.events.runs, c.scans) << n;
        EXPECT_TRUE(window.loaded()) << n;
        EXPECT_TRUE(viewLog.empty()) << n;  // never shown by an event
        connect.AddinInstance_OnDisconnection(0);
    }
}

TEST_F(ConnectTest, ASaveInAnyOpenProjectReachesTheWindowsAutomaticBackup) {
    ide::MemoryProject& other = vbe.addProject({"Tools", dir.write("Tools.vbp", "Type=Exe\r\n")});
    connect.AddinInstance_OnConnection(vbe, ide::ext_cm_AfterStartup);
    click();
    connect.mainWindow()->backUpAfterSaving.click();
    vbe.raiseFileWritten(other, ide::vbext_ft_Project, other.FileName());
    EXPECT_THAT(fixture.events.liveDelays(), ElementsAre(window::MainWindow::kSaveQuietTime));
    // Gone with the window at disconnection.
    connect.AddinInstance_OnDisconnection(0);
    vbe.raiseFileWritten(*project, ide::vbext_ft_Module, dir / "modMain.bas");
    EXPECT_TRUE(fixture.events.liveDelays().empty());
}

TEST_F(ConnectTest, AnEventDuringAScanRescansOnceAfterIt) {
    connect.AddinInstance_OnConnection(vbe, ide::ext_cm_AfterStartup);
    int inside = 0, deepest = 0;
    // The user adds a module while the first scan lets the environment's events run.
    fixture.events.hook = [&] {
        deepest = std::max(deepest, ++inside);
        if (fixture.events.runs == 1) addModule("modLate");
        --inside;
    };
    click();
    EXPECT_EQ(fixture.events.runs, 2);
    EXPECT_EQ(deepest, 1);
    EXPECT_EQ(connect.mainWindow()->fileList.rows().size(), 3u);
}

}  // namespace
