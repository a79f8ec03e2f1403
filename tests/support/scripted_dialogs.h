// Dialogs that answer from a script and record what they were asked.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "platform/ui/dialogs.h"

namespace arkstash::test {

class ScriptedDialogs : public ui::Dialogs {
  public:
    std::vector<ui::Message> shown;
    std::deque<ui::Answer> answers;  // when none is left: Ok, or No to a question
    std::deque<std::vector<std::string>> files;
    std::deque<std::string> folders;

    ui::Answer show(const ui::Message& message) override {
        shown.push_back(message);
        if (!answers.empty()) {
            ui::Answer answer = answers.front();
            answers.pop_front();
            return answer;
        }
        return message.buttons == ui::Buttons::YesNo ? ui::Answer::No : ui::Answer::Ok;
    }
    std::vector<std::string> openFiles(const ui::FileOpenRequest&) override {
        return take(files, std::vector<std::string>{});
    }
    std::string chooseFolder(const std::string& title) override {
        folderTitles.push_back(title);
        return take(folders, std::string());
    }
    std::vector<std::string> folderTitles;
    std::vector<std::string> texts() const {
        std::vector<std::string> out;
        for (const auto& m : shown) out.push_back(m.text);
        return out;
    }

  private:
    template <typename T>
    static T take(std::deque<T>& queue, T none) {
        if (queue.empty()) return none;
        T front = std::move(queue.front());
        queue.pop_front();
        return front;
    }
};

}  // namespace arkstash::test
