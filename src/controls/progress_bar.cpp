#include "controls/progress_bar.h"

#include <cmath>
#include <exception>

#include "controls/runtime_numbers.h"
#include "platform/error.h"

namespace arkstash::controls {

namespace {

// Runs a step of drawing; whatever fails in it is passed on under the control's own source,
// keeping the number and description.
template <typename F>
void underOwnSource(F&& step) {
    try {
        step();
    } catch (const PlatformError& e) {
        throw PlatformError(e.description(), e.number(), kProgressBarSource);
    } catch (const std::exception& e) {
        throw PlatformError(e.what(), 0, kProgressBarSource);
    }
}

}  // namespace

vbwProgressBar::vbwProgressBar() {
    width = 5310;
    height = 960;
}

void vbwProgressBar::attachSurface(Surface* picStatus) {
    picStatus_ = picStatus;
    if (!picStatus_) return;
    picStatus_->setFont(font_);
    picStatus_->setForeColor(progressColor_);
    picStatus_->setBorderStyle(picBorderStyle_);
}

void vbwProgressBar::setValue(float v) {
    value_ = v;
    RefreshProgress();
    propertyChanged("Value");
}

void vbwProgressBar::setCalculatePercentage(bool on) {
    calculatePercentage_ = on;
    if (totalValue_ == 0) totalValue_ = 100;
    if (!on) totalValue_ = 0;
    RefreshProgress();
    propertyChanged("CalculatePercentage");
}

void vbwProgressBar::setTotalValue(float total) {
    if (!calculatePercentage_) return;
    // Written as "not above zero" so that a NaN total is refused as well.
    if (!(total > 0))
        throw PlatformError(kTotalValueDescription, kErrTotalValue, kTotalValueSource);
    totalValue_ = total;
    RefreshProgress();
    propertyChanged("TotalValue");
}

void vbwProgressBar::setShowStatus(bool show) {
    showStatus_ = show;
    RefreshProgress();
    propertyChanged("ShowStatus");
}

void vbwProgressBar::setText(std::string text) {
    text_ = std::move(text);
    RefreshProgress();
    propertyChanged("Text");
}

void vbwProgressBar::setFont(const StdFont& font) {
    font_ = font;
    if (picStatus_) picStatus_->setFont(font_);
    RefreshProgress();
    propertyChanged("Font");
}

void vbwProgressBar::setProgressColor(Colour colour) {
    underOwnSource([&] {
        if (!isValidColour(colour)) throw runtimeError(kErrInvalidPropertyValue);
        if (picStatus_) picStatus_->setForeColor(colour);
        progressColor_ = colour;
    });
    RefreshProgress();
    propertyChanged("ProgressColor");
}

void vbwProgressBar::setBorder3D(bool on) {
    picBorderStyle_ = on ? vbFixedSingle : vbBSNone;
    applyPicStatusBorder();
    RefreshProgress();
    propertyChanged("Border3D");
}

void vbwProgressBar::setBorderLine(bool on) {
    borderStyle_ = on ? vbFixedSingle : vbBSNone;
    // The view draws the control's own border and lays out picStatus inside it.
    viewChanged();
    RefreshProgress();
    propertyChanged("BorderLine");
}

void vbwProgressBar::setBackwards(bool on) {
    backwards_ = on;
    RefreshProgress();
    propertyChanged("Backwards");
}

void vbwProgressBar::setHorizontal(bool on) {
    horizontal_ = on;
    RefreshProgress();
    propertyChanged("Horizontal");
}

void vbwProgressBar::setTextAfterProgress(std::string text) {
    textAfterProgress_ = std::move(text);
    RefreshProgress();
    propertyChanged("TextAfterProgress");
}

void vbwProgressBar::applyPicStatusBorder() {
    if (picStatus_) picStatus_->setBorderStyle(picBorderStyle_);
}

void vbwProgressBar::UserControl_InitProperties() {
    showStatus_ = true;
    progressColor_ = kDefaultProgressColor;
    if (picStatus_) picStatus_->setForeColor(progressColor_);
    setBorder3D(true);
    setBorderLine(false);
    backwards_ = false;
    horizontal_ = true;
    textAfterProgress_.clear();
}

void vbwProgressBar::UserControl_ReadProperties(PropertyBag& bag) {
    value_ = readAs<float>(bag, "Value", 0.0f);
    calculatePercentage_ = readAs<bool>(bag, "CalculatePercentage", false);
    totalValue_ = readAs<float>(bag, "TotalValue", 0.0f);
    showStatus_ = readAs<bool>(bag, "ShowStatus", true);
    text_ = readAs<std::string>(bag, "Text", std::string());
    font_ = readAs<StdFont>(bag, "Font", AmbientFont);
    if (picStatus_) picStatus_->setFont(font_);
    Colour colour = readAs<Colour>(bag, "ProgressColor", kDefaultProgressColor);
    underOwnSource([&] {
        if (!isValidColour(colour)) throw runtimeError(kErrInvalidPropertyValue);
        if (picStatus_) picStatus_->setForeColor(colour);
        progressColor_ = colour;
    });
    setBorder3D(readAs<bool>(bag, "Border3D", true));
    setBorderLine(readAs<bool>(bag, "BorderLine", false));
    backwards_ = readAs<bool>(bag, "Backwards", false);
    horizontal_ = readAs<bool>(bag, "Horizontal", true);
    textAfterProgress_ = readAs<std::string>(bag, "TextAfterProgress", std::string());
}

void vbwProgressBar::UserControl_WriteProperties(PropertyBag& bag) {
    bag.WriteProperty("Value", value_, 0.0f);
    bag.WriteProperty("CalculatePercentage", calculatePercentage_, false);
    bag.WriteProperty("TotalValue", totalValue_, 0.0f);
    bag.WriteProperty("ShowStatus", showStatus_, true);
    bag.WriteProperty("Text", text_, std::string());
    bag.WriteProperty("Font", font_, AmbientFont);
    bag.WriteProperty("ProgressColor", progressColor_, kDefaultProgressColor);
    bag.WriteProperty("Border3D", Border3D(), true);
    bag.WriteProperty("BorderLine", BorderLine(), false);
    bag.WriteProperty("Backwards", backwards_, false);
    bag.WriteProperty("Horizontal", horizontal_, true);
    bag.WriteProperty("TextAfterProgress", textAfterProgress_, std::string());
}

void vbwProgressBar::UserControl_Resize(double scaleHeight) {
    if (picStatus_) underOwnSource([&] { picStatus_->setHeight(scaleHeight); });
    RefreshProgress();
}

void vbwProgressBar::RefreshProgress() {
    if (calculatePercentage_)
        DrawProgress(0, value_);
    else
        DrawProgress(value_, 0);
}

void vbwProgressBar::DrawProgress(float percent, float value) {
    underOwnSource([&] {
        if (calculatePercentage_)
            percent = multiplySingle(divideSingle(value, totalValue_), 100.0f);
        if (picStatus_) drawOnto(*picStatus_, percent);
        // Lets pending repaints and commands run, so the bar moves during a long operation.
        if (loop_) loop_->processPendingEvents();
    });
}

void vbwProgressBar::drawOnto(Surface& s, float percent) {
    s.setBackColor(kWhite);

    // The shown figure rounds halves up (49.5 -> 50), computed in double so that a value just
    // below a half does not round up through single-precision addition.
    std::int16_t whole = toInteger(std::floor(static_cast<double>(percent) + 0.5));
    float f = percent / 100.0f;

    std::string status = text_;
    if (showStatus_) status += " " + std::to_string(whole) + "%";
    if (!textAfterProgress_.empty()) status += " " + textAfterProgress_;

    std::int16_t tw = toInteger(s.TextWidth(status));
    std::int16_t th = toInteger(s.TextHeight(status));
    std::int16_t x = toInteger(s.ScaleWidth() / 2 - tw / 2.0);
    std::int16_t y = toInteger(s.ScaleHeight() / 2 - th / 2.0);

    s.setDrawMode(vbCopyPen);
    s.Print(x, y, status);

    // Under not-xor-pen the white field turns into the bar colour and text pixels of the bar
    // colour turn white, so the text reads on both sides of the bar's edge.
    s.setDrawMode(vbNotXorPen);
    if (f <= 0) return;
    // Measured on the outer size: with a border the bar reaches the far edge at 100 %.
    float w = static_cast<float>(s.Width());
    float h = static_cast<float>(s.Height());
    if (horizontal_ && !backwards_)
        s.FillBox(0, 0, w * f, h, progressColor_);
    else if (horizontal_)
        s.FillBox(w, 0, w - w * f, h, progressColor_);
    else if (!backwards_)
        s.FillBox(0, h, w, h - h * f, progressColor_);
    else
        s.FillBox(0, 0, w, h * f, progressColor_);
}

}  // namespace arkstash::controls
