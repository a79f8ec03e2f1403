#include "cli/password_input.h"

#include <termios.h>
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <istream>
#include <ostream>

#include "platform/os/file_system.h"

namespace arkstash::cli {

namespace {

// A password file holds one line; anything this large is some other file named by mistake.
constexpr std::uint64_t kPasswordFileLimit = 64 * 1024;

// The line as typed or stored: without its line end.
std::string firstLine(std::string text) {
    auto end = text.find_first_of("\r\n");
    if (end != std::string::npos) text.erase(end);
    return text;
}

// Turns the terminal's echo off for as long as it lives.
class EchoOff {
  public:
    EchoOff() {
        if (::tcgetattr(STDIN_FILENO, &saved_) != 0) return;
        termios quiet = saved_;
        quiet.c_lflag &= static_cast<tcflag_t>(~ECHO);
        quiet.c_lflag |= ECHONL;
        active_ = ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet) == 0;
    }
    ~EchoOff() {
        if (active_) ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved_);
    }
    EchoOff(const EchoOff&) = delete;
    EchoOff& operator=(const EchoOff&) = delete;

  private:
    termios saved_{};
    bool active_ = false;
};

}  // namespace

void addPasswordOptions(CLI::App& app, PasswordOptions& options) {
    auto* file = app.add_option("--password-file", options.file,
                                "read the archive password from the first line of a file");
    auto* env = app.add_option("--password-env", options.env,
                               "read the archive password from this environment variable");
    auto* ask = app.add_flag("--ask-password", options.ask,
                             "type the archive password at a prompt (needs a terminal)");
    file->excludes(env)->excludes(ask);
    env->excludes(ask);
}

std::optional<std::string> promptPassword(Io& io, const std::string& prompt) {
    io.err << prompt << std::flush;
    std::string line;
    {
        EchoOff quiet;
        if (!std::getline(io.in, line)) return std::nullopt;
    }
    return firstLine(line);
}

std::optional<std::string> obtainPassword(const PasswordOptions& options, Io& io, bool confirm,
                                          std::string& error) {
    if (!options.file.empty()) {
        // Only a regular file of sane size is read, without blocking: a folder, a FIFO or a
        // device named by mistake is refused, never waited on or read without end.
        std::string text;
        try {
            text = os::PosixFileSystem().readFile(options.file, kPasswordFileLimit);
        } catch (const std::exception& e) {
            error = "cannot read the password file " + options.file + ": " + e.what();
            return std::nullopt;
        }
        std::string password = firstLine(text);
        if (password.empty()) {
            error = "the password file " + options.file + " holds no password on its first line";
            return std::nullopt;
        }
        return password;
    }
    if (!options.env.empty()) {
        auto value = io.getenv ? io.getenv(options.env) : std::nullopt;
        if (!value || value->empty()) {
            error = "the environment variable " + options.env + " is not set or empty";
            return std::nullopt;
        }
        return *value;
    }
    if (options.ask) {
        if (!io.inIsTerminal) {
            error = "--ask-password needs a terminal; use --password-file or --password-env";
            return std::nullopt;
        }
        auto first = promptPassword(io, "Password: ");
        if (!first || first->empty()) {
            error = "no password was typed";
            return std::nullopt;
        }
        if (confirm) {
            auto second = promptPassword(io, "Password again: ");
            if (!second || *second != *first) {
                error = "the two passwords differ";
                return std::nullopt;
            }
        }
        return first;
    }
    return std::string();
}

}  // namespace arkstash::cli
