#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>

#include "common/cp932.h"
#include "common/errors.h"
#include "common/files.h"
#include "mistakes/mistake_log.h"
#include "support/test_support.h"

namespace kagaku {
namespace {

using testing::ReadBytes;
using testing::TempDir;

std::string Folder(const TempDir& dir) {
    return PathText(dir.path()) + "/";
}

// Each entry is appended to an empty log and must give exactly this line (UTF-8 here; the
// file holds it in code page 932 with CR LF), then read back as the same entry.
TEST(MistakeLog, EachAnswerIsWrittenAsExactlyOneLine) {
    struct Case {
        const char* catches;
        MistakeEntry entry;
        const char* line;
    };
    const Case cases[] = {
        {"a charge after a subscript and the typed answer missing its size",
         {{2024, 6, 10}, {9, 5, 3}, 8, 4, "硫酸イオン", "SO4-2", "SO4-"},
         "#2024-06-10#,#09:05:03#,8,4,\"硫酸イオン\",\"SO4-2\",\"SO4-\""},
        {"a positive charge written with the backslash",
         {{2024, 6, 10}, {23, 59, 59}, 10, 5, "ナトリウムイオン", "Na\\", "Na"},
         "#2024-06-10#,#23:59:59#,10,5,\"ナトリウムイオン\",\"Na\\\",\"Na\""},
        {"coefficients, subscripts and the arrow of a reaction",
         {{2024, 1, 2}, {0, 0, 0}, 6, 3, "水素の燃焼", "2H2+O2=2H2O", "H2+O2=H2O"},
         "#2024-01-02#,#00:00:00#,6,3,\"水素の燃焼\",\"2H2+O2=2H2O\",\"H2+O2=H2O\""},
        {"an answer revealed in practice has an empty typed answer",
         {{2024, 6, 10}, {10, 0, 0}, 3, 2, "硫酸", "H2SO4", ""},
         "#2024-06-10#,#10:00:00#,3,2,\"硫酸\",\"H2SO4\",\"\""},
        {"a comma inside a problem's text stays inside its quoted field",
         {{2024, 6, 10}, {10, 0, 0}, 2, 1, "鉄, 銅, 亜鉛の記号", "Fe,Cu,Zn", "Fe"},
         "#2024-06-10#,#10:00:00#,2,1,\"鉄, 銅, 亜鉛の記号\",\"Fe,Cu,Zn\",\"Fe\""},
        {"a logged quote (written as ”) and a comma together",
         {{2024, 6, 10}, {10, 0, 0}, 2, 1, LoggedText("\"濃\"硫酸, 希硫酸"), "H2SO4", "HSO4"},
         "#2024-06-10#,#10:00:00#,2,1,\"”濃”硫酸, 希硫酸\",\"H2SO4\",\"HSO4\""},
        {"nothing typed at all before Enter in a timed drill",
         {{2024, 6, 10}, {10, 0, 0}, 2, 1, "水", "H2O", ""},
         "#2024-06-10#,#10:00:00#,2,1,\"水\",\"H2O\",\"\""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.catches);
        TempDir dir;
        const auto log = MistakeLogPath(Folder(dir), 12);
        EXPECT_EQ(MistakeLogLine(c.entry), c.line);
        AppendMistake(log, c.entry);
        EXPECT_EQ(ReadBytes(log), Utf8ToCp932(c.line, "") + "\r\n");
        const MistakeLogContents back = ReadMistakeLog(log);
        EXPECT_EQ(back.damagedLines, 0);
        ASSERT_EQ(back.entries.size(), 1u);
        EXPECT_EQ(back.entries[0], c.entry);
    }
}

TEST(MistakeLog, IsNamedAfterThePupilBesideTheGiveUpLog) {
    EXPECT_EQ(MistakeLogPath("/data/kagaku/", 12).filename(),
              std::filesystem::path(u8"間違い12.csv"));
    EXPECT_EQ(LoggedText("a\"b\"c"), "a”b”c");
}

// Appends go to the end, one line each, whatever the log held; a last line torn off before its
// line end gets one first, so the new line is not swallowed by the damaged one.
TEST(MistakeLog, AppendingKeepsEveryEarlierLineAndNeverRunsLinesTogether) {
    TempDir dir;
    const auto log = MistakeLogPath(Folder(dir), 3);
    const MistakeEntry first{{2024, 6, 9}, {8, 0, 0}, 2, 1, "水", "H2O", "HO"};
    const MistakeEntry second{{2024, 6, 10}, {8, 0, 1}, 2, 1, "水", "H2O", "H2O2"};
    AppendMistake(log, first);
    AppendMistake(log, second);
    EXPECT_EQ(ReadMistakeLog(log).entries, (std::vector<MistakeEntry>{first, second}));

    TempDir torn;
    const auto tornLog = MistakeLogPath(Folder(torn), 3);
    torn.WriteBytes(tornLog.filename().string(), "#2024-06-09#,#08:0");
    AppendMistake(tornLog, second);
    EXPECT_EQ(ReadBytes(tornLog),
              "#2024-06-09#,#08:0\r\n" + Utf8ToCp932(MistakeLogLine(second), "") + "\r\n");
    const MistakeLogContents back = ReadMistakeLog(tornLog);
    EXPECT_EQ(back.damagedLines, 1);
    EXPECT_EQ(back.entries, std::vector<MistakeEntry>{second});
}

TEST(MistakeLog, ALogThatCannotBeWrittenThrowsNamingTheLog) {
    struct Case {
        const char* catches;
        std::function<std::filesystem::path(const TempDir&)> place;
    };
    const Case cases[] = {
        {"the data folder is not there (an unreachable share)",
         [](const TempDir& d) { return MistakeLogPath(Folder(d) + "gone/", 4); }},
        {"a folder stands where the log should be",
         [](const TempDir& d) {
             const auto p = MistakeLogPath(Folder(d), 4);
             std::filesystem::create_directory(p);
             return p;
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.catches);
        TempDir dir;
        const auto log = c.place(dir);
        try {
            AppendMistake(log, MistakeEntry{{2024, 6, 10}, {8, 0, 0}, 2, 1, "水", "H2O", ""});
            ADD_FAILURE() << "a failed write reported as success";
        } catch (const DataFileError& e) {
            EXPECT_EQ(e.file(), PathText(log));
        }
    }
}

// Every damaged line is skipped on its own; the good line after it is still read.
TEST(MistakeLog, ADamagedLineHidesNoLaterLine) {
    const std::string good = Utf8ToCp932("#2024-06-10#,#10:00:00#,2,1,\"水\",\"H2O\",\"HO\"", "");
    struct Case {
        const char* catches;
        std::string damaged;
    };
    const Case cases[] = {
        {"a quote never closed would swallow the following lines",
         "#2024-06-10#,#10:00:00#,2,1,\"水"},
        {"a line cut short", "#2024-06-10#,#10:00:00#,2,1,\"水\",\"H2O\""},
        {"a line with a field too many", good + ",\"x\""},
        {"a date that does not exist", "#2024-02-30#,#10:00:00#,2,1,\"水\",\"H2O\",\"\""},
        {"a time past the end of the day", "#2024-06-10#,#24:00:00#,2,1,\"水\",\"H2O\",\"\""},
        {"level 0 is never played", "#2024-06-10#,#10:00:00#,0,1,\"水\",\"H2O\",\"\""},
        {"a level past the last", "#2024-06-10#,#10:00:00#,36,1,\"水\",\"H2O\",\"\""},
        {"a category that is not a number", "#2024-06-10#,#10:00:00#,2,x,\"水\",\"H2O\",\"\""},
        {"bytes that are not code page 932",
         "#2024-06-10#,#10:00:00#,2,1,\"\x81\x7F\",\"H2O\",\"\""},
        {"a line of garbage", "\x01\x02 garbage"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.catches);
        const MistakeLogContents contents =
            ParseMistakeLog(good + "\r\n" + c.damaged + "\r\n" + good + "\r\n");
        EXPECT_EQ(contents.damagedLines, 1);
        EXPECT_EQ(contents.firstDamagedLines, std::vector<int>{2});
        EXPECT_EQ(contents.entries.size(), 2u);
    }
    // Blank lines and LF-only line ends are no damage.
    EXPECT_EQ(ParseMistakeLog(good + "\n\n  \n" + good).entries.size(), 2u);
    EXPECT_EQ(ParseMistakeLog(good + "\n\n  \n" + good).damagedLines, 0);
}

// A window's read takes the log's end only, yet never loses a line of the window: chunks that
// start inside a line, lines of the window's first day and a day's leeway before it all hold,
// whatever the chunk size.
TEST(MistakeLog, ReadingSinceADayKeepsEveryLineOfTheWindow) {
    TempDir dir;
    const auto log = MistakeLogPath(Folder(dir), 5);
    std::vector<MistakeEntry> all;
    for (int day = 0; day < 60; ++day) {
        for (int k = 0; k < 3; ++k) {
            all.push_back(MistakeEntry{DateFromSerial(DaySerial({2024, 4, 1}) + day),
                                       {9, k, 0},
                                       2,
                                       1,
                                       "水" + std::to_string(k),
                                       "H2O",
                                       "HO"});
            AppendMistake(log, all.back());
        }
    }
    const CivilDate firstDay = DateFromSerial(DaySerial({2024, 4, 1}) + 50);
    for (std::size_t chunk :
         {std::size_t{1}, std::size_t{37}, std::size_t{500}, std::size_t{1} << 20}) {
        SCOPED_TRACE(chunk);
        const MistakeLogContents part = ReadMistakeLogSince(log, firstDay, chunk);
        EXPECT_EQ(part.damagedLines, 0) << "a line cut at the chunk's start read as damaged";
        ASSERT_FALSE(part.entries.empty());
        EXPECT_EQ(part.entries.back(), all.back());
        std::size_t inWindow = 0;
        for (const MistakeEntry& e : part.entries)
            inWindow += DaySerial(e.date) >= DaySerial(firstDay) ? 1u : 0u;
        EXPECT_EQ(inWindow, 30u) << "the ten days of the window, three lines each";
        if (chunk < (std::size_t{1} << 20)) {
            EXPECT_LT(part.entries.size(), all.size()) << "the whole log was read";
        }
    }
    EXPECT_EQ(ReadMistakeLogSince(log, {2024, 1, 1}).entries, all);
    EXPECT_TRUE(ReadMistakeLogSince(MistakeLogPath(Folder(dir), 6), firstDay).entries.empty());
}

TEST(MistakeLog, MissingLogIsEmptyAndTheDamageMessageNamesTheLines) {
    TempDir dir;
    const auto log = MistakeLogPath(Folder(dir), 9);
    EXPECT_TRUE(ReadMistakeLog(log).entries.empty());
    EXPECT_FALSE(std::filesystem::exists(log)) << "reading must not create the log";

    std::string bytes;
    for (int i = 0; i < 7; ++i)
        bytes += "damaged\r\n";
    dir.WriteBytes(log.filename().string(), bytes);
    const MistakeLogContents contents = ReadMistakeLog(log);
    EXPECT_EQ(DamagedLinesMessage(log, contents),
              PathText(log) + "\n7行が壊れているため読み飛ばしました（1、2、3、4、5、ほか行目）。");
}

// Only the program's own names are pupils' logs: the give-up logs, zero-padded numbers and
// numbers outside the roster's range are left alone.
TEST(MistakeLog, FindsEveryPupilsLogAndNothingElse) {
    TempDir dir;
    for (const char* name :
         {"間違い12.csv", "間違い3.csv", "間違い0.csv", "ギブ12.csv", "間違い012.csv",
          "間違いx.csv", "間違い5001.csv", "間違い7.txt", "間違い.csv"})
        dir.WriteBytes(name, "");
    std::vector<int> pupils;
    for (const PupilMistakeLog& log : FindMistakeLogs(Folder(dir)))
        pupils.push_back(log.pupil);
    EXPECT_EQ(pupils, (std::vector<int>{0, 3, 12}));
    EXPECT_TRUE(FindMistakeLogs(Folder(dir) + "missing/").empty());
}

}  // namespace
}  // namespace kagaku
