// Runs part of a test in a child process without root's rights: permission bits refuse nothing
// to root, and CI runs the tests as root.
#pragma once

#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

#include <exception>
#include <functional>
#include <optional>
#include <string>

namespace arkstash::test {

inline constexpr uid_t kNobody = 65534;

// Runs `action` in a forked child that became nobody (when started as root; others keep their
// own rights) and answers the text it returned; empty when the child could not give up root,
// threw or died. The child ends with _exit, so no destructor of the test's objects runs twice.
inline std::optional<std::string> runUnprivileged(const std::function<std::string()>& action) {
    int out[2];
    if (::pipe(out) != 0) return std::nullopt;
    pid_t pid = ::fork();
    if (pid < 0) return std::nullopt;
    if (pid == 0) {
        ::close(out[0]);
        if (::geteuid() == 0 &&
            (::setgroups(0, nullptr) != 0 || ::setresgid(kNobody, kNobody, kNobody) != 0 ||
             ::setresuid(kNobody, kNobody, kNobody) != 0))
            ::_exit(2);
        std::string text;
        try {
            text = action();
        } catch (const std::exception&) {
            ::_exit(3);
        }
        for (std::size_t done = 0; done < text.size();) {
            ssize_t n = ::write(out[1], text.data() + done, text.size() - done);
            if (n <= 0) ::_exit(4);
            done += static_cast<std::size_t>(n);
        }
        ::_exit(0);
    }
    ::close(out[1]);
    std::string text;
    char buf[4096];
    for (ssize_t n; (n = ::read(out[0], buf, sizeof buf)) != 0;) {
        if (n < 0) break;
        text.append(buf, static_cast<std::size_t>(n));
    }
    ::close(out[0]);
    int status = 0;
    if (::waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return std::nullopt;
    return text;
}

}  // namespace arkstash::test
