// The desktop's shell on Qt: documents, folders and web addresses go to the programs the
// desktop associates with them, file properties to a dialog of ours, help pages to the browser.
#pragma once

#include <QPointer>
#include <QString>

#include "platform/ui/shell.h"

class QWidget;

namespace arkstash::gui {

class QtShell final : public ui::Shell {
  public:
    // Properties dialogs belong to `owner` (the active window when there is none). Help pages
    // are taken from `helpFolder`, or when it is empty from the folder findHelpFolder() finds
    // at each request.
    explicit QtShell(QWidget* owner = nullptr, QString helpFolder = {});

    bool openPath(const std::string& path) override;
    bool openUrl(const std::string& url) override;
    bool showFileProperties(const std::string& path, const std::string& typeText) override;
    void showHelpTopic(const std::string& topic) override;
    // Through the desktop's notify-send where there is one, else the system tray's balloon.
    void notify(const std::string& title, const std::string& text) override;

    // The help pages' folder: "help" beside the program (a build tree), else the install
    // prefix's share/arkstash/help reached from the program's folder, else arkstash/help in
    // the desktop's data folders. Empty when there is none.
    static QString findHelpFolder();

  private:
    QWidget* owner() const;
    QPointer<QWidget> owner_;
    QString helpFolder_;
};

}  // namespace arkstash::gui
