#include <signal.h>
#include <termios.h>
#include <unistd.h>

#include "platform/console.h"

namespace kagaku {

namespace {

// The terminal's settings while echo is off, put back on return and on Ctrl-C.
termios savedTerminal{};
bool echoOff = false;

void RestoreEcho() {
    if (echoOff) {
        ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &savedTerminal);
        echoOff = false;
    }
}

extern "C" void RestoreEchoAndStop(int signal) {
    RestoreEcho();
    ::signal(signal, SIG_DFL);
    ::raise(signal);
}

}  // namespace

bool StandardInputIsTerminal() {
    return ::isatty(STDIN_FILENO) == 1;
}

HiddenTyping::HiddenTyping() {
    if (::tcgetattr(STDIN_FILENO, &savedTerminal) != 0)
        return;
    termios quiet = savedTerminal;
    quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
    quiet.c_lflag |= ECHONL;
    echoOff = ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet) == 0;
    ::signal(SIGINT, RestoreEchoAndStop);
    ::signal(SIGTERM, RestoreEchoAndStop);
    ::signal(SIGHUP, RestoreEchoAndStop);
}

HiddenTyping::~HiddenTyping() {
    RestoreEcho();
    ::signal(SIGINT, SIG_DFL);
    ::signal(SIGTERM, SIG_DFL);
    ::signal(SIGHUP, SIG_DFL);
}

std::vector<std::string> Utf8Arguments(int argc, char** argv) {
    return std::vector<std::string>(argv, argv + argc);
}

}  // namespace kagaku
