#include "gui/host_addin.h"

#include "gui/about_dialog.h"
#include "gui/main_window_view.h"

namespace arkstash::gui {

namespace {

// The main window's view, a window of its own that stays over the host's. The host may go
// first (taking its child windows along); the view is then simply gone.
class MainFormView final : public addin::FormView {
  public:
    MainFormView(window::MainWindow& window, ui::Shell& shell, QWidget& host)
        : window_(window), view_(new MainWindowView(window, &host)) {
        window.showAbout = [this, &shell] { AboutDialog::showModal(shell, view_.data()); };
    }
    ~MainFormView() override {
        window_.showAbout = nullptr;
        delete view_.data();
    }
    MainFormView(const MainFormView&) = delete;
    MainFormView& operator=(const MainFormView&) = delete;

    void show() override {
        if (!view_) return;
        view_->show();
        view_->raise();
        view_->activateWindow();
    }
    void hide() override {
        if (view_) view_->hide();
    }
    void unload() override {
        // Closing the view runs the close sequence; a hidden window runs it directly.
        if (view_ && view_->isVisible())
            view_->close();
        else
            window_.close();
    }
    MainWindowView* view() const { return view_.data(); }

  private:
    window::MainWindow& window_;
    QPointer<MainWindowView> view_;
};

}  // namespace

HostedAddin::HostedAddin(window::Services& services, ui::Clipboard& clipboard,
                         addin::SystemColours& colours, QWidget& host)
    : services_(services),
      connectServices_{services, clipboard, colours,
                       [this](window::MainWindow& window) {
                           auto view =
                               std::make_unique<MainFormView>(window, services_.shell, host_);
                           view_ = view->view();
                           window.filesLeftOutByLoad = leftOut_;
                           window.nameCodePage = nameCodePage_;
                           return view;
                       }},
      host_(host) {}

HostedAddin::~HostedAddin() {
    if (loaded()) unload(ext_dm_HostShutdown);
}

void HostedAddin::load(ide::VBE& environment, int connectMode) {
    if (loaded()) return;
    connect_ = std::make_unique<addin::Connect>(connectServices_);
    connect_->AddinInstance_OnConnection(environment, connectMode);
}

void HostedAddin::unload(int removeMode) {
    if (!connect_) return;
    connect_->AddinInstance_OnDisconnection(removeMode);
    connect_.reset();
}

MainWindowView* HostedAddin::mainView() const {
    return view_.data();
}

void HostedAddin::setLoadFacts(std::vector<std::string> filesLeftOut, std::string nameCodePage) {
    leftOut_ = std::move(filesLeftOut);
    nameCodePage_ = std::move(nameCodePage);
    if (window::MainWindow* window = connect_ ? connect_->mainWindow() : nullptr) {
        window->filesLeftOutByLoad = leftOut_;
        window->nameCodePage = nameCodePage_;
    }
}

}  // namespace arkstash::gui
