#pragma once
// A helper program started as a real process, its standard output read through a pipe.

#ifdef _WIN32
#include "records/child_process_windows.h"
#else

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <stdexcept>
#include <string>
#include <vector>

extern char** environ;

namespace kagaku::testing {

class ChildProcess {
public:
    // stderrFile, when given, receives the process's standard error; stdinFile, when given, is
    // its standard input.
    explicit ChildProcess(const std::vector<std::string>& args, const std::string& stderrFile = "",
                          const std::string& stdinFile = "") {
        int fds[2];
        if (::pipe2(fds, O_CLOEXEC) != 0) {
            throw std::runtime_error("pipe");
        }
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
        if (!stderrFile.empty()) {
            posix_spawn_file_actions_addopen(&actions, 2, stderrFile.c_str(),
                                             O_WRONLY | O_CREAT | O_TRUNC, 0644);
        }
        if (!stdinFile.empty()) {
            posix_spawn_file_actions_addopen(&actions, 0, stdinFile.c_str(), O_RDONLY, 0);
        }
        std::vector<char*> argv;
        for (const std::string& a : args) {
            argv.push_back(const_cast<char*>(a.c_str()));
        }
        argv.push_back(nullptr);
        int rc = ::posix_spawn(&pid_, args[0].c_str(), &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        ::close(fds[1]);
        if (rc != 0) {
            ::close(fds[0]);
            throw std::runtime_error("cannot start " + args[0]);
        }
        out_ = fds[0];
    }
    ~ChildProcess() {
        if (pid_ > 0 && !reaped_) {
            ::kill(pid_, SIGKILL);
            int status;
            ::waitpid(pid_, &status, 0);
        }
        if (out_ >= 0) {
            ::close(out_);
        }
    }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    void Kill() { ::kill(pid_, SIGKILL); }

    // Reads one line of output (blocking); empty at the end.
    std::string ReadLine() {
        std::string line;
        char c;
        while (::read(out_, &c, 1) == 1) {
            if (c == '\n') {
                return line;
            }
            line += c;
        }
        return line;
    }

    // Waits for the end and returns everything it printed and its wait status.
    std::string Finish(int* status) {
        std::string all;
        char buffer[4096];
        for (;;) {
            ssize_t n = ::read(out_, buffer, sizeof buffer);
            if (n <= 0) {
                break;
            }
            all.append(buffer, static_cast<std::size_t>(n));
        }
        ::waitpid(pid_, status, 0);
        reaped_ = true;
        return all;
    }

private:
    pid_t pid_ = -1;
    int out_ = -1;
    bool reaped_ = false;
};

}  // namespace kagaku::testing

#endif
