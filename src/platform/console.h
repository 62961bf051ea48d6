#pragma once
// The console of the teachers' tool: whether standard input is a terminal, typing without echo
// (a password), and the command line as UTF-8 (on Windows the C runtime's argv is in the ANSI
// code page, which cannot hold every name a school uses).

#include <string>
#include <vector>

namespace kagaku {

bool StandardInputIsTerminal();

// While it lives, what is typed on the terminal is not shown (the line end still is). It
// restores the terminal on its end, and POSIX also on Ctrl-C and on being stopped.
class HiddenTyping {
public:
    HiddenTyping();
    ~HiddenTyping();
    HiddenTyping(const HiddenTyping&) = delete;
    HiddenTyping& operator=(const HiddenTyping&) = delete;
};

// The program's arguments as UTF-8, argv[0] first. POSIX passes argv on as it is; Windows
// reads the wide command line. Windows also sets the console's output to UTF-8, the text the
// tool writes, and standard output and error to bytes (no CR put before each line end).
std::vector<std::string> Utf8Arguments(int argc, char** argv);

}  // namespace kagaku
