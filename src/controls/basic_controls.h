// The simple controls of a window as state: labels, text boxes, check boxes, lists of choices,
// buttons, frames and pictures. The user's actions (a click, a key, a pick) reach the
// control's handlers; a view renders the state.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "controls/control_state.h"

namespace arkstash::controls {

class Label : public ControlState {
  public:
    const std::string& caption() const { return caption_; }
    void setCaption(std::string text) { caption_ = std::move(text); }
    bool bold = false;

  private:
    std::string caption_;
};

class TextBox : public ControlState {
  public:
    const std::string& text() const { return text_; }
    // Calls `changed` when the text differs from the current one, however it changed.
    void setText(std::string text);
    bool locked = false;     // read only for the user
    bool multiLine = false;
    bool concealed = false;  // shows a placeholder for every character (a password box)
    bool hasFocus = false;
    void focus() { hasFocus = true; }
    std::function<void()> changed;
    // A character the user typed (its code), before it goes into the text. The handler may
    // answer 0 to swallow it.
    std::function<int(int key)> keyPressed;
    // After a typed character took effect in the text.
    std::function<void(int key)> keyTyped;
    // Types one character: `keyPressed` first, then the character goes in at the end
    // (Backspace 8 takes the last character, Enter 13 a line break in a multi-line box), then
    // `keyTyped`. Answers the code that took effect, 0 if none.
    int type(int key);

  private:
    std::string text_;
};

class CheckBox : public ControlState {
  public:
    std::string caption;
    bool isChecked() const { return checked_; }
    // Sets the state as the program does: `clicked` is not called.
    void setChecked(bool on) { checked_ = on; }
    // The user's click: the state flips, then `clicked` is called.
    void click();
    std::function<void()> clicked;

  private:
    bool checked_ = false;
};

struct Choice {
    std::string text;
    long data = 0;
};

// A drop-down list whose text may also be set to something none of its choices says.
class ComboBox : public ControlState {
  public:
    std::vector<Choice> choices;
    void addChoice(std::string text, long data) { choices.push_back({std::move(text), data}); }
    void clear();
    const std::string& text() const { return text_; }
    // The choice with exactly that text becomes the selected one; none when no choice has it.
    void setText(std::string text);
    std::optional<std::size_t> selectedIndex() const { return selected_; }
    // The user picked a choice: it is selected, then `picked` is called.
    void pick(std::size_t index);
    std::function<void()> picked;

  private:
    std::string text_;
    std::optional<std::size_t> selected_;
};

class Button : public ControlState {
  public:
    std::string caption;
    std::function<void()> clicked;
    void click() {
        if (clicked) clicked();
    }
};

class Frame : public ControlState {
  public:
    std::string caption;
};

// Shows one picture of the window's image list.
class Picture : public ControlState {
  public:
    int image = 0;  // image-list index, 0 for none
};

}  // namespace arkstash::controls
