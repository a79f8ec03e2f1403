#include "controls/light3d.h"

#include "controls/runtime_numbers.h"

namespace arkstash::controls {

Light3D::Light3D() {
    width = 3495;
    height = 1575;
    lin3D[0] = {kSys3DShadow, 0, 0, 3480, 0};
    lin3D[1] = {kSys3DShadow, 0, 0, 0, 1560};
    lin3D[2] = {kSys3DHighlight, 0, 1560, 3480, 1560};
    lin3D[3] = {kSys3DHighlight, 3480, 1560, 3480, -225};
}

void Light3D::attachSurface(Surface* surface) {
    surface_ = surface;
    if (!surface_) return;
    surface_->setForeColor(foreColor_);
    surface_->setEnabled(enabled);
    surface_->setFont(font_);
    surface_->setBackStyle(backStyle_);
    surface_->setBorderStyle(borderStyle_);
    surface_->setPicture(picture_);
    surface_->setAutoRedraw(autoRedraw_);
    surface_->setBackColor(backColor_);
}

void Light3D::setForeColor(Colour colour) {
    if (!isValidColour(colour)) throw runtimeError(kErrInvalidPropertyValue);
    if (surface_) surface_->setForeColor(colour);
    foreColor_ = colour;
    propertyChanged("ForeColor");
}

void Light3D::setEnabled(bool enabled) {
    if (surface_) surface_->setEnabled(enabled);
    this->enabled = enabled;
    propertyChanged("Enabled");
}

void Light3D::setFont(const StdFont& font) {
    if (surface_) surface_->setFont(font);
    font_ = font;
    propertyChanged("Font");
}

void Light3D::setBackStyle(std::int16_t style) {
    if (style != 0 && style != 1) throw runtimeError(kErrInvalidPropertyValue);
    if (surface_) surface_->setBackStyle(style);
    backStyle_ = style;
    propertyChanged("BackStyle");
}

void Light3D::setPicture(const StdPicture& picture) {
    if (surface_) surface_->setPicture(picture);
    picture_ = picture;
    // The surface has no second picture member to mirror the picture into.
    propertyChanged("Picture");
}

void Light3D::setAutoRedraw(bool on) {
    if (surface_) surface_->setAutoRedraw(on);
    autoRedraw_ = on;
    propertyChanged("AutoRedraw");
}

void Light3D::setBackColor(Colour colour) {
    if (!isValidColour(colour)) throw runtimeError(kErrInvalidPropertyValue);
    if (surface_) surface_->setBackColor(colour);
    backColor_ = colour;
    propertyChanged("BackColor");
}

void Light3D::colourLines(bool sunken) {
    Colour nearEdges = sunken ? kSys3DShadow : kSys3DHighlight;
    Colour farEdges = sunken ? kSys3DHighlight : kSys3DShadow;
    lin3D[0].BorderColor = nearEdges;
    lin3D[1].BorderColor = nearEdges;
    lin3D[2].BorderColor = farEdges;
    lin3D[3].BorderColor = farEdges;
}

void Light3D::setStyle(bool sunken) {
    colourLines(sunken);
    style_ = sunken;
    viewChanged();
    propertyChanged("Style");
}

void Light3D::Refresh() {
    if (surface_) surface_->Refresh();
    viewChanged();
}

void Light3D::Cls() {
    if (surface_) surface_->Cls();
}

void Light3D::PSet_(float X, float Y, Colour Color) {
    if (surface_) surface_->PSet(X + 1, Y + 1, Color);
}

void Light3D::UserControl_InitProperties() {
    setFont(AmbientFont);
    style_ = true;
}

namespace {

void checkColour(Colour c) {
    if (!isValidColour(c)) throw runtimeError(kErrInvalidPropertyValue);
}

}  // namespace

void Light3D::UserControl_ReadProperties(PropertyBag& bag) {
    Colour back = readAs<Colour>(bag, "BackColor", kSysButtonFace);
    checkColour(back);
    if (surface_) surface_->setBackColor(back);
    backColor_ = back;
    Colour fore = readAs<Colour>(bag, "ForeColor", kSysButtonText);
    checkColour(fore);
    if (surface_) surface_->setForeColor(fore);
    foreColor_ = fore;
    enabled = readAs<bool>(bag, "Enabled", true);
    if (surface_) surface_->setEnabled(enabled);
    setFont(readAs<StdFont>(bag, "Font", AmbientFont));
    std::int16_t backStyle = readAs<std::int16_t>(bag, "BackStyle", std::int16_t{1});
    if (backStyle != 0 && backStyle != 1) throw runtimeError(kErrInvalidPropertyValue);
    if (surface_) surface_->setBackStyle(backStyle);
    backStyle_ = backStyle;
    std::int16_t borderStyle = readAs<std::int16_t>(bag, "BorderStyle", std::int16_t{0});
    if (borderStyle != 0 && borderStyle != 1) throw runtimeError(kErrInvalidPropertyValue);
    if (surface_) surface_->setBorderStyle(borderStyle);
    borderStyle_ = borderStyle;
    setPicture(readAs<StdPicture>(bag, "Picture", StdPicture{}));
    autoRedraw_ = readAs<bool>(bag, "AutoRedraw", false);
    if (surface_) surface_->setAutoRedraw(autoRedraw_);
    style_ = readAs<bool>(bag, "Style", true);
    setStyle(style_);
}

void Light3D::UserControl_WriteProperties(PropertyBag& bag) {
    bag.WriteProperty("BackColor", backColor_, kSysButtonFace);
    bag.WriteProperty("ForeColor", foreColor_, kSysButtonText);
    bag.WriteProperty("Enabled", enabled, true);
    bag.WriteProperty("Font", font_, AmbientFont);
    bag.WriteProperty("BackStyle", backStyle_, std::int16_t{1});
    bag.WriteProperty("BorderStyle", borderStyle_, std::int16_t{0});
    bag.WriteProperty("Picture", picture_, StdPicture{});
    bag.WriteProperty("AutoRedraw", autoRedraw_, false);
    bag.WriteProperty("Style", style_, true);
}

void Light3D::UserControl_Resize(double scaleWidth, double scaleHeight) {
    if (Resize) Resize();
    std::int32_t w = toLong(scaleWidth);
    std::int32_t h = toLong(scaleHeight);
    // Line control ends are singles; an end beyond 2^24 loses its last units, which no
    // surface a screen can show would notice.
    auto f = [](std::int64_t v) { return static_cast<float>(v); };
    lin3D[0].X2 = f(std::int64_t{w} - 1);
    lin3D[1].Y2 = f(std::int64_t{h} - 1);
    lin3D[2].Y1 = f(std::int64_t{h} - 1);
    lin3D[2].Y2 = f(std::int64_t{h} - 1);
    lin3D[2].X2 = f(w);
    lin3D[3].X1 = f(std::int64_t{w} - 1);
    lin3D[3].X2 = f(std::int64_t{w} - 1);
    lin3D[3].Y1 = f(h);
    viewChanged();
}

void Light3D::UserControl_Click() {
    if (Click) Click();
}

void Light3D::UserControl_DblClick() {
    if (DblClick) DblClick();
}

void Light3D::UserControl_KeyDown(std::int16_t& KeyCode, std::int16_t& Shift) {
    if (KeyDown) KeyDown(KeyCode, Shift);
}

void Light3D::UserControl_KeyPress(std::int16_t& KeyAscii) {
    if (KeyPress) KeyPress(KeyAscii);
}

void Light3D::UserControl_KeyUp(std::int16_t& KeyCode, std::int16_t& Shift) {
    if (KeyUp) KeyUp(KeyCode, Shift);
}

void Light3D::UserControl_MouseDown(std::int16_t& Button, std::int16_t& Shift, float& X, float& Y) {
    if (MouseDown) MouseDown(Button, Shift, X, Y);
}

void Light3D::UserControl_MouseMove(std::int16_t& Button, std::int16_t& Shift, float& X, float& Y) {
    if (MouseMove) MouseMove(Button, Shift, X, Y);
}

void Light3D::UserControl_MouseUp(std::int16_t& Button, std::int16_t& Shift, float& X, float& Y) {
    if (MouseUp) MouseUp(Button, Shift, X, Y);
}

}  // namespace arkstash::controls
