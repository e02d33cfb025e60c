#pragma once

#include <functional>
#include <optional>

#include <grp.h>
#include <pwd.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

// Permission checks seen by an ordinary user, also when the tests run as the superuser (who may
// read and write almost anything): the check runs in a child process that has given up its
// privileges for the "nobody" account.
namespace vandrel::test {

struct Account {
    uid_t uid;
    gid_t gid;
};

// The unprivileged account, when this system has one.
inline std::optional<Account> UnprivilegedAccount() {
    const passwd* nobody = ::getpwnam("nobody");
    if (nobody == nullptr || nobody->pw_uid == 0) {
        return std::nullopt;
    }
    return Account{nobody->pw_uid, nobody->pw_gid};
}

// Runs `body` in a child process as `account` and answers its result (0..254); nothing when the
// child could not become `account` (only the superuser can). The child shares nothing with the
// test afterwards: it ends with `body`'s result and runs no assertions.
inline std::optional<int> RunAs(const Account& account, const std::function<int()>& body) {
    constexpr int kCouldNotDrop = 255;
    const pid_t child = ::fork();
    if (child == 0) {
        if (::setgroups(0, nullptr) != 0 || ::setgid(account.gid) != 0 ||
            ::setuid(account.uid) != 0 || ::geteuid() != account.uid) {
            ::_exit(kCouldNotDrop);
        }
        ::_exit(body() & 0xFF);
    }
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status) ||
        WEXITSTATUS(status) == kCouldNotDrop) {
        return std::nullopt;
    }
    return WEXITSTATUS(status);
}

} // namespace vandrel::test
