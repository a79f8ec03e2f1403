#include "platform/ui/tabs.h"

#include "platform/error.h"

namespace arkstash::ui {

Tab& TabStrip::tab(int index) {
    if (index < 1 || index > static_cast<int>(tabs.size()))
        throw PlatformError("Invalid tab index");
    return tabs[static_cast<std::size_t>(index - 1)];
}

void TabStrip::select(int index) {
    tab(index);  // range check
    if (index == selectedIndex) return;
    selectedIndex = index;
    if (TabSelected) TabSelected(index);
}

const std::string& TabStrip::selectedCaption() const {
    static const std::string none;
    if (selectedIndex < 1 || selectedIndex > static_cast<int>(tabs.size())) return none;
    return tabs[static_cast<std::size_t>(selectedIndex - 1)].caption;
}

}  // namespace arkstash::ui
