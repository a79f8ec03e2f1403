#include "window/tool_set.h"

namespace arkstash::window {

Tool* ToolSet::find(const std::string& id) {
    for (auto& tool : tools)
        if (tool.id == id) return &tool;
    return nullptr;
}

const Tool* ToolSet::find(const std::string& id) const {
    for (const auto& tool : tools)
        if (tool.id == id) return &tool;
    return nullptr;
}

void ToolSet::setEnabled(const std::string& id, bool on) {
    if (Tool* tool = find(id)) tool->enabled = on;
}

bool ToolSet::isEnabled(const std::string& id) const {
    const Tool* tool = find(id);
    return tool && tool->enabled;
}

}  // namespace arkstash::window
