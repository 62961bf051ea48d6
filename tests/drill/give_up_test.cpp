#include <gtest/gtest.h>

#include <string>

#include "common/files.h"
#include "drill/give_up.h"
#include "support/test_support.h"

namespace kagaku {
namespace {

using testing::ReadBytes;
using testing::TempDir;

constexpr CivilDate kToday{2024, 5, 10};

std::filesystem::path LogIn(const TempDir& dir, int pupil = 12) {
    return GiveUpLogPath(PathText(dir.path()) + "/", pupil);
}

TEST(GiveUp, LogIsNamedAfterThePupil) {
    TempDir dir;
    EXPECT_EQ(LogIn(dir, 12).filename(), std::filesystem::path(u8"ギブ12.csv"));
}

TEST(GiveUp, FirstGiveUpCreatesTheLogAndLeavesFourMore) {
    TempDir dir;
    const auto log = LogIn(dir);
    const GiveUpButtonState button = GiveUpButtonFor(log, kToday);
    EXPECT_EQ(button.caption, "ギブアップ（後5回）");
    EXPECT_TRUE(button.enabled);
    EXPECT_TRUE(button.problem.empty());
    const GiveUpOutcome outcome = GiveUp(log, kToday);
    EXPECT_TRUE(outcome.givenUp);
    ASSERT_EQ(outcome.messages.size(), 1u);
    EXPECT_EQ(outcome.messages[0], "ギブアップできるのはあと4回です");
    EXPECT_EQ(ReadBytes(log), "#2024-05-10#\r\n");
}

TEST(GiveUp, FifthOfTheDaySucceedsAndTheSixthIsRefused) {
    TempDir dir;
    const auto log = LogIn(dir);
    // Yesterday's entries and lines that are not dates count for nothing.
    dir.WriteBytes(log.filename().string(),
                   "#2024-05-09#\r\n#2024-05-09#\r\n#2024-05-10#\r\n#2024-05-10#\r\n"
                   "damaged\r\n#2024-05-10#\r\n#2024-05-10#\r\n");
    EXPECT_EQ(CountGiveUpsToday(log, kToday), 4);
    EXPECT_EQ(GiveUpButtonFor(log, kToday).caption, "ギブアップ（後1回）");
    const GiveUpOutcome fifth = GiveUp(log, kToday);
    EXPECT_TRUE(fifth.givenUp);
    EXPECT_EQ(fifth.messages.at(0), "ギブアップできるのはあと0回です");
    const GiveUpButtonState after = GiveUpButtonFor(log, kToday);
    EXPECT_EQ(after.caption, "ギブアップ");
    EXPECT_FALSE(after.enabled);
    const std::string before = ReadBytes(log);
    const GiveUpOutcome sixth = GiveUp(log, kToday);
    EXPECT_FALSE(sixth.givenUp) << "the run must go on";
    EXPECT_EQ(sixth.messages.at(0), "本日5回ギブアップしたので、もうギブアップできません");
    EXPECT_EQ(ReadBytes(log), before) << "a refused give-up is not logged";
    EXPECT_EQ(CountGiveUpsToday(log, CivilDate{2024, 5, 11}), 0) << "a new day starts afresh";
}

TEST(GiveUp, ALastLineWithoutItsLineEndIsNotRunTogether) {
    // Appending straight after "#2024-05-10#" would make one unreadable field of two entries.
    TempDir dir;
    const auto log = LogIn(dir);
    dir.WriteBytes(log.filename().string(), "#2024-05-10#");
    GiveUp(log, kToday);
    EXPECT_EQ(ReadBytes(log), "#2024-05-10#\r\n#2024-05-10#\r\n");
    EXPECT_EQ(CountGiveUpsToday(log, kToday), 2);
}

// One damaged line costs only itself: the entries after it still count, so the day's limit
// cannot be dodged by a log with a stray quote in it.
TEST(GiveUp, ADamagedLineDoesNotHideTheEntriesAfterIt) {
    struct Case {
        const char* catches;
        std::string damaged;
    };
    const Case cases[] = {
        {"a quote never closed swallowing the later lines", "\"#2024-05-10\r\n"},
        {"a stray quote after an entry of another day", "#2024-05-09#,\"x\r\n"},
        {"nul bytes from a torn write", std::string("#2024\0\0-10#\r\n", 13)},
    };
    for (const Case& c : cases) {
        TempDir dir;
        const auto log = LogIn(dir);
        dir.WriteBytes(log.filename().string(), c.damaged + "#2024-05-10#\r\n");
        EXPECT_EQ(CountGiveUpsToday(log, kToday), 1) << c.catches;
        GiveUp(log, kToday);
        EXPECT_EQ(CountGiveUpsToday(log, kToday), 2) << c.catches;
    }
}

// A byte that is not code page 932 (0xA0 or 0xFF, a lead byte without a trail byte it pairs with)
// costs only its own line: decoded as one text, the log would be unreadable as a whole, and
// with it the day's limit and every entry before and after the damage.
TEST(GiveUp, ABadByteCostsOnlyItsOwnLine) {
    struct Case {
        const char* catches;
        std::string log;
        int today;  // entries of today that must still count
    };
    const Case cases[] = {
        {"a bad byte in an earlier line hiding the later entries",
         "#2024-05-10#\r\n#2024-05-10#\xFF\r\n#2024-05-10#\r\n#2024-05-10#\r\n", 3},
        {"a bad byte in the last line hiding the entries before it",
         "#2024-05-10#\r\n#2024-05-09#\r\n#2024-05-10#\r\n\xA0#2024-05-10#\r\n", 2},
        {"a lead byte torn from its trail byte at the very end of the log",
         "#2024-05-10#\r\n#2024-05-10#\r\n#2024-05-10#\r\n#2024-05-10#\r\n#2024-\x82", 4},
        {"a bad byte in the only line making the log unreadable", "#2024-05-10#\x81\x7F\r\n", 0},
        {"a bad byte letting the pupil past the day's limit",
         "#2024-05-10#\r\n#2024-05-10#\r\n\x81\x7F\r\n#2024-05-10#\r\n#2024-05-10#\r\n"
         "#2024-05-10#\r\n",
         5},
    };
    for (const Case& c : cases) {
        TempDir dir;
        const auto log = LogIn(dir);
        dir.WriteBytes(log.filename().string(), c.log);
        EXPECT_EQ(CountGiveUpsToday(log, kToday), c.today) << c.catches;
        const GiveUpButtonState button = GiveUpButtonFor(log, kToday);
        EXPECT_TRUE(button.problem.empty()) << c.catches << ": " << button.problem;
        const GiveUpOutcome outcome = GiveUp(log, kToday);
        // Damaged lines count for nothing and are not reported, like a line that is not a date.
        ASSERT_EQ(outcome.messages.size(), 1u) << c.catches;
        if (c.today < kGiveUpsPerDay) {
            EXPECT_EQ(button.caption, "ギブアップ（後" + std::to_string(5 - c.today) + "回）")
                << c.catches;
            EXPECT_TRUE(outcome.givenUp) << c.catches;
            EXPECT_EQ(outcome.messages[0],
                      "ギブアップできるのはあと" + std::to_string(4 - c.today) + "回です")
                << c.catches;
            EXPECT_EQ(CountGiveUpsToday(log, kToday), c.today + 1) << c.catches;
        } else {
            EXPECT_FALSE(button.enabled) << c.catches;
            EXPECT_FALSE(outcome.givenUp) << c.catches;
            EXPECT_EQ(outcome.messages[0], "本日5回ギブアップしたので、もうギブアップできません")
                << c.catches;
        }
        EXPECT_EQ(ReadBytes(log).substr(0, c.log.size()), c.log)
            << c.catches << ": the damaged log is kept as it was";
    }
}

TEST(GiveUp, AnUnwritableLogIsReportedAndTheRunStillEndsUnrecorded) {
    // The data folder is unreachable: the pupil is told which file failed; the give-up goes
    // through (the caller records nothing) rather than crashing or pretending it was logged.
    TempDir dir;
    const auto log = GiveUpLogPath(PathText(dir.path()) + "/missing-folder/", 3);
    const GiveUpButtonState button = GiveUpButtonFor(log, kToday);
    EXPECT_FALSE(button.problem.empty());
    const GiveUpOutcome outcome = GiveUp(log, kToday);
    EXPECT_TRUE(outcome.givenUp);
    ASSERT_FALSE(outcome.messages.empty());
    EXPECT_NE(outcome.messages.back().find("ギブ3.csv"), std::string::npos)
        << outcome.messages.back();
    EXPECT_FALSE(std::filesystem::exists(log));
}

}  // namespace
}  // namespace kagaku
