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
