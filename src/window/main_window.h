// The main window ("frmMain") as state and behaviour: its controls, the routines that fill them
// from the environment, the backup run, and the commands of its menus and tool bar. The desktop
// view renders it and feeds the user's actions back through the controls' events (see
// wiring.cpp); tests drive it headless.
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "controls/basic_controls.h"
#include "controls/folder_browser.h"
#include "controls/light3d.h"
#include "controls/progress_bar.h"
#include "platform/archive/archive_engine.h"
#include "platform/ide/ide.h"
#include "platform/os/clock.h"
#include "platform/os/file_system.h"
#include "platform/registry/registry.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/event_loop.h"
#include "platform/ui/shell.h"
#include "projectview/scan.h"
#include "window/list_views.h"
#include "window/settings_store.h"
#include "window/tab_strip.h"
#include "window/tool_set.h"

namespace arkstash::window {

// The outside world as the window reaches it, wired in main() or by a test.
struct Services {
    os::FileSystem& files;
    os::Clock& clock;
    registry::Registry& registry;  // the user's settings and the type-library registrations
    ui::Dialogs& dialogs;
    ui::EventLoop& events;
    ui::Shell& shell;
    archive::ArchiveEngine& engine;
};

// The environment's event sources, which every scan points at the project then active. The
// add-in connection holds them; a window without one passes none.
class EventSubscriber {
  public:
    virtual ~EventSubscriber() = default;
    virtual void subscribe(ide::VBE& environment, ide::VBProject& activeProject) = 0;
};

// The product's web page, opened by the Help menu and the about box.
extern const char* const kWebAddress;

class MainWindow {
  public:
    explicit MainWindow(Services& services);
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    // --- Lifecycle ---------------------------------------------------------------------------
    // The load sequence: tool pictures, the compression list, the settings.
    void Load();
    // From the load sequence until the close sequence: the add-in loads the window again on
    // its next use after a close.
    bool loaded() const { return loaded_; }
    // Hands the window the environment; the settings are read again at once, now that the
    // project's own backup folder can be known (none before).
    void setEnvironment(ide::VBE* environment);
    ide::VBE* environment() const { return environment_; }
    void setEventSubscriber(EventSubscriber* subscriber) { subscriber_ = subscriber; }
    // The close sequence: the side file and the settings are saved while a project with files
    // is shown; a backup in progress is cancelled (its previous archive stays as it was).
    void close();
    // Lays the tabs' contents out for the current sizes (every resize and splitter move).
    void ResizeIt();

    // --- Routines ----------------------------------------------------------------------------
    // Rescans the environment into the tree and the file list, then brings the archive name,
    // project information, settings and references up to date. A rescan asked for while one
    // runs (an event let in by the scan) runs once after it, never inside it.
    void FillTree();
    void ProjectInfo();
    void ReadSettings();
    void WriteSettings();
    // Derives the archive name from the project file (and the date option), then CheckDir.
    void CheckZipDir();
    // Shows the View button while the archive exists, and narrows the name field to make room.
    void CheckDir();
    void LoadReferences();
    // Adds the memo and the files of a side file to the memo box and the file list.
    void ReadAKS(const std::string& path);
    // Rewrites a side file from the memo box and the user-added rows.
    void WriteAKS(const std::string& path);
    // Lets the user pick files to add by hand; they are added and the side file rewritten.
    void AddFile();
    // Backs up the ticked rows into the archive the Properties tab names. Ignored while a
    // backup runs.
    void ZipFiles();
    bool backupRunning() const { return backupRunning_; }

    // --- Automatic backups -------------------------------------------------------------------
    // What starts one: a save, the clock, or the close sequence.
    enum class AutomaticTrigger { AfterSaving, Interval, Closing };
    enum class AutomaticOutcome {
        Written,     // a complete, verified dated archive
        Unchanged,   // the files are those of the newest complete archive: nothing written
        Incomplete,  // written, but without files that could not be read
        Failed,      // nothing written (the previous archives are as they were)
        NotRun,      // nothing to back up (no scan yet) or the window is at work
    };
    // How long after the last write of a save the backup follows: an editor saving a project
    // writes its files one after another.
    static constexpr std::chrono::seconds kSaveQuietTime{5};
    // A file of an open project was written. With "Back up after saving", a backup follows
    // once no file has been written for kSaveQuietTime.
    void fileWritten(const std::string& path);
    // Backs the shown projects up as the Backup button would, into a dated archive in the
    // backup folder, without asking anything, without leaving the tab shown, and only when the
    // files changed since the newest complete archive. Only a run that fails or is incomplete
    // is reported: in the status bar and as a desktop notification.
    AutomaticOutcome AutomaticBackup(AutomaticTrigger trigger);
    // Opens a file's properties; false when they cannot be shown.
    bool ShowFileProperties(const std::string& path, const std::string& typeText);

    // --- Commands ----------------------------------------------------------------------------
    // Runs the command of a tool id ("ID_Backup"); any other id (a menu title) does nothing.
    void runCommand(const std::string& toolId);

    // --- What the view reacts to --------------------------------------------------------------
    // Called when the window's state changed in a way the view shows.
    std::function<void()> viewChanged;
    // The about box, shown modally by the view.
    std::function<void()> showAbout;
    // The window was closed by a command; the view hides it.
    std::function<void()> closed;

    // --- Controls ------------------------------------------------------------------------------
    std::string caption = "Arkstash";
    controls::ControlState frame;  // "frmMain": the window itself
    bool busy = false;             // the busy pointer is shown

    ToolSet tools;                    // "SSActiveToolBars1": menu bar, tool bar, pop-ups
    TabStrip tabs;                    // "SSActiveTabs1"
    controls::ControlState tabPanel;  // "SSActiveTabPanel2": every tab's panel has its size
    ProjectTreeView projectTree{"tvMain"};
    FileListView fileList{"ListView1"};
    ReferenceListView referenceList{"ListView2"};

    // Header.
    controls::Light3D headerFrame, projectNameFrame;  // "Light3D1", "Light3D2"
    controls::Label headerText;                       // "lblHeaderInfo"
    controls::Label projectNameLabel;                 // "lblProjectName"
    controls::Button addDateButton;                   // "cmdAddDate"

    // "Info" tab.
    controls::Label projectCaption, descriptionCaption, buildNameCaption;  // "Label2", 3, 8
    controls::Label projectLabel;                                          // "lblProject"
    controls::Label descriptionLabel;                                      // "lblDesc"
    controls::Label buildNameLabel;                                        // "lblBuildName"
    controls::Picture projectPicture;                                      // "imgProject"
    controls::CheckBox includeReferences;                                  // "chkAddComponents"
    controls::Frame referencesFrame;                                       // "framRef"

    // "Properties" tab.
    controls::Label backupFolderCaption, archiveNameCaption;  // "Label7", "Label1"
    controls::Label compressionCaption;                       // "lblCompLevel"
    controls::FolderBrowser backupFolder;                     // "txtBackupDir"
    controls::TextBox archiveName;                            // "txtZipFile"
    controls::Button viewArchiveButton;                       // "cmdView"
    controls::ComboBox compressionList;                       // "cmbCompLevel"
    controls::Frame optionsFrame, passwordFrame;              // "frmOptions", "frmPassWord"
    controls::CheckBox addDateOption;                         // "chkDateComp"
    controls::CheckBox autoRefreshOption;                     // "chkRefresh"
    controls::CheckBox usePassword;                           // "chkPassword"
    controls::Label passwordCaption;                          // "lblPass"
    controls::TextBox passwordBox;                            // "txtPassword"
    controls::Label passwordExplanation;                      // "lblPasswordExplanation"
    controls::Frame automaticFrame;                           // "frmAutomatic"
    controls::CheckBox backUpAfterSaving;                     // "chkAutoAfterSave"
    controls::CheckBox backUpEvery;                           // "chkAutoEvery"
    controls::ComboBox backUpMinutes;                         // "cmbAutoMinutes"
    controls::Label backUpMinutesCaption;                     // "lblAutoMinutes"
    controls::CheckBox backUpOnClosing;                       // "chkAutoOnClose"
    controls::CheckBox keepDated;                             // "chkKeepDated"
    controls::ComboBox keepCount;                             // "cmbKeepCount"
    controls::Label keepCountCaption;                         // "lblKeepCount"

    // "Memo" tab.
    controls::TextBox memoBox;  // "txtMemo"

    // "Status" tab.
    controls::Label statusCaption, fileProgressCaption, projectProgressCaption;  // "Label4", 5, 6
    controls::Label statusLine;                                                  // "lblStatus"
    controls::vbwProgressBar fileProgress, overallProgress;  // "vbwProgressBar1", 2

    // The window's status bar: what the last automatic backup that did not succeed said.
    std::string statusBarText;

    // The active project's name at the last scan.
    std::string ScannedProjectName;
    // What the last scan could not list (files the projects name that are missing or
    // unreadable); a backup reports them.
    std::vector<projectview::ScanProblem> scanProblems;
    // Files the projects name that the loader could not read: every backup takes them along,
    // so its report says why each is missing.
    std::vector<std::string> filesLeftOutByLoad;
    // The Windows code page the projects' names were written in, for files whose names are kept
    // as those bytes on disk: their entries get the names Windows gave them.
    std::string nameCodePage = "1252";
    // The folders of the group and its projects at the last scan.
    std::vector<std::string> projectFolders;

  private:
    friend class BackupRun;

    void defineControls();
    void defineTools();
    void wireControls();  // the wiring table: which control event calls which handler

    // Handlers (see wiring.cpp for what calls them).
    void projectNameChanged();
    void includeReferencesClicked();
    void passwordOptionClicked();
    void compressionPicked();
    int archiveNameKeyPressed(int key);
    void memoTyped(int key);
    void addDateStamp();
    void viewArchive();
    void tabSelected(Tab tab);
    void sortFileList(std::size_t column);
    void fileRowClicked(std::size_t row);
    void fileRowChecked(std::size_t row, bool checked);
    void fileListReleased(MouseButton button);
    void referenceRowChecked(std::size_t row, bool checked);
    void referenceListReleased(MouseButton button);
    void treeNodeCollapsed(std::size_t node);
    void treeNodeExpanded(std::size_t node);

    // Pieces of the routines.
    void scanOnce();
    void showEmptyState();
    void showFilesFound();
    void setViewToolsFromPath(const std::string& path, bool binaryUserControl);
    void setProjectName(const std::string& name);
    void saveMemo(const std::string& sideFile);
    void removeUserFile();
    projectview::FileRow userRow(const std::string& path) const;
    void viewComponents(bool designer);
    void showSelectedFileProperties();
    void giveWindowBack();
    bool settingsFollowProject();
    void readBackupFolder(const std::string& projectFile);
    std::optional<std::string> activeProjectFile() const;
    // The side file the memo and the user-added rows shown belong to.
    std::optional<std::string> shownSideFile() const;
    void notifyView();

    // Automatic backups.
    void defineAutomaticControls();
    void showAutomaticOptions(const AutomaticBackupOptions& options);
    AutomaticBackupOptions automaticOptionsShown() const;
    void readAutomaticOptions();
    // The close sequence's part: the backup a close or a waiting save asks for, then the clocks
    // stop.
    void closeAutomaticBackups();
    // The options as the user left them: stored, and the clock set to match.
    void automaticOptionChanged();
    void armIntervalTimer();
    // After a complete run that wrote `written`: with "Keep the last", the oldest dated
    // archives beyond the count go.
    void keepNewestDated(const std::string& written);
    void reportAutomatic(const std::string& text);

    Services& services_;
    SettingsStore settings_;
    ide::VBE* environment_ = nullptr;
    EventSubscriber* subscriber_ = nullptr;

    bool loaded_ = false;
    bool scanning_ = false;
    bool rescanPending_ = false;
    bool backupRunning_ = false;
    bool closedDuringRun_ = false;  // the window was closed while the engine wrote
    int engineLevel_ = 6;  // the last level chosen; a compression text none of the list's keeps it
    // The project whose backup folder the Properties tab shows (none: not read yet).
    std::optional<std::string> settingsProject_;
    // The side file the shown memo was read from.
    std::optional<std::string> memoSideFile_;
    // The automatic backups' options as last read or stored, and their clocks.
    AutomaticBackupOptions automatic_;
    std::unique_ptr<ui::Timer> afterSaveTimer_, intervalTimer_;
    bool saveBackupDue_ = false;  // a save's backup waits for the quiet time
};

}  // namespace arkstash::window
