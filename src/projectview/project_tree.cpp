#include "projectview/project_tree.h"

namespace arkstash::projectview {

std::size_t ProjectTree::add(std::optional<std::size_t> parent, std::string key,
                             std::string caption, int image, int selectedImage) {
    if (!key.empty() && !byKey_.emplace(key, nodes_.size()).second) key.clear();
    nodes_.push_back(TreeNode{std::move(key), std::move(caption), image, selectedImage, parent,
                              false, false});
    return nodes_.size() - 1;
}

std::optional<std::size_t> ProjectTree::find(const std::string& key) const {
    auto it = byKey_.find(key);
    if (it == byKey_.end()) return std::nullopt;
    return it->second;
}

std::vector<std::size_t> ProjectTree::children(std::optional<std::size_t> parent) const {
    std::vector<std::size_t> out;
    for (std::size_t i = 0; i < nodes_.size(); ++i)
        if (nodes_[i].parent == parent) out.push_back(i);
    return out;
}

void ProjectTree::clear() {
    nodes_.clear();
    byKey_.clear();
    selected.reset();
}

}  // namespace arkstash::projectview
