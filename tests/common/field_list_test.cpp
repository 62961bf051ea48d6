#include "common/field_list.h"

#include <gtest/gtest.h>

#include "common/errors.h"
#include "support/test_support.h"

namespace kagaku {
namespace {

using Fields = std::vector<std::string>;

// Reads every field up to the end.
Fields ReadAll(const std::string& text) {
    FieldReader r(text, "t.txt");
    Fields out;
    while (!r.AtEnd())
        out.push_back(r.Next());
    return out;
}

struct FieldCase {
    const char* name;
    std::string text;
    Fields fields;
};

class FieldListRead : public ::testing::TestWithParam<FieldCase> {};

TEST_P(FieldListRead, GivesTheFields) {
    EXPECT_EQ(ReadAll(GetParam().text), GetParam().fields) << GetParam().name;
}

INSTANTIATE_TEST_SUITE_P(
    Texts, FieldListRead,
    ::testing::Values(
        FieldCase{"QuotedCommaStaysInTheField", "\"A,B\",c\r\n", {"A,B", "c"}},
        FieldCase{"BlanksInsideQuotesAreKept", "\"  山田 太郎 \" , x\r\n", {"  山田 太郎 ", "x"}},
        FieldCase{"BlanksAroundFieldsAreDropped", "  a  ,\tb\t, c d \r\n", {"a", "b", "c d"}},
        FieldCase{"FullWidthSpaceIsNotABlank", "　a　,b\r\n", {"　a　", "b"}},
        FieldCase{"CrLfEndsAField", "a,b\r\nc,d\r\n", {"a", "b", "c", "d"}},
        FieldCase{"LfEndsAField", "a,b\nc,d\n", {"a", "b", "c", "d"}},
        FieldCase{"CrEndsAField", "a,b\rc,d\r", {"a", "b", "c", "d"}},
        FieldCase{"NoLineEndAtTheEnd", "a,b", {"a", "b"}},
        FieldCase{"EmptyFieldsBetweenCommas", "a,,b\r\n", {"a", "", "b"}},
        FieldCase{"LineEndingInCommasGivesEmptyFields", "a,,,\r\nb\r\n", {"a", "", "", "", "b"}},
        // The last line of a settings file ends in three commas: its three empty items are
        // items, even at the end of the file.
        FieldCase{"LastLineEndingInCommasKeepsItsEmptyFields", "a,,,\r\n", {"a", "", "", ""}},
        FieldCase{"LastLineEndingInCommasWithoutLineEnd", "a,,,", {"a", "", "", ""}},
        FieldCase{"TrailingLineEndsAreNoFields", "a\r\n\r\n\r\n", {"a"}},
        FieldCase{"TextAfterClosingQuoteIsDropped", "\"ab\"cd,e\r\n", {"ab", "e"}},
        FieldCase{"QuotedEmptyField", "\"\",x\r\n", {"", "x"}},
        FieldCase{"EndOfFileMarkIsNotAField", "a,b\r\n\x1A", {"a", "b"}},
        FieldCase{"EmptyFile", "", {}}),
    [](const auto& caseInfo) { return std::string(caseInfo.param.name); });

// A reader takes a fixed count of fields, whatever the line ends: a record split over two lines
// or two records on one line read the same.
TEST(FieldList, FixedCountOfFieldsRegardlessOfLineEnds) {
    FieldReader split("1,2\r\n3\r\n4,5,6\r\n", "t.txt");
    EXPECT_EQ(split.Next(3), (Fields{"1", "2", "3"}));
    EXPECT_EQ(split.Next(3), (Fields{"4", "5", "6"}));
    EXPECT_TRUE(split.AtEnd());
    EXPECT_EQ(split.FieldsRead(), 6u);
}

TEST(FieldList, ReadingPastTheEndThrowsNamingTheFile) {
    FieldReader r("a,b\r\n\r\n", "共通データ.txt");
    r.Next(2);
    EXPECT_TRUE(r.AtEnd());
    try {
        r.Next();
        FAIL() << "reading past the end gave a field";
    } catch (const DataFileError& e) {
        EXPECT_EQ(e.file(), "共通データ.txt");
        EXPECT_NE(e.problem().find("項目が足りません"), std::string::npos);
    }
}

TEST(FieldList, FromFileDecodesCodePage932AndNamesTheFile) {
    testing::TempDir dir;
    auto p = dir.WriteCp932("データ.txt", "\"髙橋,①\",ﾊﾝｶｸ\n");
    FieldReader r = FieldReader::FromFile(p);
    EXPECT_EQ(r.Next(2), (Fields{"髙橋,①", "ﾊﾝｶｸ"}));
    EXPECT_NE(r.File().find("データ.txt"), std::string::npos);
    EXPECT_THROW(FieldReader::FromFile(dir / "無い.txt"), DataFileError);
}

TEST(FieldList, LogLineQuotesTextAndWritesDatesWithHashes) {
    EXPECT_EQ(FormatLogLine({std::string("H2O"), 12LL, 1.5, LogDate{2010, 4, 8}}),
              "\"H2O\",12,1.5,#2010-04-08#");
    EXPECT_EQ(FormatLogLine({std::string("a,b"), std::string("")}), "\"a,b\",\"\"");
    // A quote inside a text would end the field early when the log is read back.
    const std::string line = FormatLogLine({std::string("say \"x\""), 3LL});
    FieldReader r(line, "ギブ1.csv");
    r.Next();
    EXPECT_EQ(r.Next(), "3");
}

TEST(FieldList, PlainLineJoinsWithCommasOnly) {
    EXPECT_EQ(FormatPlainLine({"45", "60", "100", "3", "1.5", "10", "300", "7", "7", "", "", ""}),
              "45,60,100,3,1.5,10,300,7,7,,,");
    EXPECT_EQ(FormatPlainLine({}), "");
}

}  // namespace
}  // namespace kagaku
