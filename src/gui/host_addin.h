// The add-in as the host loads it: the Connect object, created when the add-in is loaded and
// released when it is unloaded, with what it reaches through the host — the clipboard, the
// desktop's colours, and its main window shown as a window over the host's.
#pragma once

#include <QPointer>
#include <memory>
#include <string>
#include <vector>

#include "addin/connect.h"

class QWidget;

namespace arkstash::gui {

class MainWindowView;

// How the add-in left: the environment closing, or the user in the add-in manager.
enum RemoveMode : int { ext_dm_HostShutdown = 0, ext_dm_UserClosed = 1 };

class HostedAddin {
  public:
    HostedAddin(window::Services& services, ui::Clipboard& clipboard, addin::SystemColours& colours,
                QWidget& host);
    ~HostedAddin();
    HostedAddin(const HostedAddin&) = delete;
    HostedAddin& operator=(const HostedAddin&) = delete;

    bool loaded() const { return connect_ != nullptr; }
    // Creates the add-in and connects it to the environment.
    void load(ide::VBE& environment, int connectMode);
    // Disconnects the add-in and releases it.
    void unload(int removeMode);

    addin::Connect* connect() const { return connect_.get(); }
    // The add-in's main window on the screen; none until it made one.
    MainWindowView* mainView() const;
    // The add-in's window is inside a scan or a backup: unloading must wait for it.
    bool atWork() const { return connect_ && connect_->windowAtWork(); }
    // What the last load tells every backup: the files the projects name that the loader could
    // not read (for the report), and the code page of the projects' names.
    void setLoadFacts(std::vector<std::string> filesLeftOut, std::string nameCodePage);

  private:
    window::Services& services_;
    addin::ConnectServices connectServices_;
    QWidget& host_;
    std::unique_ptr<addin::Connect> connect_;
    QPointer<MainWindowView> view_;
    std::vector<std::string> leftOut_;
    std::string nameCodePage_ = "1252";
};

}  // namespace arkstash::gui
