#include <fcntl.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "common/files.h"
#include "platform/program_launcher.h"

namespace kagaku {

namespace {

std::string ReasonText(int error) {
    switch (error) {
        case ENOENT:
            return "プログラムがありません";
        case EACCES:
        case EPERM:
            return "プログラムを実行する許可がありません";
        case ENOEXEC:
            return "実行できる形式のプログラムではありません";
        default:
            return "プログラムを起動できません（" + std::string(std::strerror(error)) + "）";
    }
}

[[noreturn]] void Fail(const std::filesystem::path& program, int error) {
    throw ProgramStartError(PathText(program) + "\n" + ReasonText(error));
}

void CloseQuietly(int fd) {
    if (fd >= 0) {
        ::close(fd);
    }
}

}  // namespace

void PosixProgramLauncher::StartDetached(const std::filesystem::path& program,
                                         const std::vector<std::string>& arguments) {
    // Everything the child needs is prepared before fork: after it, only calls that are safe in
    // the child of a threaded program are made.
    const std::string programText = program.native();
    std::vector<std::string> argvText;
    argvText.push_back(programText);
    argvText.insert(argvText.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (auto& a : argvText) {
        argv.push_back(a.data());
    }
    argv.push_back(nullptr);

    int fds[2] = {-1, -1};
    if (::pipe2(fds, O_CLOEXEC) != 0) {
        Fail(program, errno);
    }
    const pid_t child = ::fork();
    if (child < 0) {
        const int error = errno;
        CloseQuietly(fds[0]);
        CloseQuietly(fds[1]);
        Fail(program, error);
    }
    if (child == 0) {
        // A session of its own and a second fork: the program is nobody's child here, so it
        // neither waits on this program nor becomes a zombie of it.
        ::close(fds[0]);
        ::setsid();
        const pid_t grandchild = ::fork();
        if (grandchild < 0) {
            const int error = errno;
            [[maybe_unused]] auto n = ::write(fds[1], &error, sizeof error);
            ::_exit(1);
        }
        if (grandchild > 0) {
            ::_exit(0);
        }
        ::execv(argv[0], argv.data());
        const int error = errno;
        [[maybe_unused]] auto n = ::write(fds[1], &error, sizeof error);
        ::_exit(127);
    }
    ::close(fds[1]);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    // The pipe closes without data when exec succeeds (close-on-exec); otherwise it carries
    // the error number.
    int error = 0;
    ssize_t got = 0;
    do {
        got = ::read(fds[0], &error, sizeof error);
    } while (got < 0 && errno == EINTR);
    ::close(fds[0]);
    if (got == static_cast<ssize_t>(sizeof error)) {
        Fail(program, error);
    }
}

}  // namespace kagaku
