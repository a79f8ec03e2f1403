// The main window's state: its controls, the environment it was handed, and the routines one
// concern of the window calls in another. The project view, the backup and the shell all drive
// this one state; the desktop view renders it, the command line and the tests use it headless.
#pragma once

#include <functional>
#include <string>

#include "controls/folder_browser.h"
#include "controls/light3d.h"
#include "controls/progress_bar.h"
#include "platform/archive/archive_engine.h"
#include "platform/ide/ide.h"
#include "platform/os/clock.h"
#include "platform/os/file_system.h"
#include "platform/registry/registry.h"
#include "platform/ui/basic_controls.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/list_view.h"
#include "platform/ui/runtime.h"
#include "platform/ui/tabs.h"
#include "platform/ui/tools.h"
#include "platform/ui/tree_view.h"

namespace arkstash::form {

// The outside world as the window reaches it, wired in main() or by a test.
struct Platform {
    os::FileSystem& fs;
    os::Clock& clock;
    registry::Registry& registry;
    ui::Dialogs& dialogs;
    ui::EventLoop& loop;
    archive::ArchiveEngine* engine = nullptr;  // the backup run's engine; none outside a backup
};

// Routines of the window that one concern calls in another. The shell wires them; a test may
// wire only the ones it needs (an unset routine does nothing).
struct Routines {
    std::function<void()> FillTree;
    std::function<void()> CheckZipDir;
    std::function<void()> CheckDir;
    std::function<void()> ProjectInfo;
    std::function<void()> ReadSettings;
    std::function<void()> WriteSettings;
    std::function<void()> LoadReferences;
    std::function<void(const std::string& path)> ReadAKS;
    std::function<void(const std::string& path)> WriteAKS;
    // Rewrites the side file at `path` with the memo box, keeping the files that side file
    // lists: by the time the shown project changes, the list holds the next project's rows.
    std::function<void(const std::string& path)> SaveMemo;
    std::function<void()> ZipFiles;
};

// Image-list indexes the window's pictures are known by.
namespace images {
inline constexpr int kProjectBase = 12;  // + project type 0..3
inline constexpr int kFolder = 16;
inline constexpr int kFolderSelected = 17;
inline constexpr int kReference = 18;
inline constexpr int kGroup = 19;
inline constexpr int kAddFile = 20;
inline constexpr int kRemoveFile = 21;
inline constexpr int kUserAdded = 22;
}  // namespace images

// Tab positions of SSActiveTabs1.
namespace tabs {
inline constexpr int kFiles = 1;
inline constexpr int kInfo = 2;
inline constexpr int kProperties = 3;
inline constexpr int kMemo = 4;
inline constexpr int kStatus = 5;
}  // namespace tabs

class MainForm {
  public:
    explicit MainForm(Platform& platform);
    MainForm(const MainForm&) = delete;
    MainForm& operator=(const MainForm&) = delete;

    Platform& platform;
    Routines routines;
    ide::VBE* VBInstance = nullptr;  // handed over by Show; none before

    // Name of the active project at the last scan.
    std::string ScannedProjectName;
    // The project file path the settings were last read for (so a scan of another project
    // reads its own folder before it stores anything).
    std::string settingsProjectPath;
    // False until the backup folder has been read for a project at all (an empty path is a
    // project that was never saved, not "none").
    bool settingsProjectRead = false;
    // The side file the memo shown was read from, so it is saved back to its own project.
    std::string memoSideFile;
    // True from the engine's start until its completion has been handled.
    bool backupRunning = false;
    // Runs a routine when it is wired.
    static void run(const std::function<void()>& r) {
        if (r) r();
    }

    std::string caption = "Arkstash";
    ui::ControlState frame;  // the window itself
    ui::Pointer MousePointer;

    // Tools, tabs, tree and lists.
    ui::ToolSet SSActiveToolBars1;
    ui::TabStrip SSActiveTabs1;
    ui::ControlState SSActiveTabPanel2;  // the panel of the "Info" tab; all panels share its size
    ui::TreeView tvMain{"tvMain"};
    ui::ListView ListView1{"ListView1"};
    ui::ListView ListView2{"ListView2"};

    // Header.
    controls::Light3D Light3D1, Light3D2;
    ui::Label lblHeaderInfo, lblProjectName;
    ui::Button cmdAddDate;

    // "Info" tab.
    ui::Label Label2, Label3, Label8;
    ui::Label lblProject, lblDesc, lblBuildName;
    ui::Picture imgProject;
    ui::CheckBox chkAddComponents;
    ui::Frame framRef;

    // "Properties" tab.
    ui::Label Label7, Label1, lblCompLevel;
    controls::FolderBrowser txtBackupDir;
    ui::TextBox txtZipFile;
    ui::Button cmdView;
    ui::ComboBox cmbCompLevel;
    ui::Frame frmOptions, frmPassWord;
    ui::CheckBox chkDateComp, chkRefresh, chkPassword;
    ui::Label lblPass, lblPasswordExplanation;
    ui::TextBox txtPassword;

    // "Memo" tab.
    ui::TextBox txtMemo;

    // "Status" tab.
    ui::Label Label4, Label5, Label6, lblStatus;
    controls::vbwProgressBar vbwProgressBar1, vbwProgressBar2;

  private:
    void defineTools();
};

}  // namespace arkstash::form
