// A give-up log of any content: counting never fails on its lines, and an entry added today
// is counted once more however the log ended.
#include <cstdlib>

#include "common/errors.h"
#include "drill/give_up.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kagaku;
    const auto log = fuzz::WriteScratch("ギブ1.csv", fuzz::Bytes(data, size));
    const CivilDate today{2024, 6, 10};
    try {
        const int before = CountGiveUpsToday(log, today);
        AppendGiveUp(log, today);
        if (CountGiveUpsToday(log, today) != before + 1) {
            std::abort();
        }
    } catch (const DataFileError&) {
    }
    return 0;
}
