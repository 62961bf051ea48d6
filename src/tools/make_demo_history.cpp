// Writes the demo school's score record file: about six weeks of runs ending now (or at the
// moment given: a day alone is its end), the same bytes for the same moment. The build runs it
// into the demo tree with no moment, so the history ends at the build's present date and time
// and shows no run later than it.
// Usage: make_demo_history PROGRAM_FOLDER [YYYY-MM-DD[THH:MM:SS]]

#include <cstdio>
#include <filesystem>

#include "common/clock.h"
#include "common/errors.h"
#include "common/files.h"
#include "tools/demo_history.h"

int main(int argc, char** argv) {
    if (argc != 2 && argc != 3) {
        std::fprintf(stderr, "usage: make_demo_history PROGRAM_FOLDER [YYYY-MM-DD[THH:MM:SS]]\n");
        return 2;
    }
    kagaku::DemoHistoryOptions options;
    const kagaku::SystemClock clock;
    options.LastDay = clock.TodayDate();
    options.EndSecond = static_cast<int>(clock.SecondsSinceMidnight());
    if (argc == 3) {
        kagaku::CivilDate d;
        kagaku::TimeOfDay t{24, 0, 0};
        char rest = 0;
        const int n = std::sscanf(argv[2], "%d-%d-%dT%d:%d:%d%c", &d.year, &d.month, &d.day,
                                  &t.hour, &t.minute, &t.second, &rest);
        if ((n != 3 && n != 6) || !kagaku::IsValidDate(d) ||
            (n == 6 && (t.hour < 0 || t.hour > 23 || t.minute < 0 || t.minute > 59 ||
                        t.second < 0 || t.second > 59))) {
            std::fprintf(stderr, "make_demo_history: not a date or moment: %s\n", argv[2]);
            return 2;
        }
        options.LastDay = d;
        options.EndSecond = t.hour * 3600 + t.minute * 60 + t.second;
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
