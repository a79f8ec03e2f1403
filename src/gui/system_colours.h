// Colours of the controls as Qt colours: &HBBGGRR values directly, system colour indexes
// through the application's palette.
#pragma once

#include <QColor>
#include <QPalette>

#include "controls/control_state.h"

namespace arkstash::gui {

// Throws "Invalid property value" for a colour the runtime would refuse.
QColor toQColor(controls::Colour colour, const QPalette& palette);
// The palette role a system colour index stands for (index without the high bit).
QPalette::ColorRole systemColourRole(unsigned index);

}  // namespace arkstash::gui
