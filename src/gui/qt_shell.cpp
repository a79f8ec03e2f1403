#include "gui/qt_shell.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QSystemTrayIcon>
#include <QUrl>

#include "gui/file_properties_dialog.h"

// Where an installed program finds its help, relative to its own folder (the build says).
#ifndef ARKSTASH_HELP_FROM_BINDIR
#define ARKSTASH_HELP_FROM_BINDIR "../share/arkstash/help"
#endif

namespace arkstash::gui {

QtShell::QtShell(QWidget* owner, QString helpFolder)
    : owner_(owner), helpFolder_(std::move(helpFolder)) {}

QWidget* QtShell::owner() const {
    return owner_ ? owner_.data() : QApplication::activeWindow();
}

bool QtShell::openPath(const std::string& path) {
    if (path.empty()) return false;
    return QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(path)));
}

bool QtShell::openUrl(const std::string& url) {
    const QUrl address(QString::fromStdString(url), QUrl::StrictMode);
    if (!address.isValid() || address.scheme().isEmpty()) return false;
    return QDesktopServices::openUrl(address);
}

bool QtShell::showFileProperties(const std::string& path, const std::string& typeText) {
    const QFileInfo file(QString::fromStdString(path));
    if (path.empty() || !file.exists()) return false;
    // Like the desktop's own properties sheets, the dialog stays up beside the window and the
    // command returns at once.
    auto* dialog = new FilePropertiesDialog(file, QString::fromStdString(typeText), *this, owner());
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->show();
    return true;
}

// The help is a folder of plain HTML pages opened in the user's own browser rather than in a
// viewer of ours: the pages read the same with or without the program, the browser brings
// search, zoom, printing and the user's fonts, and the request returns at once like every
// other shell request, with no window of ours to keep alive.
void QtShell::showHelpTopic(const std::string& topic) {
    const QString folder = helpFolder_.isEmpty() ? findHelpFolder() : helpFolder_;
    if (folder.isEmpty()) return;
    const QFileInfo page(QDir(folder), QString::fromStdString(topic));
    if (!page.isFile()) return;
    QDesktopServices::openUrl(QUrl::fromLocalFile(page.absoluteFilePath()));
}

void QtShell::notify(const std::string& title, const std::string& text) {
    const QString summary = QString::fromStdString(title), body = QString::fromStdString(text);
    const QString notifySend = QStandardPaths::findExecutable("notify-send");
    if (!notifySend.isEmpty() &&
        QProcess::startDetached(notifySend,
                                {"--app-name=Arkstash", "--icon=arkstash", "--", summary, body}))
        return;
    if (!QSystemTrayIcon::isSystemTrayAvailable()) return;
    // One icon for the session, shown only while a message is up.
    static QSystemTrayIcon* tray = [] {
        auto* icon = new QSystemTrayIcon(QIcon(":/arkstash.svg"), qApp);
        QObject::connect(icon, &QSystemTrayIcon::messageClicked, icon, &QSystemTrayIcon::hide);
        return icon;
    }();
    tray->show();
    tray->showMessage(summary, body, QSystemTrayIcon::Warning);
}

QString QtShell::findHelpFolder() {
    const QDir programFolder(QCoreApplication::applicationDirPath());
    // A build tree's own pages come first, so a build never shows an installed copy's help.
    QStringList candidates{programFolder.filePath("help"),
                           programFolder.filePath(ARKSTASH_HELP_FROM_BINDIR)};
    candidates += QStandardPaths::locateAll(QStandardPaths::GenericDataLocation, "arkstash/help",
                                            QStandardPaths::LocateDirectory);
    for (const QString& folder : candidates)
        if (QFileInfo(folder).isDir()) return QDir::cleanPath(folder);
    return {};
}

}  // namespace arkstash::gui
