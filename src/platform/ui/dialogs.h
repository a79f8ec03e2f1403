// Modal dialogs: message boxes, the file-open dialog, the folder chooser.
#pragma once

#include <deque>
#include <optional>
#include <string>
#include <vector>

namespace arkstash::ui {

// Buttons and icons as the runtime numbers them.
enum MsgBoxStyle : int {
    vbOKOnly = 0,
    vbYesNo = 4,
    vbCritical = 16,
    vbQuestion = 32,
    vbExclamation = 48,
    vbInformation = 64,
    vbDefaultButton2 = 256,
};
enum MsgBoxResult : int { vbOK = 1, vbCancel = 2, vbYes = 6, vbNo = 7 };

inline constexpr const char* kAppTitle = "Arkstash";

struct MessageBoxRequest {
    std::string prompt;
    int style = vbOKOnly;
    std::string title;  // empty: the application's title
};

struct FileOpenRequest {
    std::string title;
    std::string filter;  // description|pattern pairs, as given by the caller
    std::string defaultExtension;
};

class Dialogs {
  public:
    virtual ~Dialogs() = default;
    // Shows a modal message box and answers the button pressed.
    virtual int MsgBox(const MessageBoxRequest& request) = 0;
    // The file-open dialog: the chosen file's full path, or empty when cancelled.
    virtual std::string OpenFile(const FileOpenRequest& request) = 0;
    // The folder chooser: the chosen folder's full path, or empty when cancelled.
    virtual std::string BrowseForFolder(const std::string& title) = 0;

    int MsgBox(std::string prompt, int style = vbOKOnly, std::string title = {}) {
        return MsgBox(MessageBoxRequest{std::move(prompt), style, std::move(title)});
    }
};

// Answers from a queue and records every request: for tests, and for the command line,
// which decides its answers up front.
class ScriptedDialogs : public Dialogs {
  public:
    std::vector<MessageBoxRequest> messages;
    std::deque<int> nextAnswers;  // message-box answers; when empty: OK for an OK box, else No
    std::vector<FileOpenRequest> fileRequests;
    std::deque<std::string> nextFiles;  // when empty: cancelled
    std::vector<std::string> folderRequests;
    std::deque<std::string> nextFolders;  // when empty: cancelled

    int MsgBox(const MessageBoxRequest& request) override;
    std::string OpenFile(const FileOpenRequest& request) override;
    std::string BrowseForFolder(const std::string& title) override;
    using Dialogs::MsgBox;
};

}  // namespace arkstash::ui
