#include "roster/sign_in.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <stdexcept>

#include "support/state_parts.h"
#include "support/test_support.h"

namespace kagaku {
namespace {

using testing::FakeClock;
using testing::TempDir;

std::unique_ptr<StateParts> StateWithPupil() {
    auto state = std::make_unique<StateParts>();
    state->roster.RosterName[12] = "山田太郎" + std::string(16, ' ');
    state->roster.RosterGradeLabel[12] = "小１";
    return state;
}

// Catches a sign-in without a chosen name, a pupil number beyond the tables, and a row taken
// from the wrong List3 entry (List1 row i pairs with List3 row i - 1).
TEST(ConfirmSignIn, RefusesWithoutAChosenPupil) {
    NameList list;
    list.Visible = {"－－－－－－", "小1 山田太郎", "小1 田中", "小2 鈴木", "小2 佐藤"};
    list.Numbered = {"小1 山田太郎*12", "小1 田中*9999", "小2 鈴木*-3", "小2 佐*藤*7"};
    const struct {
        int row;
        std::optional<std::int16_t> pupil;
    } cases[] = {
        {0, std::nullopt},   // the separator
        {1, 12},             // List3 row 0
        {2, std::nullopt},   // 9999: beyond the tables
        {3, std::nullopt},   // -3
        {4, 7},              // a "*" inside the name
        {5, std::nullopt},   // no such row
        {-1, std::nullopt},  // nothing selected
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.row);
        EXPECT_EQ(ChosenPupil(list, c.row), c.pupil);
    }
    auto state = StateWithPupil();
    FakeClock clock({2011, 3, 15}, {10, 0, 0});
    EXPECT_EQ(ConfirmSignIn(state->signIn, state->roster, std::nullopt, clock), SignInResult::NoNameChosen);
    EXPECT_EQ(ConfirmSignIn(state->signIn, state->roster, std::int16_t{5001}, clock), SignInResult::NoNameChosen);
    EXPECT_EQ(state->signIn.PupilNumber, 0);
}

// Catches a trimmed PupilName (the menu and drill expect the 20-character field) and an
// unrounded sign-in time.
TEST(ConfirmSignIn, WritesThePupilFields) {
    auto state = StateWithPupil();
    FakeClock clock({2011, 3, 15}, {10, 0, 0});
    clock.AdvanceSeconds(0.6);
    EXPECT_EQ(ConfirmSignIn(state->signIn, state->roster, std::int16_t{12}, clock), SignInResult::SignedIn);
    EXPECT_EQ(state->signIn.PupilNumber, 12);
    EXPECT_EQ(state->signIn.PupilName, "山田太郎" + std::string(16, ' '));
    EXPECT_EQ(state->signIn.PupilGradeLabel, "小１");
    EXPECT_EQ(state->signIn.SignInSeconds, 36001);
}

// Signing in after another pupil: every field of the sign-in is written, none keeps the last
// pupil's value, and only the wrong password entries and their lock carry over.
TEST(SignInPupil, WritesEveryFieldOfTheSignIn) {
    SignedIn before;
    before.PupilNumber = 3;
    before.PupilName = "先生";
    before.PupilGradeLabel = "中３";
    before.SignInSeconds = 100;
    before.TeacherPassword = {true, 4, 777};
    before.ChangeBackupTaken = true;
    FakeClock clock({2011, 3, 15}, {10, 0, 0});
    SignedIn after = before;
    SignInPupil(after, 12, "山田太郎", "小１", clock);
    const struct {
        const char* field;  // the field that would keep the last pupil's value
        bool written;
    } cases[] = {
        {"PupilNumber", after.PupilNumber == 12},
        {"PupilName", after.PupilName == "山田太郎"},
        {"PupilGradeLabel", after.PupilGradeLabel == "小１"},
        {"SignInSeconds", after.SignInSeconds == 36000},
        {"TeacherPassword.Given", !after.TeacherPassword.Given},
        {"ChangeBackupTaken", !after.ChangeBackupTaken},
        {"TeacherPassword.WrongInARow carries over", after.TeacherPassword.WrongInARow == 4},
        {"TeacherPassword.LockedUntilMs carries over", after.TeacherPassword.LockedUntilMs == 777},
    };
    for (const auto& c : cases)
        EXPECT_TRUE(c.written) << c.field;
}

// Catches a second sign-in started by a key while the first is under way.
TEST(NameScreenKeys, ActOnlyWhileTheirButtonIsVisible) {
    EXPECT_EQ(NameScreenKeyAction(U'1', true, true, false), NameScreenKey::Confirm);
    EXPECT_EQ(NameScreenKeyAction(U'1', false, true, false), NameScreenKey::None);
    EXPECT_EQ(NameScreenKeyAction(U'0', true, true, false), NameScreenKey::ExitToMenuProgram);
    EXPECT_EQ(NameScreenKeyAction(U'0', true, false, false), NameScreenKey::None);
    EXPECT_EQ(NameScreenKeyAction(U'\r', true, true, true), NameScreenKey::Confirm);
    EXPECT_EQ(NameScreenKeyAction(U' ', true, true, true), NameScreenKey::Confirm);
    EXPECT_EQ(NameScreenKeyAction(U' ', true, true, false), NameScreenKey::None);
    EXPECT_EQ(NameScreenKeyAction(U'\r', false, true, true), NameScreenKey::None);
}

// Catches giving up too early or too late, and a message without marker or error number.
TEST(NameListRetry, SixthFaultEndsWithTheMessage) {
    NameListRetry retry;
    for (int i = 1; i <= 5; ++i) {
        EXPECT_FALSE(retry.OnFault(3, "ない", 53).has_value()) << i;
    }
    const auto message = retry.OnFault(3, "ない", 53);
    ASSERT_TRUE(message.has_value());
    EXPECT_EQ(*message, "名簿表示3ない53");
    retry.Reset();
    EXPECT_FALSE(retry.OnFault(1.5, "x", 0).has_value());
    EXPECT_EQ(NameListFaultMessage(1.5, "x", 7), "名簿表示1.5x7");
}

// A missing roster: five pauses of five seconds, then the message naming the file; the
// aggregation is not repeated.
TEST(RebuildNameListWithRetry, MissingRosterPausesFiveTimesThenGivesUp) {
    TempDir dir;
    auto state = std::make_unique<StateParts>();
    state->setup.DataRoot = dir.path().string() + "/";
    FakeClock clock({2011, 3, 15}, {10, 0, 0});
    int aggregated = 0;
    std::vector<int> pauses;
    try {
        RebuildNameListWithRetry(
            state->setup, state->standing, state->roster, clock, 1, "全学年", [&] { ++aggregated; }, [&](int s) { pauses.push_back(s); });
        FAIL();
    } catch (const NameListGaveUp& e) {
        const std::string what = e.what();
        EXPECT_EQ(what.rfind("名簿表示3", 0), 0u) << what;
        EXPECT_NE(what.find("新名簿.txt"), std::string::npos);
        EXPECT_EQ(what.substr(what.size() - 2), "53");
    }
    EXPECT_EQ(pauses, std::vector<int>(6, 5));  // six pauses of five seconds, then the message
    EXPECT_EQ(aggregated, 1);
}

// A roster that appears during the pauses is read on the next try.
TEST(RebuildNameListWithRetry, RecoversWhenTheFileComesBack) {
    TempDir dir;
    auto state = std::make_unique<StateParts>();
    state->setup.DataRoot = dir.path().string() + "/";
    FakeClock clock({2011, 3, 15}, {10, 0, 0});
    int pauses = 0;
    const NameList list = RebuildNameListWithRetry(state->setup, state->standing, state->roster, clock, 1, "全学年", {}, [&](int) {
        if (++pauses == 2) {
            dir.WriteCp932("新名簿.txt", "1,2003,0,0,一,0,,\n");
        }
    });
    EXPECT_EQ(pauses, 2);
    EXPECT_EQ(list.Visible.size(), 2u);
}

}  // namespace
}  // namespace kagaku

namespace kagaku {
namespace {

// One try at a time, as the name screen drives it from a timer: each row names the fault it
// would catch.
TEST(NameListRebuild, TriesPausesAndGivesUpOneStepAtATime) {
    const struct {
        const char* catches;
        int rosterBackAfterFaults;  // -1: never
        bool aggregationFailsOnce;
        int triesExpected;
        bool givesUp;
        int aggregationsExpected;
    } cases[] = {
        {"a list built at once counting as a fault", 0, false, 1, false, 1},
        {"a roster back after two pauses not read on the next try", 2, false, 3, false, 1},
        {"the aggregation repeated after a roster fault", 3, false, 4, false, 1},
        {"a failed aggregation not tried again", 1, true, 3, false, 2},
        {"giving up before the sixth fault, or not at all", -1, false, 6, true, 1},
        {"a roster back at the sixth try refused", 5, false, 6, false, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.catches);
        TempDir dir;
        auto state = std::make_unique<StateParts>();
        state->setup.DataRoot = dir.path().string() + "/";
        FakeClock clock({2011, 3, 15}, {10, 0, 0});
        int aggregations = 0;
        bool failAggregation = c.aggregationFailsOnce;
        const auto aggregate = [&] {
            ++aggregations;
            if (failAggregation) {
                failAggregation = false;
                throw std::runtime_error("集計");
            }
        };
        NameListRebuild rebuild;
        int tries = 0;
        bool gaveUp = false;
        std::optional<NameList> list;
        while (!list && !gaveUp) {
            if (tries - (c.aggregationFailsOnce ? 1 : 0) == c.rosterBackAfterFaults)
                dir.WriteCp932("新名簿.txt", "1,2003,0,0,一,0,,\n");
            ++tries;
            list = rebuild.Try(state->setup, state->standing, state->roster, clock, 1, "全学年",
                               aggregate);
            if (!list) {
                if (const auto message = rebuild.AfterPause()) {
                    gaveUp = true;
                    EXPECT_EQ(message->rfind("名簿表示3", 0), 0u) << *message;
                }
            }
        }
        EXPECT_EQ(tries, c.triesExpected);
        EXPECT_EQ(gaveUp, c.givesUp);
        EXPECT_EQ(list.has_value(), !c.givesUp);
        EXPECT_EQ(aggregations, c.aggregationsExpected);
    }
}

}  // namespace
}  // namespace kagaku
