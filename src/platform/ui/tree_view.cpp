#include "platform/ui/tree_view.h"

#include "platform/error.h"

namespace arkstash::ui {

std::size_t TreeView::add(const std::string& parentKey, std::string key, std::string text,
                          int image, int selectedImage) {
    if (parentKey.empty()) {
        if (!key.empty() && find(key)) throw PlatformError("Key is not unique in collection");
        nodes.push_back(
            TreeNode{std::move(key), std::move(text), image, selectedImage, {}, false, false});
        return nodes.size() - 1;
    }
    auto parent = find(parentKey);
    if (!parent) throw PlatformError("Element not found");
    return addChild(*parent, std::move(key), std::move(text), image, selectedImage);
}

std::size_t TreeView::addChild(std::size_t parentIndex, std::string key, std::string text,
                               int image, int selectedImage) {
    if (parentIndex >= nodes.size()) throw PlatformError("Element not found");
    if (!key.empty() && find(key)) throw PlatformError("Key is not unique in collection");
    nodes.push_back(
        TreeNode{std::move(key), std::move(text), image, selectedImage, parentIndex, false, false});
    return nodes.size() - 1;
}

std::optional<std::size_t> TreeView::find(const std::string& key) const {
    if (key.empty()) return std::nullopt;
    for (std::size_t i = 0; i < nodes.size(); ++i)
        if (nodes[i].key == key) return i;
    return std::nullopt;
}

std::vector<std::size_t> TreeView::children(std::optional<std::size_t> parent) const {
    std::vector<std::size_t> out;
    for (std::size_t i = 0; i < nodes.size(); ++i)
        if (nodes[i].parent == parent) out.push_back(i);
    return out;
}

}  // namespace arkstash::ui
