// One set of tools that draws the menu bar, the tool bar and the pop-up menus. A tool is known
// by its id; clicking it anywhere raises one event that carries the id.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/ui/control.h"

namespace arkstash::ui {

inline constexpr const char* kSeparator = "separator";

struct Tool {
    std::string id;
    std::string caption;
    std::string tooltip;
    bool enabled = true;
    int picture = 0;                 // image-list index, 0 for none
    std::vector<std::string> items;  // a menu tool: ids of its entries, kSeparator between groups
};

struct Bar {
    std::string name;
    std::vector<std::string> tools;  // ids, kSeparator between groups
};

class ToolSet : public ControlState {
  public:
    std::vector<Tool> tools;
    std::vector<Bar> bars;

    Tool& add(Tool t);
    Tool& tool(const std::string& id);  // throws PlatformError when no tool has that id
    const Tool* find(const std::string& id) const;
    void setEnabled(const std::string& id, bool on) { tool(id).enabled = on; }
    bool isEnabled(const std::string& id) const;

    // Opens a menu tool as a pop-up at the mouse. The desktop view shows it; headless, the
    // request is recorded.
    void popUpMenu(const std::string& id);
    std::vector<std::string> popUpsShown;
    std::function<void(const std::string& id)> PopUpRequested;

    // Raised by the view (or a test) when a tool is clicked.
    std::function<void(const std::string& id)> ToolClick;
    void click(const std::string& id) {
        if (ToolClick) ToolClick(id);
    }
};

}  // namespace arkstash::ui
