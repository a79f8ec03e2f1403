// Shows a FolderBrowser: a line edit for txtFolder and a small folder button for cmdBrowse,
// placed where the control's layout puts them, over the control's own surface (background and
// the light separator line). Typing, the button and Alt+Down go back to the control.
#pragma once

#include <QWidget>

#include "controls/folder_browser.h"
#include "gui/image_surface.h"

class QLineEdit;
class QToolButton;

namespace arkstash::gui {

class FolderBrowserWidget : public QWidget {
    Q_OBJECT
  public:
    explicit FolderBrowserWidget(controls::FolderBrowser& picker, QWidget* parent = nullptr);
    ~FolderBrowserWidget() override;

    QSize sizeHint() const override;
    QLineEdit* textBox() const { return edit_; }
    QToolButton* button() const { return button_; }
    ImageSurface& surface() { return surface_; }

    // A hidden widget hears of a new size only when it is shown; drawing it before then
    // (a grab, a test) catches up here.
    void catchUpWithSize();

  protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void handleResize();
    QSize handledSize_{-1, -1};
    // Brings the child widgets in line with the control's state.
    void syncFromState();
    void placeChildren();

    controls::FolderBrowser& picker_;
    TwipsPerPixel tpp_;
    ImageSurface surface_;
    QLineEdit* edit_;
    QToolButton* button_;
    bool syncing_ = false;
    bool typing_ = false;
};

}  // namespace arkstash::gui
