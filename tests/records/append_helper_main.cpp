// A separate process for the record file's concurrency tests.
//   append_helper append FILE PUPIL COUNT  appends COUNT runs (seconds 1..COUNT) and prints
//                                           "SECONDS RECORD" once each append is done
//   append_helper tear FILE                 takes the writers' lock, writes the first 20 bytes
//                                           of a record (pupil 999) and dies by SIGKILL
//   append_helper hold FILE MILLISECONDS    takes the writers' lock, prints "locked", holds it
//   append_helper delete FILE N             deletes record N (the tests kill it on the way)
//   append_helper restore FILE BACKUP       restores the backup named BACKUP (killed on the way)
#ifdef _WIN32
#include <windows.h>
#else
#include <signal.h>
#include <unistd.h>
#endif

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "common/clock.h"
#include "common/files.h"
#include "platform/console.h"
#include "platform/shared_file.h"
#include "records/backups.h"
#include "records/score_record.h"
#include "records/score_record_file.h"

namespace {

using namespace kagaku;

// Waits a few milliseconds where the program waits a second: the contention is real, the
// test need not take minutes.
class QuickWaiter final : public RecordFileWaiter {
public:
    bool Wait(std::chrono::milliseconds) override {
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
        return true;
    }
    void ShowNotice(const std::string&) override {}
    bool AskRetry(const std::string& text) override {
        std::fprintf(stderr, "%s\n", text.c_str());
        return false;
    }
};

void Say(const std::string& line) {
    std::string text = line + "\n";
#ifdef _WIN32
    DWORD written = 0;
    if (!::WriteFile(::GetStdHandle(STD_OUTPUT_HANDLE), text.data(),
                     static_cast<DWORD>(text.size()), &written, nullptr)) {
        std::_Exit(3);
    }
#else
    if (::write(1, text.data(), text.size()) < 0) {
        std::_Exit(3);
    }
#endif
}

// Dies at once, as a PC that loses its power: no destructor, no unlock, no close.
[[noreturn]] void DieAtOnce() {
#ifdef _WIN32
    ::TerminateProcess(::GetCurrentProcess(), 137);  // the tests' "killed" (kKilledExitCode)
#else
    ::raise(SIGKILL);
#endif
    std::_Exit(137);
}

int Append(const std::filesystem::path& file, int pupil, int count) {
    SystemClock clock;
    QuickWaiter waiter;
    for (int i = 1; i <= count; ++i) {
        ScoreRecord r = MakeRunRecord(clock, pupil, 2, i, Variant(std::string("12345")));
        std::uint64_t n = AppendScoreRecord(file, r, waiter);
        Say(std::to_string(i) + " " + std::to_string(n));
    }
    return 0;
}

void TakeLock(SharedFile& f) {
    while (!f.TryLockRange(kRecordLockOffset, kRecordLockLength)) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

int Tear(const std::filesystem::path& file) {
    SharedFile f(file, SharedFile::Mode::ReadWriteCreate);
    TakeLock(f);
    ScoreRecord r;
    r.RunDate = 45000.0;
    r.PupilNumber = 999;
    r.Level = 2;
    ScoreRecordBytes bytes = EncodeScoreRecord(r);
    f.WriteAt(f.Size() / kScoreRecordSize * kScoreRecordSize, bytes.data(), 20);
    DieAtOnce();
}

int Hold(const std::filesystem::path& file, int milliseconds) {
    SharedFile f(file, SharedFile::Mode::ReadWriteCreate);
    TakeLock(f);
    Say("locked");
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    try {
        // Paths as UTF-8 on every system (a Windows argv is in the ANSI code page).
        const std::vector<std::string> args = Utf8Arguments(argc, argv);
        std::string mode = argc > 1 ? args[1] : "";
        if (mode == "append" && argc == 5) {
            return Append(PathFromText(args[2]), std::atoi(args[3].c_str()),
                          std::atoi(args[4].c_str()));
        }
        if (mode == "tear" && argc == 3) {
            return Tear(PathFromText(args[2]));
        }
        if (mode == "delete" && argc == 4) {
            QuickWaiter waiter;
            DeleteScoreRecord(PathFromText(args[2]), std::strtoull(args[3].c_str(), nullptr, 10),
                              waiter);
            return 0;
        }
        if (mode == "restore" && argc == 4) {
            QuickWaiter waiter;
            RestoreBackup(PathFromText(args[2]), args[3], SystemClock().Now(), waiter);
            return 0;
        }
        if (mode == "hold" && argc == 4) {
            return Hold(PathFromText(args[2]), std::atoi(args[3].c_str()));
        }
        std::fprintf(stderr, "usage: append_helper append|tear|hold FILE ...\n");
        return 2;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "append_helper: %s\n", e.what());
        return 1;
    }
}
