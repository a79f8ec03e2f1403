// Modal dialogs: message boxes, the file-open dialog, the folder chooser.
#pragma once

#include <string>
#include <vector>

namespace arkstash::ui {

inline constexpr const char* kAppTitle = "Arkstash";

enum class Buttons { Ok, YesNo };
enum class Icon { None, Stop, Question, Exclamation, Information };
enum class Answer { Ok, Yes, No };

struct Message {
    std::string text;
    Buttons buttons = Buttons::Ok;
    Icon icon = Icon::None;
    bool noIsDefault = false;  // a Yes/No question whose default button is No
    std::string title;         // empty: the application's title
};

struct FileOpenRequest {
    std::string title;
    std::string filter;  // description|pattern pairs: "All Files|*.*"
    std::string defaultExtension;
    bool several = false;  // the user may choose more than one file
};

class Dialogs {
  public:
    virtual ~Dialogs() = default;
    // Shows a modal message box and answers the button pressed; a box that cannot be shown
    // answers Ok, or No for a question.
    virtual Answer show(const Message& message) = 0;
    // The files chosen in the file-open dialog, full paths; none when cancelled.
    virtual std::vector<std::string> openFiles(const FileOpenRequest& request) = 0;
    // The folder chosen, a full path; empty when cancelled.
    virtual std::string chooseFolder(const std::string& title) = 0;

    // A message with an OK button.
    void inform(std::string text, Icon icon = Icon::None, std::string title = {}) {
        show(Message{std::move(text), Buttons::Ok, icon, false, std::move(title)});
    }
};

}  // namespace arkstash::ui
