// Writes the demo school's score record file: about six weeks of runs ending today (or on the
// day given), the same bytes for the same day. The build runs it into the demo tree.
// Usage: make_demo_history PROGRAM_FOLDER [YYYY-MM-DD]

#include <cstdio>
#include <filesystem>

#include "common/clock.h"
#include "common/errors.h"
#include "common/files.h"
#include "tools/demo_history.h"

int main(int argc, char** argv) {
    if (argc != 2 && argc != 3) {
        std::fprintf(stderr, "usage: make_demo_history PROGRAM_FOLDER [YYYY-MM-DD]\n");
        return 2;
    }
    kagaku::DemoHistoryOptions options;
    options.LastDay = kagaku::SystemClock().TodayDate();
    if (argc == 3) {
        kagaku::CivilDate d;
        if (std::sscanf(argv[2], "%d-%d-%d", &d.year, &d.month, &d.day) != 3 ||
            !kagaku::IsValidDate(d)) {
            std::fprintf(stderr, "make_demo_history: not a date: %s\n", argv[2]);
            return 2;
        }
        options.LastDay = d;
    }
    try {
        const std::size_t n =
            kagaku::WriteDemoHistory(kagaku::PathFromText(argv[1]), options);
        std::printf("make_demo_history: %zu runs\n", n);
    } catch (const kagaku::DataFileError& e) {
        std::fprintf(stderr, "make_demo_history: %s: %s\n", e.file().c_str(), e.problem().c_str());
        return 1;
    }
    return 0;
}
