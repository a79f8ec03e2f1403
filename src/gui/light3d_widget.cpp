#include "gui/light3d_widget.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include "gui/input_codes.h"
#include "platform/error.h"

namespace arkstash::gui {

Light3DWidget::Light3DWidget(controls::Light3D& frame, QWidget* parent)
    : QWidget(parent),
      frame_(frame),
      tpp_(twipsPerPixel()),
      // Pixel units: the edge's "- 1" ends and PSet_'s offset are meant as whole pixels.
      surface_(SurfaceUnits::Pixels, tpp_) {
    setObjectName(QString::fromStdString(frame.name.empty() ? "Light3D" : frame.name));
    setMouseTracking(true);
    setFocusPolicy(Qt::ClickFocus);
    surface_.changed = [this] { update(); };
    frame_.attachSurface(&surface_);
    frame_.ViewChanged = [this] { update(); };
}

Light3DWidget::~Light3DWidget() {
    frame_.attachSurface(nullptr);
    frame_.ViewChanged = nullptr;
}

QSize Light3DWidget::sizeHint() const {
    return {toPixels(frame_.width, tpp_.x), toPixels(frame_.height, tpp_.y)};
}

void Light3DWidget::catchUpWithSize() {
    if (handledSize_ != size()) handleResize();
}

void Light3DWidget::resizeEvent(QResizeEvent*) {
    handleResize();
}

void Light3DWidget::handleResize() {
    handledSize_ = size();
    surface_.setOuterPixelSize(size());
    // A size the conversion cannot take leaves the edge where it was.
    attempt([&] { frame_.UserControl_Resize(surface_.ScaleWidth(), surface_.ScaleHeight()); });
}

QImage Light3DWidget::render() {
    catchUpWithSize();
    QImage out(size(), QImage::Format_ARGB32_Premultiplied);
    out.fill(Qt::transparent);
    QPainter p(&out);
    int b = surface_.borderPixels();
    if (surface_.backStyle() != 0) {
        surface_.paint(p, QPoint(0, 0));
    } else if (b > 0) {
        // Transparent: only the border of the surface shows, the inner area is left clear.
        QImage border(size(), QImage::Format_ARGB32_Premultiplied);
        border.fill(Qt::transparent);
        QPainter bp(&border);
        surface_.paint(bp, QPoint(0, 0));
        bp.end();
        p.drawImage(0, 0, border.copy(0, 0, width(), b));
        p.drawImage(0, height() - b, border.copy(0, height() - b, width(), b));
        p.drawImage(0, 0, border.copy(0, 0, b, height()));
        p.drawImage(width() - b, 0, border.copy(width() - b, 0, b, height()));
    }
    p.end();

    // The edge lines lie over the inner area, in its pixel coordinates, clipped to it.
    QImage inner = out.copy(b, b, std::max(0, width() - 2 * b), std::max(0, height() - 2 * b));
    for (const auto& line : frame_.lin3D) {
        QRgb colour = 0;
        if (!attempt([&] { colour = surface_.resolve(line.BorderColor).rgb(); })) continue;
        ImageSurface::plotLine(inner, {surface_.pixelX(line.X1), surface_.pixelY(line.Y1)},
                               {surface_.pixelX(line.X2), surface_.pixelY(line.Y2)}, colour,
                               controls::vbCopyPen);
    }
    QPainter q(&out);
    q.setCompositionMode(QPainter::CompositionMode_Source);
    q.drawImage(b, b, inner);
    return out;
}

void Light3DWidget::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.drawImage(0, 0, render());
}

namespace {

struct MouseArgs {
    std::int16_t button, shift;
    float x, y;
};

MouseArgs argsOf(const QMouseEvent& e, const ImageSurface& s, Qt::MouseButtons buttons) {
    int b = s.borderPixels();
    QPointF at = e.position() - QPointF(b, b);
    return {vbButtons(buttons), vbShift(e.modifiers()),
            static_cast<float>(at.x() * s.unitsPerPixelX()),
            static_cast<float>(at.y() * s.unitsPerPixelY())};
}

}  // namespace

void Light3DWidget::mousePressEvent(QMouseEvent* event) {
    pressed_ = true;
    MouseArgs a = argsOf(*event, surface_, event->button());
    frame_.UserControl_MouseDown(a.button, a.shift, a.x, a.y);
}

void Light3DWidget::mouseMoveEvent(QMouseEvent* event) {
    MouseArgs a = argsOf(*event, surface_, event->buttons());
    frame_.UserControl_MouseMove(a.button, a.shift, a.x, a.y);
}

void Light3DWidget::mouseReleaseEvent(QMouseEvent* event) {
    MouseArgs a = argsOf(*event, surface_, event->button());
    frame_.UserControl_MouseUp(a.button, a.shift, a.x, a.y);
    if (pressed_ && rect().contains(event->position().toPoint())) frame_.UserControl_Click();
    pressed_ = false;
}

void Light3DWidget::mouseDoubleClickEvent(QMouseEvent*) {
    frame_.UserControl_DblClick();
}

void Light3DWidget::keyPressEvent(QKeyEvent* event) {
    std::int16_t code = vbKeyCode(*event);
    std::int16_t shift = vbShift(event->modifiers());
    frame_.UserControl_KeyDown(code, shift);
    QString text = event->text();
    if (!text.isEmpty() && text.at(0).unicode() < 256) {
        std::int16_t ascii = static_cast<std::int16_t>(text.at(0).unicode());
        frame_.UserControl_KeyPress(ascii);
        if (ascii == 0) {
            event->accept();  // swallowed by the control or its container
            return;
        }
    }
    // Not consumed here: let the key travel on to the window, as it would past the control.
    event->ignore();
}

void Light3DWidget::keyReleaseEvent(QKeyEvent* event) {
    std::int16_t code = vbKeyCode(*event);
    std::int16_t shift = vbShift(event->modifiers());
    frame_.UserControl_KeyUp(code, shift);
    event->ignore();
}

}  // namespace arkstash::gui
