// The window's menu bar, tool bar and pop-up menus, made from the one tool set: every tool is
// one action wherever it shows (so its enabled state and picture are the same everywhere), and
// triggering it anywhere raises the tool set's click with the tool's id.
#pragma once

#include <QObject>
#include <map>
#include <string>

#include "window/tool_set.h"

class QAction;
class QMainWindow;
class QMenu;
class QToolBar;

namespace arkstash::gui {

class CommandBars : public QObject {
    Q_OBJECT
  public:
    // Puts the bars onto `window`.
    CommandBars(window::ToolSet& tools, QMainWindow& window);

    // Enabled states and pictures follow the tools.
    void sync();
    // Opens a menu tool ("ID_ListView1") as a pop-up at the mouse.
    void popUp(const std::string& menuId);

    QAction* action(const std::string& id) const;
    QMenu* menu(const std::string& menuId) const;

  private:
    QMenu* buildMenu(const window::Tool& menuTool, QWidget* parent);
    void fill(QWidget* bar, const std::vector<std::string>& ids);

    window::ToolSet& tools_;
    std::map<std::string, QAction*> actions_;
    std::map<std::string, QMenu*> menus_;
};

}  // namespace arkstash::gui
