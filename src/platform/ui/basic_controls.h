// The runtime's simple controls as state: labels, text boxes, check boxes, combo boxes,
// buttons, frames and picture boxes. Setters raise the control's events the way the runtime
// does: a text or caption change raises Change, a check box value change raises Click.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/ui/control.h"

namespace arkstash::ui {

class Label : public ControlState {
  public:
    const std::string& Caption() const { return caption_; }
    // Raises Change when the caption differs from the current one.
    void setCaption(std::string text);
    bool bold = false;
    std::function<void()> Change;

  private:
    std::string caption_;
};

class TextBox : public ControlState {
  public:
    const std::string& Text() const { return text_; }
    // Raises Change when the text differs from the current one.
    void setText(std::string text);
    bool Locked = false;
    bool MultiLine = false;
    bool hasFocus = false;
    void SetFocus() { hasFocus = true; }
    std::function<void()> Change;
    // A typed character (its code; the handler may set it to 0 to swallow it). The view calls
    // keyPress before it puts the character into the text.
    std::function<void(int& keyAscii)> KeyPress;
    int keyPress(int keyAscii) {
        if (KeyPress) KeyPress(keyAscii);
        return keyAscii;
    }
    // Raised after a typed character took effect in the text (not for one KeyPress swallowed).
    // Handlers that need the text as the user now sees it listen here.
    std::function<void(int keyAscii)> KeyTyped;
    // Types one character the way the runtime's text box does when it has no caret position to
    // honour: KeyPress first, then the character goes in at the end (Backspace takes the last
    // character, Enter a line break), then KeyTyped. Returns the code that took effect, 0 if none.
    int typeKey(int keyAscii);

  private:
    std::string text_;
};

class CheckBox : public ControlState {
  public:
    std::string caption;
    int Value() const { return value_; }  // 0 unticked, 1 ticked, 2 greyed
    // Raises Click when the value changes, as the runtime does for a value set in code.
    void setValue(int v);
    std::function<void()> Click;

  private:
    int value_ = 0;
};

struct ComboItem {
    std::string text;
    long itemData = 0;
};

class ComboBox : public ControlState {
  public:
    std::vector<ComboItem> items;
    void addItem(std::string text, long itemData) { items.push_back({std::move(text), itemData}); }
    void clear() {
        items.clear();
        text_.clear();
        listIndex_ = -1;
    }
    const std::string& Text() const { return text_; }
    // Shows a text; the list index follows when an entry has exactly that text.
    void setText(std::string text);
    int ListIndex() const { return listIndex_; }  // -1: none
    void setListIndex(int index);                 // throws when out of range
    // The user picked an entry (the view sets the index first).
    std::function<void()> Click;

  private:
    std::string text_;
    int listIndex_ = -1;
};

class Button : public ControlState {
  public:
    std::string caption;
    std::function<void()> Click;
    void click() {
        if (Click) Click();
    }
};

class Frame : public ControlState {
  public:
    std::string caption;
};

// A picture box or image control that shows one picture of the window's image list.
class Picture : public ControlState {
  public:
    int image = 0;  // image-list index, 0 for none
};

}  // namespace arkstash::ui
