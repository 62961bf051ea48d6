// The field-list reader over any text: every field read is a part of the text with blanks and
// quotes taken off, and the reader always comes to an end.
#include <cstdlib>

#include "common/errors.h"
#include "common/field_list.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kagaku;
    const std::string text(fuzz::Bytes(data, size));
    FieldReader reader(text, "fuzz.txt");
    std::size_t fields = 0;
    try {
        while (!reader.AtEnd()) {
            const std::string field = reader.Next();
            // No field is longer than the text, and every read moves on.
            if (field.size() > text.size() || ++fields > text.size() + 1) {
                std::abort();
            }
        }
        reader.Next();  // past the end: an error, never a field
        std::abort();
    } catch (const DataFileError&) {
    }
    return 0;
}
