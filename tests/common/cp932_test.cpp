#include "common/cp932.h"

#include <gtest/gtest.h>

#include "common/errors.h"

namespace kagaku {
namespace {

struct Cp932Case {
    const char* utf8;
    const char* bytes;
};

class Cp932RoundTrip : public ::testing::TestWithParam<Cp932Case> {};

// Characters that strict Shift_JIS rejects (①, Ⅱ, 髙) or maps differently (～, the backslash of
// a Windows path) must read and write as code page 932 does.
TEST_P(Cp932RoundTrip, DecodesAndEncodesTheSameBytes) {
    const Cp932Case& c = GetParam();
    EXPECT_EQ(Cp932ToUtf8(c.bytes, "t.txt"), c.utf8);
    EXPECT_EQ(Utf8ToCp932(c.utf8, "t.txt"), c.bytes);
}

INSTANTIATE_TEST_SUITE_P(
    Characters, Cp932RoundTrip,
    ::testing::Values(Cp932Case{"①", "\x87\x40"}, Cp932Case{"Ⅱ", "\x87\x55"},
                      Cp932Case{"～", "\x81\x60"}, Cp932Case{"ﾊﾝｶｸ", "\xCA\xDD\xB6\xB8"},
                      Cp932Case{"N:\\drilldata\\", "N:\\drilldata\\"}, Cp932Case{"abc~", "abc~"},
                      Cp932Case{"化学式", "\x89\xBB\x8A\x77\x8E\xAE"}, Cp932Case{"－", "\x81\x7C"},
                      Cp932Case{"　", "\x81\x40"}));

TEST(Cp932, ExtensionKanjiSurvivesARoundTrip) {
    // 髙 has two code page 932 forms; whichever is written must read back as 髙.
    const std::string text = "髙橋①Ⅱ～ﾊﾝｶｸ";
    EXPECT_EQ(Cp932ToUtf8(Utf8ToCp932(text, "t"), "t"), text);
    EXPECT_EQ(Cp932ToUtf8("\xFB\xFC", "t"), "髙");
    EXPECT_EQ(Cp932ToUtf8("\xED\x40", "t"), Cp932ToUtf8("\xFA\x5C", "t"));
}

struct BadBytesCase {
    const char* bytes;
    std::size_t length;
    const char* position;  // the position the message must give
};

class Cp932BadBytes : public ::testing::TestWithParam<BadBytesCase> {};

// An undecodable byte is reported with the file and where it is, never dropped or replaced.
TEST_P(Cp932BadBytes, AreReportedWithFileAndPosition) {
    const BadBytesCase& c = GetParam();
    try {
        Cp932ToUtf8(std::string_view(c.bytes, c.length), "新名簿.txt");
        FAIL() << "undecodable bytes were accepted";
    } catch (const DataFileError& e) {
        EXPECT_EQ(e.file(), "新名簿.txt");
        EXPECT_NE(e.problem().find(c.position), std::string::npos) << e.problem();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Bytes, Cp932BadBytes,
    ::testing::Values(BadBytesCase{"ab\xA0xyz", 6, "3バイト目: 0xA0"},     // 0xA0 is no character
                      BadBytesCase{"abcd\x82\x20", 6, "5バイト目: 0x82"},  // lead byte, bad trail
                      BadBytesCase{"\xFF", 1, "1バイト目"},
                      BadBytesCase{"abc\x82", 4, "4バイト目"}));  // file ends inside a character

TEST(Cp932, UnencodableCharacterIsRejectedWithAMessage) {
    try {
        Utf8ToCp932("山田😀", "タイム回数データ.txt");
        FAIL() << "a character without a code page 932 form was written";
    } catch (const DataFileError& e) {
        EXPECT_EQ(e.file(), "タイム回数データ.txt");
        EXPECT_NE(e.problem().find("😀"), std::string::npos) << e.problem();
    }
    EXPECT_FALSE(IsCp932Encodable("한국"));
    EXPECT_TRUE(IsCp932Encodable("髙橋①"));
}

TEST(Cp932, EmptyTextIsEmpty) {
    EXPECT_EQ(Cp932ToUtf8("", "t"), "");
    EXPECT_EQ(Utf8ToCp932("", "t"), "");
}

}  // namespace
}  // namespace kagaku

namespace kagaku {
namespace {

// What the Windows build (the system's own code page 932) and the Linux build (ICU) must do
// alike, so that a file written by one is read identically by the other: the characters a
// Windows roster holds, the characters with two or three forms, and what neither writes.
struct SharedFormCase {
    const char* what;
    const char* utf8;
    const char* written;     // the one form both write
    const char* alsoReadAs;  // another form both read as the same character ("" when none)
};

class Cp932SharedForms : public ::testing::TestWithParam<SharedFormCase> {};

// Catches one build writing a form the other reads as something else, or reading a second
// form of a character as a different character.
TEST_P(Cp932SharedForms, AreWrittenInOneFormAndReadFromEvery) {
    const SharedFormCase& c = GetParam();
    EXPECT_EQ(Utf8ToCp932(c.utf8, "新名簿.txt"), c.written) << c.what;
    EXPECT_EQ(Cp932ToUtf8(c.written, "新名簿.txt"), c.utf8) << c.what;
    if (*c.alsoReadAs != '\0') {
        EXPECT_EQ(Cp932ToUtf8(c.alsoReadAs, "新名簿.txt"), c.utf8) << c.what;
    }
}

INSTANTIATE_TEST_SUITE_P(
    RosterCharacters, Cp932SharedForms,
    ::testing::Values(
        SharedFormCase{"髙 (IBM extension; NEC-selected form too)", "髙", "\xFB\xFC", "\xEE\xE0"},
        SharedFormCase{"﨑 (IBM extension; NEC-selected form too)", "﨑", "\xFA\xB1", "\xED\x95"},
        SharedFormCase{"① (NEC row 13)", "①", "\x87\x40", ""},
        SharedFormCase{"Ⅱ (NEC row 13; IBM form too)", "Ⅱ", "\x87\x55", "\xFA\x4B"},
        SharedFormCase{"～ FULLWIDTH TILDE", "～", "\x81\x60", ""},
        SharedFormCase{"ⅱ small roman (IBM form written)", "ⅱ", "\xFA\x41", "\xEE\xF0"},
        SharedFormCase{"∵ (JIS form written)", "∵", "\x81\xE6", "\xFA\x5B"},
        SharedFormCase{"￢ (JIS form written)", "￢", "\x81\xCA", "\xEE\xF9"},
        SharedFormCase{"≒ (JIS form written)", "≒", "\x81\xE0", "\x87\x90"},
        SharedFormCase{"纊 (IBM form written)", "纊", "\xFA\x5C", "\xED\x40"},
        SharedFormCase{"㈱ (NEC row 13; IBM form too)", "㈱", "\x87\x8A", "\xFA\x58"},
        SharedFormCase{"－ FULLWIDTH HYPHEN-MINUS", "－", "\x81\x7C", ""},
        SharedFormCase{"∥ PARALLEL TO", "∥", "\x81\x61", ""},
        SharedFormCase{"＼ FULLWIDTH REVERSE SOLIDUS", "＼", "\x81\x5F", ""}));

class Cp932NeitherWrites : public ::testing::TestWithParam<const char*> {};

// Characters that only a best-fit conversion would write (as another character): both builds
// refuse them with a message instead of writing something that reads back differently.
TEST_P(Cp932NeitherWrites, IsRefusedWithAMessage) {
    EXPECT_FALSE(IsCp932Encodable(GetParam()));
    EXPECT_THROW(Utf8ToCp932(GetParam(), "共通データ.txt"), DataFileError);
}

INSTANTIATE_TEST_SUITE_P(BestFitOnly, Cp932NeitherWrites,
                         ::testing::Values("〜",  // WAVE DASH, as Linux and macOS type it
                                           "‖",   // DOUBLE VERTICAL LINE
                                           "−",   // MINUS SIGN
                                           "¥",   // YEN SIGN (0x5C is the backslash)
                                           "é"));

class Cp932NeitherReads : public ::testing::TestWithParam<const char*> {};

// Single bytes that are no character: Windows alone would read them as private-use or control
// characters, so the Windows build refuses them as the Linux build does.
TEST_P(Cp932NeitherReads, IsRefusedWithItsPosition) {
    try {
        Cp932ToUtf8(std::string("ab") + GetParam(), "新名簿.txt");
        FAIL() << "a byte that is no character was read";
    } catch (const DataFileError& e) {
        EXPECT_NE(e.problem().find("3バイト目"), std::string::npos) << e.problem();
    }
}

INSTANTIATE_TEST_SUITE_P(Bytes, Cp932NeitherReads,
                         ::testing::Values("\x80", "\xA0", "\xFD", "\xFE", "\xFF", "\x85\x40"));

}  // namespace
}  // namespace kagaku
