// The read-only windows the host opens for a component: its code, with line numbers, as the
// code window shows it (no design block, no attribute lines), and its designer as an outline of
// the controls the design block holds.
#pragma once

#include <QPlainTextEdit>
#include <QTreeWidget>
#include <string>
#include <vector>

namespace arkstash::gui {

// A control of a design block: "Begin VB.CommandButton cmdOK" and its caption, if it has one.
struct DesignedControl {
    int depth = 0;  // 0: the form, user control or page itself
    std::string type;
    std::string name;
    std::string caption;
};

struct ComponentSource {
    std::vector<std::string> code;  // the code window's lines
    std::vector<DesignedControl> design;
};

// Splits a component's source text (already UTF-8) into what its two windows show.
ComponentSource readComponentSource(const std::string& text);

// Code with its line numbers in a margin on the left.
class CodeView : public QPlainTextEdit {
    Q_OBJECT
  public:
    CodeView(const std::vector<std::string>& lines, QWidget* parent = nullptr);
    int marginWidth() const;
    void paintMargin(QPaintEvent* event);

  protected:
    void resizeEvent(QResizeEvent* event) override;

  private:
    QWidget* margin_;
};

// The controls of a design block as a tree: "cmdOK (VB.CommandButton) "OK"".
class DesignerOutline : public QTreeWidget {
    Q_OBJECT
  public:
    DesignerOutline(const std::vector<DesignedControl>& controls, QWidget* parent = nullptr);
};

}  // namespace arkstash::gui
