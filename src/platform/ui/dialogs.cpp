#include "platform/ui/dialogs.h"

namespace arkstash::ui {

int ScriptedDialogs::MsgBox(const MessageBoxRequest& request) {
    messages.push_back(request);
    if (!nextAnswers.empty()) {
        int answer = nextAnswers.front();
        nextAnswers.pop_front();
        return answer;
    }
    return (request.style & 0xF) == vbYesNo ? vbNo : vbOK;
}

std::string ScriptedDialogs::OpenFile(const FileOpenRequest& request) {
    fileRequests.push_back(request);
    if (nextFiles.empty()) return {};
    std::string f = nextFiles.front();
    nextFiles.pop_front();
    return f;
}

std::string ScriptedDialogs::BrowseForFolder(const std::string& title) {
    folderRequests.push_back(title);
    if (nextFolders.empty()) return {};
    std::string f = nextFolders.front();
    nextFolders.pop_front();
    return f;
}

}  // namespace arkstash::ui
