// What every control of a window has: a name, enabled and visible flags, a place and a size in
// twips, and the colour type of the controls.
#pragma once

#include <cstdint>
#include <string>

namespace arkstash::controls {

// &HBBGGRR, or a system colour index with the high bit set.
using Colour = std::uint32_t;
inline constexpr Colour kBlack = 0x000000;
inline constexpr Colour kWhite = 0xFFFFFF;

struct ControlState {
    std::string name;  // the control's name, as screens, tests and bug reports call it
    bool enabled = true;
    bool visible = true;
    long left = 0;
    long top = 0;
    long width = 0;
    long height = 0;
};

}  // namespace arkstash::controls
