// What a run shows on the console: progress on stderr (a bar redrawn in place on a terminal,
// one plain line per file otherwise), and the one question a run may ask.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "cli/cli.h"

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

// Asks a yes/no question at the terminal (stderr, answer on stdin); anything but "y" or "yes"
// is No.
bool askYesNo(Io& io, const std::string& question, ConsoleProgress* progress);

}  // namespace arkstash::cli
