// Colour values of the controls: direct &HBBGGRR colours and the system colour indexes.
#pragma once

#include "platform/ui/control.h"

namespace arkstash::controls {

inline constexpr ui::Colour kSystemColourFlag = 0x80000000;
inline constexpr ui::Colour kSysButtonFace = 0x8000000F;
inline constexpr ui::Colour kSysWindowBackground = 0x80000005;
inline constexpr ui::Colour kSysWindowText = 0x80000008;
inline constexpr ui::Colour kSys3DShadow = 0x80000010;
inline constexpr ui::Colour kSysButtonText = 0x80000012;
inline constexpr ui::Colour kSys3DHighlight = 0x80000014;
inline constexpr ui::Colour kSys3DLight = 0x80000016;
// The highest system colour index the runtime accepts (info background).
inline constexpr ui::Colour kLastSystemColourIndex = 0x18;

inline constexpr bool isSystemColour(ui::Colour c) {
    return (c & kSystemColourFlag) != 0;
}

// A colour the runtime accepts for a colour property: a direct colour of 24 bits, or a known
// system colour index.
inline constexpr bool isValidColour(ui::Colour c) {
    return isSystemColour(c) ? (c & ~kSystemColourFlag) <= kLastSystemColourIndex : c <= 0xFFFFFF;
}

}  // namespace arkstash::controls
