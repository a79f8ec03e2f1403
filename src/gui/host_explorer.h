// The host's project explorer: the group, its projects (the start-up project in bold), a folder
// per kind of component and the components, with the pictures the main window's tree uses.
// Items are known by their file's path, so a click after the model changed finds what is there
// now, or nothing.
#pragma once

#include <QTreeWidget>
#include <functional>
#include <string>

#include "platform/ide/memory_ide.h"

namespace arkstash::gui {

class ProjectExplorer : public QTreeWidget {
    Q_OBJECT
  public:
    explicit ProjectExplorer(ide::MemoryVBE& vbe, QWidget* parent = nullptr);

    // Builds the tree again from the model.
    void rebuild();

    // What the user asked for on an item: a component's code window (a double click, View
    // Code) or its designer (View Object); a click on a project or anything in it makes that
    // project the active one.
    std::function<void(const std::string& componentFile, bool designer)> viewComponent;
    std::function<void(const std::string& projectFile)> projectChosen;

  private:
    void contextMenu(const QPoint& at);

    ide::MemoryVBE& vbe_;
};

}  // namespace arkstash::gui
