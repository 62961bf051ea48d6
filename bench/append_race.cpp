// A class that finishes a timed drill together: N processes append one run each to one score
// file at the same moment, and the time each needs from that moment until its run is on the
// file is reported as the median, the 99th percentile and the longest, beside the floor (one
// process alone, the same work without a wait).
//   append_race library FILE N ROUNDS
//       each process calls the record layer itself (the console's wait between tries)
//   append_race tool KAGAKU_ADMIN APP_FOLDER N ROUNDS
//       each process is `kagaku-admin add-run`, started as a teacher would start it
// All N processes are forked first and held at a pipe; closing it lets them all go at once.
// Prints one line per measurement: "<mode> N=<n> median <ms> p99 <ms> longest <ms> floor <ms>".
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "common/clock.h"
#include "records/score_record.h"
#include "records/score_record_file.h"
#include "tools/admin/console_waiter.h"

namespace {

using Steady = std::chrono::steady_clock;

struct Setup {
    bool tool = false;
    std::string file;    // library: the score file
    std::string admin;   // tool: kagaku-admin
    std::string folder;  // tool: the program folder
};

[[noreturn]] void RunOne(const Setup& s, int pupil) {
    if (s.tool) {
        const std::string p = std::to_string(pupil);
        if (std::freopen("/dev/null", "w", stdout) == nullptr) {
            _exit(3);
        }
        execl(s.admin.c_str(), s.admin.c_str(), "--app-folder", s.folder.c_str(), "add-run",
              "--pupil", p.c_str(), "--level", "2", "--seconds", "42", static_cast<char*>(nullptr));
        _exit(4);
    }
    try {
        kagaku::SystemClock clock;
        kagaku::admin::ConsoleWaiter waiter;
        kagaku::ScoreRecord r = kagaku::MakeRunRecord(clock, pupil, 2, 42, kagaku::Variant());
        kagaku::AppendScoreRecord(s.file, r, waiter);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "append_race: %s\n", e.what());
        _exit(1);
    }
    _exit(0);
}

// One round: n processes let go at once; the milliseconds each took.
std::vector<double> Round(const Setup& s, int n) {
    int gate[2];
    if (pipe(gate) != 0) {
        std::perror("pipe");
        std::exit(2);
    }
    std::vector<pid_t> pids;
    for (int i = 0; i < n; ++i) {
        pid_t pid = fork();
        if (pid < 0) {
            std::perror("fork");
            std::exit(2);
        }
        if (pid == 0) {
            close(gate[1]);
            char c;
            while (read(gate[0], &c, 1) > 0) {
            }
            close(gate[0]);
            RunOne(s, 1 + i);
        }
        pids.push_back(pid);
    }
    close(gate[0]);
    usleep(200'000);  // every process is at the gate
    const Steady::time_point go = Steady::now();
    close(gate[1]);
    std::vector<double> took;
    for (int i = 0; i < n; ++i) {
        int status = 0;
        pid_t pid = wait(&status);
        const double ms = std::chrono::duration<double, std::milli>(Steady::now() - go).count();
        if (pid < 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            std::fprintf(stderr, "append_race: a process failed\n");
            std::exit(1);
        }
        took.push_back(ms);
    }
    return took;
}

double Quantile(std::vector<double> v, double q) {
    std::sort(v.begin(), v.end());
    const auto i = static_cast<std::size_t>(q * static_cast<double>(v.size() - 1) + 0.5);
    return v[std::min(i, v.size() - 1)];
}

}  // namespace

int main(int argc, char** argv) {
    Setup s;
    int n = 0, rounds = 0;
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "library" && argc == 5) {
        s.file = argv[2];
        n = std::atoi(argv[3]);
        rounds = std::atoi(argv[4]);
    } else if (mode == "tool" && argc == 6) {
        s.tool = true;
        s.admin = argv[2];
        s.folder = argv[3];
        n = std::atoi(argv[4]);
        rounds = std::atoi(argv[5]);
    } else {
        std::fprintf(stderr,
                     "usage: append_race library FILE N ROUNDS\n"
                     "       append_race tool KAGAKU_ADMIN APP_FOLDER N ROUNDS\n");
        return 2;
    }
    if (n < 1 || rounds < 1) {
        return 2;
    }
    std::vector<double> floor;
    for (int r = 0; r < std::max(3, rounds); ++r) {
        std::vector<double> one = Round(s, 1);
        floor.insert(floor.end(), one.begin(), one.end());
    }
    std::vector<double> all;
    for (int r = 0; r < rounds; ++r) {
        std::vector<double> t = Round(s, n);
        all.insert(all.end(), t.begin(), t.end());
    }
    std::printf("%s N=%d median %.0f ms p99 %.0f ms longest %.0f ms floor %.0f ms (%zu appends)\n",
                mode.c_str(), n, Quantile(all, 0.5), Quantile(all, 0.99),
                *std::max_element(all.begin(), all.end()), Quantile(floor, 0.5), all.size());
    return 0;
}
