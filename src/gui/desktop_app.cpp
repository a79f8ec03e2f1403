#include "gui/desktop_app.h"

#include <unistd.h>

#include <QApplication>
#include <QScreen>
#include <QSocketNotifier>
#include <csignal>

#include <QMenuBar>
#include <QPainter>
#include <algorithm>

#include "addin/connect.h"
#include "cli/project_session.h"
#include "cli/text_out.h"
#include "cli/user_store.h"
#include "gui/host_desktop.h"
#include "gui/host_window.h"
#include "gui/main_window_view.h"
#include "gui/qt_dialogs.h"
#include "gui/qt_event_loop.h"
#include "gui/qt_shell.h"
#include "platform/archive/libzip_engine.h"

namespace arkstash::gui {

namespace {

// The host's size when the screen allows it.
constexpr int kHostWidth = 1440, kHostHeight = 860;
constexpr int kMainWindowInset = 24;

// Ctrl-C, the session ending (SIGHUP) or a polite kill (SIGTERM) close the host as its close
// box would: the add-in disconnects, its window saves the memo and the options, and a backup in
// progress stops and keeps the previous archive. The handler only writes a byte; the host
// closes from the event loop.
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

// Where the add-in's window opens over the host: at the top left of its documents area, as
// large as its contents want within `area`.
void placeMainWindow(HostWindow& host, QRect area) {
    MainWindowView* view = host.addin().mainView();
    if (!view) return;
    const int titleRoom = view->fontMetrics().height() + 8;
    view->move(host.geometry().topLeft() + host.centralWidget()->geometry().topLeft() +
               QPoint(kMainWindowInset, kMainWindowInset + titleRoom));
    view->fitToContents(area);
}

// The host as drawn, with the add-in's window over it where it stands: a title strip, a
// border and a shadow mark it as a window of its own (an offscreen picture has no frames).
QImage drawHostAndWindow(HostWindow& host) {
    QImage image = host.grab().toImage();
    MainWindowView* view = host.addin().mainView();
    if (!view || !view->isVisible()) return image;
    QPixmap window = view->grab();
    const int titleHeight = view->fontMetrics().height() + 8;
    QRect frame(view->geometry().topLeft() - host.geometry().topLeft() - QPoint(1, titleHeight + 1),
                QSize(window.width() + 2, window.height() + titleHeight + 2));
    QPainter painter(&image);
    painter.fillRect(frame.translated(5, 5), QColor(0, 0, 0, 60));
    painter.fillRect(frame, view->palette().color(QPalette::Dark));
    QRect title(frame.left() + 1, frame.top() + 1, window.width(), titleHeight);
    painter.fillRect(title, view->palette().color(QPalette::Highlight));
    painter.setPen(view->palette().color(QPalette::HighlightedText));
    painter.drawText(title.adjusted(8, 0, 0, 0), Qt::AlignVCenter | Qt::AlignLeft,
                     view->windowTitle());
    painter.drawPixmap(title.bottomLeft() + QPoint(0, 1), window);
    return image;
}

}  // namespace

int runDesktop(const cli::DesktopStart& start, cli::Io& io, const char* programName) {
    // A picture needs no screen.
    if (start.screenshot && !start.display) qputenv("QT_QPA_PLATFORM", "offscreen");
    int argc = 1;
    char* argv[] = {const_cast<char*>(programName), nullptr};
    QApplication app(argc, argv);
    QApplication::setApplicationName(ui::kAppTitle);
    QApplication::setWindowIcon(QIcon(":/arkstash.svg"));

    cli::UserStore store = cli::openUserStore(io);
    os::SystemClock clock;
    QtDialogs dialogs;
    QtEventLoop events;
    QtShell shell;
    archive::LibzipEngine engine;
    window::Services services{store.files, clock, *store.registry, dialogs, events, shell, engine};
    QtClipboard clipboard;
    QtSystemColours colours;
    HostServices hostServices{services, store.loaderOptions, clipboard, colours};
    HostWindow host(hostServices);
    // From here on a signal closes the host as its close box would, whenever it arrives.
    CloseOnSignal closeOnSignal(host);

    if (!start.projects.empty()) {
        try {
            cli::printLoadReport(host.open(start.projects), io, false);
        } catch (const std::exception& e) {
            io.err << "arkstash: " << cli::TerminalSafe(e.what()) << '\n';
            return cli::kExitUsage;
        }
    }
    // A picture is not bound by the screen it is drawn on (the offscreen one is small).
    QRect area = start.screenshot || !host.screen() ? QRect(0, 0, 1600, 1200)
                                                    : host.screen()->availableGeometry();
    host.resize(std::min(area.width(), kHostWidth), std::min(area.height(), kHostHeight));
    host.show();
    host.loadAddinsAtStartup();
    // As the user would: the add-in's button opens its window on the projects, scanned.
    if (!start.projects.empty() && host.pressButton(addin::kBarName)) {
        // Drawn, it stays inside the documents area, clear of the explorer.
        QSize documents = host.centralWidget()->size() - QSize(2, 4) * kMainWindowInset;
        placeMainWindow(host, start.screenshot ? QRect(QPoint(), documents) : area);
    }

    if (start.screenshot) {
        QApplication::processEvents();
        if (!drawHostAndWindow(host).save(QString::fromStdString(*start.screenshot), "PNG")) {
            io.err << "arkstash: cannot write " << cli::TerminalSafe(*start.screenshot) << '\n';
            return cli::kExitNoArchive;
        }
        return cli::kExitOk;
    }
    return QApplication::exec() == 0 ? cli::kExitOk : cli::kExitNoArchive;
}

}  // namespace arkstash::gui
