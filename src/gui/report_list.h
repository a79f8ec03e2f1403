// The window's two report lists (the file list and the references list) as Qt item views over
// the typed rows: columns and widths from the list's state (twips, converted at the screen's
// resolution), check boxes, text colours and pictures per row; the user's clicks, ticks, header
// clicks and right-button releases go back as the list's own events.
#pragma once

#include <QAbstractTableModel>
#include <QTreeView>
#include <functional>
#include <memory>
#include <optional>

#include "controls/list_columns.h"
#include "gui/twips.h"
#include "window/list_views.h"

namespace arkstash::gui {

// What a report list shows and hears, whichever rows it holds.
class ReportRows {
  public:
    virtual ~ReportRows() = default;
    virtual std::uint64_t revision() const = 0;
    virtual std::size_t rowCount() const = 0;
    virtual std::vector<controls::ListColumn>& columns() = 0;
    virtual std::string text(std::size_t row, std::size_t column) const = 0;
    virtual bool checkable(std::size_t row) const = 0;
    virtual bool checked(std::size_t row) const = 0;
    virtual std::optional<controls::Colour> colour(std::size_t row) const = 0;
    virtual bool bold(std::size_t row) const = 0;
    virtual int image(std::size_t row) const = 0;
    virtual std::optional<std::size_t> selected() const = 0;
    // Sorted by a column, and which way; none while the rows keep the order they came in.
    virtual std::optional<std::pair<std::size_t, bool>> sortedBy() const { return std::nullopt; }
    virtual const controls::ControlState& control() const = 0;

    // The user's actions, raised as the list's events.
    virtual void checkChanged(std::size_t row, bool on) = 0;
    virtual void rowClicked(std::size_t row) = 0;
    virtual void mouseReleased(window::MouseButton button) = 0;
    virtual bool sortsByHeader() const { return false; }
    virtual void columnClicked(std::size_t) {}
};

std::unique_ptr<ReportRows> rowsOf(window::FileListView& list);
std::unique_ptr<ReportRows> rowsOf(window::ReferenceListView& list);

class ReportListModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    explicit ReportListModel(ReportRows& rows, QObject* parent = nullptr);

    // Catches up with the list when its revision moved: a new shape resets the model, the same
    // shape only repaints, so the user's scroll position survives a tick or a layout pass.
    void refresh();

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

  private:
    bool holds(const QModelIndex& index) const;

    ReportRows& rows_;
    std::uint64_t seenRevision_ = ~std::uint64_t{0};
    int shownRows_ = 0, shownColumns_ = 0;
};

class ReportListView : public QTreeView {
    Q_OBJECT
  public:
    ReportListView(std::unique_ptr<ReportRows> rows, QWidget* parent = nullptr);

    ReportListModel& listModel() { return model_; }
    // Brings rows, widths, sort mark, selection and enabled state in line with the list.
    void sync();

  protected:
    bool viewportEvent(QEvent* event) override;

  private:
    std::unique_ptr<ReportRows> rows_;
    ReportListModel model_;
    TwipsPerPixel tpp_;
    bool syncing_ = false;
};

}  // namespace arkstash::gui
