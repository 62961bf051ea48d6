// パスデータ.txt and 共通データ.txt as a teacher may leave them: the first byte picks which of
// the two gets the rest of the input, the other is a good one. The level settings and the sound
// table are good ones, so start-up either succeeds or reports the damaged file.
#include "common/errors.h"
#include "fuzz_support.h"
#include "state/configuration.h"

namespace {

const char* kGoodPathFile = "data/\r\n2,3,4,5,6,7,8,9,10\r\n";
const char* kGoodCommonFile = "4,12345\x83\x65\x83\x58\x83\x67,0,4,5,6,7,8,9,10\r\n";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kagaku;
    if (size == 0) {
        return 0;
    }
    const std::string_view rest = fuzz::Bytes(data + 1, size - 1);
    const bool pathFile = data[0] % 2 == 0;
    fuzz::WriteScratch("パスデータ.txt", pathFile ? rest : kGoodPathFile);
    fuzz::WriteScratch("data/共通データ.txt", pathFile ? kGoodCommonFile : rest);
    fuzz::WriteScratch("data/kagaku/タイム回数データ.txt", "a,b,c,d,e,f,g,h,i,j,k,l\r\n");
    fuzz::WriteScratch("data/音フォルダ/新音ファイル.txt", "");
    std::filesystem::create_directories(fuzz::ScratchFolder() / "kagaku");
    ProgramSetup state;
    try {
        LoadConfiguration(fuzz::ScratchFolder() / "kagaku", state);
    } catch (const DataFileError&) {
    }
    return 0;
}
