// Watches the open projects' files and folders and says, once a burst of changes has settled,
// that something changed on disk. Editors that save by writing a new file and renaming it over
// the old one take the watch with the old file; the watch is put back on the new one.
#pragma once

#include <QFileSystemWatcher>
#include <QObject>
#include <QStringList>
#include <QTimer>
#include <string>
#include <vector>

namespace arkstash::gui {

class ProjectFilesWatcher : public QObject {
    Q_OBJECT
  public:
    // How long the files must stay quiet before a change is reported: an editor saving a
    // project writes several files within a few milliseconds of each other.
    static constexpr int kSettleMilliseconds = 300;

    explicit ProjectFilesWatcher(QObject* parent = nullptr);

    // Watches these files and folders from now on, in place of the ones before. Paths not
    // there now are watched as soon as a change brings them back.
    void watch(const std::vector<std::string>& paths);

  signals:
    // Once per burst of changes.
    void changed();

  private:
    void noticed();
    // Puts the watch back on wanted paths that lost it and are there again.
    void rewatch();

    QFileSystemWatcher watcher_;
    QTimer settle_;
    QStringList wanted_;
};

}  // namespace arkstash::gui
