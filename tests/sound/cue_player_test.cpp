// The cue player's choice among a key's files and its failure policy.

#include <gtest/gtest.h>

#include <map>
#include <utility>

#include "sound/cue_player.h"
#include "support/test_support.h"

namespace kagaku {
namespace {

// Answers every sound at once, as told; or, with hold set, keeps each end until the test
// reports it, as the real device does from the event loop.
class RecordingDevice final : public SoundDevice {
public:
    void Play(const std::filesystem::path& wav, Ended ended) override {
        played.push_back(wav.filename().string());
        const PlayResult result{failCode, failCode ? "no device" : ""};
        if (hold)
            held.push_back(std::move(ended));
        else
            ended(result);
    }
    // Reports the end of the i-th sound still held.
    void Report(std::size_t i, PlayResult result) {
        Ended ended = std::exchange(held.at(i), nullptr);
        ended(std::move(result));
    }
    std::vector<std::string> played;
    int failCode = 0;
    bool hold = false;
    std::vector<Ended> held;
};

class RecordingStopper final : public ProgramStopper {
public:
    void StopWithMessage(const std::string& title, const std::string& text) override {
        stops.push_back(title + "|" + text);
    }
    std::vector<std::string> stops;
};

struct Fixture {
    SoundTable sounds;
    std::string soundFolder;
    RecordingDevice device;
    testing::FakeRandom random;
    RecordingStopper stopper;
    CuePlayer player{sounds, soundFolder, device, random, stopper};
    Fixture() {
        soundFolder = "/sounds/";
        sounds.KeyNames = SoundKeyNames();
        sounds.Files[2] = {"a", "b", "c"};
        sounds.Counts[2] = 3;
        sounds.Files[3] = {"wrong"};
        sounds.Counts[3] = 1;
        sounds.Files[8] = {"best"};
        sounds.Counts[8] = 1;
    }
};

// A key with three files plays each of them a third of the time.
TEST(CuePlayerTest, PicksEachOfThreeFilesUniformly) {
    SoundTable table;
    table.Files[2] = {"a", "b", "c"};
    table.Counts[2] = 3;
    std::map<std::string, int> seen;
    const int draws = 3000;
    for (int i = 0; i < draws; ++i) {
        ++seen[CuePlayer::PickFile(table, 2, (i + 0.5) / draws)];
    }
    ASSERT_EQ(seen.size(), 3u);
    for (const auto& [name, count] : seen)
        EXPECT_EQ(count, 1000) << name;
}

// A list of twenty names without its closing "*" still plays its first file; a key without
// files plays nothing.
TEST(CuePlayerTest, UnsetCountPlaysFirstFileAndEmptyKeyPlaysNothing) {
    SoundTable table;
    table.Files[5] = std::vector<std::string>(20, "x");
    table.Files[5][0] = "first";
    table.Counts[5] = -1;
    EXPECT_EQ(CuePlayer::PickFile(table, 5, 0.99), "first");
    EXPECT_EQ(CuePlayer::PickFile(table, 6, 0.5), "");
}

TEST(CuePlayerTest, CommandNamesTheFileAndResultIsKept) {
    Fixture f;
    f.random.Push(0.5);
    f.player.PlayCorrectSound({});
    EXPECT_EQ(f.player.SoundCommand(), "play /sounds/b.wav wait");
    EXPECT_EQ(f.player.SoundResult(), "0");
    f.player.PlayAllTimeBestSound({});
    EXPECT_EQ(f.player.SoundCommand(), "play /sounds/最高1.wav wait");
    f.player.PlayGoalSound({});
    EXPECT_EQ(f.device.played.back(), "合格.wav");
}

// Three silent failures, then the fourth stops the program; a success in between resets.
TEST(CuePlayerTest, FourthConsecutiveAnswerFailureStopsAndSuccessResets) {
    Fixture f;
    f.device.failCode = 263;
    f.player.PlayWrongSound({});
    f.player.PlayCorrectSound({});
    f.player.PlayNoNameSound({});
    EXPECT_TRUE(f.stopper.stops.empty());
    EXPECT_EQ(f.player.SoundErrorCount(), 3);
    f.device.failCode = 0;
    f.player.PlayWrongSound({});
    EXPECT_EQ(f.player.SoundErrorCount(), 0);
    f.device.failCode = 263;
    for (int i = 0; i < 3; ++i)
        f.player.PlayWrongSound({});
    EXPECT_TRUE(f.stopper.stops.empty());
    f.player.PlayWrongSound({});
    ASSERT_EQ(f.stopper.stops.size(), 1u);
    EXPECT_EQ(f.stopper.stops[0], "音声エラー|音声がでません。先生を呼びなさい。\r\nno device");
}

// The personal-best, slow, best-of-all and goal cues never stop the program nor count.
TEST(CuePlayerTest, OtherCuesAreSilentOnFailure) {
    Fixture f;
    f.device.failCode = 263;
    for (int i = 0; i < 10; ++i) {
        f.player.PlayPersonalBestSound({});
        f.player.PlaySlowSound({});
        f.player.PlayAllTimeBestSound({});
        f.player.PlayGoalSound({});
    }
    EXPECT_TRUE(f.stopper.stops.empty());
    EXPECT_EQ(f.player.SoundErrorCount(), 0);
}

// A key with no files counts as a failure for the answer cues.
TEST(CuePlayerTest, AnswerKeyWithoutFilesCountsAsFailure) {
    Fixture f;
    f.sounds.Files[4].clear();
    f.sounds.Counts[4] = 0;
    f.player.PlayNoNameSound({});
    EXPECT_EQ(f.player.SoundErrorCount(), 1);
    EXPECT_NE(f.player.SoundResult(), "0");
    EXPECT_TRUE(f.device.played.empty());
}

// ---- the callback forms ----

enum class Cue { Correct, Wrong, NoName, PersonalBest, Slow, AllTimeBest, Goal };

void PlayAsync(CuePlayer& player, Cue cue, CuePlayer::Ended ended) {
    switch (cue) {
    case Cue::Correct: return player.PlayCorrectSound(std::move(ended));
    case Cue::Wrong: return player.PlayWrongSound(std::move(ended));
    case Cue::NoName: return player.PlayNoNameSound(std::move(ended));
    case Cue::PersonalBest: return player.PlayPersonalBestSound(std::move(ended));
    case Cue::Slow: return player.PlaySlowSound(std::move(ended));
    case Cue::AllTimeBest: return player.PlayAllTimeBestSound(std::move(ended));
    case Cue::Goal: return player.PlayGoalSound(std::move(ended));
    }
}

// Each cue reports its end exactly once, whether the sound played, failed at the device,
// timed out or had no file, and only once the device has answered; the answer cues count the
// failure, the others do not.
TEST(CuePlayerTest, EachCueReportsItsEndOnceWhateverTheOutcome) {
    struct Case {
        const char* catches;
        Cue cue;
        bool noFiles;    // the cue's key lists no files
        int deviceCode;  // what the device answers (when it is asked)
        int errorCount;  // SoundErrorCount afterwards, from 2 before
        const char* result;
    };
    const Case cases[] = {
        {"a played answer cue resets the count", Cue::Correct, false, 0, 0, "0"},
        {"a device failure of an answer cue counts", Cue::Wrong, false, 263, 3, "263"},
        {"a timed-out answer cue counts", Cue::Correct, false, 262, 3, "262"},
        {"an answer key without files fails without the device", Cue::NoName, true, 0, 3, "275"},
        {"a failed personal best neither counts nor stops", Cue::PersonalBest, false, 263, 2,
         "263"},
        {"a played slow cue leaves the answer count", Cue::Slow, false, 0, 2, "0"},
        {"a failed best of all pupils is silent", Cue::AllTimeBest, false, 275, 2, "275"},
        {"a played goal cue ends", Cue::Goal, false, 0, 2, "0"},
        {"a goal cue that timed out ends", Cue::Goal, false, 262, 2, "262"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.catches);
        Fixture f;
        f.sounds.Files[4] = {"noname"};
        f.sounds.Counts[4] = 1;
        f.sounds.Files[10] = {"slow"};
        f.sounds.Counts[10] = 1;
        if (c.noFiles) {
            f.sounds.Files[4].clear();
            f.sounds.Counts[4] = 0;
        }
        // Two failing answer cues before this one.
        f.device.failCode = 263;
        f.player.PlayWrongSound([] {});
        f.player.PlayWrongSound([] {});
        f.device.failCode = 0;
        ASSERT_EQ(f.player.SoundErrorCount(), 2);
        f.device.played.clear();
        f.device.hold = true;
        int ended = 0;
        PlayAsync(f.player, c.cue, [&ended] { ++ended; });
        if (c.noFiles) {
            EXPECT_TRUE(f.device.played.empty());
        } else {
            ASSERT_EQ(f.device.held.size(), 1u);
            EXPECT_EQ(ended, 0) << "ended before the device answered";
            EXPECT_TRUE(f.player.playing());
            f.device.Report(0, {c.deviceCode, c.deviceCode ? "no device" : ""});
        }
        EXPECT_EQ(ended, 1);
        EXPECT_FALSE(f.player.playing());
        EXPECT_EQ(f.player.SoundErrorCount(), c.errorCount);
        EXPECT_EQ(f.player.SoundResult(), c.result);
        EXPECT_TRUE(f.stopper.stops.empty());
    }
}

// Three failing answer cues end as usual; the fourth stops the program and does not go on
// with the screen; a played one in between starts the count again.
TEST(CuePlayerTest, FourthFailingAnswerCueStopsInsteadOfEnding) {
    Fixture f;
    f.device.failCode = 263;
    int ended = 0;
    auto count = [&ended] { ++ended; };
    f.player.PlayWrongSound(count);
    f.player.PlayCorrectSound(count);
    f.player.PlayWrongSound(count);
    EXPECT_EQ(ended, 3);
    f.device.failCode = 0;
    f.player.PlayCorrectSound(count);
    f.device.failCode = 263;
    for (int i = 0; i < 3; ++i)
        f.player.PlayWrongSound(count);
    EXPECT_EQ(ended, 7);
    EXPECT_TRUE(f.stopper.stops.empty());
    f.player.PlayCorrectSound(count);
    EXPECT_EQ(ended, 7);
    ASSERT_EQ(f.stopper.stops.size(), 1u);
    EXPECT_EQ(f.stopper.stops[0], "音声エラー|音声がでません。先生を呼びなさい。\r\nno device");
    EXPECT_FALSE(f.player.playing());
}

// A cue asked for while another plays replaces it: the older one's end is reported at once,
// before the newer sound starts, and what the device says of the older sound later is neither
// reported again nor counted.
TEST(CuePlayerTest, CueDuringACueEndsTheOlderOnceAndIgnoresItsLateAnswer) {
    Fixture f;
    f.device.hold = true;
    std::vector<std::string> order;
    f.player.PlayWrongSound([&order] { order.push_back("wrong"); });
    f.player.PlayPersonalBestSound([&order] { order.push_back("best"); });
    ASSERT_EQ(order, (std::vector<std::string>{"wrong"}));
    EXPECT_EQ(f.device.played, (std::vector<std::string>{"wrong.wav", "best.wav"}));
    f.device.Report(0, {263, "stopped late"});
    EXPECT_EQ(order, (std::vector<std::string>{"wrong"}));
    EXPECT_EQ(f.player.SoundErrorCount(), 0) << "the replaced cue's failure was counted";
    EXPECT_TRUE(f.player.playing());
    f.device.Report(1, {});
    EXPECT_EQ(order, (std::vector<std::string>{"wrong", "best"}));
    EXPECT_FALSE(f.player.playing());
}

// A cue started from another's end plays on its own; one started from the end of a replaced
// cue is replaced in turn, so that the newest cue asked for is the one that plays.
TEST(CuePlayerTest, CuesStartedFromAnEndFollowOneAnother) {
    struct Case {
        const char* catches;
        bool replaceFirst;  // a second cue is asked for while the first plays
        std::vector<std::string> ends;
        std::size_t playingAtEnd;  // sounds the device still holds unanswered
    };
    const Case cases[] = {
        {"the next cue from an end plays after it", false, {"first", "from first"}, 0},
        {"a cue from a replaced cue's end is replaced by the newest", true,
         {"first", "from first", "newest"}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.catches);
        Fixture f;
        f.device.hold = true;
        std::vector<std::string> ends;
        f.player.PlayCorrectSound([&] {
            ends.push_back("first");
            f.player.PlayGoalSound([&] { ends.push_back("from first"); });
        });
        if (c.replaceFirst) {
            f.player.PlayAllTimeBestSound([&] { ends.push_back("newest"); });
            EXPECT_EQ(f.device.played.back(), "最高1.wav");
        } else {
            f.device.Report(0, {});
            EXPECT_EQ(f.device.played.back(), "合格.wav");
        }
        for (std::size_t i = 0; i < f.device.held.size(); ++i) {
            if (f.device.held[i])
                f.device.Report(i, {});
        }
        EXPECT_EQ(ends, c.ends);
        EXPECT_FALSE(f.player.playing());
    }
}

// The real device answers from the event loop; an answer arriving after the player has gone
// (the program ending while a sound plays) must not reach it.
TEST(CuePlayerTest, AnswerAfterThePlayerHasGoneDoesNothing) {
    RecordingDevice device;
    device.hold = true;
    const std::string soundFolder = "/sounds/";
    SoundTable sounds;
    sounds.Files[2] = {"a"};
    sounds.Counts[2] = 1;
    testing::FakeRandom random;
    RecordingStopper stopper;
    bool ended = false;
    {
        CuePlayer player(sounds, soundFolder, device, random, stopper);
        player.PlayCorrectSound([&ended] { ended = true; });
    }
    device.Report(0, {263, "late"});
    EXPECT_FALSE(ended);
    EXPECT_TRUE(stopper.stops.empty());
}

}  // namespace
}  // namespace kagaku
