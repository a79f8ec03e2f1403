// The window's two lists and its tree as the view shows them: the typed rows with the view's
// own state (columns, selection, enabled) and the events the view raises back.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "backup/references.h"
#include "controls/control_state.h"
#include "controls/list_columns.h"
#include "projectview/file_list.h"
#include "projectview/project_tree.h"

namespace arkstash::window {

enum class MouseButton { Left, Right, Middle };

// What the views of the lists and the tree share: a counter the window moves on with every
// change of the rows or columns, so a view knows when to read them again.
class Revisioned {
  public:
    std::uint64_t revision() const { return revision_; }
    void touch() { ++revision_; }

  private:
    std::uint64_t revision_ = 0;
};

// The file list ("ListView1"): what a backup writes.
class FileListView : public controls::ControlState, public projectview::FileList, public Revisioned {
  public:
    explicit FileListView(std::string controlName) { name = std::move(controlName); }

    std::vector<controls::ListColumn> columns;
    // The empty state shows this one bold row in place of files.
    std::optional<std::string> message;
    bool fullRowSelect = false;
    controls::TextMeasure measure = controls::approximateTextWidth;

    // Rows the view shows: the files, or the message row.
    std::size_t shownRowCount() const { return message ? 1 : size(); }
    std::string cell(std::size_t row, std::size_t column) const;

    // The six columns "    File", "Lines", "Type", "Size", "Date", "Saved".
    void setFileColumns();
    // The File, Type, Size and Date columns fitted to their contents (AutoSizeColumns).
    void fitColumnsToContents();
    // The last column fills the rest of the list's width (FitLastColumn).
    void fitLastColumn();

    std::function<void(std::size_t column)> columnClicked;
    std::function<void(std::size_t row)> rowClicked;
    std::function<void(std::size_t row, bool checked)> checkChanged;
    std::function<void(MouseButton button)> mouseReleased;
};

// The references and components list ("ListView2").
class ReferenceListView : public controls::ControlState, public Revisioned {
  public:
    explicit ReferenceListView(std::string controlName) { name = std::move(controlName); }

    std::vector<backup::ReferenceRow> rows;
    std::optional<std::size_t> selected;
    std::vector<controls::ListColumn> columns;
    controls::TextMeasure measure = controls::approximateTextWidth;

    void setReferenceColumns();
    // The Description, File and Guid columns fitted to their contents.
    void fitColumnsToContents();
    const backup::ReferenceRow* selectedRow() const {
        return selected && *selected < rows.size() ? &rows[*selected] : nullptr;
    }

    std::function<void(std::size_t row)> rowClicked;
    std::function<void(std::size_t row, bool checked)> checkChanged;
    std::function<void(MouseButton button)> mouseReleased;
};

// The project tree ("tvMain").
class ProjectTreeView : public controls::ControlState, public projectview::ProjectTree,
                        public Revisioned {
  public:
    explicit ProjectTreeView(std::string controlName) { name = std::move(controlName); }
    ProjectTreeView& operator=(projectview::ProjectTree tree) {
        static_cast<projectview::ProjectTree&>(*this) = std::move(tree);
        touch();
        return *this;
    }

    std::function<void(std::size_t node)> collapsed;
    std::function<void(std::size_t node)> expanded;
};

}  // namespace arkstash::window
