// Code page 932 decoding of any bytes, and encoding of any text: a decoded text can always be
// written back, and what is written back reads as the same text.
#include <cstdlib>

#include "common/cp932.h"
#include "common/errors.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kagaku;
    const std::string_view bytes = fuzz::Bytes(data, size);
    try {
        const std::string text = Cp932ToUtf8(bytes, "fuzz.txt");
        if (!IsCp932Encodable(text)) {
            std::abort();
        }
        if (Cp932ToUtf8(Utf8ToCp932(text, "fuzz.txt"), "fuzz.txt") != text) {
            std::abort();
        }
    } catch (const DataFileError&) {
    }
    try {
        const std::string encoded = Utf8ToCp932(bytes, "fuzz.txt");
        (void)IsCp932Encodable(bytes);
        (void)encoded;
    } catch (const DataFileError&) {
    }
    return 0;
}
