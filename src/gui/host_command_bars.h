// The command bars add-ins put up on the environment, shown as tool bars of the host window:
// each visible bar docked where its position says, each button with its caption, tool tip and
// pasted face. Clicking a button raises its click event, as the environment does.
#pragma once

#include <QObject>
#include <vector>

#include "platform/ide/memory_ide.h"

class QAction;
class QMainWindow;
class QToolBar;

namespace arkstash::gui {

class AddinBars : public QObject {
    Q_OBJECT
  public:
    AddinBars(ide::MemoryVBE& vbe, QMainWindow& window);

    // Shows the bars as the model holds them now (after an add-in connected or disconnected).
    void sync();
    // The action of a bar's button (1-based); none when there is no such bar or button.
    QAction* button(const std::string& bar, long index) const;

  private:
    ide::MemoryVBE& vbe_;
    QMainWindow& window_;
    std::vector<QToolBar*> shown_;
};

}  // namespace arkstash::gui
