// Runs a piece of a test as a user who is not the owner of the test's files, so permission
// checks hold even when the suite runs as root (as CI does): as root the piece runs in a child
// process that has dropped to "nobody"; otherwise it runs in this process.
#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <functional>

namespace arkstash::test {

// Answers what `piece` answered (its exit status when it ran in a child), or -1 when the child
// could not drop its privileges.
inline int runAsAnotherUser(const std::function<int()>& piece) {
    if (::geteuid() != 0) return piece();
    pid_t child = ::fork();
    if (child == 0) {
        constexpr uid_t kNobody = 65534;
        if (::setgroups(0, nullptr) != 0 || ::setresgid(kNobody, kNobody, kNobody) != 0 ||
            ::setresuid(kNobody, kNobody, kNobody) != 0)
            ::_exit(255);
        ::_exit(piece());
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) == 255) return -1;
    return WEXITSTATUS(status);
}

}  // namespace arkstash::test
