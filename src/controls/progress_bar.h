// vbwProgressBar: a filled bar on a white field with a centred, inverse-coloured status text.
//
// The control draws on `picStatus`, a surface the host attaches. Without one (the headless
// window, the command line) every property still works and nothing is drawn; the message loop
// still runs once per redraw, since that is where a busy caller lets other events in.
#pragma once

#include <string>

#include "controls/colours.h"
#include "controls/property_bag.h"
#include "controls/surface.h"
#include "controls/user_control.h"
#include "platform/ui/event_loop.h"

namespace arkstash::controls {

// The error a non-positive total raises in percentage mode (1001 above the object-error base).
inline constexpr long kErrTotalValue = 0x800403E9L;
inline constexpr const char* kTotalValueSource = "spbProgressBar";
inline constexpr const char* kTotalValueDescription =
    "Total value must be a postive, non-zero value";
// The source every drawing error is passed on under.
inline constexpr const char* kProgressBarSource = "vbwProgressBar";
inline constexpr Colour kDefaultProgressColor = 0x800000;

class vbwProgressBar : public UserControl {
  public:
    vbwProgressBar();

    // The surface to draw on (none to stop drawing). The surface takes the control's font,
    // colour and border; nothing is drawn until the next redraw.
    void attachSurface(Surface* picStatus);
    Surface* picStatus() const { return picStatus_; }
    // The host's message loop, run once after each redraw; none to skip.
    void setEventLoop(ui::EventLoop* loop) { loop_ = loop; }
    ui::EventLoop* eventLoop() const { return loop_; }

    // Stored properties. Each setter redraws, then notifies the host; a drawing error is
    // thrown (source "vbwProgressBar") after the value was stored and before the notification.
    float Value() const { return value_; }
    void setValue(float v);
    bool CalculatePercentage() const { return calculatePercentage_; }
    // Switching on gives a zero total 100; switching off sets the total to 0.
    void setCalculatePercentage(bool on);
    float TotalValue() const { return totalValue_; }
    // Ignored outside percentage mode; in it a total that is not above 0 throws the
    // "spbProgressBar" error and keeps the old total.
    void setTotalValue(float total);
    bool ShowStatus() const { return showStatus_; }
    void setShowStatus(bool show);
    const std::string& text() const { return text_; }
    void setText(std::string text);
    const StdFont& Font() const { return font_; }
    void setFont(const StdFont& font);
    Colour ProgressColor() const { return progressColor_; }
    // An invalid colour throws "Invalid property value" (source "vbwProgressBar").
    void setProgressColor(Colour colour);
    bool Border3D() const { return picBorderStyle_ != 0; }
    void setBorder3D(bool on);
    bool BorderLine() const { return borderStyle_ != 0; }
    void setBorderLine(bool on);
    bool Backwards() const { return backwards_; }
    void setBackwards(bool on);
    bool Horizontal() const { return horizontal_; }
    void setHorizontal(bool on);
    const std::string& TextAfterProgress() const { return textAfterProgress_; }
    void setTextAfterProgress(std::string text);

    // The control's own border style (from BorderLine): 1 fixed single, 0 none.
    int BorderStyle() const { return borderStyle_; }

    // Host entry points.
    void UserControl_InitProperties();
    void UserControl_ReadProperties(PropertyBag& bag);
    void UserControl_WriteProperties(PropertyBag& bag);
    // The control's inner height changed: picStatus takes it, and the control redraws.
    void UserControl_Resize(double scaleHeight);

    // Redraws from the fields (what every setter and a resize do).
    void RefreshProgress();

  private:
    void DrawProgress(float percent, float value);
    void drawOnto(Surface& s, float percent);
    void applyPicStatusBorder();

    Surface* picStatus_ = nullptr;
    ui::EventLoop* loop_ = nullptr;

    bool calculatePercentage_ = false;
    bool backwards_ = false;
    bool horizontal_ = true;
    bool showStatus_ = true;
    float totalValue_ = 0;
    float value_ = 0;
    std::string text_;
    std::string textAfterProgress_;
    // Kept by picStatus in the runtime; mirrored here so they live without a surface.
    StdFont font_ = tahoma825();
    Colour progressColor_ = kDefaultProgressColor;
    int picBorderStyle_ = vbFixedSingle;
    int borderStyle_ = vbBSNone;
};

}  // namespace arkstash::controls
