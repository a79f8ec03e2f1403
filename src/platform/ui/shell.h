// The desktop's shell: opening documents, folders and web addresses with the programs the user
// chose for them, showing a file's properties, and the program's help.
#pragma once

#include <string>

namespace arkstash::ui {

// The help pages the program opens by name. The help folder ships a page of each name.
inline constexpr const char* kIntroductionTopic = "Introduction.html";
inline constexpr const char* kSupportTopic = "Technical support.html";

class Shell {
  public:
    virtual ~Shell() = default;
    // Opens a file or folder with its associated program. Fire and forget: false only when the
    // request could not even be handed over.
    virtual bool openPath(const std::string& path) = 0;
    // Opens a web address in the browser. Fire and forget, as openPath.
    virtual bool openUrl(const std::string& url) = 0;
    // Shows the properties of a file and returns at once (the properties stay up on their
    // own); `typeText` is what the program calls the file ("Form"), empty when it has no word
    // for it. False when the file's properties cannot be read (it is missing, say).
    virtual bool showFileProperties(const std::string& path, const std::string& typeText) = 0;
    // Opens a page of the program's help (kIntroductionTopic). Reports nothing: a missing
    // help folder or page leaves the user without a window.
    virtual void showHelpTopic(const std::string& topic) = 0;
    // Tells the user something while the program's windows may be hidden or behind others: a
    // desktop notification. Fire and forget; nothing shows where the desktop has none.
    virtual void notify(const std::string& title, const std::string& text) = 0;
};

// Where there is no desktop: nothing opens, and says so.
class NoShell final : public Shell {
  public:
    bool openPath(const std::string&) override { return false; }
    bool openUrl(const std::string&) override { return false; }
    bool showFileProperties(const std::string&, const std::string&) override { return false; }
    void showHelpTopic(const std::string&) override {}
    void notify(const std::string&, const std::string&) override {}
};

}  // namespace arkstash::ui
