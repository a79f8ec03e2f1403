// The status bar's three panels, "CAPS", "NUM" and "INS", lit while their key state is on.
// Qt tells no lock state, so it is followed from the keys typed: the lock and Insert keys flip
// it, and a letter typed without Shift shows which case Caps Lock gives (a keypad key, whether
// Num Lock gives digits).
#pragma once

#include <QObject>

class QLabel;
class QKeyEvent;
class QStatusBar;

namespace arkstash::gui {

class KeyboardPanels : public QObject {
    Q_OBJECT
  public:
    explicit KeyboardPanels(QStatusBar& bar);
    ~KeyboardPanels() override;
    // Follows a key typed anywhere in the application.
    void follow(const QKeyEvent& event);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void show();
    QLabel *caps_, *num_, *ins_;
    bool capsOn_ = false, numOn_ = false, insOn_ = true;
};

}  // namespace arkstash::gui
