// What the add-in reaches through the environment that hosts it, beyond the object model: the
// outside world its main window works with, the clipboard that carries the button's picture,
// the desktop's colours, and the main window's presence on the screen.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "platform/ui/clipboard.h"
#include "window/main_window.h"

namespace arkstash::addin {

// The desktop's colours by the system colour index (4: menus), as &HBBGGRR values.
class SystemColours {
  public:
    virtual ~SystemColours() = default;
    virtual std::uint32_t GetSysColor(int index) = 0;
};

// The main window on the screen. The add-in keeps the window's state; the view shows it.
class FormView {
  public:
    virtual ~FormView() = default;
    // Shows the window modeless and brings it to the front.
    virtual void show() = 0;
    // Hides the window; it stays loaded.
    virtual void hide() = 0;
    // Closes the window: its close sequence runs and it is hidden. Called only while loaded.
    virtual void unload() = 0;
};

// Makes the view of a main window the add-in has just created (hidden).
using FormViewFactory = std::function<std::unique_ptr<FormView>(window::MainWindow&)>;

struct ConnectServices {
    window::Services& window;  // the main window's world; its registry holds "DisplayOnConnect"
    ui::Clipboard& clipboard;
    SystemColours& colours;
    FormViewFactory makeView;
};

}  // namespace arkstash::addin
