// What a headless run shows on the console: progress on stderr (a bar redrawn in place on a
// terminal, one plain line per file otherwise), and the window's message boxes as text.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "cli/cli.h"
#include "platform/ui/dialogs.h"

namespace arkstash::cli {

class ConsoleProgress {
  public:
    ConsoleProgress(std::ostream& err, bool terminal, int width = 0);

    void file(const std::string& name, std::int16_t percent);
    void global(std::int16_t percent);
    void checking(std::int16_t percent);
    // Takes the bar off its line so that other text starts on a clean one.
    void clear();

  private:
    void draw();
    std::ostream& err_;
    bool terminal_;
    int width_;
    std::string current_;
    std::string label_ = "Adding";
    int percent_ = 0;
    bool drawn_ = false;
    bool checkingAnnounced_ = false;
};

// Message boxes of a headless run. An OK box is printed to stderr; the one question a run asks
// (whether to replace an existing archive) is answered by the command's policy.
class ConsoleDialogs : public ui::Dialogs {
  public:
    enum class Overwrite { Yes, AskTerminal, No };
    ConsoleDialogs(Io& io, ConsoleProgress* progress, Overwrite policy)
        : io_(io), progress_(progress), policy_(policy) {}

    int MsgBox(const ui::MessageBoxRequest& request) override;
    std::string OpenFile(const ui::FileOpenRequest&) override { return {}; }
    std::string BrowseForFolder(const std::string&) override { return {}; }
    using Dialogs::MsgBox;

    bool questionRefused = false;    // a Yes/No question was answered No
    std::vector<std::string> shown;  // every prompt, in order

  private:
    Io& io_;
    ConsoleProgress* progress_;
    Overwrite policy_;
};

}  // namespace arkstash::cli
