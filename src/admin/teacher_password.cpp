#include "admin/teacher_password.h"

#include <sodium.h>

#include <array>
#include <charconv>
#include <stdexcept>
#include <system_error>

#include "common/errors.h"
#include "common/files.h"

namespace kagaku::admin {

namespace fs = std::filesystem;

namespace {

// The cost of a new hash: libsodium's interactive limits (two passes over 64 MiB), a fraction
// of a second on a classroom PC.
constexpr unsigned long long kOpsLimit = crypto_pwhash_argon2id_OPSLIMIT_INTERACTIVE;
constexpr std::size_t kMemLimit = crypto_pwhash_argon2id_MEMLIMIT_INTERACTIVE;

// The most a stored hash may ask of a PC when an entry is checked: a file that asks for more
// is taken as damaged rather than left to exhaust the memory or hang the screen.
constexpr unsigned long kMostKiB = 1024UL * 1024UL;  // 1 GiB
constexpr unsigned long kMostPasses = 16;

using HashText = std::array<char, crypto_pwhash_argon2id_STRBYTES>;

void StartLibrary() {
    if (sodium_init() < 0)
        throw std::runtime_error("暗号ライブラリ（libsodium）を初期化できません。");
}

// The hash in the fixed-size, zero-filled buffer libsodium reads; nothing when it is too long.
std::optional<HashText> ToBuffer(const std::string& hash) {
    HashText buffer{};
    if (hash.size() >= buffer.size())
        return std::nullopt;
    hash.copy(buffer.data(), hash.size());
    return buffer;
}

// Reads "<key>=<number>" at the front of rest and moves past it and the separator after it.
std::optional<unsigned long> TakeParameter(std::string_view& rest, std::string_view key,
                                           char separator) {
    if (rest.substr(0, key.size()) != key)
        return std::nullopt;
    rest.remove_prefix(key.size());
    unsigned long value = 0;
    const auto [end, ec] = std::from_chars(rest.data(), rest.data() + rest.size(), value);
    if (ec != std::errc() || end == rest.data() || end == rest.data() + rest.size() ||
        *end != separator)
        return std::nullopt;
    rest.remove_prefix(static_cast<std::size_t>(end - rest.data()) + 1);
    return value;
}

// Only Argon2id, version 19, one lane, and costs a PC can bear; libsodium then decodes the
// whole text (salt and hash included).
bool IsWellFormedHash(const std::string& hash) {
    std::string_view rest = hash;
    const std::string_view prefix = "$argon2id$v=19$";
    if (rest.substr(0, prefix.size()) != prefix)
        return false;
    rest.remove_prefix(prefix.size());
    const auto kib = TakeParameter(rest, "m=", ',');
    const auto passes = TakeParameter(rest, "t=", ',');
    const auto lanes = TakeParameter(rest, "p=", '$');
    if (!kib || !passes || !lanes || *kib > kMostKiB || *passes > kMostPasses || *lanes != 1)
        return false;
    const auto buffer = ToBuffer(hash);
    if (!buffer)
        return false;
    StartLibrary();
    return crypto_pwhash_argon2id_str_needs_rehash(buffer->data(), kOpsLimit, kMemLimit) >= 0;
}

}  // namespace

fs::path TeacherPasswordPath(std::string_view programDataFolder) {
    return PathFromText(std::string(programDataFolder) + kTeacherPasswordFileName);
}

std::string HashTeacherPassword(std::string_view password) {
    StartLibrary();
    HashText out{};
    if (crypto_pwhash_argon2id_str(out.data(), password.data(), password.size(), kOpsLimit,
                                   kMemLimit) != 0)
        throw std::runtime_error("パスワードのハッシュを作れません（メモリーが足りません）。");
    return std::string(out.data());
}

bool TeacherPasswordMatches(const std::string& hash, std::string_view entry) {
    if (!IsWellFormedHash(hash))
        return false;
    const auto buffer = ToBuffer(hash);
    return crypto_pwhash_argon2id_str_verify(buffer->data(), entry.data(), entry.size()) == 0;
}

std::optional<std::string> ReadTeacherPasswordHash(const fs::path& file) {
    std::error_code ec;
    const fs::file_status status = fs::status(file, ec);
    if (status.type() == fs::file_type::not_found)
        return std::nullopt;
    if (ec) {
        throw DataFileError(PathText(file),
                            "パスワードのファイルを調べられません（" + ec.message() + "）。");
    }
    std::string text = ReadWholeFile(file);
    if (text.ends_with("\r\n"))
        text.resize(text.size() - 2);
    else if (text.ends_with('\n'))
        text.resize(text.size() - 1);
    if (!IsWellFormedHash(text)) {
        throw DataFileError(PathText(file),
                            "パスワードのファイルが壊れています。kagaku-admin "
                            "set-teacher-password でパスワードを設定し直してください。");
    }
    return text;
}

void SetTeacherPassword(const fs::path& file, std::string_view password) {
    if (password.empty())
        throw std::invalid_argument("パスワードが空です。");
    WriteFileAtomically(file, HashTeacherPassword(password) + "\r\n");
}

bool ClearTeacherPassword(const fs::path& file) {
    std::error_code ec;
    const bool removed = fs::remove(file, ec);
    if (ec) {
        throw DataFileError(PathText(file),
                            "パスワードのファイルを削除できません（" + ec.message() + "）。");
    }
    return removed;
}

int TeacherPasswordLockSeconds(const TeacherPasswordAttempts& attempts, std::int64_t nowMs) {
    if (attempts.LockedUntilMs <= nowMs)
        return 0;
    return static_cast<int>((attempts.LockedUntilMs - nowMs + 999) / 1000);
}

TeacherPasswordVerdict JudgeTeacherPassword(TeacherPasswordAttempts& attempts,
                                            const std::string& hash, std::string_view entry,
                                            std::int64_t nowMs) {
    if (TeacherPasswordMatches(hash, entry)) {
        attempts.Given = true;
        attempts.WrongInARow = 0;
        attempts.LockedUntilMs = 0;
        return TeacherPasswordVerdict::Right;
    }
    if (++attempts.WrongInARow < kTeacherPasswordTries)
        return TeacherPasswordVerdict::Wrong;
    // The minute starts now; after it the teacher has five tries again.
    attempts.WrongInARow = 0;
    attempts.LockedUntilMs = nowMs + kTeacherPasswordLockMs;
    return TeacherPasswordVerdict::WrongAndLocked;
}

}  // namespace kagaku::admin
