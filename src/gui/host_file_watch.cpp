#include "gui/host_file_watch.h"

#include <QDir>
#include <QFileInfo>

namespace arkstash::gui {

ProjectFilesWatcher::ProjectFilesWatcher(QObject* parent) : QObject(parent) {
    settle_.setSingleShot(true);
    settle_.setInterval(kSettleMilliseconds);
    connect(&watcher_, &QFileSystemWatcher::fileChanged, this, [this] { noticed(); });
    connect(&watcher_, &QFileSystemWatcher::directoryChanged, this, [this] { noticed(); });
    connect(&settle_, &QTimer::timeout, this, [this] {
        rewatch();
        emit changed();
    });
}

void ProjectFilesWatcher::watch(const std::vector<std::string>& paths) {
    QStringList wanted;
    for (const std::string& path : paths) wanted << QDir::cleanPath(QString::fromStdString(path));
    wanted.removeDuplicates();
    QStringList dropped;
    for (const QString& path : watcher_.files() + watcher_.directories())
        if (!wanted.contains(path)) dropped << path;
    if (!dropped.isEmpty()) watcher_.removePaths(dropped);
    wanted_ = wanted;
    rewatch();
}

void ProjectFilesWatcher::noticed() {
    rewatch();
    settle_.start();  // a change within the interval starts it again
}

void ProjectFilesWatcher::rewatch() {
    const QStringList watched = watcher_.files() + watcher_.directories();
    QStringList missing;
    for (const QString& path : wanted_)
        if (!watched.contains(path) && QFileInfo::exists(path)) missing << path;
    if (!missing.isEmpty()) watcher_.addPaths(missing);
}

}  // namespace arkstash::gui
