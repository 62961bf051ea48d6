// 化学式.csv as a teacher may edit it; the first byte picks the category.
#include <cstdlib>

#include "common/errors.h"
#include "drill/problem_set.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kagaku;
    if (size == 0) {
        return 0;
    }
    const auto file = fuzz::WriteScratch("化学式.csv", fuzz::Bytes(data + 1, size - 1));
    try {
        const ProblemSet set = LoadProblemSet(file, data[0] % 12);
        if (set.Count() < 1 || set.Count() > kMaxProblemsPerCategory) {
            std::abort();
        }
    } catch (const DataFileError&) {
    }
    return 0;
}
