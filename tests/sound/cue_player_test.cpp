// The cue player's choice among a key's files and its failure policy.

#include <gtest/gtest.h>

#include <map>

#include "sound/cue_player.h"
#include "support/test_support.h"

namespace kagaku {
namespace {

class RecordingDevice final : public SoundDevice {
public:
    PlayResult PlayToEnd(const std::filesystem::path& wav) override {
        played.push_back(wav.filename().string());
        return {failCode, failCode ? "no device" : ""};
    }
    std::vector<std::string> played;
    int failCode = 0;
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
    f.player.PlayCorrectSound();
    EXPECT_EQ(f.player.SoundCommand(), "play /sounds/b.wav wait");
    EXPECT_EQ(f.player.SoundResult(), "0");
    f.player.PlayAllTimeBestSound();
    EXPECT_EQ(f.player.SoundCommand(), "play /sounds/最高1.wav wait");
    f.player.PlayGoalSound();
    EXPECT_EQ(f.device.played.back(), "合格.wav");
}

// Three silent failures, then the fourth stops the program; a success in between resets.
TEST(CuePlayerTest, FourthConsecutiveAnswerFailureStopsAndSuccessResets) {
    Fixture f;
    f.device.failCode = 263;
    f.player.PlayWrongSound();
    f.player.PlayCorrectSound();
    f.player.PlayNoNameSound();
    EXPECT_TRUE(f.stopper.stops.empty());
    EXPECT_EQ(f.player.SoundErrorCount(), 3);
    f.device.failCode = 0;
    f.player.PlayWrongSound();
    EXPECT_EQ(f.player.SoundErrorCount(), 0);
    f.device.failCode = 263;
    for (int i = 0; i < 3; ++i)
        f.player.PlayWrongSound();
    EXPECT_TRUE(f.stopper.stops.empty());
    f.player.PlayWrongSound();
    ASSERT_EQ(f.stopper.stops.size(), 1u);
    EXPECT_EQ(f.stopper.stops[0], "音声エラー|音声がでません。先生を呼びなさい。\r\nno device");
}

// The personal-best, slow, best-of-all and goal cues never stop the program nor count.
TEST(CuePlayerTest, OtherCuesAreSilentOnFailure) {
    Fixture f;
    f.device.failCode = 263;
    for (int i = 0; i < 10; ++i) {
        f.player.PlayPersonalBestSound();
        f.player.PlaySlowSound();
        f.player.PlayAllTimeBestSound();
        f.player.PlayGoalSound();
    }
    EXPECT_TRUE(f.stopper.stops.empty());
    EXPECT_EQ(f.player.SoundErrorCount(), 0);
}

// A key with no files counts as a failure for the answer cues.
TEST(CuePlayerTest, AnswerKeyWithoutFilesCountsAsFailure) {
    Fixture f;
    f.sounds.Files[4].clear();
    f.sounds.Counts[4] = 0;
    f.player.PlayNoNameSound();
    EXPECT_EQ(f.player.SoundErrorCount(), 1);
    EXPECT_NE(f.player.SoundResult(), "0");
    EXPECT_TRUE(f.device.played.empty());
}

}  // namespace
}  // namespace kagaku
