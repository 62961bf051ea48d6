// Code page 932 on Windows, through the system's own conversion (MultiByteToWideChar and
// WideCharToMultiByte with 932): the conversion the schools' Windows-made files were written
// with. The logic reads and writes exactly what the ICU build on Linux does, so a file written
// by one is read identically by the other:
//  - the single bytes 0x80, 0xA0 and 0xFD to 0xFF are no characters (Windows would give them
//    private-use or control characters, ICU refuses them): refused here too;
//  - only characters that come back unchanged are written (no best fit: WAVE DASH U+301C is
//    refused as on Linux; FULLWIDTH TILDE U+FF5E is 0x8160 on both);
//  - characters with two forms (the NEC and IBM extensions) are written in the form Windows
//    chooses, which the ICU build chooses too, and either form reads back as the same character.

#include <windows.h>

#include <climits>

#include "common/cp932.h"
#include "common/errors.h"
#include "common/text_ops.h"
#include "platform/windows_text.h"

namespace kagaku {

namespace {

constexpr UINT kCodePage = 932;

std::string HexByte(unsigned char b) {
    static const char* digits = "0123456789ABCDEF";
    return std::string("0x") + digits[b >> 4] + digits[b & 15];
}

bool IsLeadByte(unsigned char b) {
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

bool IsTrailByte(unsigned char b) {
    return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC);
}

bool IsNoCharacter(unsigned char b) {
    return b == 0x80 || b == 0xA0 || b >= 0xFD;
}

// Converts with the system; false when some byte sequence is no character of code page 932.
bool SystemDecode(std::string_view bytes, std::wstring& out) {
    const int length = static_cast<int>(bytes.size());
    const int needed =
        ::MultiByteToWideChar(kCodePage, MB_ERR_INVALID_CHARS, bytes.data(), length, nullptr, 0);
    if (needed <= 0) {
        return false;
    }
    out.assign(static_cast<std::size_t>(needed), L'\0');
    return ::MultiByteToWideChar(kCodePage, MB_ERR_INVALID_CHARS, bytes.data(), length, out.data(),
                                 needed) == needed;
}

// The offset of the first character (one or two bytes) that is no character, or npos.
std::size_t FirstUndecodable(std::string_view bytes, bool checkEachWithTheSystem) {
    std::size_t i = 0;
    while (i < bytes.size()) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        if (IsNoCharacter(b)) {
            return i;
        }
        if (!IsLeadByte(b)) {
            ++i;
            continue;
        }
        if (i + 1 >= bytes.size() || !IsTrailByte(static_cast<unsigned char>(bytes[i + 1]))) {
            return i;
        }
        std::wstring one;
        if (checkEachWithTheSystem && !SystemDecode(bytes.substr(i, 2), one)) {
            return i;
        }
        i += 2;
    }
    return std::string_view::npos;
}

[[noreturn]] void ThrowUndecodable(std::string_view bytes, std::size_t offset,
                                   const std::string& fileForMessages) {
    std::string shown = offset < bytes.size() ? HexByte(static_cast<unsigned char>(bytes[offset]))
                                              : std::string("(終わり)");
    throw DataFileError(fileForMessages,
                        "シフトJIS（コードページ932）として読めないバイトがあります（先頭から" +
                            std::to_string(offset + 1) + "バイト目: " + shown + "）。");
}

// Converts with the system; false when some character has no form of its own in code page 932.
bool SystemEncode(std::wstring_view wide, std::string& out) {
    const int length = static_cast<int>(wide.size());
    BOOL usedDefault = FALSE;
    const int needed = ::WideCharToMultiByte(kCodePage, WC_NO_BEST_FIT_CHARS, wide.data(), length,
                                             nullptr, 0, nullptr, &usedDefault);
    if (needed <= 0 || usedDefault) {
        return false;
    }
    out.assign(static_cast<std::size_t>(needed), '\0');
    return ::WideCharToMultiByte(kCodePage, WC_NO_BEST_FIT_CHARS, wide.data(), length, out.data(),
                                 needed, nullptr, &usedDefault) == needed &&
           !usedDefault;
}

}  // namespace

std::string Cp932ToUtf8(std::string_view bytes, const std::string& fileForMessages) {
    if (bytes.empty())
        return {};
    if (bytes.size() > static_cast<std::size_t>(INT_MAX)) {
        throw DataFileError(fileForMessages, "ファイルが大きすぎます。");
    }
    // The bytes the system would take but the logic does not, before the system's conversion.
    std::size_t bad = FirstUndecodable(bytes, false);
    if (bad != std::string_view::npos) {
        ThrowUndecodable(bytes, bad, fileForMessages);
    }
    std::wstring wide;
    if (!SystemDecode(bytes, wide)) {
        ThrowUndecodable(bytes, FirstUndecodable(bytes, true), fileForMessages);
    }
    return windows::Utf8FromWide(wide);
}

std::string Utf8ToCp932(std::string_view utf8, const std::string& fileForMessages) {
    if (utf8.empty())
        return {};
    const std::wstring wide = windows::WideFromUtf8(utf8);
    std::string out;
    if (SystemEncode(wide, out)) {
        return out;
    }
    // Name the first character without a form of its own.
    for (char32_t c : text::ToU32(utf8)) {
        const std::string one = text::FromU32(std::u32string(1, c));
        std::string ignored;
        if (!SystemEncode(windows::WideFromUtf8(one), ignored)) {
            throw DataFileError(fileForMessages, "シフトJIS（コードページ932）で書けない文字「" +
                                                     one + "」があります。");
        }
    }
    throw DataFileError(fileForMessages, "シフトJIS（コードページ932）で書けない文字があります。");
}

bool IsCp932Encodable(std::string_view utf8) {
    if (utf8.empty())
        return true;
    std::string ignored;
    return SystemEncode(windows::WideFromUtf8(utf8), ignored);
}

}  // namespace kagaku
