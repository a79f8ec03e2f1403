// The tab strip: tabs by 1-based position, each enabled and visible on its own; one selected.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/ui/control.h"

namespace arkstash::ui {

struct Tab {
    std::string caption;
    bool enabled = true;
    bool visible = true;
};

class TabStrip : public ControlState {
  public:
    std::vector<Tab> tabs;
    int selectedIndex = 1;  // 1-based

    Tab& tab(int index);  // 1-based; throws when out of range
    // Selects a tab and raises `TabSelected` with its index when the selection changes.
    void select(int index);
    const std::string& selectedCaption() const;

    std::function<void(int index)> TabSelected;
};

}  // namespace arkstash::ui
