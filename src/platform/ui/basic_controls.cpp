#include "platform/ui/basic_controls.h"

#include "platform/error.h"

namespace arkstash::ui {

void Label::setCaption(std::string text) {
    if (text == caption_) return;
    caption_ = std::move(text);
    if (Change) Change();
}

void TextBox::setText(std::string text) {
    if (text == text_) return;
    text_ = std::move(text);
    if (Change) Change();
}

int TextBox::typeKey(int keyAscii) {
    keyAscii = keyPress(keyAscii);
    if (keyAscii == 0) return 0;
    if (!Locked) {
        std::string t = text_;
        if (keyAscii == 8) {
            // Drop one whole character, a UTF-8 sequence or a CR LF pair.
            if (t.size() >= 2 && t.compare(t.size() - 2, 2, "\r\n") == 0) {
                t.resize(t.size() - 2);
            } else {
                while (!t.empty() && (static_cast<unsigned char>(t.back()) & 0xC0) == 0x80)
                    t.pop_back();
                if (!t.empty()) t.pop_back();
            }
        } else if (keyAscii == 13) {
            if (MultiLine) t += "\r\n";
        } else if (keyAscii >= 32 && keyAscii < 127) {
            t += static_cast<char>(keyAscii);
        }
        setText(std::move(t));
    }
    if (KeyTyped) KeyTyped(keyAscii);
    return keyAscii;
}

void CheckBox::setValue(int v) {
    if (v < 0 || v > 2) throw PlatformError("Invalid property value");
    if (v == value_) return;
    value_ = v;
    if (Click) Click();
}

void ComboBox::setText(std::string text) {
    text_ = std::move(text);
    listIndex_ = -1;
    for (std::size_t i = 0; i < items.size(); ++i)
        if (items[i].text == text_) {
            listIndex_ = static_cast<int>(i);
            break;
        }
}

void ComboBox::setListIndex(int index) {
    if (index < -1 || index >= static_cast<int>(items.size()))
        throw PlatformError("Invalid property value");
    listIndex_ = index;
    text_ = index >= 0 ? items[static_cast<std::size_t>(index)].text : std::string();
}

}  // namespace arkstash::ui
