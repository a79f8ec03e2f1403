// What every control of a form has: enabled, visible, a place and a size in twips.
#pragma once

#include <cstdint>
#include <string>

namespace arkstash::ui {

// &HBBGGRR, or a system colour index with the high bit set.
using Colour = std::uint32_t;
inline constexpr Colour kBlack = 0x000000;
inline constexpr Colour kWhite = 0xFFFFFF;

struct ControlState {
    std::string name;
    bool Enabled = true;
    bool Visible = true;
    long Left = 0;
    long Top = 0;
    long Width = 0;
    long Height = 0;
};

}  // namespace arkstash::ui
