#include "cli/PasswordPrompt.h"

#include <cstdio>
#include <termios.h>
#include <unistd.h>

namespace vandrel {

std::optional<std::string> promptPassword(const char* prompt) {
    if (!::isatty(STDIN_FILENO)) {
        return std::nullopt;
    }
    std::fputs(prompt, stderr);
    std::fflush(stderr);
    termios saved{};
    const bool haveTerminal = ::tcgetattr(STDIN_FILENO, &saved) == 0;
    if (haveTerminal) {
        termios quiet = saved;
        quiet.c_lflag &= static_cast<tcflag_t>(~ECHO);
        quiet.c_lflag |= ICANON;
        ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet);
    }
    std::string text;
    bool ended = false;
    for (;;) {
        char c = 0;
        const ssize_t n = ::read(STDIN_FILENO, &c, 1);
        if (n <= 0) {
            ended = true;
            break;
        }
        if (c == '\n') {
            break;
        }
        if (c != '\r') {
            text += c;
        }
    }
    if (haveTerminal) {
        ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved);
    }
    std::fputs("\n", stderr);
    if (ended) {
        return std::nullopt;
    }
    return text;
}

} // namespace vandrel
