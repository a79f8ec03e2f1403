// The about box on Qt: renders window::AboutBox with the logo we draw, modally.
#pragma once

#include <QDialog>

#include "window/about_box.h"

class QPainter;
class QRectF;

namespace arkstash::gui {

class AboutDialog : public QDialog {
    Q_OBJECT

  public:
    // The dialog shows `box` and forwards its clicks to it; OK closes the dialog.
    explicit AboutDialog(window::AboutBox& box, QWidget* parent = nullptr);
    ~AboutDialog() override;

    // The window's about command: the box over `parent`, until OK closes it.
    static void showModal(ui::Shell& shell, QWidget* parent);

  private:
    window::AboutBox& box_;
};

// Paints the product logo into `area` (100 x 200 at 100 % scale). Drawn from shapes, not a
// bitmap, so it is sharp at every scale.
void paintLogo(QPainter& painter, const QRectF& area);

}  // namespace arkstash::gui
