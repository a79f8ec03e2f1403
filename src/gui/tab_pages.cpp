#include "gui/tab_pages.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "gui/control_views.h"
#include "gui/folder_browser_widget.h"
#include "gui/image_list.h"
#include "gui/progress_bar_widget.h"
#include "gui/report_list.h"

namespace arkstash::gui {

namespace {

// Where the design puts a page's first controls, and the column the captions stand in.
constexpr long kMargin = 120;
constexpr long kCaptionColumn = 1800;
constexpr long kCaptionGap = 90;
// Where the password box starts inside its frame: its width leaves the frame's margin after it.
constexpr long kPasswordLeft = 1200;

// A caption wraps within its column rather than run under the box beside it.
QLabel* caption(controls::Label& label, QWidget* parent) {
    QLabel* widget = makeLabel(label, parent);
    widget->setWordWrap(true);
    return widget;
}

int heightFor(QLabel* label, int width) {
    return label->wordWrap() ? label->heightForWidth(width) : label->sizeHint().height();
}

}  // namespace

StatePage::StatePage(window::MainWindow& window, const char* name, QWidget* parent)
    : QWidget(parent),
      window_(window),
      tpp_(twipsPerPixel()),
      line_(QLineEdit().sizeHint().height()) {
    setObjectName(name);
}

void StatePage::place(QWidget* widget, const controls::ControlState& control, int top,
                      int height) const {
    widget->setGeometry(px(control.left), top, std::max(0, px(control.width)),
                        std::max(0, height < 0 ? px(control.height) : height));
}

// --- "Files" -------------------------------------------------------------------------------------

FilesPage::FilesPage(window::MainWindow& window, QWidget* parent)
    : StatePage(window, "SSActiveTabPanel1", parent),
      list_(new ReportListView(rowsOf(window.fileList), this)) {
    window.fileList.left = window.fileList.top = kMargin;
}

void FilesPage::sync() {
    const auto& list = window_.fileList;
    list_->sync();
    place(list_, list, px(list.top));
}

// --- "Info" --------------------------------------------------------------------------------------

InfoPage::InfoPage(window::MainWindow& window, QWidget* parent)
    : StatePage(window, "SSActiveTabPanel2", parent),
      picture_(new QLabel(this)),
      projectCaption_(makeLabel(window.projectCaption, this)),
      descriptionCaption_(makeLabel(window.descriptionCaption, this)),
      buildNameCaption_(makeLabel(window.buildNameCaption, this)),
      project_(makeLabel(window.projectLabel, this)),
      description_(makeLabel(window.descriptionLabel, this)),
      buildName_(makeLabel(window.buildNameLabel, this)),
      includeReferences_(makeCheckBox(window.includeReferences, this)),
      referencesFrame_(makeFrame(window.referencesFrame, this)),
      references_(new ReportListView(rowsOf(window.referenceList), referencesFrame_)) {
    picture_->setObjectName(QString::fromStdString(window.projectPicture.name));
    for (QLabel* value : {project_, description_, buildName_})
        value->setTextInteractionFlags(Qt::TextSelectableByMouse);
    window.referencesFrame.left = kMargin;
    window.referenceList.left = kMargin;
}

void InfoPage::sync() {
    constexpr int kPicture = 32;
    const int left = px(kMargin), labelHeight = fontMetrics().height() + 4;
    if (shownImage_ != window_.projectPicture.image) {
        shownImage_ = window_.projectPicture.image;
        QIcon icon = imageListIcon(shownImage_);
        picture_->setPixmap(icon.isNull()
                                ? QPixmap()
                                : icon.pixmap(QSize(kPicture, kPicture), devicePixelRatioF()));
    }
    picture_->setGeometry(left, kGap, kPicture, kPicture);
    picture_->setVisible(window_.projectPicture.visible);

    const int captionsLeft = left + kPicture + kGap;
    int captionWidth = 0;
    for (QLabel* c : {projectCaption_, descriptionCaption_, buildNameCaption_})
        captionWidth = std::max(captionWidth, c->sizeHint().width());
    const int valuesLeft = captionsLeft + captionWidth + kGap;
    struct Row {
        QLabel *caption, *value;
        const controls::Label &captionState, &valueState;
    } rows[] = {
        {projectCaption_, project_, window_.projectCaption, window_.projectLabel},
        {descriptionCaption_, description_, window_.descriptionCaption, window_.descriptionLabel},
        {buildNameCaption_, buildName_, window_.buildNameCaption, window_.buildNameLabel}};
    int top = kGap;
    for (const Row& row : rows) {
        present(row.caption, row.captionState);
        present(row.value, row.valueState);
        row.caption->setGeometry(captionsLeft, top, captionWidth, labelHeight);
        row.value->setGeometry(valuesLeft, top, std::max(0, px(row.valueState.width)), labelHeight);
        top += labelHeight;
    }
    top = std::max(top, kGap + kPicture) + kGap;

    present(includeReferences_, window_.includeReferences);
    includeReferences_->setGeometry(left, top, includeReferences_->sizeHint().width(),
                                    includeReferences_->sizeHint().height());
    top += includeReferences_->sizeHint().height() + kGap / 2;

    // A desktop font taller than the design's must not push the list out of sight.
    present(referencesFrame_, window_.referencesFrame);
    place(referencesFrame_, window_.referencesFrame, top,
          std::min(px(window_.referencesFrame.height), height() - top - kGap));
    const int inside = referencesFrame_->contentsMargins().top();
    references_->sync();
    place(references_, window_.referenceList, inside,
          std::min(px(window_.referenceList.height), referencesFrame_->height() - inside - kGap));
}

// --- "Properties" --------------------------------------------------------------------------------

PropertiesPage::PropertiesPage(window::MainWindow& window, QWidget* parent)
    : StatePage(window, "SSActiveTabPanel3", parent),
      folderCaption_(caption(window.backupFolderCaption, this)),
      nameCaption_(caption(window.archiveNameCaption, this)),
      compressionCaption_(caption(window.compressionCaption, this)),
      folder_(new FolderBrowserWidget(window.backupFolder, this)),
      archiveName_(new LineBox(window.archiveName, this)),
      view_(makeButton(window.viewArchiveButton, this)),
      compression_(makeComboBox(window.compressionList, this)),
      options_(makeFrame(window.optionsFrame, this)),
      automaticFrame_(makeFrame(window.automaticFrame, this)),
      passwordFrame_(makeFrame(window.passwordFrame, this)),
      addDate_(makeCheckBox(window.addDateOption, options_)),
      autoRefresh_(makeCheckBox(window.autoRefreshOption, options_)),
      usePassword_(makeCheckBox(window.usePassword, passwordFrame_)),
      passwordCaption_(makeLabel(window.passwordCaption, passwordFrame_)),
      passwordExplanation_(caption(window.passwordExplanation, passwordFrame_)),
      password_(new LineBox(window.passwordBox, passwordFrame_)),
      afterSaving_(makeCheckBox(window.backUpAfterSaving, automaticFrame_)),
      every_(makeCheckBox(window.backUpEvery, automaticFrame_)),
      onClosing_(makeCheckBox(window.backUpOnClosing, automaticFrame_)),
      keepDated_(makeCheckBox(window.keepDated, automaticFrame_)),
      minutes_(makeComboBox(window.backUpMinutes, automaticFrame_)),
      keepCount_(makeComboBox(window.keepCount, automaticFrame_)),
      minutesCaption_(makeLabel(window.backUpMinutesCaption, automaticFrame_)),
      keepCountCaption_(makeLabel(window.keepCountCaption, automaticFrame_)) {
    passwordCaption_->setBuddy(password_);
    window.compressionList.left = window.archiveName.left;
    window.optionsFrame.left = window.passwordFrame.left = kMargin;
    window.automaticFrame.left = kMargin;
    window.passwordBox.left = window.passwordExplanation.left = kPasswordLeft;
    setTabOrder(folder_, archiveName_);
    setTabOrder(archiveName_, view_);
    setTabOrder(view_, compression_);
}

void PropertiesPage::sync() {
    const int left = px(kMargin);
    int top = kGap;
    // A caption beside its box, both centred on the taller of the two.
    auto row = [&](QLabel* captionWidget, const controls::Label& captionState, long boxLeft) {
        present(captionWidget, captionState);
        int width = std::max(0, px(boxLeft - kMargin - kCaptionGap));
        int height = std::max(line(), heightFor(captionWidget, width));
        captionWidget->setGeometry(left, top + (height - heightFor(captionWidget, width)) / 2,
                                   width, heightFor(captionWidget, width));
        int boxTop = top + (height - line()) / 2;
        top += height + kGap;
        return boxTop;
    };

    int boxTop = row(folderCaption_, window_.backupFolderCaption, window_.backupFolder.left);
    place(folder_, window_.backupFolder, boxTop, line());
    folder_->setVisible(window_.backupFolder.visible);

    boxTop = row(nameCaption_, window_.archiveNameCaption, window_.archiveName.left);
    archiveName_->showState();
    place(archiveName_, window_.archiveName, boxTop, line());
    present(view_, window_.viewArchiveButton);
    place(view_, window_.viewArchiveButton, boxTop, line());

    boxTop = row(compressionCaption_, window_.compressionCaption, kCaptionColumn);
    present(compression_, window_.compressionList);
    compression_->setGeometry(px(window_.compressionList.left), boxTop,
                              std::max(compression_->sizeHint().width(), px(2000)), line());

    // Options: two check boxes in their frame.
    present(options_, window_.optionsFrame);
    const int inside = options_->contentsMargins().top();
    int y = inside;
    for (auto [box, state] : {std::pair{addDate_, &window_.addDateOption},
                              std::pair{autoRefresh_, &window_.autoRefreshOption}}) {
        present(box, *state);
        box->setGeometry(left, y, box->sizeHint().width(), box->sizeHint().height());
        y += box->sizeHint().height() + kGap / 2;
    }
    place(options_, window_.optionsFrame, top, y + kGap / 2);
    top += options_->height() + kGap;

    // Automatic backups: an option a line, a count between its box and what it counts.
    present(automaticFrame_, window_.automaticFrame);
    y = automaticFrame_->contentsMargins().top();
    auto optionLine = [&](QCheckBox* box, const controls::CheckBox& state, QComboBox* count,
                          const controls::ComboBox* countState, QLabel* what,
                          const controls::Label* whatState) {
        present(box, state);
        const int height = std::max(box->sizeHint().height(), count ? line() : 0);
        box->setGeometry(left, y + (height - box->sizeHint().height()) / 2, box->sizeHint().width(),
                         box->sizeHint().height());
        if (count) {
            present(count, *countState);
            const int countLeft = left + box->sizeHint().width() + kGap / 2;
            const int countWidth = count->sizeHint().width();
            count->setGeometry(countLeft, y + (height - line()) / 2, countWidth, line());
            present(what, *whatState);
            what->setGeometry(countLeft + countWidth + kGap / 2, y, what->sizeHint().width(),
                              height);
        }
        y += height + kGap / 2;
    };
    optionLine(afterSaving_, window_.backUpAfterSaving, nullptr, nullptr, nullptr, nullptr);
    optionLine(every_, window_.backUpEvery, minutes_, &window_.backUpMinutes, minutesCaption_,
               &window_.backUpMinutesCaption);
    optionLine(onClosing_, window_.backUpOnClosing, nullptr, nullptr, nullptr, nullptr);
    optionLine(keepDated_, window_.keepDated, keepCount_, &window_.keepCount, keepCountCaption_,
               &window_.keepCountCaption);
    place(automaticFrame_, window_.automaticFrame, top, y + kGap / 2);
    top += automaticFrame_->height() + kGap;

    // Password: the option, the box behind its caption, what it is for.
    present(passwordFrame_, window_.passwordFrame);
    y = passwordFrame_->contentsMargins().top();
    present(usePassword_, window_.usePassword);
    usePassword_->setGeometry(left, y, usePassword_->sizeHint().width(),
                              usePassword_->sizeHint().height());
    y += usePassword_->sizeHint().height() + kGap / 2;
    present(passwordCaption_, window_.passwordCaption);
    passwordCaption_->setGeometry(left, y, px(kPasswordLeft - kMargin - kCaptionGap), line());
    password_->showState();
    place(password_, window_.passwordBox, y, line());
    y += line() + kGap / 2;
    present(passwordExplanation_, window_.passwordExplanation);
    int explanationWidth = std::max(0, px(window_.passwordExplanation.width));
    place(passwordExplanation_, window_.passwordExplanation, y,
          heightFor(passwordExplanation_, explanationWidth));
    y += passwordExplanation_->height() + kGap;
    place(passwordFrame_, window_.passwordFrame, top, y);
}

// --- "Memo" --------------------------------------------------------------------------------------

MemoPage::MemoPage(window::MainWindow& window, QWidget* parent)
    : StatePage(window, "SSActiveTabPanel4", parent), memo_(new MemoBox(window.memoBox, this)) {
    window.memoBox.left = window.memoBox.top = kMargin;
}

void MemoPage::sync() {
    memo_->showState();
    place(memo_, window_.memoBox, px(window_.memoBox.top));
}

// --- "Status" ------------------------------------------------------------------------------------

StatusPage::StatusPage(window::MainWindow& window, QWidget* parent)
    : StatePage(window, "SSActiveTabPanel5", parent),
      statusCaption_(caption(window.statusCaption, this)),
      status_(makeLabel(window.statusLine, this)),
      fileCaption_(caption(window.fileProgressCaption, this)),
      projectCaption_(caption(window.projectProgressCaption, this)),
      fileBar_(new ProgressBarWidget(window.fileProgress, this)),
      projectBar_(new ProgressBarWidget(window.overallProgress, this)) {
    window.statusLine.left = kCaptionColumn;
    window.fileProgress.left = window.overallProgress.left = kCaptionColumn;
}

void StatusPage::sync() {
    const int left = px(kMargin), captionWidth = px(kCaptionColumn - kMargin - kCaptionGap);
    int top = kGap;
    auto caption = [&](QLabel* widget, const controls::Label& state, int rowHeight) {
        present(widget, state);
        int h = heightFor(widget, captionWidth);
        widget->setGeometry(left, top + (rowHeight - h) / 2, captionWidth, h);
        int rowTop = top;
        top += std::max(rowHeight, h) + kGap;
        return rowTop + (std::max(rowHeight, h) - rowHeight) / 2;
    };
    const int textHeight = fontMetrics().height() + 4;
    int y = caption(statusCaption_, window_.statusCaption, textHeight);
    present(status_, window_.statusLine);
    status_->setGeometry(px(kCaptionColumn), y, std::max(0, width() - px(kCaptionColumn) - left),
                         textHeight);
    for (auto [captionWidget, captionState, bar, state] :
         {std::tuple{fileCaption_, &window_.fileProgressCaption, fileBar_, &window_.fileProgress},
          std::tuple{projectCaption_, &window_.projectProgressCaption, projectBar_,
                     &window_.overallProgress}}) {
        int barHeight = px(state->height);
        y = caption(captionWidget, *captionState, barHeight);
        place(bar, *state, y, barHeight);
    }
}

}  // namespace arkstash::gui
