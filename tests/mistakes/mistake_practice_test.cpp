#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "common/cp932.h"
#include "common/files.h"
#include "drill/practice_session.h"
#include "drill/timed_drill.h"
#include "mistakes/mistake_log.h"
#include "mistakes/mistake_notes.h"
#include "mistakes/mistake_practice.h"
#include "state/level_catalogue.h"
#include "support/state_parts.h"
#include "support/test_support.h"

namespace kagaku {
namespace {

using testing::FakeClock;
using testing::FakeRandom;
using testing::ReadBytes;
using testing::TempDir;

constexpr CivilDate kToday{2024, 6, 10};

ProblemSet Acids() {
    return ProblemSet{2, {{"硫酸", "H2SO4"}, {"水", "H2O"}, {"塩酸", "HCl"}, {"硝酸", "HNO3"}}};
}

// The draw value that picks problem r (1-based) of n.
double Pick(int r, int n) {
    return (static_cast<double>(r) - 0.5) / static_cast<double>(n);
}

TimedDrill::Outcome Answer(TimedDrill& d, std::string_view keys) {
    for (char c : keys)
        d.OnCharacter(static_cast<char32_t>(c));
    return d.OnCharacter(kEnterChar);
}

class RunFixture : public ::testing::Test {
protected:
    RunFixture() : clock_(kToday, {9, 5, 3}) {
        BuildLevelCatalogue(state_.setup);
        state_.setup.ProgramDataFolder = PathText(dir_.path()) + "/";
        state_.signIn.PupilNumber = 12;
        state_.run.CurrentLevel = 4;
        BeginRunMistakes(state_.runMistakes, 4);
    }
    MistakeLogPlace Place() const {
        return {state_.setup.ProgramDataFolder, state_.signIn.PupilNumber, state_.run.CurrentLevel};
    }
    std::filesystem::path Log() const { return MistakeLogPath(state_.setup.ProgramDataFolder, 12); }

    TempDir dir_;
    StateParts state_;
    FakeClock clock_;
    FakeRandom random_;
};

// Every wrong answer of a timed run is logged as typed and kept once per problem, in the order
// of the problem set; the result screen's practice is exactly those problems, under the
// category's practice level.
TEST_F(RunFixture, WrongAnswersOfARunBecomeItsPracticeSubset) {
    TimedDrill drill(Acids(), random_);
    for (int r : {4, 2, 4, 1})
        random_.Push(Pick(r, 4));
    ASSERT_TRUE(drill.Start());
    ASSERT_EQ(Answer(drill, "HNO2"), TimedDrill::Outcome::Wrong);
    EXPECT_EQ(NoteWrongAnswer(state_.runMistakes, Place(), drill, clock_), std::nullopt);
    drill.ContinueAfterCorrection();                                // asks problem 2
    ASSERT_EQ(Answer(drill, "H2O"), TimedDrill::Outcome::Correct);  // asks problem 4 again
    ASSERT_EQ(Answer(drill, "HNO"), TimedDrill::Outcome::Wrong);
    clock_.AdvanceSeconds(2);
    NoteWrongAnswer(state_.runMistakes, Place(), drill, clock_);
    drill.ContinueAfterCorrection();  // asks problem 1
    ASSERT_EQ(Answer(drill, "HSO4"), TimedDrill::Outcome::Wrong);
    NoteWrongAnswer(state_.runMistakes, Place(), drill, clock_);

    EXPECT_EQ(ReadBytes(Log()),
              Utf8ToCp932("#2024-06-10#,#09:05:03#,4,2,\"硝酸\",\"HNO3\",\"HNO2\"\r\n"
                          "#2024-06-10#,#09:05:05#,4,2,\"硝酸\",\"HNO3\",\"HNO\"\r\n"
                          "#2024-06-10#,#09:05:05#,4,2,\"硫酸\",\"H2SO4\",\"HSO4\"\r\n",
                          ""));
    ASSERT_EQ(state_.runMistakes.missed.size(), 2u);
    EXPECT_EQ(state_.runMistakes.missed[0].index, 1);
    EXPECT_EQ(state_.runMistakes.missed[1].index, 4);
    EXPECT_EQ(state_.runMistakes.missed[1].times, 2);

    const auto practice = PracticeOfRun(state_.runMistakes, state_.setup.LevelNames, state_.setup.LevelCount);
    ASSERT_TRUE(practice.has_value());
    EXPECT_EQ(practice->level, 3) << "the practice level of category 2";
    EXPECT_EQ(practice->problems.category, 2);
    ASSERT_EQ(practice->problems.Count(), 2);
    EXPECT_EQ(practice->problems.problems[0].question, "硫酸");
    EXPECT_EQ(practice->problems.problems[1].question, "硝酸");
    EXPECT_EQ(PracticeOfferCaption(*practice), "間違えた問題を練習（2問）");

    // The practice flow runs the subset and nothing else.
    PracticeSession session(practice->problems);
    session.Next();
    EXPECT_EQ(session.QuestionCaption(), " 硫酸");
    session.ShowAnswer();
    EXPECT_FALSE(session.MarkLearnt());
    EXPECT_EQ(session.QuestionCaption(), " 硝酸");
    session.ShowAnswer();
    EXPECT_TRUE(session.MarkLearnt()) << "practice ends after the missed problems";

    // The next run starts with nothing missed, so no stale offer is left for its result.
    BeginRunMistakes(state_.runMistakes, 4);
    EXPECT_FALSE(PracticeOfRun(state_.runMistakes, state_.setup.LevelNames, state_.setup.LevelCount));
}

// 答え表示 logs the problem with nothing typed; only a shown answer is logged.
TEST_F(RunFixture, RevealedAnswersAreLoggedWithNothingTyped) {
    state_.run.CurrentLevel = 3;
    PracticeSession practice(Acids());
    practice.Next();
    EXPECT_EQ(NoteRevealedAnswer(state_.runMistakes, Place(), practice, clock_), std::nullopt);
    EXPECT_FALSE(std::filesystem::exists(Log())) << "no answer was shown yet";
    practice.ShowAnswer();
    NoteRevealedAnswer(state_.runMistakes, Place(), practice, clock_);
    EXPECT_EQ(ReadBytes(Log()),
              Utf8ToCp932("#2024-06-10#,#09:05:03#,3,2,\"硫酸\",\"H2SO4\",\"\"\r\n", ""));
    EXPECT_TRUE(state_.runMistakes.missed.empty()) << "a revealed answer is no run mistake";
}

// A log that cannot be written is noted once, the run's mistakes are still kept for its
// practice, and the rest of the run writes nothing (so a dead share delays no later answer).
TEST_F(RunFixture, ALogThatCannotBeWrittenIsNotedOncePerRun) {
    state_.setup.ProgramDataFolder = PathText(dir_.path()) + "/gone/";
    TimedDrill drill(Acids(), random_);
    for (int r : {1, 2})
        random_.Push(Pick(r, 4));
    ASSERT_TRUE(drill.Start());
    Answer(drill, "HSO4");
    const auto note = NoteWrongAnswer(state_.runMistakes, Place(), drill, clock_);
    ASSERT_TRUE(note.has_value()) << "a failed write passed over in silence";
    EXPECT_NE(note->find(PathText(Log())), std::string::npos) << *note;
    EXPECT_NE(note->find("ドリルはそのまま続きます"), std::string::npos);
    EXPECT_FALSE(state_.runMistakes.logProblem.empty());

    std::filesystem::create_directory(dir_.path() / "gone");
    drill.ContinueAfterCorrection();
    Answer(drill, "HO");
    EXPECT_EQ(NoteWrongAnswer(state_.runMistakes, Place(), drill, clock_), std::nullopt) << "noted a second time";
    EXPECT_FALSE(std::filesystem::exists(Log())) << "the run wrote after its log failed";
    EXPECT_EQ(state_.runMistakes.missed.size(), 2u);

    BeginRunMistakes(state_.runMistakes, 4);
    EXPECT_TRUE(state_.runMistakes.logProblem.empty()) << "the next run tries again";
}

// The level menu's own practice: wrong answers of timed levels in the last 30 days, of
// problems the file still holds, most missed first (file order among equals), at most ten.
TEST(OwnMistakesPractice, PicksTheMostMissedProblemsStillInTheFile) {
    std::array<std::int16_t, kLevelSlots> timed{};
    timed[4] = 1;
    const auto miss = [](int level, std::string q, std::string a, int daysAgo = 0) {
        return MistakeEntry{DateFromSerial(DaySerial(kToday) - daysAgo),
                            {10, 0, 0},
                            level,
                            2,
                            std::move(q),
                            std::move(a),
                            "x"};
    };
    struct Case {
        const char* catches;
        std::vector<MistakeEntry> log;
        std::vector<std::string> questions;
    };
    const Case cases[] = {
        {"most missed first, equal counts in file order",
         {miss(4, "硝酸", "HNO3"), miss(4, "水", "H2O"), miss(4, "硝酸", "HNO3"),
          miss(4, "硫酸", "H2SO4")},
         {"硝酸", "硫酸", "水"}},
        {"answers revealed in practice are not mistakes", {miss(3, "水", "H2O")}, {}},
        {"a mistake of 30 days ago is out of the window", {miss(4, "水", "H2O", 30)}, {}},
        {"a mistake of 29 days ago is in", {miss(4, "水", "H2O", 29)}, {"水"}},
        {"a problem whose answer has changed since cannot be practised",
         {miss(4, "水", "HHO")},
         {}},
        {"another category's mistakes", {MistakeEntry{kToday, {}, 4, 3, "水", "H2O", "x"}}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.catches);
        const auto practice = PracticeOfOwnMistakes(c.log, Acids(), timed, 3, kToday);
        std::vector<std::string> questions;
        if (practice) {
            EXPECT_EQ(practice->level, 3);
            for (const Problem& p : practice->problems.problems)
                questions.push_back(p.question);
        }
        EXPECT_EQ(questions, c.questions);
    }

    // At most ten problems, and a problem text with a quote matches its logged form.
    ProblemSet many{2, {}};
    std::vector<MistakeEntry> log;
    for (int i = 0; i < 12; ++i) {
        many.problems.push_back({"\"問\"" + std::to_string(i), "A" + std::to_string(i)});
        log.push_back(miss(4, LoggedText(many.problems.back().question), "A" + std::to_string(i)));
    }
    const auto capped = PracticeOfOwnMistakes(log, many, timed, 3, kToday);
    ASSERT_TRUE(capped);
    EXPECT_EQ(capped->problems.Count(), kOwnPracticeMost);
    EXPECT_EQ(capped->problems.problems[0].question, "\"問\"0")
        << "the file's own text is practised";
}

TEST(OwnMistakesPractice, APracticeNeedsAPracticeLevelOfTheCategory) {
    StateParts state;
    BuildLevelCatalogue(state.setup);
    EXPECT_EQ(PracticeLevelOfCategory(state.setup.LevelNames, state.setup.LevelCount, 1), 1);
    EXPECT_EQ(PracticeLevelOfCategory(state.setup.LevelNames, state.setup.LevelCount, 6), 11);
    EXPECT_EQ(PracticeLevelOfCategory(state.setup.LevelNames, state.setup.LevelCount, 7), std::nullopt)
        << "level 13 is not offered";
    MistakesOfRun run;
    run.category = 7;
    run.missed.push_back({1, {"q", "a"}, 1});
    EXPECT_FALSE(PracticeOfRun(run, state.setup.LevelNames, state.setup.LevelCount));
}

}  // namespace
}  // namespace kagaku
