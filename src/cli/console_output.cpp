#include "cli/console_output.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <istream>
#include <ostream>

#include "cli/text_out.h"

namespace arkstash::cli {

namespace {

int terminalWidth() {
    winsize ws{};
    if (::ioctl(STDERR_FILENO, TIOCGWINSZ, &ws) == 0 && ws.ws_col >= 40) return ws.ws_col;
    return 80;
}

// The end of a long path fits better than its start: the file name is what a user looks for.
std::string fitted(const std::string& text, std::size_t room) {
    if (text.size() <= room) return text;
    if (room <= 3) return text.substr(text.size() - room);
    return "..." + text.substr(text.size() - (room - 3));
}

}  // namespace

ConsoleProgress::ConsoleProgress(std::ostream& err, bool terminal, int width)
    : err_(err),
      terminal_(terminal),
      width_(width > 0 ? width : (terminal ? terminalWidth() : 80)) {}

void ConsoleProgress::file(const std::string& name, std::int16_t) {
    std::string safe = TerminalSafe(name);
    if (safe == current_) return;
    current_ = safe;
    if (terminal_) {
        draw();
    } else {
        err_ << "Adding: " << current_ << "\n";
    }
}

void ConsoleProgress::global(std::int16_t percent) {
    percent_ = percent;
    if (terminal_) draw();
}

void ConsoleProgress::checking(std::int16_t percent) {
    if (!checkingAnnounced_) {
        checkingAnnounced_ = true;
        label_ = "Checking";
        current_ = "archive";
        if (!terminal_) err_ << "Checking the archive\n";
    }
    percent_ = percent;
    if (terminal_) draw();
}

void ConsoleProgress::draw() {
    constexpr int kBar = 24;
    int filled = percent_ * kBar / 100;
    std::string line = "[" + std::string(static_cast<std::size_t>(filled), '#') +
                       std::string(static_cast<std::size_t>(kBar - filled), '-') + "] ";
    std::string figure = std::to_string(percent_) + "%";
    line +=
        std::string(4 - std::min<std::size_t>(4, figure.size()), ' ') + figure + " " + label_ + " ";
    std::size_t room = static_cast<std::size_t>(width_ - 1) > line.size()
                           ? static_cast<std::size_t>(width_ - 1) - line.size()
                           : 0;
    line += fitted(current_, room);
    err_ << "\r" << line << "\x1b[K" << std::flush;
    drawn_ = true;
}

void ConsoleProgress::clear() {
    if (!drawn_) return;
    err_ << "\r\x1b[K" << std::flush;
    drawn_ = false;
}

bool askYesNo(Io& io, const std::string& question, ConsoleProgress* progress) {
    if (progress) progress->clear();
    io.err << TerminalSafe(question) << " [y/N] " << std::flush;
    std::string answer;
    return std::getline(io.in, answer) && (answer == "y" || answer == "Y" || answer == "yes");
}

}  // namespace arkstash::cli
