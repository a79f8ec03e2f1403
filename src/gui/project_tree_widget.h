// The project tree ("tvMain") as a Qt tree: one item per node of the tree's state, with its
// picture (an open folder while selected), bold start-up project and expanded state. Expanding
// and collapsing go back as the tree's events; the state then says what is selected.
#pragma once

#include <QTreeWidget>
#include <vector>

#include "window/list_views.h"

namespace arkstash::gui {

class ProjectTreeWidget : public QTreeWidget {
    Q_OBJECT
  public:
    explicit ProjectTreeWidget(window::ProjectTreeView& tree, QWidget* parent = nullptr);
    void sync();
    // The width the widest caption needs.
    int captionsWidth() { return sizeHintForColumn(0) + indentation(); }

  private:
    void rebuild();
    bool sameShape() const;
    std::size_t nodeOf(QTreeWidgetItem* item) const;

    window::ProjectTreeView& tree_;
    std::vector<QTreeWidgetItem*> items_;
    std::uint64_t seenRevision_ = ~std::uint64_t{0};
    bool syncing_ = false;
};

}  // namespace arkstash::gui
