// The project tree: one node per project, a folder per component kind under it, one node per
// component in the folder. Nodes keep the order they were added in.
#pragma once

#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace arkstash::projectview {

struct TreeNode {
    std::string key;  // empty: none; otherwise unique in the tree
    std::string caption;
    int image = 0;
    int selectedImage = 0;  // 0: the same as `image`
    std::optional<std::size_t> parent;
    bool bold = false;
    bool expanded = false;
};

class ProjectTree {
  public:
    const std::vector<TreeNode>& nodes() const { return nodes_; }
    TreeNode& node(std::size_t index) { return nodes_.at(index); }
    bool empty() const { return nodes_.empty(); }

    // Adds a node under `parent` (none: a root). A key another node has already is not given
    // to the new node: callers look a keyed node up before they add it.
    std::size_t add(std::optional<std::size_t> parent, std::string key, std::string caption,
                     int image, int selectedImage = 0);
    std::optional<std::size_t> find(const std::string& key) const;
    std::vector<std::size_t> children(std::optional<std::size_t> parent) const;
    void clear();

    std::optional<std::size_t> selected;

  private:
    std::vector<TreeNode> nodes_;
    std::unordered_map<std::string, std::size_t> byKey_;
};

}  // namespace arkstash::projectview
