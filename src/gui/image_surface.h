// A control's drawing surface kept in an image, so that what was drawn survives until the next
// redraw (the controls draw only when their state changes, never on a paint request).
//
// Text is drawn without anti-aliasing: the progress bar's inverse-colour text relies on every
// text pixel being exactly the text colour. The not-xor-pen mode maps onto Qt's
// RasterOp_NotSourceXorDestination.
#pragma once

#include <QFont>
#include <QImage>
#include <QPalette>
#include <functional>

#include "controls/surface.h"
#include "gui/twips.h"

class QPainter;

namespace arkstash::gui {

enum class SurfaceUnits { Twips, Pixels };

class ImageSurface : public controls::Surface {
  public:
    explicit ImageSurface(SurfaceUnits units, TwipsPerPixel screen = twipsPerPixel());

    // The host sets the outer size in pixels (the control's setHeight changes it too). What
    // was drawn stays where it was; new area shows the background colour.
    void setOuterPixelSize(QSize size);
    QSize outerPixelSize() const { return outer_; }
    // Pixels the border takes on each side.
    int borderPixels() const { return borderStyle_ == controls::vbFixedSingle ? 2 : 0; }
    // The inner area as drawn.
    const QImage& image() const { return image_; }
    // Draws border and inner area with the outer top left at `at`.
    void paint(QPainter& painter, QPoint at) const;

    void setPalette(const QPalette& palette) { palette_ = palette; }
    const QPalette& palette() const { return palette_; }
    QColor resolve(controls::Colour colour) const;
    // Units to pixels: a point lies in the pixel that contains it.
    int pixelX(double x) const;
    int pixelY(double y) const;
    double unitsPerPixelX() const { return perPixelX_; }
    double unitsPerPixelY() const { return perPixelY_; }

    int backStyle() const { return backStyle_; }
    bool enabled() const { return enabled_; }
    bool autoRedraw() const { return autoRedraw_; }
    const QFont& qfont() const { return font_; }

    // Told after every change of what is shown.
    std::function<void()> changed;

    // Draws a one-pixel line including both end points onto any image, in pixel coordinates
    // (the 3D frame's line controls use it too). Clipped to the image.
    static void plotLine(QImage& image, QPoint from, QPoint to, QRgb colour, int drawMode);

    double Width() const override;
    double Height() const override;
    double ScaleWidth() const override;
    double ScaleHeight() const override;
    void setHeight(double height) override;
    void setBackColor(controls::Colour colour) override;
    void Cls() override;
    void setForeColor(controls::Colour colour) override;
    void setFont(const controls::StdFont& font) override;
    void setBorderStyle(int style) override;
    void setDrawMode(int mode) override;
    double TextWidth(const std::string& text) override;
    double TextHeight(const std::string& text) override;
    void Print(double x, double y, const std::string& text) override;
    void FillBox(double x1, double y1, double x2, double y2, controls::Colour colour) override;
    void Line(double x1, double y1, double x2, double y2, controls::Colour colour) override;
    void PSet(double x, double y, controls::Colour colour) override;
    void setBackStyle(int style) override;
    void setPicture(const controls::StdPicture& picture) override;
    void setEnabled(bool enabled) override;
    void setAutoRedraw(bool persistent) override;
    void Refresh() override;
    controls::StdPicture Image() const override;

  private:
    void resizeImage();
    void notify() const;

    double perPixelX_, perPixelY_;
    double dpiX_, dpiY_;
    QPalette palette_;
    QSize outer_{0, 0};
    QImage image_;
    // Text is measured here, so that an empty surface (before its first resize) still measures
    // at the screen's resolution.
    QImage metrics_;
    QImage picture_;
    QFont font_;
    controls::Colour backColor_ = 0xFFFFFF;
    controls::Colour foreColor_ = 0;
    int borderStyle_ = 0;
    int drawMode_ = controls::vbCopyPen;
    int backStyle_ = 1;
    bool enabled_ = true;
    bool autoRedraw_ = false;
};

// The runtime's font as a Qt font, never anti-aliased.
QFont toQFont(const controls::StdFont& font);

}  // namespace arkstash::gui
