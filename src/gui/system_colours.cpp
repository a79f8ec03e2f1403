#include "gui/system_colours.h"

#include "controls/colours.h"
#include "controls/runtime_numbers.h"

namespace arkstash::gui {

QPalette::ColorRole systemColourRole(unsigned index) {
    switch (index) {
        case 0:
            return QPalette::Mid;  // scroll bars
        case 1:
            return QPalette::Dark;  // desktop
        case 2:
            return QPalette::Highlight;  // active title bar
        case 3:
            return QPalette::Mid;  // inactive title bar
        case 4:
            return QPalette::Window;  // menu bar
        case 5:
            return QPalette::Base;  // window background
        case 6:
            return QPalette::Shadow;  // window frame
        case 7:
            return QPalette::WindowText;  // menu text
        case 8:
            return QPalette::Text;  // window text
        case 9:
            return QPalette::HighlightedText;  // active title text
        case 10:
            return QPalette::Window;  // active border
        case 11:
            return QPalette::Window;  // inactive border
        case 12:
            return QPalette::Dark;  // application workspace
        case 13:
            return QPalette::Highlight;  // highlight
        case 14:
            return QPalette::HighlightedText;  // highlighted text
        case 15:
            return QPalette::Button;  // button face
        case 16:
            return QPalette::Dark;  // 3D shadow
        case 17:
            return QPalette::PlaceholderText;  // grey text
        case 18:
            return QPalette::ButtonText;  // button text
        case 19:
            return QPalette::WindowText;  // inactive title text
        case 20:
            return QPalette::Light;  // 3D highlight
        case 21:
            return QPalette::Shadow;  // 3D dark shadow
        case 22:
            return QPalette::Midlight;  // 3D light
        case 23:
            return QPalette::ToolTipText;  // tool tip text
        default:
            return QPalette::ToolTipBase;  // 24: tool tip background
    }
}

QColor toQColor(controls::Colour colour, const QPalette& palette) {
    if (!controls::isValidColour(colour))
        throw controls::runtimeError(controls::kErrInvalidPropertyValue);
    if (controls::isSystemColour(colour)) {
        // Palette colours may carry more than 8 bits per channel; the surfaces store 8.
        QRgb c =
            palette.color(QPalette::Active, systemColourRole(colour & ~controls::kSystemColourFlag))
                .rgb();
        return QColor::fromRgb(c | 0xFF000000u);
    }
    return QColor(static_cast<int>(colour & 0xFF), static_cast<int>((colour >> 8) & 0xFF),
                  static_cast<int>((colour >> 16) & 0xFF));
}

}  // namespace arkstash::gui
