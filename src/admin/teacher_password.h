#pragma once
// The teacher's password: an optional guard in front of the teacher's functions (the data panel,
// printing and PDF files). It is kept in the program's data folder, so every PC of the school
// shares it, as a salted Argon2id hash made by libsodium; the password itself is never stored.
// With no file there is no password and every teacher's function opens as it always did. A
// file that cannot be read or does not hold a hash in the expected form keeps the functions
// closed: the guard never opens on a damaged file.
//
// The file, 先生パスワード.txt, holds one line and nothing else: libsodium's encoded Argon2id
// hash ("$argon2id$v=19$m=<KiB>,t=<passes>,p=1$<salt>$<hash>", salt and hash in unpadded
// base64), plain ASCII, ended by CR LF.
//
// Once the password has been given it holds for the rest of the sign-in. Five wrong entries in a
// row close the dialog for a minute, measured on the monotonic tick so that a change of the
// time of day neither shortens nor lengthens it.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "state/signed_in.h"

namespace kagaku::admin {

inline constexpr const char* kTeacherPasswordFileName = "先生パスワード.txt";
inline constexpr int kTeacherPasswordTries = 5;
inline constexpr std::int64_t kTeacherPasswordLockMs = 60'000;

// ProgramDataFolder & "先生パスワード.txt".
std::filesystem::path TeacherPasswordPath(std::string_view programDataFolder);

// A fresh random salt and the hash of the password, in libsodium's encoded form (the text the
// file holds). Throws std::runtime_error when the library cannot work (no memory).
std::string HashTeacherPassword(std::string_view password);
// True when the entry is the password of the hash. A hash that is not well formed matches
// nothing.
bool TeacherPasswordMatches(const std::string& hash, std::string_view entry);

// The stored hash; nothing when no password is set (no file). Throws DataFileError, naming the
// file, when the file cannot be read or does not hold exactly one well-formed Argon2id hash
// with sane costs.
std::optional<std::string> ReadTeacherPasswordHash(const std::filesystem::path& file);
// Hashes the password and replaces the file atomically. Throws std::invalid_argument for an
// empty password and DataFileError when the file cannot be written.
void SetTeacherPassword(const std::filesystem::path& file, std::string_view password);
// Removes the file: true when it was there, false when no password was set. Throws
// DataFileError when it cannot be removed.
bool ClearTeacherPassword(const std::filesystem::path& file);

// Whole seconds, rounded up, for which the dialog stays closed; 0 when it may open.
int TeacherPasswordLockSeconds(const TeacherPasswordAttempts& attempts, std::int64_t nowMs);

enum class TeacherPasswordVerdict {
    Right,           // the functions open for the rest of the sign-in
    Wrong,           // nothing opens
    WrongAndLocked,  // the fifth wrong entry in a row: nothing opens and the dialog is closed
};
// Judges one entry against the stored hash and counts it.
TeacherPasswordVerdict JudgeTeacherPassword(TeacherPasswordAttempts& attempts,
                                            const std::string& hash, std::string_view entry,
                                            std::int64_t nowMs);

}  // namespace kagaku::admin
