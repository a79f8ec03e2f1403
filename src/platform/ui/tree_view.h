// The state of a tree view: nodes with optional unique keys, captions, pictures, bold and
// expanded flags, one selected node.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/ui/control.h"

namespace arkstash::ui {

struct TreeNode {
    std::string key;  // empty: no key
    std::string text;
    int image = 0;
    int selectedImage = 0;  // 0: none
    std::optional<std::size_t> parent;
    bool bold = false;
    bool expanded = false;
};

class TreeView : public ControlState {
  public:
    explicit TreeView(std::string controlName = {}) { name = std::move(controlName); }

    std::vector<TreeNode> nodes;  // in the order they were added
    std::optional<std::size_t> selected;

    void clear() {
        nodes.clear();
        selected.reset();
    }
    // Adds a root node (parentKey empty) or a child of the node with that key. Throws
    // PlatformError when the key is taken already or the parent key names no node.
    std::size_t add(const std::string& parentKey, std::string key, std::string text, int image,
                    int selectedImage = 0);
    // Adds a child of the node at `parentIndex`.
    std::size_t addChild(std::size_t parentIndex, std::string key, std::string text, int image,
                         int selectedImage = 0);
    std::optional<std::size_t> find(const std::string& key) const;
    std::vector<std::size_t> children(std::optional<std::size_t> parent) const;
};

}  // namespace arkstash::ui
