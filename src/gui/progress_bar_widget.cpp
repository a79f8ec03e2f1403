#include "gui/progress_bar_widget.h"

#include <QPainter>

#include "platform/error.h"

namespace arkstash::gui {

ProgressBarWidget::ProgressBarWidget(controls::vbwProgressBar& bar, QWidget* parent)
    : QWidget(parent), bar_(bar), tpp_(twipsPerPixel()), picStatus_(SurfaceUnits::Twips, tpp_) {
    setObjectName(QString::fromStdString(bar.name.empty() ? "vbwProgressBar" : bar.name));
    picStatus_.changed = [this] { update(); };
    bar_.attachSurface(&picStatus_);
    bar_.ViewChanged = [this] {
        layoutSurface();
        update();
    };
    layoutSurface();
}

ProgressBarWidget::~ProgressBarWidget() {
    bar_.attachSurface(nullptr);
    bar_.ViewChanged = nullptr;
}

QSize ProgressBarWidget::sizeHint() const {
    return {toPixels(bar_.width, tpp_.x), toPixels(bar_.height, tpp_.y)};
}

void ProgressBarWidget::layoutSurface() {
    int b = ownBorder();
    QSize outer = picStatus_.outerPixelSize();
    // picStatus follows the control's width; its height is the control's to set on resize.
    picStatus_.setOuterPixelSize(QSize(std::max(0, width() - 2 * b), outer.height()));
}

void ProgressBarWidget::catchUpWithSize() {
    if (handledSize_ != size()) handleResize();
}

void ProgressBarWidget::resizeEvent(QResizeEvent*) {
    handleResize();
}

void ProgressBarWidget::handleResize() {
    handledSize_ = size();
    layoutSurface();
    int b = ownBorder();
    // A resize arrives in the middle of someone's layout or painting: letting the message loop
    // run from here would run other events inside it. The redraw is shown by the next paint.
    ui::EventLoop* loop = bar_.eventLoop();
    bar_.setEventLoop(nullptr);
    // A drawing error has nobody to go to from a resize; the next redraw tries again.
    attempt([&] { bar_.UserControl_Resize(std::max(0, height() - 2 * b) * tpp_.y); });
    bar_.setEventLoop(loop);
}

QImage ProgressBarWidget::render() {
    catchUpWithSize();
    QImage out(size(), QImage::Format_RGB32);
    out.fill(palette().color(QPalette::Window));
    QPainter p(&out);
    int b = ownBorder();
    if (b) {
        p.setPen(picStatus_.resolve(0x80000006));
        p.drawRect(QRect(QPoint(0, 0), size() - QSize(1, 1)));
    }
    picStatus_.paint(p, QPoint(b, b));
    return out;
}

void ProgressBarWidget::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.drawImage(0, 0, render());
}

}  // namespace arkstash::gui
