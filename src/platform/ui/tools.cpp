#include "platform/ui/tools.h"

#include "platform/error.h"

namespace arkstash::ui {

Tool& ToolSet::add(Tool t) {
    if (find(t.id)) throw PlatformError("Tool " + t.id + " exists already");
    tools.push_back(std::move(t));
    return tools.back();
}

Tool& ToolSet::tool(const std::string& id) {
    for (auto& t : tools)
        if (t.id == id) return t;
    throw PlatformError("No tool with id " + id);
}

const Tool* ToolSet::find(const std::string& id) const {
    for (const auto& t : tools)
        if (t.id == id) return &t;
    return nullptr;
}

bool ToolSet::isEnabled(const std::string& id) const {
    const Tool* t = find(id);
    return t && t->enabled;
}

void ToolSet::popUpMenu(const std::string& id) {
    tool(id);  // must exist
    popUpsShown.push_back(id);
    if (PopUpRequested) PopUpRequested(id);
}

}  // namespace arkstash::ui
