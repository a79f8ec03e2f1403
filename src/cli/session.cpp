#include "cli/session.h"

#include "platform/registry/memory_registry.h"
#include "shell/main_window.h"

namespace arkstash::cli {

Session::Session(SessionOptions options) : options_(std::move(options)) {
    os::FileSystem* fs = options_.fs;
    if (!fs) {
        ownFs_ = std::make_unique<os::PosixFileSystem>();
        fs = ownFs_.get();
    }
    os::Clock* clock = options_.clock;
    if (!clock) {
        ownClock_ = std::make_unique<os::SystemClock>();
        clock = ownClock_.get();
    }
    registry::Registry* settings = options_.settings;
    if (!settings) {
        ownSettings_ = std::make_unique<registry::MemoryRegistry>();
        settings = ownSettings_.get();
    }
    ui::Dialogs* dialogs = options_.dialogs;
    if (!dialogs) {
        ownDialogs_ = std::make_unique<ui::ScriptedDialogs>();
        dialogs = ownDialogs_.get();
    }
    platform_ =
        std::make_unique<form::Platform>(form::Platform{*fs, *clock, *settings, *dialogs, loop_});
    loader_ = std::make_unique<ide::ProjectLoader>(*fs, options_.loader);
    window_ = std::make_unique<shell::MainWindow>(*platform_);
}

Session::~Session() = default;

form::MainForm& Session::form() {
    return window_->frm;
}

ide::LoadReport Session::load(const std::vector<std::string>& paths) {
    return loader_->load(vbe_, paths);
}

ide::LoadReport Session::reload() {
    return loader_->reload(vbe_);
}

void Session::open() {
    // The window is loaded (hidden) at its first use, before it knows the environment; the
    // button then reads the settings again with the environment known, and scans.
    if (!opened_) {
        window_->Load();
        opened_ = true;
    }
    window_->setEnvironment(&vbe_);
    form::MainForm::run(window_->frm.routines.ReadSettings);
    window_->Refresh();
}

void Session::rescan() {
    window_->Refresh();
}

}  // namespace arkstash::cli
