#include "state/data_root_setting.h"

#include <gtest/gtest.h>

#include <optional>

#include "common/cp932.h"
#include "common/errors.h"
#include "common/field_list.h"
#include "common/files.h"
#include "support/test_support.h"

namespace kagaku {
namespace {

namespace fs = std::filesystem;

std::string Sjis(const std::string& utf8) {
    return Utf8ToCp932(utf8, "test");
}

struct RootCase {
    const char* catches;
    std::optional<std::string> existing;  // UTF-8, written in code page 932
    const char* root;
    const char* expected;  // UTF-8 of the file written
};

// Only the first field changes; the family's nine other fields keep their bytes.
TEST(DataRootSetting, ReplacesTheFirstFieldOnly) {
    const RootCase cases[] = {
        {"no file: ten fields on one line", std::nullopt, "/mnt/juku/データ",
         "/mnt/juku/データ/,,,,,,,,,\r\n"},
        {"the other fields, quotes and lines kept", "学校データ\\,a,\"b,c\",d\r\ne,f,g,h,i,j\r\n",
         "/srv/表示/", "/srv/表示/,a,\"b,c\",d\r\ne,f,g,h,i,j\r\n"},
        {"a quoted first field with a comma is replaced whole",
         "\"N:\\a,b\\\",2,3,4,5,6,7,8,9,10\r\n", "/mnt/x/", "/mnt/x/,2,3,4,5,6,7,8,9,10\r\n"},
        {"blanks before the first field go with it", "  old\\ ,2,3,4,5,6,7,8,9,10", "/m/",
         "/m/,2,3,4,5,6,7,8,9,10"},
        {"a comma in the new root is quoted", "old,2,3,4,5,6,7,8,9,10\r\n", "/mnt/a,b",
         "\"/mnt/a,b/\",2,3,4,5,6,7,8,9,10\r\n"},
        {"a short file is filled up to ten fields", "old\\,x\r\n", "/m/", "/m/,x,,,,,,,,\r\n"},
        {"an empty file gets ten fields", "", "/m/", "/m/,,,,,,,,,\r\n"},
    };
    for (const RootCase& c : cases) {
        SCOPED_TRACE(c.catches);
        std::optional<std::string> existing;
        if (c.existing)
            existing = Sjis(*c.existing);
        const std::string written = PathFileWithDataRoot(existing, c.root, "パスデータ.txt");
        EXPECT_EQ(written, Sjis(c.expected));
    }
}

// Two-byte characters whose second byte is "\" stay as they were, in the first field and after.
TEST(DataRootSetting, KeepsTwoByteFields) {
    const std::string before = Sjis("ソフト\\,表,ソ,4,5,6,7,8,9,10\r\n");
    const std::string after = PathFileWithDataRoot(before, "/d/", "パスデータ.txt");
    EXPECT_EQ(after, Sjis("/d/,表,ソ,4,5,6,7,8,9,10\r\n"));
}

TEST(DataRootSetting, RefusesWhatTheFileCannotCarry) {
    for (const char* root : {"", "/mnt/\"x", "/mnt/x\r\n", "/mnt/😀"})
        EXPECT_THROW(PathFileWithDataRoot(std::nullopt, root, "パスデータ.txt"), DataFileError)
            << root;
    // Fields that cannot be decoded cannot be kept.
    EXPECT_THROW(PathFileWithDataRoot(std::string("old,\x81\x20,3"), "/m/", "パスデータ.txt"),
                 DataFileError);
}

TEST(DataRootSetting, WritesBesideTheProgramFolder) {
    testing::TempDir dir;
    EXPECT_EQ(PathFileFor(dir / "juku/kagaku"), dir / "juku/パスデータ.txt");
    EXPECT_EQ(PathFileFor(dir.path() / "juku/kagaku/"), dir / "juku/パスデータ.txt");
    const fs::path file = dir.WriteCp932("juku/パスデータ.txt", "old\\,menu,3,4,5,6,7,8,9,10\n");
    SetDataRoot(file, "/srv/juku");
    FieldReader reader = FieldReader::FromFile(file);
    EXPECT_EQ(reader.Next(), "/srv/juku/");
    EXPECT_EQ(reader.Next(), "menu");
}

}  // namespace
}  // namespace kagaku
