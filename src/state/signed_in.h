#pragma once
// The sign-in: who is signed in since when, and the teacher's password within it. The name
// screen's confirmation (ConfirmSignIn) writes it whole; everything after reads it.

#include <cstdint>
#include <string>

namespace kagaku {

// The teacher's password: given in this sign-in, and the wrong entries in a row of the whole
// program run (they outlast a sign-in, so that signing in again does not reopen a closed
// dialog).
struct TeacherPasswordAttempts {
    bool Given = false;
    int WrongInARow = 0;
    std::int64_t LockedUntilMs = 0;  // monotonic tick; 0 when not locked
};

struct SignedIn {
    std::int16_t PupilNumber = 0;
    std::string PupilName;
    std::string PupilGradeLabel;
    std::int32_t SignInSeconds = 0;
    TeacherPasswordAttempts TeacherPassword;
    // The record manager has kept a copy of the score file before its first change in this
    // sign-in (so that a teacher's mistake can be undone); reset when someone signs in.
    bool ChangeBackupTaken = false;
};

}  // namespace kagaku
