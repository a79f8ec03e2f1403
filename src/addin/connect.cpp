#include "addin/connect.h"

#include "platform/error.h"
#include "platform/registry/reg_helpers.h"

namespace arkstash::addin {

Connect::Connect(ConnectServices& services) : services_(services) {}

Connect::~Connect() {
    releaseWindow();
}

void Connect::Hide() {
    FormDisplayed = false;
    form();
    if (view_) view_->hide();
}

void Connect::Show() {
    window::MainWindow& window = form();
    window.setEnvironment(VBInstance);
    window.setEventSubscriber(this);
    FormDisplayed = true;
    if (view_) view_->show();
}

std::optional<std::string> Connect::BitmapToPicture(const Bitmap& bitmap) {
    std::string picture = encodePng(bitmap);
    if (picture.empty()) return std::nullopt;
    return picture;
}

void Connect::AddinInstance_OnConnection(ide::VBE& application, int connectMode) {
    VBInstance = &application;
    try {
        if (connectMode == ide::ext_cm_External) {
            Show();
            return;
        }
        buildCommandBar();
    } catch (const std::exception& e) {
        services_.window.dialogs.inform(e.what());
    }
}

void Connect::buildCommandBar() {
    ide::CommandBars& bars = VBInstance->CommandBars();
    bars.Add(kBarName, kBarPositionTop, false);
    ide::CommandBar& bar = bars.Item(kBarName);
    bar.setEnabled(true);
    bar.setVisible(true);
    mcbMenuCommandBar = &bar.Controls().Add();
    bar.Controls().Item(1).setStyle(kButtonStylePictureAndCaption);
    mcbMenuCommandBar->setTooltipText(kButtonToolTip);
    mcbMenuCommandBar->setCaption(kButtonCaption);
    MenuHandler = VBInstance->Events().CommandBarEvents(*mcbMenuCommandBar);
    buttonClicked_ = MenuHandler->Click.connect([this] { MenuHandler_Click(); });
    colourMap_ = {kButtonBackground, services_.colours.GetSysColor(kMenuColourIndex)};
    std::optional<std::string> picture = BitmapToPicture(buttonBitmap(colourMap_));
    if (!picture) throw PlatformError("The button's picture could not be made");
    pasteFace(*picture);
}

void Connect::pasteFace(const std::string& picture) {
    ui::ClipboardContent previous = services_.clipboard.content();
    services_.clipboard.setContent({picture, {}});
    // What the user had copied is theirs: it comes back whether or not the paste worked.
    try {
        mcbMenuCommandBar->PasteFace();
    } catch (...) {
        attempt([&] { services_.clipboard.setContent(previous); });
        throw;
    }
    services_.clipboard.setContent(previous);
}

void Connect::AddinInstance_OnDisconnection(int /*removeMode*/) {
    // In external mode there was never a bar; the attempt to delete it fails quietly.
    attempt([&] {
        if (!VBInstance) throw PlatformError("Not connected");
        VBInstance->CommandBars().Item(kBarName).Delete();
    });
    // The store refusing the value loses only this flag.
    attempt([&] {
        registry::SaveSetting(services_.window.registry, kSettingsApp, kSettingsSection,
                              kDisplayOnConnect, FormDisplayed ? "1" : "0");
    });
    FormDisplayed = false;
    releaseWindow();
    buttonClicked_.reset();
    projectAdded_.reset();
    componentAdded_.reset();
    fileRemoved_.reset();
    fileWritten_.clear();
    saveSources_.clear();
    MenuHandler.reset();
    ProjEvents.reset();
    CompEvents.reset();
    FileControlEvents.reset();
    mcbMenuCommandBar = nullptr;
    VBInstance = nullptr;
}

void Connect::releaseWindow() {
    if (window_ && window_->loaded()) {
        if (view_)
            // A view that cannot close still goes with its window below.
            attempt([&] { view_->unload(); });
        else
            window_->close();
    }
    view_.reset();
    window_.reset();
}

void Connect::MenuHandler_Click() {
    // Each step on its own: a window that cannot read its settings is still shown and scanned.
    attempt([&] { form().ReadSettings(); });
    attempt([&] { Show(); });
    attempt([&] { form().FillTree(); });
}

void Connect::CompEvents_ItemAdded(ide::VBComponent& /*component*/) {
    attempt([&] { form().FillTree(); });
}

void Connect::FileControlEvents_AfterRemoveFile(ide::VBProject& /*project*/, int /*fileType*/,
                                                const std::string& /*fileName*/) {
    attempt([&] { form().FillTree(); });
}

void Connect::FileControlEvents_AfterWriteFile(ide::VBProject& /*project*/, int /*fileType*/,
                                               const std::string& fileName, int /*result*/) {
    if (window_) attempt([&] { window_->fileWritten(fileName); });
}

void Connect::ProjEvents_ItemAdded(ide::VBProject& /*project*/) {
    attempt([&] {
        window::MainWindow& window = form();
        if (window.autoRefreshOption.isChecked()) window.FillTree();
    });
}

void Connect::subscribe(ide::VBE& environment, ide::VBProject& activeProject) {
    ide::Events& events = environment.Events();
    // Each source on its own: one the environment cannot give leaves the others working.
    attempt([&] {
        ProjEvents = events.VBProjectsEvents();
        projectAdded_ =
            ProjEvents->ItemAdded.connect([this](ide::VBProject& p) { ProjEvents_ItemAdded(p); });
    });
    attempt([&] {
        CompEvents = events.VBComponentsEvents(activeProject);
        componentAdded_ =
            CompEvents->ItemAdded.connect([this](ide::VBComponent& c) { CompEvents_ItemAdded(c); });
    });
    attempt([&] {
        FileControlEvents = events.FileControlEvents(activeProject);
        fileRemoved_ = FileControlEvents->AfterRemoveFile.connect(
            [this](ide::VBProject& p, int type, const std::string& file) {
                FileControlEvents_AfterRemoveFile(p, type, file);
            });
    });
    saveSources_.clear();
    fileWritten_.clear();
    attempt([&] {
        ide::VBProjects& projects = environment.VBProjects();
        for (long i = 1; i <= projects.Count(); ++i) {
            auto source = events.FileControlEvents(projects.Item(i));
            fileWritten_.push_back(source->AfterWriteFile.connect(
                [this](ide::VBProject& p, int type, const std::string& file, int result) {
                    FileControlEvents_AfterWriteFile(p, type, file, result);
                }));
            saveSources_.push_back(std::move(source));
        }
    });
}

bool Connect::windowAtWork() const {
    return window_ && (window_->busy || window_->backupRunning());
}

window::MainWindow& Connect::form() {
    if (!window_) {
        window_ = std::make_unique<window::MainWindow>(services_.window);
        if (services_.makeView) view_ = services_.makeView(*window_);
    }
    if (!window_->loaded()) window_->Load();
    return *window_;
}

}  // namespace arkstash::addin
