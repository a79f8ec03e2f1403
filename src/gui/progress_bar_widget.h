// Shows a vbwProgressBar: the control's own border line around its picStatus surface, which
// the control draws into whenever its state changes.
#pragma once

#include <QWidget>

#include "controls/progress_bar.h"
#include "gui/image_surface.h"

namespace arkstash::gui {

class ProgressBarWidget : public QWidget {
    Q_OBJECT
  public:
    // The widget shows `bar` (which it does not own) until the widget goes away.
    explicit ProgressBarWidget(controls::vbwProgressBar& bar, QWidget* parent = nullptr);
    ~ProgressBarWidget() override;

    QSize sizeHint() const override;
    ImageSurface& picStatus() { return picStatus_; }
    // The whole control as shown.
    QImage render();

    // A hidden widget hears of a new size only when it is shown; drawing it before then
    // (a grab, a test) catches up here.
    void catchUpWithSize();

  protected:
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

  private:
    void handleResize();
    QSize handledSize_{-1, -1};
    int ownBorder() const { return bar_.BorderLine() ? 1 : 0; }
    void layoutSurface();

    controls::vbwProgressBar& bar_;
    TwipsPerPixel tpp_;
    ImageSurface picStatus_;
};

}  // namespace arkstash::gui
