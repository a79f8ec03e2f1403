#include "gui/command_bars.h"

#include <QAction>
#include <QCursor>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>

#include "gui/image_list.h"

namespace arkstash::gui {

namespace {
QString text(const std::string& s) {
    return QString::fromStdString(s);
}
}  // namespace

CommandBars::CommandBars(window::ToolSet& tools, QMainWindow& window)
    : QObject(&window), tools_(tools) {
    setObjectName(text(tools.name));
    for (const auto& tool : tools_.tools) {
        if (!tool.items.empty()) continue;
        auto* action = new QAction(text(tool.caption), &window);
        action->setObjectName(text(tool.id));
        // A tool without a tip of its own shows none rather than its caption.
        action->setToolTip(tool.tooltip.empty() ? QString() : text(tool.tooltip));
        const std::string id = tool.id;
        connect(action, &QAction::triggered, this, [this, id] { tools_.click(id); });
        actions_[tool.id] = action;
    }
    for (const auto& tool : tools_.tools)
        if (!tool.items.empty()) menus_[tool.id] = buildMenu(tool, &window);

    for (const auto& bar : tools_.bars) {
        if (bar.name == "ListMenu1") {
            window.menuBar()->setObjectName(text(bar.name));
            for (const auto& id : bar.tools)
                if (QMenu* m = menu(id)) window.menuBar()->addMenu(m);
        } else {
            auto* toolBar = window.addToolBar(text(bar.name));
            toolBar->setObjectName(text(bar.name));
            toolBar->setMovable(false);
            toolBar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
            fill(toolBar, bar.tools);
        }
    }
    sync();
}

QMenu* CommandBars::buildMenu(const window::Tool& menuTool, QWidget* parent) {
    auto* menu = new QMenu(text(menuTool.caption), parent);
    menu->setObjectName(text(menuTool.id));
    fill(menu, menuTool.items);
    return menu;
}

void CommandBars::fill(QWidget* bar, const std::vector<std::string>& ids) {
    for (const auto& id : ids) {
        if (id == window::kSeparator) {
            if (auto* menu = qobject_cast<QMenu*>(bar)) menu->addSeparator();
            if (auto* toolBar = qobject_cast<QToolBar*>(bar)) toolBar->addSeparator();
        } else if (QAction* a = action(id)) {
            bar->addAction(a);
        }
    }
}

void CommandBars::sync() {
    for (const auto& tool : tools_.tools) {
        QAction* a = action(tool.id);
        if (!a) continue;
        a->setEnabled(tool.enabled);
        if (tool.picture) a->setIcon(imageListIcon(tool.picture));
    }
}

void CommandBars::popUp(const std::string& menuId) {
    if (QMenu* m = menu(menuId)) m->popup(QCursor::pos());
}

QAction* CommandBars::action(const std::string& id) const {
    auto found = actions_.find(id);
    return found == actions_.end() ? nullptr : found->second;
}

QMenu* CommandBars::menu(const std::string& menuId) const {
    auto found = menus_.find(menuId);
    return found == menus_.end() ? nullptr : found->second;
}

}  // namespace arkstash::gui
