#include "gui/project_tree_widget.h"

#include <QHeaderView>

#include "gui/image_list.h"

namespace arkstash::gui {

ProjectTreeWidget::ProjectTreeWidget(window::ProjectTreeView& tree, QWidget* parent)
    : QTreeWidget(parent), tree_(tree) {
    setObjectName(QString::fromStdString(tree.name));
    setHeaderHidden(true);
    setColumnCount(1);
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Long captions scroll rather than being cut short.
    header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    header()->setStretchLastSection(false);
    connect(this, &QTreeWidget::itemExpanded, this, [this](QTreeWidgetItem* item) {
        if (!syncing_ && tree_.expanded) tree_.expanded(nodeOf(item));
    });
    connect(this, &QTreeWidget::itemCollapsed, this, [this](QTreeWidgetItem* item) {
        if (!syncing_ && tree_.collapsed) tree_.collapsed(nodeOf(item));
    });
    sync();
}

std::size_t ProjectTreeWidget::nodeOf(QTreeWidgetItem* item) const {
    return item ? item->data(0, Qt::UserRole).value<qulonglong>() : items_.size();
}

bool ProjectTreeWidget::sameShape() const {
    const auto& nodes = tree_.nodes();
    if (nodes.size() != items_.size()) return false;
    for (std::size_t i = 0; i < nodes.size(); ++i)
        if (items_[i]->text(0) != QString::fromStdString(nodes[i].caption)) return false;
    return true;
}

void ProjectTreeWidget::rebuild() {
    clear();
    items_.clear();
    const auto& nodes = tree_.nodes();
    for (std::size_t i = 0; i < nodes.size(); ++i) {
        const auto& node = nodes[i];
        QTreeWidgetItem* parent =
            node.parent && *node.parent < items_.size() ? items_[*node.parent] : nullptr;
        auto* item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(this);
        item->setText(0, QString::fromStdString(node.caption));
        item->setData(0, Qt::UserRole, QVariant::fromValue<qulonglong>(i));
        item->setIcon(0, imageListIcon(node.image, node.selectedImage));
        items_.push_back(item);
    }
}

void ProjectTreeWidget::sync() {
    if (tree_.revision() == seenRevision_) return;
    seenRevision_ = tree_.revision();
    syncing_ = true;
    if (!sameShape()) rebuild();
    const auto& nodes = tree_.nodes();
    for (std::size_t i = 0; i < nodes.size(); ++i) {
        QFont font = items_[i]->font(0);
        font.setBold(nodes[i].bold);
        items_[i]->setFont(0, font);
        items_[i]->setExpanded(nodes[i].expanded);
    }
    QTreeWidgetItem* selected =
        tree_.selected && *tree_.selected < items_.size() ? items_[*tree_.selected] : nullptr;
    if (selected)
        setCurrentItem(selected);
    else
        clearSelection();
    setEnabled(tree_.enabled);
    syncing_ = false;
}

}  // namespace arkstash::gui
