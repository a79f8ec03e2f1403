#include "gui/image_surface.h"

#include <QBuffer>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "controls/runtime_numbers.h"
#include "gui/system_colours.h"

namespace arkstash::gui {

namespace {

// Tolerance for units that are whole pixels but arrive through single-precision arithmetic.
constexpr double kSlack = 1e-6;

QRgb applyMode(QRgb pen, QRgb existing, int mode) {
    if (mode == controls::vbNotXorPen) return 0xFF000000u | (~(pen ^ existing) & 0x00FFFFFFu);
    return 0xFF000000u | (pen & 0x00FFFFFFu);
}

QPainter::CompositionMode compositionFor(int mode) {
    return mode == controls::vbNotXorPen ? QPainter::RasterOp_NotSourceXorDestination
                                         : QPainter::CompositionMode_Source;
}

}  // namespace

QFont toQFont(const controls::StdFont& font) {
    QFont f(QString::fromStdString(font.Name));
    f.setPointSizeF(font.Size > 0 ? font.Size : 8.25);
    f.setBold(font.Bold);
    f.setItalic(font.Italic);
    f.setUnderline(font.Underline);
    f.setStrikeOut(font.Strikethrough);
    f.setStyleStrategy(QFont::NoAntialias);
    f.setHintingPreference(QFont::PreferFullHinting);
    return f;
}

ImageSurface::ImageSurface(SurfaceUnits units, TwipsPerPixel screen)
    : perPixelX_(units == SurfaceUnits::Twips ? screen.x : 1.0),
      perPixelY_(units == SurfaceUnits::Twips ? screen.y : 1.0),
      dpiX_(1440.0 / screen.x),
      dpiY_(1440.0 / screen.y),
      palette_(qGuiApp ? QGuiApplication::palette() : QPalette()),
      metrics_(1, 1, QImage::Format_RGB32),
      font_(toQFont(controls::StdFont{})) {
    metrics_.setDotsPerMeterX(static_cast<int>(std::lround(dpiX_ / 0.0254)));
    metrics_.setDotsPerMeterY(static_cast<int>(std::lround(dpiY_ / 0.0254)));
    resizeImage();
}

void ImageSurface::notify() const {
    if (changed) changed();
}

QColor ImageSurface::resolve(controls::Colour colour) const {
    return toQColor(colour, palette_);
}

int ImageSurface::pixelX(double x) const {
    return static_cast<int>(std::floor(x / perPixelX_ + kSlack));
}

int ImageSurface::pixelY(double y) const {
    return static_cast<int>(std::floor(y / perPixelY_ + kSlack));
}

void ImageSurface::resizeImage() {
    int b = borderPixels();
    QSize inner(std::max(0, outer_.width() - 2 * b), std::max(0, outer_.height() - 2 * b));
    if (image_.size() == inner && !image_.isNull()) return;
    QImage next(inner, QImage::Format_RGB32);
    next.setDotsPerMeterX(static_cast<int>(std::lround(dpiX_ / 0.0254)));
    next.setDotsPerMeterY(static_cast<int>(std::lround(dpiY_ / 0.0254)));
    next.fill(resolve(backColor_));
    if (!image_.isNull() && !next.isNull()) {
        QPainter p(&next);
        p.drawImage(0, 0, image_);
    }
    image_ = std::move(next);
}

void ImageSurface::setOuterPixelSize(QSize size) {
    outer_ = size.expandedTo(QSize(0, 0));
    resizeImage();
    notify();
}

void ImageSurface::paint(QPainter& painter, QPoint at) const {
    int b = borderPixels();
    if (b > 0) {
        // A sunken two-pixel edge, as a picture area with a 3D border has.
        QRect r(at, outer_);
        QColor shadow = palette_.color(QPalette::Dark), dark = palette_.color(QPalette::Shadow);
        QColor light = palette_.color(QPalette::Light), mid = palette_.color(QPalette::Midlight);
        painter.fillRect(r, palette_.color(QPalette::Button));
        painter.fillRect(QRect(r.left(), r.top(), r.width(), 1), shadow);
        painter.fillRect(QRect(r.left(), r.top(), 1, r.height()), shadow);
        painter.fillRect(QRect(r.left() + 1, r.top() + 1, r.width() - 2, 1), dark);
        painter.fillRect(QRect(r.left() + 1, r.top() + 1, 1, r.height() - 2), dark);
        painter.fillRect(QRect(r.left(), r.bottom(), r.width(), 1), light);
        painter.fillRect(QRect(r.right(), r.top(), 1, r.height()), light);
        painter.fillRect(QRect(r.left() + 1, r.bottom() - 1, r.width() - 2, 1), mid);
        painter.fillRect(QRect(r.right() - 1, r.top() + 1, 1, r.height() - 2), mid);
    }
    painter.drawImage(at + QPoint(b, b), image_);
}

double ImageSurface::Width() const {
    return outer_.width() * perPixelX_;
}

double ImageSurface::Height() const {
    return outer_.height() * perPixelY_;
}

double ImageSurface::ScaleWidth() const {
    return image_.width() * perPixelX_;
}

double ImageSurface::ScaleHeight() const {
    return image_.height() * perPixelY_;
}

void ImageSurface::setHeight(double height) {
    if (height < 0) throw controls::runtimeError(controls::kErrInvalidPropertyValue);
    outer_.setHeight(static_cast<int>(std::lround(height / perPixelY_)));
    resizeImage();
    notify();
}

void ImageSurface::setBackColor(controls::Colour colour) {
    resolve(colour);  // refuses an invalid colour before anything changes
    backColor_ = colour;
    Cls();
}

void ImageSurface::Cls() {
    image_.fill(resolve(backColor_));
    if (!picture_.isNull() && !image_.isNull()) {
        QPainter p(&image_);
        p.drawImage(0, 0, picture_);
    }
    notify();
}

void ImageSurface::setForeColor(controls::Colour colour) {
    resolve(colour);
    foreColor_ = colour;
}

void ImageSurface::setFont(const controls::StdFont& font) {
    font_ = toQFont(font);
}

void ImageSurface::setBorderStyle(int style) {
    if (style != controls::vbBSNone && style != controls::vbFixedSingle)
        throw controls::runtimeError(controls::kErrInvalidPropertyValue);
    borderStyle_ = style;
    resizeImage();
    notify();
}

void ImageSurface::setDrawMode(int mode) {
    if (mode < 1 || mode > 16) throw controls::runtimeError(controls::kErrInvalidPropertyValue);
    drawMode_ = mode;
}

double ImageSurface::TextWidth(const std::string& text) {
    QFontMetrics m(font_, &metrics_);
    return m.horizontalAdvance(QString::fromStdString(text)) * perPixelX_;
}

double ImageSurface::TextHeight(const std::string& text) {
    QFontMetrics m(font_, &metrics_);
    int lines = 1 + static_cast<int>(std::count(text.begin(), text.end(), '\n'));
    return m.height() * lines * perPixelY_;
}

void ImageSurface::Print(double x, double y, const std::string& text) {
    if (image_.isNull()) return;
    QPainter p(&image_);
    p.setRenderHint(QPainter::TextAntialiasing, false);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setFont(font_);
    p.setPen(resolve(foreColor_));
    QFontMetrics m(font_, &metrics_);
    p.drawText(QPoint(pixelX(x), pixelY(y) + m.ascent()), QString::fromStdString(text));
    p.end();
    notify();
}

void ImageSurface::FillBox(double x1, double y1, double x2, double y2, controls::Colour colour) {
    QColor c = resolve(colour);
    auto span = [](double a, double b, double per) {
        double lo = std::min(a, b) / per, hi = std::max(a, b) / per;
        int first = static_cast<int>(std::floor(lo + kSlack));
        int last = std::max(first + 1, static_cast<int>(std::ceil(hi - kSlack)));
        return std::pair{first, last};
    };
    auto [left, right] = span(x1, x2, perPixelX_);
    auto [top, bottom] = span(y1, y2, perPixelY_);
    QRect box = QRect(QPoint(left, top), QPoint(right - 1, bottom - 1)) & image_.rect();
    if (box.isEmpty()) return;
    QPainter p(&image_);
    p.setCompositionMode(compositionFor(drawMode_));
    p.fillRect(box, c);
    p.end();
    notify();
}

void ImageSurface::plotLine(QImage& image, QPoint from, QPoint to, QRgb colour, int drawMode) {
    // Bresenham, so that both ends are always included whatever the direction.
    int x = from.x(), y = from.y();
    int dx = std::abs(to.x() - x), dy = -std::abs(to.y() - y);
    int sx = x < to.x() ? 1 : -1, sy = y < to.y() ? 1 : -1;
    int err = dx + dy;
    for (;;) {
        if (image.rect().contains(x, y)) {
            QRgb* line = reinterpret_cast<QRgb*>(image.scanLine(y));
            line[x] = applyMode(colour, line[x], drawMode);
        }
        if (x == to.x() && y == to.y()) break;
        int e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            x += sx;
        }
        if (e2 <= dx) {
            err += dx;
            y += sy;
        }
    }
}

void ImageSurface::Line(double x1, double y1, double x2, double y2, controls::Colour colour) {
    QRgb c = resolve(colour).rgb();
    plotLine(image_, {pixelX(x1), pixelY(y1)}, {pixelX(x2), pixelY(y2)}, c, drawMode_);
    notify();
}

void ImageSurface::PSet(double x, double y, controls::Colour colour) {
    QColor c = resolve(colour);
    QPoint at(pixelX(x), pixelY(y));
    if (!image_.rect().contains(at)) return;
    QPainter p(&image_);
    p.setCompositionMode(compositionFor(drawMode_));
    p.fillRect(QRect(at, QSize(1, 1)), c);
    p.end();
    notify();
}

void ImageSurface::setBackStyle(int style) {
    backStyle_ = style;
    notify();
}

void ImageSurface::setPicture(const controls::StdPicture& picture) {
    QImage decoded;
    if (!picture.empty())
        decoded = QImage::fromData(reinterpret_cast<const uchar*>(picture.data.data()),
                                   static_cast<int>(picture.data.size()));
    if (!picture.empty() && decoded.isNull())
        throw controls::runtimeError(controls::kErrInvalidPropertyValue);
    picture_ = decoded;
    Cls();
}

void ImageSurface::setEnabled(bool enabled) {
    enabled_ = enabled;
    notify();
}

void ImageSurface::setAutoRedraw(bool persistent) {
    // The image always keeps what was drawn; the switch is only remembered.
    autoRedraw_ = persistent;
}

void ImageSurface::Refresh() {
    notify();
}

controls::StdPicture ImageSurface::Image() const {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image_.save(&buffer, "PNG");
    return controls::StdPicture{
        std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()))};
}

}  // namespace arkstash::gui
