// Light3D: a container surface with a one-pixel raised or sunken 3D edge.
//
// The edge is four line controls (`lin3D`) coloured by `Style` and stretched on every resize;
// everything else passes through to the control's own surface. Mouse and keyboard events of
// the surface are raised to the container with their arguments by reference, so a container
// handler can change them (KeyAscii = 0 swallows a key) exactly as the control itself could.
//
// Units: the line ends and PSet_ coordinates are in the surface's units. The desktop host
// gives this control a pixel-scaled surface, so that the "- 1" line ends and the one-unit
// PSet_ offset land on whole pixels (in twips they would fall inside the corner pixel).
#pragma once

#include <array>
#include <cstdint>
#include <functional>

#include "controls/colours.h"
#include "controls/property_bag.h"
#include "controls/surface.h"
#include "controls/user_control.h"

namespace arkstash::controls {

// A line control: a colour and two end points.
struct LineControl {
    Colour BorderColor = 0;
    float X1 = 0, Y1 = 0, X2 = 0, Y2 = 0;
};

class Light3D : public UserControl {
  public:
    Light3D();

    // The surface to pass through to; it takes the control's settings.
    void attachSurface(Surface* surface);
    Surface* surface() const { return surface_; }

    // 0 top, 1 left, 2 bottom, 3 right.
    std::array<LineControl, 4> lin3D;

    // Properties; each setter sets the surface member and notifies the host.
    Colour ForeColor() const { return foreColor_; }
    void setForeColor(Colour colour);  // an invalid colour: "Invalid property value"
    // Enabled is read from the ControlState field; the setter passes it to the surface.
    void setEnabled(bool enabled);
    const StdFont& Font() const { return font_; }
    void setFont(const StdFont& font);
    std::int16_t BackStyle() const { return backStyle_; }
    void setBackStyle(std::int16_t style);  // 0 transparent, 1 opaque; else invalid
    const StdPicture& Picture() const { return picture_; }
    void setPicture(const StdPicture& picture);
    bool AutoRedraw() const { return autoRedraw_; }
    void setAutoRedraw(bool on);
    Colour BackColor() const { return backColor_; }
    void setBackColor(Colour colour);
    // True: sunken (dark top and left); False: raised.
    bool Style() const { return style_; }
    void setStyle(bool sunken);
    // Stored and loaded, with no property of its own.
    std::int16_t BorderStyle() const { return borderStyle_; }

    std::int32_t hwnd() const { return surface_ ? surface_->hwnd() : 0; }
    std::int32_t hdc() const { return surface_ ? surface_->hdc() : 0; }
    StdPicture Image() const { return surface_ ? surface_->Image() : StdPicture{}; }
    void Refresh();
    void Cls();
    // Sets the pixel one unit right of and below (X, Y).
    void PSet_(float X, float Y, Colour Color);

    // Events raised to the container.
    std::function<void()> Resize;
    std::function<void()> Click;
    std::function<void()> DblClick;
    std::function<void(std::int16_t& KeyCode, std::int16_t& Shift)> KeyDown;
    std::function<void(std::int16_t& KeyAscii)> KeyPress;
    std::function<void(std::int16_t& KeyCode, std::int16_t& Shift)> KeyUp;
    using MouseEvent =
        std::function<void(std::int16_t& Button, std::int16_t& Shift, float& X, float& Y)>;
    MouseEvent MouseDown;
    MouseEvent MouseMove;
    MouseEvent MouseUp;

    // Host entry points: the surface's events and lifecycle.
    void UserControl_InitProperties();
    void UserControl_ReadProperties(PropertyBag& bag);
    void UserControl_WriteProperties(PropertyBag& bag);
    // The inner size changed (in the surface's units): Resize, then the edge follows.
    void UserControl_Resize(double scaleWidth, double scaleHeight);
    void UserControl_Click();
    void UserControl_DblClick();
    void UserControl_KeyDown(std::int16_t& KeyCode, std::int16_t& Shift);
    void UserControl_KeyPress(std::int16_t& KeyAscii);
    void UserControl_KeyUp(std::int16_t& KeyCode, std::int16_t& Shift);
    void UserControl_MouseDown(std::int16_t& Button, std::int16_t& Shift, float& X, float& Y);
    void UserControl_MouseMove(std::int16_t& Button, std::int16_t& Shift, float& X, float& Y);
    void UserControl_MouseUp(std::int16_t& Button, std::int16_t& Shift, float& X, float& Y);

  private:
    void colourLines(bool sunken);

    Surface* surface_ = nullptr;
    bool style_ = true;
    Colour foreColor_ = kSysButtonText;
    Colour backColor_ = kSysButtonFace;
    StdFont font_;
    std::int16_t backStyle_ = 1;
    std::int16_t borderStyle_ = 0;
    StdPicture picture_;
    bool autoRedraw_ = false;
};

}  // namespace arkstash::controls
