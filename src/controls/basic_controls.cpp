#include "controls/basic_controls.h"

#include "util/strings.h"

namespace arkstash::controls {

namespace {
constexpr int kBackspace = 8;
constexpr int kEnter = 13;

std::string withoutLastCharacter(std::string text) {
    // A line break of a multi-line box goes as one character.
    if (util::endsWith(text, "\r\n")) {
        text.resize(text.size() - 2);
        return text;
    }
    return util::withoutLastCharacters(text, 1).value_or(std::string());
}
}  // namespace

void TextBox::setText(std::string text) {
    if (text == text_) return;
    text_ = std::move(text);
    if (changed) changed();
}

int TextBox::type(int key) {
    if (keyPressed) key = keyPressed(key);
    if (key == 0) return 0;
    if (!locked) {
        if (key == kBackspace)
            setText(withoutLastCharacter(text_));
        else if (key == kEnter && multiLine)
            setText(text_ + "\r\n");
        else if (key >= 32 && key < 127)
            setText(text_ + static_cast<char>(key));
    }
    if (keyTyped) keyTyped(key);
    return key;
}

void CheckBox::click() {
    checked_ = !checked_;
    if (clicked) clicked();
}

void ComboBox::clear() {
    choices.clear();
    text_.clear();
    selected_.reset();
}

void ComboBox::setText(std::string text) {
    text_ = std::move(text);
    selected_.reset();
    for (std::size_t i = 0; i < choices.size(); ++i)
        if (choices[i].text == text_) {
            selected_ = i;
            break;
        }
}

void ComboBox::pick(std::size_t index) {
    if (index >= choices.size()) return;
    selected_ = index;
    text_ = choices[index].text;
    if (picked) picked();
}

}  // namespace arkstash::controls
