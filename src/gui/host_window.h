// The environment host: the desktop's stand-in for the development environment. It holds the
// projects the user opened (a project explorer over the loader's in-memory model), shows the
// command bars add-ins put up, opens read-only code and designer windows, loads the Arkstash
// add-in as its add-in manager says, and turns changes of the project files on disk into the
// environment's events.
#pragma once

#include <QMainWindow>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "addin/connect_services.h"
#include "gui/host_addin.h"
#include "gui/host_environment.h"
#include "platform/ide/loader.h"

class QMdiArea;
class QMenu;

namespace arkstash::gui {

class AddinBars;
class AddinManagerDialog;
class ProjectExplorer;
class ProjectFilesWatcher;

struct HostServices {
    window::Services& window;  // the files, settings and dialogs of the environment and add-in
    ide::LoaderOptions loader;
    ui::Clipboard& clipboard;
    addin::SystemColours& colours;
};

class HostWindow : public QMainWindow {
    Q_OBJECT
  public:
    explicit HostWindow(HostServices& services, QWidget* parent = nullptr);
    ~HostWindow() override;

    // Opens project and group files in place of the open ones and remembers them among the
    // recent files. Throws ide::LoadError when one cannot be loaded; the open ones stay.
    ide::LoadReport open(const std::vector<std::string>& paths);
    // Registers the add-in and connects it ("after start-up") when the add-in manager says it
    // loads at start-up.
    void loadAddinsAtStartup();
    // Clicks the first button of a bar add-ins put up; false when there is none.
    bool pressButton(const std::string& bar);

    HostEnvironment& environment() { return environment_; }
    HostedAddin& addin() { return addin_; }
    // The add-in manager: shows it modally and applies the choices made.
    void manageAddins();
    // Applies choices made in the add-in manager: connects or disconnects the add-in and keeps
    // both choices in the environment's settings.
    void applyAddinChoices(bool loaded, bool loadOnStartup);

  signals:
    // The projects were read again from disk (whether or not that worked) and the events of
    // what changed have been handled.
    void reloaded();

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void buildMenus();
    void fillRecentFiles(QMenu& menu);
    void openChosen();
    void openRecent(const std::string& path);
    // Opens, and tells the user in a message box when a file cannot be loaded.
    void openTelling(const std::vector<std::string>& paths);
    void reloadFromDisk();
    void environmentChanged(const ide::LoadReport& report);
    void showComponent(ide::MemoryComponent& component, bool designer);
    void setAddinLoaded(bool loaded);
    // Nothing is under way that a change of the projects or the add-in would pull the ground
    // from under: no reload or opening, no scan or backup of the add-in's window (which let
    // events run), no modal dialog.
    bool idle() const;
    // Runs `change` now when idle, else as soon as it is.
    void whenIdle(std::function<void()> change);

    HostServices& services_;
    HostEnvironment environment_;
    HostedAddin addin_;
    ProjectExplorer* explorer_;
    QMdiArea* documents_;
    AddinBars* bars_;
    ProjectFilesWatcher* watcher_;
    bool changing_ = false;      // the model is being changed (reload, opening)
    bool reloadQueued_ = false;  // a reload waits for the host to be idle
    bool closing_ = false;       // a close waits for the host to be idle
};

}  // namespace arkstash::gui
