#include "window/tab_strip.h"

namespace arkstash::window {

void TabStrip::select(Tab tab) {
    if (tab == current_ || static_cast<std::size_t>(tab) >= pages.size()) return;
    current_ = tab;
    if (selected) selected(tab);
}

}  // namespace arkstash::window
