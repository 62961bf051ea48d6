// The teacher's password on real files in a temporary folder: the hash round trip, wrong
// entries, damaged files failing closed, clearing, and the lock after five wrong entries.
#include "admin/teacher_password.h"

#include <gtest/gtest.h>

#include <fstream>
#include <memory>

#include "common/errors.h"
#include "common/files.h"
#include "roster/sign_in.h"
#include "support/state_parts.h"
#include "support/test_support.h"

namespace kagaku::admin {
namespace {

namespace fs = std::filesystem;
using testing::TempDir;

class TeacherPassword : public ::testing::Test {
protected:
    TempDir dir_;
    fs::path file_ = TeacherPasswordPath(PathText(dir_.path()) + "/");
};

// Catches a stored password in clear, an unsalted hash (the same password stored twice gives
// the same line), a file with more than the one line, and a match on a near miss.
TEST_F(TeacherPassword, RoundTripMatchesOnlyThePassword) {
    EXPECT_EQ(file_.filename(), fs::u8path("先生パスワード.txt"));
    SetTeacherPassword(file_, "理科室2024");
    const std::string bytes = testing::ReadBytes(file_);
    EXPECT_EQ(bytes.find("理科室"), std::string::npos);
    EXPECT_TRUE(bytes.starts_with("$argon2id$v=19$")) << bytes;
    EXPECT_TRUE(bytes.ends_with("\r\n"));
    EXPECT_EQ(bytes.find('\n'), bytes.size() - 1);

    const std::optional<std::string> hash = ReadTeacherPasswordHash(file_);
    ASSERT_TRUE(hash.has_value());
    EXPECT_TRUE(TeacherPasswordMatches(*hash, "理科室2024"));
    for (const std::string_view wrong :
         {"", "理科室", "理科室2024 ", "理科室2024\n", "理科室2025", "理科室２０２４"}) {
        EXPECT_FALSE(TeacherPasswordMatches(*hash, wrong)) << wrong;
    }

    SetTeacherPassword(file_, "理科室2024");
    EXPECT_NE(*ReadTeacherPasswordHash(file_), *hash) << "no fresh salt";
    EXPECT_THROW(SetTeacherPassword(file_, ""), std::invalid_argument);
    EXPECT_TRUE(TeacherPasswordMatches(*ReadTeacherPasswordHash(file_), "理科室2024"));
}

// No file means no password; clearing removes the file and says whether there was one.
TEST_F(TeacherPassword, ClearingLeavesNoPassword) {
    EXPECT_FALSE(ReadTeacherPasswordHash(file_).has_value());
    EXPECT_FALSE(ClearTeacherPassword(file_));
    SetTeacherPassword(file_, "abc");
    EXPECT_TRUE(ClearTeacherPassword(file_));
    EXPECT_FALSE(fs::exists(file_));
    EXPECT_FALSE(ReadTeacherPasswordHash(file_).has_value());
}

// A damaged file must never read as "no password" nor match anything: each case throws with
// the file named.
TEST_F(TeacherPassword, DamagedFileFailsClosed) {
    const std::string good = HashTeacherPassword("abc");
    const std::string body = good.substr(good.find("$", 20));  // "$<salt>$<hash>"
    const struct {
        const char* what;
        std::string bytes;
    } cases[] = {
        {"empty", ""},
        {"a password in clear", "abc\r\n"},
        {"cut short", good.substr(0, good.size() - 10) + "\r\n"},
        {"a second line", good + "\r\n" + good + "\r\n"},
        {"blank before", " " + good + "\r\n"},
        {"argon2i", "$argon2i$v=19$m=65536,t=2,p=1" + body + "\r\n"},
        {"other version", "$argon2id$v=16$m=65536,t=2,p=1" + body + "\r\n"},
        {"16 GiB of memory", "$argon2id$v=19$m=16777216,t=2,p=1" + body + "\r\n"},
        {"a thousand passes", "$argon2id$v=19$m=65536,t=1000,p=1" + body + "\r\n"},
        {"salt not base64", "$argon2id$v=19$m=65536,t=2,p=1$!!!!" + body + "\r\n"},
    };
    for (const auto& c : cases) {
        WriteFileAtomically(file_, c.bytes);
        try {
            ReadTeacherPasswordHash(file_);
            ADD_FAILURE() << c.what << ": read as a password";
        } catch (const DataFileError& e) {
            EXPECT_EQ(e.file(), PathText(file_)) << c.what;
        }
        EXPECT_FALSE(TeacherPasswordMatches(c.bytes, "abc")) << c.what;
    }
    // A folder where the file should be.
    fs::remove(file_);
    fs::create_directory(file_);
    EXPECT_THROW(ReadTeacherPasswordHash(file_), DataFileError);
}

// Catches a lock that never comes, one that does not last the minute, a count that a right
// entry does not reset, and a lock that leaves no fresh tries behind it.
TEST_F(TeacherPassword, FiveWrongInARowLockForAMinute) {
    const std::string hash = HashTeacherPassword("abc");
    TeacherPasswordAttempts a;
    std::int64_t now = 1'000'000;
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(JudgeTeacherPassword(a, hash, "x", now), TeacherPasswordVerdict::Wrong);
    EXPECT_EQ(JudgeTeacherPassword(a, hash, "abc", now), TeacherPasswordVerdict::Right);
    EXPECT_TRUE(a.Given);
    a.Given = false;
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(JudgeTeacherPassword(a, hash, "x", now), TeacherPasswordVerdict::Wrong);
    EXPECT_EQ(TeacherPasswordLockSeconds(a, now), 0);
    EXPECT_EQ(JudgeTeacherPassword(a, hash, "x", now), TeacherPasswordVerdict::WrongAndLocked);
    EXPECT_FALSE(a.Given);
    EXPECT_EQ(TeacherPasswordLockSeconds(a, now), 60);
    EXPECT_EQ(TeacherPasswordLockSeconds(a, now + 59'500), 1);
    now += 60'000;
    EXPECT_EQ(TeacherPasswordLockSeconds(a, now), 0);
    EXPECT_EQ(JudgeTeacherPassword(a, hash, "x", now), TeacherPasswordVerdict::Wrong);
}

// A password given in one sign-in does not carry over to the next.
TEST_F(TeacherPassword, EverySignInAsksAgain) {
    auto state = std::make_unique<StateParts>();
    state->signIn.TeacherPassword.Given = true;
    state->signIn.TeacherPassword.WrongInARow = 3;
    testing::FakeClock clock;
    ASSERT_EQ(ConfirmSignIn(state->signIn, state->roster, std::int16_t{1}, clock), SignInResult::SignedIn);
    EXPECT_FALSE(state->signIn.TeacherPassword.Given);
    EXPECT_EQ(state->signIn.TeacherPassword.WrongInARow, 3) << "signing in again resets the count";
}

}  // namespace
}  // namespace kagaku::admin

namespace kagaku::admin {
namespace {

// A password file written by another PC of the school, whichever system it runs: this line was
// written by the Linux build (libsodium's Argon2id) for the password "先生のパス1234". Catches a
// build whose hashing or reading differs (another libsodium, the password's UTF-8 bytes
// changed on the way, a CR LF handled differently).
TEST(TeacherPasswordAcrossSystems, AFileWrittenOnLinuxVerifiesOnEverySystem) {
    testing::TempDir dir;
    const std::filesystem::path file = TeacherPasswordPath(PathText(dir.path()) + "/");
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary)
        << ("$argon2id$v=19$m=65536,t=2,p=1$hwD5SIo8MYFgIAceS8x3SQ$"
            "7yfuT9KcsCuhuPQZl0HpmStNamp7wxweCQPmJp8frpY\r\n");
    const std::optional<std::string> hash = ReadTeacherPasswordHash(file);
    ASSERT_TRUE(hash.has_value());
    EXPECT_TRUE(TeacherPasswordMatches(*hash, "先生のパス1234"));
    EXPECT_FALSE(TeacherPasswordMatches(*hash, "先生のパス123"));
}

}  // namespace
}  // namespace kagaku::admin
