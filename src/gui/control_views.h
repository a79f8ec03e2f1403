// The window's simple controls (labels, check boxes, text boxes, buttons, frames, the choice
// list) shown by Qt widgets. `make...` creates a widget named after its control and sends the
// user's action back to it (a click, a key, a pick); `present` shows the control's state and
// raises none of its events.
#pragma once

#include <QLineEdit>
#include <QPlainTextEdit>

#include "controls/basic_controls.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QWidget;

namespace arkstash::gui {

QLabel* makeLabel(controls::Label& label, QWidget* parent);
QCheckBox* makeCheckBox(controls::CheckBox& box, QWidget* parent);
QPushButton* makeButton(controls::Button& button, QWidget* parent);
QGroupBox* makeFrame(controls::Frame& frame, QWidget* parent);
QComboBox* makeComboBox(controls::ComboBox& list, QWidget* parent);

// A one-line text box: each typed character goes past the box's key-press handler first, which
// may swallow it (answer 0) or let it in; then the new text goes to the box.
class LineBox : public QLineEdit {
    Q_OBJECT
  public:
    LineBox(controls::TextBox& box, QWidget* parent);
    void showState();

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

  private:
    controls::TextBox& box_;
};

// The memo: every keystroke's effect reaches the box's text, then the box hears of the key, so
// whoever keeps the text (the side file) has it with that keystroke. Line breaks are "\r\n" in
// the box, as in the file.
class MemoBox : public QPlainTextEdit {
    Q_OBJECT
  public:
    MemoBox(controls::TextBox& box, QWidget* parent);
    void showState();

  protected:
    void keyPressEvent(QKeyEvent* event) override;

  private:
    controls::TextBox& box_;
};

void present(QLabel* widget, const controls::Label& label);
void present(QCheckBox* widget, const controls::CheckBox& box);
void present(QPushButton* widget, const controls::Button& button);
void present(QGroupBox* widget, const controls::Frame& frame);
void present(QComboBox* widget, const controls::ComboBox& list);

// The character code a key gives as the runtime counts key presses: the character typed,
// Backspace 8, Enter 13, a control character for Ctrl+letter; 0 for keys that type nothing
// (arrows, Delete, function keys).
int typedCharacter(const QKeyEvent& event);

}  // namespace arkstash::gui
