// The state of a tree view: nodes with optional unique keys, captions, pictures, bold and
// expanded flags, one selected node.
#pragma once

#include <optional>
#include <string>
#include <unordered_map>
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

    // In the order they were added. Read freely; add and clear through the members below, so
    // the key index stays true (call reindex() after changing keys in place).
    std::vector<TreeNode> nodes;
    std::optional<std::size_t> selected;

    void clear() {
        nodes.clear();
        selected.reset();
        reindex();
    }
    // Adds a root node (parentKey empty) or a child of the node with that key. Throws
    // PlatformError when the key is taken already or the parent key names no node.
    std::size_t add(const std::string& parentKey, std::string key, std::string text, int image,
                    int selectedImage = 0);
    // Adds a child of the node at `parentIndex`.
    std::size_t addChild(std::size_t parentIndex, std::string key, std::string text, int image,
                         int selectedImage = 0);
    // The node with that key; a scan adds thousands of nodes and looks up a folder for each,
    // so this goes through an index rather than along the nodes.
    std::optional<std::size_t> find(const std::string& key) const;
    std::vector<std::size_t> children(std::optional<std::size_t> parent) const;
    // Forgets the key index; the next look-up builds it again from the nodes.
    void reindex() const {
        index_.clear();
        indexed_ = 0;
    }

  private:
    void catchUp() const;
    std::size_t append(TreeNode node);

    // Keys of nodes[0, indexed_) to their positions.
    mutable std::unordered_map<std::string, std::size_t> index_;
    mutable std::size_t indexed_ = 0;
};

}  // namespace arkstash::ui
