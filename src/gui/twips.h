// Twips (1/1440 inch) to screen pixels, at the screen's own resolution.
#pragma once

class QScreen;

namespace arkstash::gui {

struct TwipsPerPixel {
    double x = 15;  // 96 dots per inch
    double y = 15;
};

// The twips per pixel of a screen (the primary screen when none is given; 15 without one).
TwipsPerPixel twipsPerPixel(const QScreen* screen = nullptr);

inline int toPixels(double twips, double perPixel) {
    return static_cast<int>(twips / perPixel + (twips >= 0 ? 0.5 : -0.5));
}

}  // namespace arkstash::gui
