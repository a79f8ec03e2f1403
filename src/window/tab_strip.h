// The window's tabs: each enabled and visible on its own, one selected.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "controls/control_state.h"

namespace arkstash::window {

struct TabPage {
    std::string caption;
    bool enabled = true;
    bool visible = true;
};

enum class Tab : std::size_t { Files, Info, Properties, Memo, Status };

class TabStrip : public controls::ControlState {
  public:
    std::vector<TabPage> pages;
    TabPage& page(Tab tab) { return pages.at(static_cast<std::size_t>(tab)); }
    const TabPage& page(Tab tab) const { return pages.at(static_cast<std::size_t>(tab)); }
    Tab current() const { return current_; }
    // Selects a tab; `selected` learns of it when the selection changes.
    void select(Tab tab);
    std::function<void(Tab tab)> selected;

  private:
    Tab current_ = Tab::Files;
};

}  // namespace arkstash::window
