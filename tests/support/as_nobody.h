#pragma once
// For the tests of what a user without rights sees: root may open anything, so as root the check
// runs in a child process that has become the user nobody; any other user runs it as itself.

#include <sys/wait.h>
#include <unistd.h>

#include <functional>

namespace pelmora::testing {

// True when `check` held as nobody (or as this user, when that is not root).
inline bool holdsForAnotherUser(const std::function<bool()>& check) {
    if (::geteuid() != 0) return check();
    const pid_t child = ::fork();
    if (child < 0) return false;
    if (child == 0) {
        if (::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(2);
        ::_exit(check() ? 0 : 1);
    }
    int status = 0;
    return ::waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace pelmora::testing
