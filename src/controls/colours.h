// Colour values of the controls: direct &HBBGGRR colours and the system colour indexes.
#pragma once

#include "controls/control_state.h"

namespace arkstash::controls {

inline constexpr Colour kSystemColourFlag = 0x80000000;
inline constexpr Colour kSysButtonFace = 0x8000000F;
inline constexpr Colour kSysWindowBackground = 0x80000005;
inline constexpr Colour kSysWindowText = 0x80000008;
inline constexpr Colour kSys3DShadow = 0x80000010;
inline constexpr Colour kSysButtonText = 0x80000012;
inline constexpr Colour kSys3DHighlight = 0x80000014;
inline constexpr Colour kSys3DLight = 0x80000016;
// The highest system colour index the runtime accepts (info background).
inline constexpr Colour kLastSystemColourIndex = 0x18;

inline constexpr bool isSystemColour(Colour c) {
    return (c & kSystemColourFlag) != 0;
}

// A colour the runtime accepts for a colour property: a direct colour of 24 bits, or a known
// system colour index.
inline constexpr bool isValidColour(Colour c) {
    return isSystemColour(c) ? (c & ~kSystemColourFlag) <= kLastSystemColourIndex : c <= 0xFFFFFF;
}

}  // namespace arkstash::controls
