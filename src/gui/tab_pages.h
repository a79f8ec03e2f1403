// The five pages of the window's tabs. Each control sits where the window's state puts it:
// lefts and widths (and the lists' heights) in twips from the state, converted at the screen's
// resolution, so the window's layout pass (ResizeIt) decides them; tops follow the desktop
// font's line height. A page has no minimum size: a panel smaller than its controls cuts them
// off, and they keep their last valid sizes.
#pragma once

#include <QWidget>

#include "gui/twips.h"
#include "window/main_window.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;

namespace arkstash::gui {

class FolderBrowserWidget;
class LineBox;
class MemoBox;
class ProgressBarWidget;
class ReportListView;

class StatePage : public QWidget {
    Q_OBJECT
  public:
    QSize minimumSizeHint() const override { return {0, 0}; }
    QSize sizeHint() const override { return {0, 0}; }
    // Renders the state of the page's controls.
    virtual void sync() = 0;

  protected:
    StatePage(window::MainWindow& window, const char* name, QWidget* parent);
    int px(long twips) const { return toPixels(twips, tpp_.x); }
    // Puts `widget` at the control's left and width (height in pixels, or the control's own
    // when none is given); none of it below the page's bottom edge less a margin.
    void place(QWidget* widget, const controls::ControlState& control, int top,
               int height = -1) const;
    // The height of a one-line box in the desktop font, and the gap between rows.
    int line() const { return line_; }
    static constexpr int kGap = 8;

    window::MainWindow& window_;
    TwipsPerPixel tpp_;
    int line_;
};

class FilesPage final : public StatePage {
  public:
    FilesPage(window::MainWindow& window, QWidget* parent);
    void sync() override;
    ReportListView* list() const { return list_; }

  private:
    ReportListView* list_;
};

class InfoPage final : public StatePage {
  public:
    InfoPage(window::MainWindow& window, QWidget* parent);
    void sync() override;
    ReportListView* references() const { return references_; }

  private:
    QLabel *picture_, *projectCaption_, *descriptionCaption_, *buildNameCaption_;
    QLabel *project_, *description_, *buildName_;
    QCheckBox* includeReferences_;
    QGroupBox* referencesFrame_;
    ReportListView* references_;
    int shownImage_ = -1;
};

class PropertiesPage final : public StatePage {
  public:
    PropertiesPage(window::MainWindow& window, QWidget* parent);
    void sync() override;

  private:
    QLabel *folderCaption_, *nameCaption_, *compressionCaption_;
    FolderBrowserWidget* folder_;
    LineBox* archiveName_;
    QPushButton* view_;
    QComboBox* compression_;
    QGroupBox *options_, *automaticFrame_, *passwordFrame_;
    QCheckBox *addDate_, *autoRefresh_, *usePassword_;
    QLabel *passwordCaption_, *passwordExplanation_;
    LineBox* password_;
    QCheckBox *afterSaving_, *every_, *onClosing_, *keepDated_;
    QComboBox *minutes_, *keepCount_;
    QLabel *minutesCaption_, *keepCountCaption_;
};

class MemoPage final : public StatePage {
  public:
    MemoPage(window::MainWindow& window, QWidget* parent);
    void sync() override;

  private:
    MemoBox* memo_;
};

class StatusPage final : public StatePage {
  public:
    StatusPage(window::MainWindow& window, QWidget* parent);
    void sync() override;

  private:
    QLabel *statusCaption_, *status_, *fileCaption_, *projectCaption_;
    ProgressBarWidget *fileBar_, *projectBar_;
};

}  // namespace arkstash::gui
