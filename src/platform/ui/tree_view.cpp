#include "platform/ui/tree_view.h"

#include "platform/error.h"

namespace arkstash::ui {

std::size_t TreeView::add(const std::string& parentKey, std::string key, std::string text,
                          int image, int selectedImage) {
    if (parentKey.empty()) {
        if (!key.empty() && find(key)) throw PlatformError("Key is not unique in collection");
        return append(
            TreeNode{std::move(key), std::move(text), image, selectedImage, {}, false, false});
    }
    auto parent = find(parentKey);
    if (!parent) throw PlatformError("Element not found");
    return addChild(*parent, std::move(key), std::move(text), image, selectedImage);
}

std::size_t TreeView::addChild(std::size_t parentIndex, std::string key, std::string text,
                               int image, int selectedImage) {
    if (parentIndex >= nodes.size()) throw PlatformError("Element not found");
    if (!key.empty() && find(key)) throw PlatformError("Key is not unique in collection");
    return append(
        TreeNode{std::move(key), std::move(text), image, selectedImage, parentIndex, false, false});
}

std::size_t TreeView::append(TreeNode node) {
    catchUp();
    nodes.push_back(std::move(node));
    const TreeNode& added = nodes.back();
    if (!added.key.empty()) index_.emplace(added.key, nodes.size() - 1);
    indexed_ = nodes.size();
    return nodes.size() - 1;
}

void TreeView::catchUp() const {
    // Nodes removed behind our back (the vector is public): start over.
    if (indexed_ > nodes.size()) reindex();
    for (; indexed_ < nodes.size(); ++indexed_)
        if (!nodes[indexed_].key.empty()) index_.emplace(nodes[indexed_].key, indexed_);
}

std::optional<std::size_t> TreeView::find(const std::string& key) const {
    if (key.empty()) return std::nullopt;
    catchUp();
    auto it = index_.find(key);
    if (it == index_.end()) return std::nullopt;
    if (it->second < nodes.size() && nodes[it->second].key == key) return it->second;
    // The entry is stale (a node changed in place): rebuild once and ask again.
    reindex();
    catchUp();
    it = index_.find(key);
    if (it == index_.end()) return std::nullopt;
    return it->second;
}

std::vector<std::size_t> TreeView::children(std::optional<std::size_t> parent) const {
    std::vector<std::size_t> out;
    for (std::size_t i = 0; i < nodes.size(); ++i)
        if (nodes[i].parent == parent) out.push_back(i);
    return out;
}

}  // namespace arkstash::ui
