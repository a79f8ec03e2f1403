// Qt input as the runtime numbers it: key codes (the Windows virtual keys), the shift state
// (1 Shift, 2 Ctrl, 4 Alt) and mouse buttons (1 left, 2 right, 4 middle).
#pragma once

#include <QKeyEvent>
#include <cstdint>

namespace arkstash::gui {

// 0 for a key the runtime has no code for.
std::int16_t vbKeyCode(const QKeyEvent& event);
std::int16_t vbShift(Qt::KeyboardModifiers modifiers);
std::int16_t vbButtons(Qt::MouseButtons buttons);

}  // namespace arkstash::gui
