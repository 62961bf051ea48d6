// The roster as a teacher may edit it; the first byte picks the hide option and the school year.
#include "common/errors.h"
#include "fuzz_support.h"
#include "roster/roster_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kagaku;
    if (size == 0) {
        return 0;
    }
    const auto file = fuzz::WriteScratch("新名簿.txt", fuzz::Bytes(data + 1, size - 1));
    static RosterTables tables;  // reused: a pass writes over what an earlier one left
    tables.SchoolYear = 1990 + data[0] / 4;
    const Variant hide = (data[0] % 4 == 0) ? Variant() : Variant(data[0] % 4 - 1);
    int listed = 0;
    try {
        RunRosterPass(file, hide, tables, [&](const RosterRecord&, int slot, int) {
            if (slot != ++listed || slot > kMaxListedPupils) {
                std::abort();
            }
        });
    } catch (const DataFileError&) {
    }
    return 0;
}
