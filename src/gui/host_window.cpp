#include "gui/host_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDockWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QStatusBar>
#include <QTimer>
#include <optional>

#include "addin/registration.h"
#include "gui/host_addin_manager.h"
#include "gui/host_command_bars.h"
#include "gui/host_explorer.h"
#include "gui/host_file_watch.h"
#include "gui/host_viewers.h"
#include "gui/image_list.h"
#include "gui/main_window_view.h"
#include "platform/error.h"
#include "platform/os/text_codec.h"
#include "platform/registry/reg_helpers.h"
#include "util/paths.h"

namespace arkstash::gui {

namespace {

constexpr const char* kTitle = "Arkstash environment host";
// The recent files, "1" the latest, as the environment keeps them.
constexpr const char* kRecentFilesKey = "Software\\Microsoft\\Visual Basic\\6.0\\RecentFiles";
constexpr int kRecentFiles = 8;
// How often a change that waits for the add-in's window to finish its work looks again.
constexpr int kIdleRetryMilliseconds = 100;
constexpr auto kUser = registry::Root::CurrentUser;
// Wide enough for "Name (File.ext)" of the usual component.
constexpr int kExplorerWidth = 300;

std::vector<std::string> readRecentFiles(registry::Registry& reg) {
    std::vector<std::string> files;
    for (int i = 1; i <= kRecentFiles; ++i) {
        std::string path = registry::RegRead(reg, kUser, kRecentFilesKey, std::to_string(i), "");
        if (!path.empty()) files.push_back(path);
    }
    return files;
}

void rememberRecentFiles(registry::Registry& reg, const std::vector<std::string>& opened) {
    std::vector<std::string> files(opened.rbegin(), opened.rend());
    for (const std::string& path : readRecentFiles(reg))
        if (std::find(files.begin(), files.end(), path) == files.end()) files.push_back(path);
    files.resize(std::min<std::size_t>(files.size(), kRecentFiles));
    for (std::size_t i = 0; i < files.size(); ++i)
        registry::RegWrite(reg, kUser, kRecentFilesKey, std::to_string(i + 1), registry::REG_SZ,
                           files[i]);
}

// Marks the model as being changed for as long as it lives.
class Changing {
  public:
    explicit Changing(bool& flag) : flag_(flag) { flag_ = true; }
    ~Changing() { flag_ = false; }
    Changing(const Changing&) = delete;
    Changing& operator=(const Changing&) = delete;

  private:
    bool& flag_;
};

}  // namespace

HostWindow::HostWindow(HostServices& services, QWidget* parent)
    : QMainWindow(parent),
      services_(services),
      environment_(services.window.files, services.loader),
      addin_(services.window, services.clipboard, services.colours, *this) {
    setObjectName("HostWindow");
    setWindowTitle(tr(kTitle));
    ide::MemoryVBE& vbe = environment_.vbe();
    vbe.commandBars().setClipboard(&services.clipboard);
    vbe.hooks.codeShown = [this](ide::MemoryComponent& c) { showComponent(c, false); };
    vbe.hooks.designerActivated = [this](ide::MemoryComponent& c) { showComponent(c, true); };

    documents_ = new QMdiArea(this);
    documents_->setObjectName("Documents");
    setCentralWidget(documents_);

    explorer_ = new ProjectExplorer(vbe, this);
    explorer_->viewComponent = [this](const std::string& file, bool designer) {
        ide::MemoryComponent* c = environment_.componentByFile(file);
        // A resource file or related document has no code window and no designer.
        if (c && !attempt([&] {
                if (designer)
                    c->Activate();
                else
                    c->CodeModule().CodePane().Show();
            }))
            statusBar()->showMessage(
                tr("%1 has no code to show.").arg(QString::fromStdString(file)));
    };
    explorer_->projectChosen = [this](const std::string& file) {
        if (ide::MemoryProject* p = environment_.projectByFile(file))
            environment_.vbe().setActive(p);
    };
    auto* dock = new QDockWidget(tr("Project"), this);
    dock->setObjectName("ProjectDock");
    dock->setFeatures(QDockWidget::NoDockWidgetFeatures);
    dock->setWidget(explorer_);
    addDockWidget(Qt::RightDockWidgetArea, dock);
    resizeDocks({dock}, {kExplorerWidth}, Qt::Horizontal);

    bars_ = new AddinBars(vbe, *this);
    watcher_ = new ProjectFilesWatcher(this);
    connect(watcher_, &ProjectFilesWatcher::changed, this, &HostWindow::reloadFromDisk);
    buildMenus();
    statusBar()->showMessage(tr("Ready"));
    resize(1100, 720);
}

HostWindow::~HostWindow() {
    addin_.unload(ext_dm_HostShutdown);
}

void HostWindow::buildMenus() {
    QMenu* file = menuBar()->addMenu(tr("&File"));
    file->setObjectName("FileMenu");
    connect(file, &QMenu::aboutToShow, this, [this, file] { fillRecentFiles(*file); });
    fillRecentFiles(*file);
    QMenu* addins = menuBar()->addMenu(tr("&Add-Ins"));
    addins->setObjectName("AddinsMenu");
    QAction* manager = addins->addAction(tr("&Add-In Manager..."), this, &HostWindow::manageAddins);
    manager->setObjectName("AddinManagerAction");
}

void HostWindow::fillRecentFiles(QMenu& menu) {
    menu.clear();
    QAction* open = menu.addAction(tr("&Open Project..."), this, &HostWindow::openChosen);
    open->setShortcut(QKeySequence::Open);
    std::vector<std::string> recent = readRecentFiles(services_.window.registry);
    if (!recent.empty()) menu.addSeparator();
    for (std::size_t i = 0; i < recent.size(); ++i) {
        const std::string path = recent[i];
        menu.addAction(QString("&%1 %2").arg(i + 1).arg(QString::fromStdString(path)), this,
                       [this, path] { openRecent(path); });
    }
    menu.addSeparator();
    menu.addAction(tr("E&xit"), this, &QWidget::close);
}

ide::LoadReport HostWindow::open(const std::vector<std::string>& paths) {
    ide::LoadReport report;
    {
        Changing changing(changing_);
        report = environment_.open(paths);
    }
    rememberRecentFiles(services_.window.registry, paths);
    environmentChanged(report);
    return report;
}

void HostWindow::openChosen() {
    std::vector<std::string> paths = services_.window.dialogs.openFiles(
        {tr("Open Project").toStdString(), "Projects and groups|*.vbp;*.vbg|All Files|*.*", "vbp",
         true});
    if (!paths.empty()) whenIdle([this, paths] { openTelling(paths); });
}

void HostWindow::openRecent(const std::string& path) {
    whenIdle([this, path] { openTelling({path}); });
}

void HostWindow::openTelling(const std::vector<std::string>& paths) {
    try {
        open(paths);
    } catch (const std::exception& e) {
        services_.window.dialogs.inform(e.what());
    }
}

void HostWindow::loadAddinsAtStartup() {
    registry::Registry& reg = services_.window.registry;
    addin::registerAddin(reg);
    addin::AddinRegistration registration = addin::readRegistration(reg);
    if (registration.loadOnStartup) setAddinLoaded(true);
    addin::saveLoadChoices(reg, addin_.loaded(), registration.loadOnStartup);
}

bool HostWindow::pressButton(const std::string& bar) {
    QAction* button = bars_->button(bar, 1);
    if (button) button->trigger();
    return button != nullptr;
}

void HostWindow::manageAddins() {
    AddinManagerDialog dialog(addin::readRegistration(services_.window.registry), addin_.loaded(),
                              this);
    if (dialog.exec() != QDialog::Accepted) return;
    bool loaded = dialog.loaded(), loadOnStartup = dialog.loadOnStartup();
    whenIdle([this, loaded, loadOnStartup] { applyAddinChoices(loaded, loadOnStartup); });
}

void HostWindow::applyAddinChoices(bool loaded, bool loadOnStartup) {
    if (loaded != addin_.loaded()) setAddinLoaded(loaded);
    addin::saveLoadChoices(services_.window.registry, addin_.loaded(), loadOnStartup);
}

void HostWindow::setAddinLoaded(bool loaded) {
    if (loaded)
        addin_.load(environment_.vbe(), ide::ext_cm_AfterStartup);
    else
        addin_.unload(ext_dm_UserClosed);
    bars_->sync();
}

void HostWindow::reloadFromDisk() {
    if (reloadQueued_) return;
    reloadQueued_ = true;
    whenIdle([this] {
        reloadQueued_ = false;
        std::optional<ide::LoadReport> report;
        try {
            Changing changing(changing_);
            report = environment_.reload();
        } catch (const std::exception& e) {
            // Most often a file caught in the middle of being saved: the next change reads it.
            statusBar()->showMessage(
                tr("The projects could not be read again (%1); they stay as they were.")
                    .arg(QString::fromStdString(e.what())));
        }
        if (report) environmentChanged(*report);
        emit reloaded();
    });
}

void HostWindow::environmentChanged(const ide::LoadReport& report) {
    explorer_->rebuild();
    watcher_->watch(environment_.watchedPaths());
    std::vector<std::string> leftOut;
    for (const ide::LoadIssue& issue : report.issues)
        if (ide::leavesFileOut(issue.kind)) leftOut.push_back(issue.file);
    addin_.setLoadFacts(leftOut, ide::codePageOfNames(report.encodings, services_.loader.codePage));
    const std::vector<std::string>& files = environment_.openedFiles();
    setWindowTitle(files.empty()
                       ? tr(kTitle)
                       : QString("%1 - %2").arg(
                             QString::fromStdString(util::FileTitle(files.front())), tr(kTitle)));
    if (report.issues.empty())
        statusBar()->showMessage(tr("Ready"));
    else
        statusBar()->showMessage(tr("%n problem(s) reading the projects; the first: %1", nullptr,
                                    static_cast<int>(report.issues.size()))
                                     .arg(QString::fromStdString(report.issues.front().file + ": " +
                                                                 report.issues.front().message)));
}

void HostWindow::showComponent(ide::MemoryComponent& component, bool designer) {
    const ide::ComponentData& data = component.data();
    std::string bytes;
    try {
        bytes = services_.window.files.readFile(data.FileName, ide::ProjectLoader::kMaxFileSize);
    } catch (const std::exception& e) {
        statusBar()->showMessage(QString::fromStdString(data.FileName + ": " + e.what()));
        return;
    }
    ComponentSource source = readComponentSource(
        os::isValidUtf8(bytes) ? bytes : os::decodeText(bytes, services_.loader.codePage));
    const bool showDesign = designer && !source.design.empty();
    const QString title = QString("%1 (%2)").arg(QString::fromStdString(data.Name),
                                                 showDesign ? tr("Object") : tr("Code"));
    // A window already open for it shows the file as it is now.
    for (QMdiSubWindow* open : documents_->subWindowList())
        if (open->windowTitle() == title &&
            open->property("file").toString().toStdString() == data.FileName)
            open->close();
    QWidget* view = showDesign ? static_cast<QWidget*>(new DesignerOutline(source.design))
                               : new CodeView(source.code);
    view->setObjectName(showDesign ? "DesignerWindow" : "CodeWindow");
    QMdiSubWindow* window = documents_->addSubWindow(view);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setWindowTitle(title);
    window->setWindowIcon(imageListIcon(data.Type));
    window->setProperty("file", QString::fromStdString(data.FileName));
    window->resize(documents_->size() * 3 / 4);
    window->show();
}

bool HostWindow::idle() const {
    return !changing_ && !addin_.atWork() && !QApplication::activeModalWidget();
}

void HostWindow::whenIdle(std::function<void()> change) {
    if (idle()) {
        change();
        return;
    }
    QTimer::singleShot(kIdleRetryMilliseconds, this,
                       [this, change = std::move(change)] { whenIdle(change); });
}

void HostWindow::closeEvent(QCloseEvent* event) {
    if (!idle()) {
        event->ignore();
        // A backup under way stops as when its own window is closed, keeping the last archive.
        window::MainWindow* window = addin_.connect() ? addin_.connect()->mainWindow() : nullptr;
        if (window && window->backupRunning() && addin_.mainView()) addin_.mainView()->close();
        if (!closing_) {
            closing_ = true;
            whenIdle([this] {
                closing_ = false;
                close();
            });
        }
        return;
    }
    addin_.unload(ext_dm_HostShutdown);
    bars_->sync();
    documents_->closeAllSubWindows();
    event->accept();
}

}  // namespace arkstash::gui
