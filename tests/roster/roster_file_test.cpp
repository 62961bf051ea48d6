#include "roster/roster_file.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "common/text_ops.h"
#include "support/test_support.h"

namespace kagaku {
namespace {

using testing::TempDir;

struct Listed {
    int number;
    int slot;
    int grade;
};

struct RosterRun {
    std::unique_ptr<RosterTables> tables = std::make_unique<RosterTables>();
    std::vector<Listed> listed;
};

RosterRun Pass(const TempDir& dir, std::string_view content, Variant hide = Variant(0),
               int schoolYear = 2010) {
    dir.WriteCp932("新名簿.txt", content);
    RosterRun run;
    run.tables->SchoolYear = schoolYear;
    RunRosterPass(dir / "新名簿.txt", hide, *run.tables,
                  [&run](const RosterRecord& r, int slot, int grade) {
                      run.listed.push_back({r.Number, slot, grade});
                  });
    return run;
}

TEST(RosterPass, EmptyFileListsNobody) {
    TempDir dir;
    RosterRun run = Pass(dir, "");
    EXPECT_EQ(run.tables->RosterCount, 0);
    EXPECT_TRUE(run.listed.empty());
}

// Catches a hidden pupil taking a slot, a status 2 listed without the option, and names or
// grade labels left unwritten for pupils who are not listed.
TEST(RosterPass, StatusesDecideTheListingButEveryRecordIsNamed) {
    const char* roster =
        "1,2003,0,0,一郎,0,,\n"
        "2,1996,0,0,二郎,1,,\n"
        "3,2003,0,0,三郎,2,,\n"
        "4,2003,0,0,四郎,0,,\n";
    struct Case {
        Variant hide;
        std::vector<int> listedNumbers;
    };
    const Case cases[] = {{Variant(1), {1, 3, 4}},
                          {Variant(0), {1, 4}},
                          {Variant(2), {1, 4}},
                          {Variant(), {1, 4}},
                          {Variant("x"), {1, 4}}};
    for (const auto& c : cases) {
        TempDir dir;
        RosterRun run = Pass(dir, roster, c.hide);
        std::vector<int> numbers;
        for (std::size_t k = 0; k < run.listed.size(); ++k) {
            numbers.push_back(run.listed[k].number);
            EXPECT_EQ(run.listed[k].slot, static_cast<int>(k) + 1);
            EXPECT_EQ(run.tables->RosterNumberAt[k + 1], run.listed[k].number);
        }
        EXPECT_EQ(numbers, c.listedNumbers) << c.hide.ToText();
        EXPECT_EQ(run.tables->RosterCount, static_cast<int>(c.listedNumbers.size()));
        EXPECT_EQ(text::Trim(run.tables->RosterName[2]), "二郎");
        EXPECT_EQ(text::Trim(run.tables->RosterName[3]), "三郎");
        EXPECT_EQ(run.tables->RosterGradeLabel[2], "中２");
        EXPECT_EQ(run.tables->RosterBirthYear[2], 1996);
    }
}

// Catches names stored untrimmed to the wrong width and the wrong record winning a duplicate.
TEST(RosterPass, NamesAreTwentyCharacterFieldsAndTheLaterDuplicateWins) {
    TempDir dir;
    RosterRun run = Pass(dir,
                         "7,2003,0,0,あいうえおかきくけこさしすせそたちつてとなにぬねの,0,,\n"
                         "8,2003,0,0,山田花,0,\"a,b\",x\n"
                         "7,2003,0,0,後の七,0,,\n");
    EXPECT_EQ(run.tables->RosterCount, 3);
    EXPECT_EQ(run.tables->RosterRecords[1].Name, "あいうえおかきくけこさしすせそたちつてと");
    EXPECT_EQ(run.tables->RosterName[8], "山田花" + std::string(17, ' '));
    EXPECT_EQ(run.tables->RosterRecords[2].SpareText1, "a,b" + std::string(17, ' '));
    EXPECT_EQ(text::Trim(run.tables->RosterName[7]), "後の七");
    EXPECT_EQ(run.tables->RosterNumberAt[1], 7);
    EXPECT_EQ(run.tables->RosterNumberAt[3], 7);
}

// Catches a label written for grade numbers outside 0..10 (an older label must survive).
TEST(RosterPass, FullWidthLabelOnlyForKindergartenToFirstHighYear) {
    TempDir dir;
    auto tables = std::make_unique<RosterTables>();
    tables->SchoolYear = 2010;
    tables->RosterGradeLabel[5] = "前の";
    tables->RosterGradeLabel[6] = "前の";
    dir.WriteCp932("新名簿.txt", "5,1993,0,0,高二,0,,\n6,2009,0,0,幼児,0,,\n9,2010,0,0,幼,0,,\n");
    std::vector<int> grades;
    RunRosterPass(dir / "新名簿.txt", Variant(0), *tables,
                  [&](const RosterRecord&, int, int g) { grades.push_back(g); });
    EXPECT_EQ(tables->RosterGradeLabel[5], "前の");
    EXPECT_EQ(tables->RosterGradeLabel[6], "前の");
    EXPECT_EQ(grades, (std::vector<int>{11, -5, -6}));
}

struct BadRoster {
    const char* content;
    int errorNumber;
    const char* problemPart;
};

// Catches a crash or silent default on damaged rosters; every fault names the file.
TEST(RosterPass, DamagedFilesGiveAClearError) {
    const BadRoster cases[] = {
        {"1,2003,0,0,名前,0,,\n2,2003,0,0,名前\n", 62, "途中でファイルが終わっています"},
        {"x1,2003,0,0,名前,0,,\n", 13, "番号「x1」が数ではありません"},
        {"1,40000,0,0,名前,0,,\n", 6, "生まれ年「40000」が大きすぎます"},
        {"5001,2003,0,0,名前,0,,\n", 9, "5001"},
        {"-1,2003,0,0,名前,0,,\n", 9, "範囲にありません"},
    };
    for (const auto& c : cases) {
        TempDir dir;
        try {
            Pass(dir, c.content);
            ADD_FAILURE() << c.content;
        } catch (const RosterFileError& e) {
            EXPECT_EQ(e.ErrorNumber(), c.errorNumber) << c.content;
            EXPECT_NE(e.problem().find(c.problemPart), std::string::npos) << e.problem();
            EXPECT_NE(e.file().find("新名簿.txt"), std::string::npos);
        }
    }
}

TEST(RosterPass, MissingFileIsErrorFiftyThree) {
    TempDir dir;
    RosterTables tables;
    try {
        RunRosterPass(dir / "新名簿.txt", Variant(0), tables);
        FAIL();
    } catch (const RosterFileError& e) {
        EXPECT_EQ(e.ErrorNumber(), 53);
    }
}

// Catches a table overrun on a roster listing more pupils than there are slots; unlisted
// records beyond that are harmless.
TEST(RosterPass, AtMostFiveThousandListedPupils) {
    std::string content;
    for (int n = 1; n <= 5000; ++n) {
        content += std::to_string(n) + ",2003,0,0,N,0,,\n";
    }
    TempDir dir;
    EXPECT_EQ(Pass(dir, content + "1,2003,0,0,N,1,,\n").tables->RosterCount, 5000);
    EXPECT_THROW(Pass(dir, content + "1,2003,0,0,N,0,,\n"), RosterFileError);
}

}  // namespace
}  // namespace kagaku
