// One set of tools that makes the menu bar, the tool bar and the pop-up menus of the window. A
// tool is known by its id ("ID_Backup"); clicking it anywhere calls `clicked` with the id.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "controls/control_state.h"

namespace arkstash::window {

inline constexpr const char* kSeparator = "separator";

struct Tool {
    std::string id;
    std::string caption;  // "&" marks the access key
    std::string tooltip;
    bool enabled = true;
    int picture = 0;                 // image-list index, 0 for none
    std::vector<std::string> items;  // a menu: the ids of its entries, kSeparator between groups
};

struct Bar {
    std::string name;
    std::vector<std::string> tools;  // ids, kSeparator between groups
};

class ToolSet : public controls::ControlState {
  public:
    std::vector<Tool> tools;
    std::vector<Bar> bars;

    void add(Tool tool) { tools.push_back(std::move(tool)); }
    Tool* find(const std::string& id);
    const Tool* find(const std::string& id) const;
    // Tools that do not exist are off and stay so.
    void setEnabled(const std::string& id, bool on);
    bool isEnabled(const std::string& id) const;

    void click(const std::string& id) {
        if (clicked) clicked(id);
    }
    std::function<void(const std::string& id)> clicked;
    // Asks the view to open a menu tool as a pop-up at the mouse.
    void popUp(const std::string& id) {
        if (popUpRequested) popUpRequested(id);
    }
    std::function<void(const std::string& id)> popUpRequested;
};

}  // namespace arkstash::window
