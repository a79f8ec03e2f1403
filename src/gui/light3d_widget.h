// Shows a Light3D: its surface (background, picture, what was drawn on it), the four edge
// lines on top, and any child widgets placed on it. Mouse and keyboard input goes to the
// control, whose container handlers may change it: a KeyPress answered with 0 is swallowed.
#pragma once

#include <QWidget>

#include "controls/light3d.h"
#include "gui/image_surface.h"

namespace arkstash::gui {

class Light3DWidget : public QWidget {
    Q_OBJECT
  public:
    explicit Light3DWidget(controls::Light3D& frame, QWidget* parent = nullptr);
    ~Light3DWidget() override;

    QSize sizeHint() const override;
    ImageSurface& surface() { return surface_; }
    // The control as shown, children left out.
    QImage render();

    // A hidden widget hears of a new size only when it is shown; drawing it before then
    // (a grab, a test) catches up here.
    void catchUpWithSize();

  protected:
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;

  private:
    void handleResize();
    QSize handledSize_{-1, -1};
    controls::Light3D& frame_;
    TwipsPerPixel tpp_;
    ImageSurface surface_;
    bool pressed_ = false;
};

}  // namespace arkstash::gui
