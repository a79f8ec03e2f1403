#include "gui/main_window_view.h"

#include <QApplication>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSplitter>
#include <QStatusBar>
#include <QStyle>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>

#include "gui/command_bars.h"
#include "gui/control_views.h"
#include "gui/keyboard_panels.h"
#include "gui/light3d_widget.h"
#include "gui/project_tree_widget.h"
#include "gui/report_list.h"
#include "gui/tab_pages.h"

namespace arkstash::gui {

namespace {

QString text(const std::string& s) {
    return QString::fromStdString(s);
}

// The tab control tells its owner when its panels changed size.
class TabControl final : public QTabWidget {
  public:
    TabControl(std::function<void()> resized, QWidget* parent)
        : QTabWidget(parent), resized_(std::move(resized)) {}
    QSize minimumSizeHint() const override { return {0, 0}; }

  protected:
    void resizeEvent(QResizeEvent* event) override {
        QTabWidget::resizeEvent(event);
        resized_();
    }

  private:
    std::function<void()> resized_;
};

// A header frame's height: the design's, or what its button needs in the desktop font.
constexpr long kHeaderHeight = 360;
constexpr long kDesignTreeWidth = 2400;
constexpr int kWidestTree = 320;

}  // namespace

MainWindowView::MainWindowView(window::MainWindow& window, QWidget* parent)
    : QMainWindow(parent), window_(window), tpp_(twipsPerPixel()) {
    setObjectName(text(window.frame.name));
    setWindowTitle(text(window.caption));
    setWindowIcon(QIcon());

    // Fitted columns are measured in the list's own font.
    const QFontMetrics metrics(font());
    const QFont boldFont = [this] {
        QFont f = font();
        f.setBold(true);
        return f;
    }();
    auto measure = [metrics, bold = QFontMetrics(boldFont), this](const std::string& s,
                                                                  bool isBold) {
        int width = (isBold ? bold : metrics).horizontalAdvance(QString::fromStdString(s));
        return static_cast<long>(width * tpp_.x);
    };
    window.fileList.measure = measure;
    window.referenceList.measure = measure;

    bars_ = new CommandBars(window.tools, *this);
    keyboard_ = new KeyboardPanels(*statusBar());

    splitter_ = new QSplitter(Qt::Horizontal, this);
    splitter_->setObjectName("SSSplitter1");
    splitter_->setChildrenCollapsible(false);
    auto* left = new QWidget(splitter_);
    left->setObjectName("Pane A");
    auto* leftLayout = new QVBoxLayout(left);
    leftLayout->setContentsMargins(0, 0, 0, 0);
    leftLayout->setSpacing(0);
    leftLayout->addWidget(buildProjectName(window, left));
    tree_ = new ProjectTreeWidget(window.projectTree, left);
    leftLayout->addWidget(tree_, 1);

    auto* right = new QWidget(splitter_);
    right->setObjectName("Pane B");
    auto* rightLayout = new QVBoxLayout(right);
    rightLayout->setContentsMargins(0, 0, 0, 0);
    rightLayout->setSpacing(0);
    rightLayout->addWidget(buildHeader(window, right));
    tabs_ = new TabControl([this] { relayout(); }, right);
    tabs_->setObjectName(text(window.tabs.name));
    pages_ = {new FilesPage(window, tabs_), new InfoPage(window, tabs_),
              new PropertiesPage(window, tabs_), new MemoPage(window, tabs_),
              new StatusPage(window, tabs_)};
    for (std::size_t i = 0; i < pages_.size(); ++i)
        tabs_->addTab(pages_[i], text(window.tabs.pages.at(i).caption));
    rightLayout->addWidget(tabs_, 1);
    connect(tabs_, &QTabWidget::currentChanged, this, [this](int index) {
        if (!syncing_ && index >= 0) window_.tabs.select(static_cast<window::Tab>(index));
    });
    splitter_->addWidget(left);
    splitter_->addWidget(right);
    splitter_->setStretchFactor(1, 1);
    splitter_->setSizes({toPixels(kDesignTreeWidth, tpp_.x),
                         toPixels(window.frame.width - kDesignTreeWidth, tpp_.x)});
    connect(splitter_, &QSplitter::splitterMoved, this, [this] { relayout(); });
    setCentralWidget(splitter_);
    resize(toPixels(window.frame.width, tpp_.x), toPixels(window.frame.height, tpp_.y));

    // From the tree into the pages, as a keyboard user goes round the window.
    setTabOrder(tree_, tabs_);
    tree_->setFocus();

    window.viewChanged = [this] { sync(); };
    window.closed = [this] {
        closedByCommand_ = true;
        close();
    };
    window.tools.popUpRequested = [this](const std::string& id) { bars_->popUp(id); };
    sync();
}

MainWindowView::~MainWindowView() {
    window_.viewChanged = nullptr;
    window_.closed = nullptr;
    window_.tools.popUpRequested = nullptr;
    window_.fileList.measure = controls::approximateTextWidth;
    window_.referenceList.measure = controls::approximateTextWidth;
    if (busyShown_) QApplication::restoreOverrideCursor();
}

QWidget* MainWindowView::buildProjectName(window::MainWindow& window, QWidget* parent) {
    projectNameFrame_ = new Light3DWidget(window.projectNameFrame, parent);
    projectName_ = makeLabel(window.projectNameLabel, projectNameFrame_);
    projectNameFrame_->installEventFilter(this);
    return projectNameFrame_;
}

QWidget* MainWindowView::buildHeader(window::MainWindow& window, QWidget* parent) {
    header_ = new Light3DWidget(window.headerFrame, parent);
    headerText_ = makeLabel(window.headerText, header_);
    // White on the header's grey.
    QPalette palette = headerText_->palette();
    palette.setColor(QPalette::WindowText, Qt::white);
    headerText_->setPalette(palette);
    addDate_ = makeButton(window.addDateButton, header_);
    addDate_->setFocusPolicy(Qt::TabFocus);
    int height = std::max(toPixels(kHeaderHeight, tpp_.y), addDate_->sizeHint().height() + 4);
    header_->setFixedHeight(height);
    projectNameFrame_->setFixedHeight(height);
    header_->installEventFilter(this);
    return header_;
}

void MainWindowView::sync() {
    if (syncing_) {
        syncAgain_ = true;
        return;
    }
    syncing_ = true;
    do {
        syncAgain_ = false;
        setWindowTitle(text(window_.caption));
        bars_->sync();
        tree_->sync();
        syncHeader();
        syncTabs();
        for (StatePage* page : pages_) page->sync();
        if (statusBar()->currentMessage() != text(window_.statusBarText))
            statusBar()->showMessage(text(window_.statusBarText));
        if (window_.busy != busyShown_) {
            busyShown_ = window_.busy;
            if (busyShown_)
                QApplication::setOverrideCursor(Qt::WaitCursor);
            else
                QApplication::restoreOverrideCursor();
        }
    } while (syncAgain_);
    syncing_ = false;
}

void MainWindowView::syncHeader() {
    const int margin = toPixels(120, tpp_.x);
    present(addDate_, window_.addDateButton);
    addDate_->setGeometry(toPixels(window_.addDateButton.left, tpp_.x), 2,
                          toPixels(window_.addDateButton.width, tpp_.x), header_->height() - 4);
    present(headerText_, window_.headerText);
    int textRight = addDate_->isVisible() ? addDate_->x() : header_->width();
    headerText_->setGeometry(margin, 0, std::max(0, textRight - 2 * margin), header_->height());
    present(projectName_, window_.projectNameLabel);
    projectName_->setGeometry(margin, 0, std::max(0, projectNameFrame_->width() - 2 * margin),
                              projectNameFrame_->height());
}

void MainWindowView::syncTabs() {
    const auto& strip = window_.tabs;
    // Whatever becomes available goes first, so the selection never lands on a closed tab.
    for (std::size_t i = 0; i < strip.pages.size(); ++i) {
        if (strip.pages[i].visible) tabs_->setTabVisible(static_cast<int>(i), true);
        if (strip.pages[i].enabled) tabs_->setTabEnabled(static_cast<int>(i), true);
    }
    tabs_->setCurrentIndex(static_cast<int>(strip.current()));
    for (std::size_t i = 0; i < strip.pages.size(); ++i) {
        if (!strip.pages[i].enabled) tabs_->setTabEnabled(static_cast<int>(i), false);
        if (!strip.pages[i].visible) tabs_->setTabVisible(static_cast<int>(i), false);
    }
    tabs_->setEnabled(strip.enabled);
}

void MainWindowView::relayout() {
    if (relayingOut_ || !tabs_ || !tabs_->currentWidget()) return;
    relayingOut_ = true;
    auto twipsX = [this](int pixels) { return static_cast<long>(pixels * tpp_.x); };
    auto twipsY = [this](int pixels) { return static_cast<long>(pixels * tpp_.y); };
    window_.frame.width = twipsX(width());
    window_.frame.height = twipsY(height());
    // Every tab's panel has the size of the one shown.
    QWidget* panel = tabs_->currentWidget();
    window_.tabPanel.width = twipsX(panel->width());
    window_.tabPanel.height = twipsY(panel->height());
    window_.headerFrame.width = twipsX(header_->width());
    window_.headerFrame.height = twipsY(header_->height());
    window_.projectNameFrame.width = twipsX(projectNameFrame_->width());
    window_.projectNameFrame.height = twipsY(projectNameFrame_->height());
    window_.ResizeIt();
    relayingOut_ = false;
}

void MainWindowView::fitToContents(QRect area) {
    auto* list = static_cast<FilesPage*>(pages_.front())->list();
    int columns = 0;
    for (const auto& column : window_.fileList.columns) columns += toPixels(column.width, tpp_.x);
    // Beyond its columns the list needs its frame and room for a vertical scroll bar.
    const int scrollBar = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, list);
    int wider = std::max(0, columns + 2 * list->frameWidth() + scrollBar + 2 - list->width());
    int rows = list->model()->rowCount() + 1;  // and the header
    int taller = std::max(
        0, rows * list->sizeHintForRow(0) + 2 * list->frameWidth() + scrollBar - list->height());

    QList<int> sizes = splitter_->sizes();
    int tree =
        std::clamp(tree_->captionsWidth() + 2 * tree_->frameWidth(), sizes.value(0), kWidestTree);
    wider += tree - sizes.value(0);
    int newWidth = std::min(width() + wider, area.width());
    sizes[1] += newWidth - width() - (tree - sizes.value(0));
    sizes[0] = tree;
    resize(newWidth, std::min(height() + taller, area.height()));
    splitter_->setSizes(sizes);
    relayout();
}

void MainWindowView::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    relayout();
}

bool MainWindowView::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Resize && (watched == header_ || watched == projectNameFrame_))
        relayout();
    return QMainWindow::eventFilter(watched, event);
}

void MainWindowView::closeEvent(QCloseEvent* event) {
    // The Exit command ran the close sequence already; the title bar's close runs it now. A
    // backup in progress is cancelled by it and keeps the previous archive.
    if (!closedByCommand_) window_.close();
    closedByCommand_ = false;
    event->accept();
}

}  // namespace arkstash::gui
