// Light3D: a container surface with a one-pixel raised or sunken 3D edge.
#pragma once

#include "platform/ui/control.h"

namespace arkstash::controls {

class Light3D : public ui::ControlState {};

}  // namespace arkstash::controls
