#include "gui/report_list.h"

#include <QHeaderView>
#include <QMouseEvent>

#include "backup/references.h"
#include "gui/image_list.h"
#include "gui/system_colours.h"
#include "projectview/file_row.h"

namespace arkstash::gui {

namespace {

// What both lists answer alike: their revision, columns, selection and events.
template <typename ListView>
class ListRows : public ReportRows {
  public:
    explicit ListRows(ListView& list) : list_(list) {}
    std::uint64_t revision() const override { return list_.revision(); }
    std::vector<controls::ListColumn>& columns() override { return list_.columns; }
    std::optional<std::size_t> selected() const override { return list_.selected; }
    const controls::ControlState& control() const override { return list_; }
    void checkChanged(std::size_t row, bool on) override {
        if (list_.checkChanged) list_.checkChanged(row, on);
    }
    void rowClicked(std::size_t row) override {
        if (list_.rowClicked) list_.rowClicked(row);
    }
    void mouseReleased(window::MouseButton button) override {
        if (list_.mouseReleased) list_.mouseReleased(button);
    }

  protected:
    ListView& list_;
};

class FileRows final : public ListRows<window::FileListView> {
  public:
    using ListRows::ListRows;
    std::size_t rowCount() const override { return list_.shownRowCount(); }
    std::string text(std::size_t row, std::size_t column) const override {
        return list_.cell(row, column);
    }
    // The message row of the empty state is no file: nothing to tick.
    bool checkable(std::size_t) const override { return !list_.message; }
    bool checked(std::size_t row) const override { return file(row) && file(row)->checked; }
    std::optional<controls::Colour> colour(std::size_t row) const override {
        if (!file(row)) return std::nullopt;
        return projectview::textColour(*file(row));
    }
    bool bold(std::size_t) const override { return list_.message.has_value(); }
    int image(std::size_t row) const override { return file(row) ? file(row)->image : 0; }
    std::optional<std::pair<std::size_t, bool>> sortedBy() const override {
        const auto& order = list_.sortOrder();
        if (!order.active || list_.message) return std::nullopt;
        return std::make_pair(order.column, order.descending);
    }
    bool sortsByHeader() const override { return true; }
    void columnClicked(std::size_t column) override {
        if (list_.columnClicked) list_.columnClicked(column);
    }

  private:
    const projectview::FileRow* file(std::size_t row) const {
        return list_.message || row >= list_.size() ? nullptr : &list_.row(row);
    }
};

class ReferenceRows final : public ListRows<window::ReferenceListView> {
  public:
    using ListRows::ListRows;
    std::size_t rowCount() const override { return list_.rows.size(); }
    std::string text(std::size_t row, std::size_t column) const override {
        return backup::cellText(list_.rows.at(row), column);
    }
    bool checkable(std::size_t) const override { return true; }
    bool checked(std::size_t row) const override { return list_.rows.at(row).checked; }
    // A library found on disk is black; the others keep the list's own colour.
    std::optional<controls::Colour> colour(std::size_t row) const override {
        if (!list_.rows.at(row).resolved) return std::nullopt;
        return controls::kBlack;
    }
    bool bold(std::size_t) const override { return false; }
    int image(std::size_t) const override { return projectview::images::kReference; }
};

Qt::Alignment alignmentOf(controls::Alignment alignment) {
    switch (alignment) {
        case controls::Alignment::Right:
            return Qt::AlignRight | Qt::AlignVCenter;
        case controls::Alignment::Center:
            return Qt::AlignHCenter | Qt::AlignVCenter;
        case controls::Alignment::Left:
            break;
    }
    return Qt::AlignLeft | Qt::AlignVCenter;
}

}  // namespace

std::unique_ptr<ReportRows> rowsOf(window::FileListView& list) {
    return std::make_unique<FileRows>(list);
}

std::unique_ptr<ReportRows> rowsOf(window::ReferenceListView& list) {
    return std::make_unique<ReferenceRows>(list);
}

ReportListModel::ReportListModel(ReportRows& rows, QObject* parent)
    : QAbstractTableModel(parent), rows_(rows) {}

void ReportListModel::refresh() {
    if (rows_.revision() == seenRevision_) return;
    seenRevision_ = rows_.revision();
    int rowsNow = static_cast<int>(rows_.rowCount());
    int columnsNow = static_cast<int>(rows_.columns().size());
    if (rowsNow != shownRows_ || columnsNow != shownColumns_) {
        beginResetModel();
        shownRows_ = rowsNow;
        shownColumns_ = columnsNow;
        endResetModel();
        return;
    }
    if (rowsNow > 0 && columnsNow > 0)
        emit dataChanged(index(0, 0), index(rowsNow - 1, columnsNow - 1));
    if (columnsNow > 0) emit headerDataChanged(Qt::Horizontal, 0, columnsNow - 1);
}

int ReportListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : shownRows_;
}

int ReportListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : shownColumns_;
}

bool ReportListModel::holds(const QModelIndex& index) const {
    // A scan empties the list and lets events run before the model hears of it: a repaint then
    // asks for rows the list no longer has.
    return index.isValid() && index.row() < shownRows_ && index.column() < shownColumns_ &&
           static_cast<std::size_t>(index.row()) < rows_.rowCount() &&
           static_cast<std::size_t>(index.column()) < rows_.columns().size();
}

QVariant ReportListModel::data(const QModelIndex& index, int role) const {
    if (!holds(index)) return {};
    auto row = static_cast<std::size_t>(index.row());
    auto column = static_cast<std::size_t>(index.column());
    bool first = column == 0;
    switch (role) {
        case Qt::DisplayRole:
        case Qt::ToolTipRole:
            return QString::fromStdString(rows_.text(row, column));
        case Qt::CheckStateRole:
            if (first && rows_.checkable(row))
                return rows_.checked(row) ? Qt::Checked : Qt::Unchecked;
            return {};
        case Qt::DecorationRole:
            if (first) return imageListIcon(rows_.image(row));
            return {};
        case Qt::ForegroundRole:
            if (auto colour = rows_.colour(row)) return toQColor(*colour, {});
            return {};
        case Qt::FontRole:
            if (rows_.bold(row)) {
                QFont font;
                font.setBold(true);
                return font;
            }
            return {};
        case Qt::TextAlignmentRole:
            return QVariant::fromValue(alignmentOf(rows_.columns()[column].alignment));
        default:
            return {};
    }
}

QVariant ReportListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= shownColumns_ ||
        static_cast<std::size_t>(section) >= rows_.columns().size())
        return {};
    const auto& column = rows_.columns()[static_cast<std::size_t>(section)];
    if (role == Qt::DisplayRole) return QString::fromStdString(column.header);
    if (role == Qt::TextAlignmentRole) return QVariant::fromValue(alignmentOf(column.alignment));
    return {};
}

Qt::ItemFlags ReportListModel::flags(const QModelIndex& index) const {
    if (!holds(index)) return Qt::NoItemFlags;
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (index.column() == 0 && rows_.checkable(static_cast<std::size_t>(index.row())))
        flags |= Qt::ItemIsUserCheckable;
    return flags;
}

bool ReportListModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::CheckStateRole || !(flags(index) & Qt::ItemIsUserCheckable)) return false;
    auto row = static_cast<std::size_t>(index.row());
    rows_.checkChanged(row, value.toInt() == Qt::Checked);
    // The tick is all that changed: repaint the row rather than start over.
    if (rows_.rowCount() == static_cast<std::size_t>(shownRows_)) {
        seenRevision_ = rows_.revision();
        emit dataChanged(this->index(index.row(), 0), this->index(index.row(), shownColumns_ - 1));
    }
    return true;
}

ReportListView::ReportListView(std::unique_ptr<ReportRows> rows, QWidget* parent)
    : QTreeView(parent), rows_(std::move(rows)), model_(*rows_, this), tpp_(twipsPerPixel()) {
    setObjectName(QString::fromStdString(rows_->control().name));
    setModel(&model_);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setTextElideMode(Qt::ElideRight);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    header()->setStretchLastSection(false);
    header()->setSectionsMovable(false);
    header()->setSectionsClickable(rows_->sortsByHeader());
    header()->setSortIndicatorShown(rows_->sortsByHeader());

    connect(header(), &QHeaderView::sectionClicked, this, [this](int section) {
        if (!syncing_ && section >= 0) rows_->columnClicked(static_cast<std::size_t>(section));
    });
    // A column the user widens keeps its width through the next layout pass.
    connect(header(), &QHeaderView::sectionResized, this, [this](int section, int, int size) {
        auto& columns = rows_->columns();
        if (syncing_ || section < 0 || static_cast<std::size_t>(section) >= columns.size()) return;
        columns[static_cast<std::size_t>(section)].width = static_cast<long>(size * tpp_.x);
    });
    auto clicked = [this](const QModelIndex& index) {
        if (!syncing_ && index.isValid()) rows_->rowClicked(static_cast<std::size_t>(index.row()));
    };
    connect(this, &QAbstractItemView::clicked, this, clicked);
    connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [clicked](const QModelIndex& now, const QModelIndex&) { clicked(now); });
    sync();
}

void ReportListView::sync() {
    syncing_ = true;
    model_.refresh();
    auto& columns = rows_->columns();
    for (std::size_t i = 0; i < columns.size(); ++i)
        header()->resizeSection(static_cast<int>(i),
                                std::max(0, toPixels(columns[i].width, tpp_.x)));
    if (auto sorted = rows_->sortedBy())
        header()->setSortIndicator(static_cast<int>(sorted->first),
                                   sorted->second ? Qt::DescendingOrder : Qt::AscendingOrder);
    else
        header()->setSortIndicator(-1, Qt::AscendingOrder);
    auto selected = rows_->selected();
    QModelIndex current = selected ? model_.index(static_cast<int>(*selected), 0) : QModelIndex();
    if (current != currentIndex()) {
        if (current.isValid())
            selectionModel()->setCurrentIndex(
                current, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        else
            selectionModel()->clear();
    }
    setEnabled(rows_->control().enabled);
    syncing_ = false;
}

bool ReportListView::viewportEvent(QEvent* event) {
    if (event->type() == QEvent::MouseButtonRelease) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        bool handled = QTreeView::viewportEvent(event);
        window::MouseButton button = mouse->button() == Qt::RightButton ? window::MouseButton::Right
                                     : mouse->button() == Qt::MiddleButton
                                         ? window::MouseButton::Middle
                                         : window::MouseButton::Left;
        rows_->mouseReleased(button);
        return handled;
    }
    return QTreeView::viewportEvent(event);
}

}  // namespace arkstash::gui
