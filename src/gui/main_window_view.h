// The main window on the desktop: a thin Qt view over window::MainWindow. It renders the
// window's state (menus and tool bar, the project tree, the header frames, the five tabs and the
// status bar) whenever the state says it changed, and feeds the user's actions back through the
// controls' events. Every widget carries its control's name, so tests and bug reports meet.
//
// Sizes go one way: the view tells the state how big the window, the header and the tab panel
// are (in twips, at the screen's resolution) and runs the layout pass (ResizeIt) on every resize
// and splitter move; the pages then place their controls where the state says.
#pragma once

#include <QMainWindow>

#include "gui/twips.h"
#include "window/main_window.h"

class QLabel;
class QPushButton;
class QSplitter;
class QTabWidget;

namespace arkstash::gui {

class CommandBars;
class Light3DWidget;
class ProjectTreeWidget;
class StatePage;
class KeyboardPanels;

class MainWindowView : public QMainWindow {
    Q_OBJECT
  public:
    explicit MainWindowView(window::MainWindow& window, QWidget* parent = nullptr);
    ~MainWindowView() override;

    // Renders the whole state (what viewChanged asks for).
    void sync();
    // Widens the window, within `area`, until the file list shows all its columns and the tree
    // its projects' captions; called once the first scan has filled them.
    void fitToContents(QRect area);

    CommandBars& commandBars() { return *bars_; }

    // The bars are the window's own; there is nothing to show or hide on them.
    QMenu* createPopupMenu() override { return nullptr; }

  protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QWidget* buildHeader(window::MainWindow& window, QWidget* parent);
    QWidget* buildProjectName(window::MainWindow& window, QWidget* parent);
    void syncTabs();
    void syncHeader();
    // Hands the state the sizes the view has now, then lays the pages out.
    void relayout();

    window::MainWindow& window_;
    TwipsPerPixel tpp_;
    CommandBars* bars_ = nullptr;
    KeyboardPanels* keyboard_ = nullptr;
    QSplitter* splitter_ = nullptr;
    ProjectTreeWidget* tree_ = nullptr;
    Light3DWidget *header_ = nullptr, *projectNameFrame_ = nullptr;
    QLabel *headerText_ = nullptr, *projectName_ = nullptr;
    QPushButton* addDate_ = nullptr;
    QTabWidget* tabs_ = nullptr;
    std::vector<StatePage*> pages_;
    bool syncing_ = false, syncAgain_ = false, relayingOut_ = false;
    bool closedByCommand_ = false;
    bool busyShown_ = false;
};

}  // namespace arkstash::gui
