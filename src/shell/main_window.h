// The main window: its state, the routines wired together, and its controls' events wired to
// their handlers. The desktop view, the command line and the tests all start from here.
#pragma once

#include "form/main_form.h"
#include "projectview/fill_tree.h"

namespace arkstash::shell {

class MainWindow {
  public:
    explicit MainWindow(form::Platform& platform);
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    form::MainForm frm;

    // The load sequence: tool pictures, the compression list, the settings.
    void Load();
    // Hands the window the environment (and, later, the add-in connection). The settings are
    // read again at once: before the hand-over the project's own backup folder could not be
    // known, and the scan that follows would store the folder shown.
    void setEnvironment(ide::VBE* vbe);
    // The add-in connection's event holder, pointed at the active project by each scan.
    void setEventHolder(projectview::EventHolder* holder) { events_ = holder; }

    // Commands the command line and the tool bar share.
    void Refresh() { form::MainForm::run(frm.routines.FillTree); }
    // The Backup command: the settings are read again, then the run starts. A command that
    // arrives while a run is in progress is ignored.
    void Backup();

  private:
    void wireRoutines();
    void wireEvents();
    projectview::EventHolder* events_ = nullptr;
};

}  // namespace arkstash::shell
