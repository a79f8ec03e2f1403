// The drawing surface a control paints on: a picture area with a background and foreground
// colour, a font, a border, a raster mode for shapes, and a few drawing primitives. The
// controls only ever draw through this interface; the desktop host draws into an image, the
// tests record the calls.
//
// Units: every position and size is in the surface's own units (twips for the progress bar
// and the folder picker, pixels for the 3D frame); (0, 0) is the top left of the inner area,
// inside the border. Colours may be system colour indexes, which the surface resolves.
#pragma once

#include <cstdint>
#include <string>

#include "controls/std_objects.h"
#include "controls/control_state.h"

namespace arkstash::controls {

// Raster operations for boxes, lines and pixels, numbered as the runtime numbers them.
enum DrawMode : int {
    vbNotXorPen = 10,  // result = NOT (pen XOR existing)
    vbCopyPen = 13,    // result = pen
};

// Border styles as the runtime numbers them.
enum BorderStyle : int { vbBSNone = 0, vbFixedSingle = 1 };

class Surface {
  public:
    virtual ~Surface() = default;

    // Outer size, border included.
    virtual double Width() const = 0;
    virtual double Height() const = 0;
    // Inner drawing area.
    virtual double ScaleWidth() const = 0;
    virtual double ScaleHeight() const = 0;
    // Sets the outer height; the host keeps the width in step with the control.
    virtual void setHeight(double height) = 0;

    // Sets the background colour and clears the whole surface to it.
    virtual void setBackColor(Colour colour) = 0;
    // Clears the surface to the current background colour.
    virtual void Cls() = 0;
    // The colour text is printed in.
    virtual void setForeColor(Colour colour) = 0;
    virtual void setFont(const StdFont& font) = 0;
    virtual void setBorderStyle(int style) = 0;
    // One of DrawMode; applies to FillBox, Line and PSet, not to text.
    virtual void setDrawMode(int mode) = 0;

    // Size of a text in the current font. An empty text still has the font's height.
    virtual double TextWidth(const std::string& text) = 0;
    virtual double TextHeight(const std::string& text) = 0;
    // Prints a text whose top left is (x, y), in the foreground colour, background untouched.
    virtual void Print(double x, double y, const std::string& text) = 0;

    // Fills the box between two corners given in either order, clipped to the inner area.
    // A box narrower than a pixel still covers one pixel, so a box of zero width is a line.
    virtual void FillBox(double x1, double y1, double x2, double y2, Colour colour) = 0;
    // A one-pixel line including both end points.
    virtual void Line(double x1, double y1, double x2, double y2, Colour colour) = 0;
    virtual void PSet(double x, double y, Colour colour) = 0;

    // Members only a container surface has; a surface without them ignores them.
    virtual void setBackStyle(int /*style*/) {}
    virtual void setPicture(const StdPicture& /*picture*/) {}
    virtual void setEnabled(bool /*enabled*/) {}
    virtual void setAutoRedraw(bool /*persistent*/) {}
    // Repaints what is shown from what was drawn.
    virtual void Refresh() {}
    // The persistent picture of what was drawn; empty where the host keeps none.
    virtual StdPicture Image() const { return {}; }
    // Native handles; 0 where the host gives none out.
    virtual std::int32_t hwnd() const { return 0; }
    virtual std::int32_t hdc() const { return 0; }
};

}  // namespace arkstash::controls
