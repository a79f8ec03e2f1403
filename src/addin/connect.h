// The add-in the environment creates and connects: it puts the "Arkstash" bar with its one
// button up, opens the main window when the button is clicked, keeps the window's view of the
// projects current as the environment reports changes, and takes everything down again at
// disconnection. All scanning and backing up is the main window's.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "addin/button_picture.h"
#include "addin/connect_services.h"
#include "platform/ide/ide.h"
#include "window/main_window.h"

namespace arkstash::addin {

inline constexpr const char* kBarName = "Arkstash";
inline constexpr const char* kButtonCaption = "Arkstash";
inline constexpr const char* kButtonToolTip = "Backup current project";
// Where the add-in keeps whether its window had been shown (the runtime's settings store).
inline constexpr const char* kSettingsApp = "Arkstash";
inline constexpr const char* kSettingsSection = "Settings";
inline constexpr const char* kDisplayOnConnect = "DisplayOnConnect";
// The system colour the button picture's background takes: the menus'.
inline constexpr int kMenuColourIndex = 4;
inline constexpr int kButtonStylePictureAndCaption = 3;
inline constexpr int kBarPositionTop = 1;

class Connect final : public window::EventSubscriber {
  public:
    explicit Connect(ConnectServices& services);
    ~Connect() override;
    Connect(const Connect&) = delete;
    Connect& operator=(const Connect&) = delete;

    // From Show until Hide or disconnection; closing the window by other means leaves it set.
    bool FormDisplayed = false;
    // The environment, stored at connection.
    ide::VBE* VBInstance = nullptr;
    // The button that opens the main window, and where its clicks come from.
    ide::CommandBarControl* mcbMenuCommandBar = nullptr;
    std::shared_ptr<ide::CommandBarEvents> MenuHandler;
    // The environment's events for the project active at the window's last scan; empty until
    // the first scan.
    std::shared_ptr<ide::VBProjectsEvents> ProjEvents;
    std::shared_ptr<ide::VBComponentsEvents> CompEvents;
    std::shared_ptr<ide::FileControlEvents> FileControlEvents;

    // Hides the main window without unloading it. Nothing of the add-in calls it.
    void Hide();
    // Hands the main window the environment and this add-in, and shows it modeless.
    void Show();
    // The picture the clipboard carries to the button: the bitmap as PNG bytes; none for a
    // bitmap that makes no picture.
    std::optional<std::string> BitmapToPicture(const Bitmap& bitmap);

    // Connection: in external mode the window opens at once and no bar is made; otherwise the
    // bar and its button are put up. The first step that fails stops the rest and its
    // description is shown in a message box.
    void AddinInstance_OnConnection(ide::VBE& application, int connectMode);
    // Disconnection: the bar goes, "DisplayOnConnect" is kept, the window is unloaded and
    // released. Each step that fails is skipped.
    void AddinInstance_OnDisconnection(int removeMode);

    void MenuHandler_Click();
    void CompEvents_ItemAdded(ide::VBComponent& component);
    void ProjEvents_ItemAdded(ide::VBProject& project);
    void FileControlEvents_AfterRemoveFile(ide::VBProject& project, int fileType,
                                           const std::string& fileName);
    // A file of an open project was saved: the window's automatic backup hears of it.
    void FileControlEvents_AfterWriteFile(ide::VBProject& project, int fileType,
                                          const std::string& fileName, int result);

    // Every scan points the three event sources at the project active then, and listens for
    // saves in every open project.
    void subscribe(ide::VBE& environment, ide::VBProject& activeProject) override;

    // The main window, once something has used it; none before and after disconnection.
    window::MainWindow* mainWindow() { return window_.get(); }
    // True while the main window is inside a scan or a backup, which let the environment's
    // events run: releasing the window then would pull it from under its own work.
    bool windowAtWork() const;

  private:
    // The main window: created on first use, and loaded (hidden) whenever it is not.
    window::MainWindow& form();
    void buildCommandBar();
    // Pastes the picture onto the button through the clipboard, and puts back what the
    // clipboard held before.
    void pasteFace(const std::string& picture);
    void releaseWindow();

    ConnectServices& services_;
    // The button picture's background grey becomes the menus' colour.
    ColourMap colourMap_;
    std::unique_ptr<window::MainWindow> window_;
    std::unique_ptr<FormView> view_;
    ide::Signal<>::Connection buttonClicked_;
    ide::Signal<ide::VBProject&>::Connection projectAdded_;
    ide::Signal<ide::VBComponent&>::Connection componentAdded_;
    ide::Signal<ide::VBProject&, int, const std::string&>::Connection fileRemoved_;
    // Saves in any open project, not only the active one: the backup takes all of them.
    std::vector<std::shared_ptr<ide::FileControlEvents>> saveSources_;
    std::vector<ide::Signal<ide::VBProject&, int, const std::string&, int>::Connection>
        fileWritten_;
};

}  // namespace arkstash::addin
