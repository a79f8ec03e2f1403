#include "gui/desktop_app.h"

#include <unistd.h>

#include <QApplication>
#include <QScreen>
#include <QSocketNotifier>
#include <csignal>

#include "cli/project_session.h"
#include "cli/text_out.h"
#include "cli/user_store.h"
#include "gui/main_window_view.h"
#include "gui/qt_dialogs.h"
#include "gui/about_dialog.h"
#include "gui/qt_event_loop.h"
#include "gui/qt_shell.h"
#include "platform/archive/libzip_engine.h"

namespace arkstash::gui {

namespace {

// Ctrl-C, the session ending (SIGHUP) or a polite kill (SIGTERM) close the window as its close
// box would: the memo and the options are saved, and a backup in progress stops and keeps the
// previous archive. The handler only writes a byte; the window closes from the event loop.
int closePipe[2] = {-1, -1};
extern "C" void askToClose(int) {
    char byte = 1;
    [[maybe_unused]] ssize_t written = ::write(closePipe[1], &byte, 1);
}

class CloseOnSignal {
  public:
    explicit CloseOnSignal(QWidget& window) {
        if (::pipe(closePipe) != 0) return;
        notifier_ = std::make_unique<QSocketNotifier>(closePipe[0], QSocketNotifier::Read);
        QObject::connect(notifier_.get(), &QSocketNotifier::activated, &window, [&window] {
            char byte;
            [[maybe_unused]] ssize_t read = ::read(closePipe[0], &byte, 1);
            window.close();
        });
        struct sigaction action {};
        action.sa_handler = askToClose;
        sigemptyset(&action.sa_mask);
        for (int signal : {SIGINT, SIGTERM, SIGHUP}) ::sigaction(signal, &action, nullptr);
    }
    ~CloseOnSignal() {
        for (int signal : {SIGINT, SIGTERM, SIGHUP}) std::signal(signal, SIG_DFL);
        notifier_.reset();
        for (int& end : closePipe)
            if (end >= 0) ::close(std::exchange(end, -1));
    }
    CloseOnSignal(const CloseOnSignal&) = delete;
    CloseOnSignal& operator=(const CloseOnSignal&) = delete;

  private:
    std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace

int runDesktop(const cli::DesktopStart& start, cli::Io& io, const char* programName) {
    // A picture needs no screen.
    if (start.screenshot && !start.display) qputenv("QT_QPA_PLATFORM", "offscreen");
    int argc = 1;
    char* argv[] = {const_cast<char*>(programName), nullptr};
    QApplication app(argc, argv);
    QApplication::setApplicationName(ui::kAppTitle);

    cli::UserStore store = cli::openUserStore(io);
    cli::ProjectSession session(store.files, *store.registry, store.loaderOptions);
    ide::LoadReport report;
    try {
        report = session.load(start.projects);
        cli::printLoadReport(report, io, false);
    } catch (const std::exception& e) {
        io.err << "arkstash: " << cli::TerminalSafe(e.what()) << '\n';
        return cli::kExitUsage;
    }

    os::SystemClock clock;
    QtDialogs dialogs;
    QtEventLoop events;
    QtShell shell;
    archive::LibzipEngine engine;
    window::Services services{store.files, clock, *store.registry, dialogs, events, shell, engine};
    window::MainWindow window(services);
    // What the projects name but the loader could not read belongs in every backup's report.
    for (const auto& issue : report.issues)
        if (ide::leavesFileOut(issue.kind)) window.filesLeftOutByLoad.push_back(issue.file);
    MainWindowView view(window);
    window.showAbout = [&] { AboutDialog::showModal(shell, &view); };
    CloseOnSignal closeOnSignal(view);

    // As the add-in opens it: loaded, handed the environment, shown, scanned.
    window.Load();
    window.ReadSettings();
    window.setEnvironment(&session.environment());
    view.show();
    window.FillTree();
    // A picture is not bound by the screen it is drawn on (the offscreen one is small).
    QRect area = start.screenshot || !view.screen() ? QRect(0, 0, 1600, 1200)
                                                    : view.screen()->availableGeometry();
    view.fitToContents(area);

    if (start.screenshot) {
        QApplication::processEvents();
        if (!view.grab().save(QString::fromStdString(*start.screenshot), "PNG")) {
            io.err << "arkstash: cannot write " << cli::TerminalSafe(*start.screenshot) << '\n';
            return cli::kExitNoArchive;
        }
        return cli::kExitOk;
    }
    return QApplication::exec() == 0 ? cli::kExitOk : cli::kExitNoArchive;
}

}  // namespace arkstash::gui
