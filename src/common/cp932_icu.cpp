#include "common/cp932.h"

#include <unicode/ucnv.h>
#include <unicode/ucnv_err.h>

#include <memory>
#include <vector>

#include "common/errors.h"
#include "common/text_ops.h"

namespace kagaku {

namespace {

struct ConverterCloser {
    void operator()(UConverter* c) const { ucnv_close(c); }
};
using Converter = std::unique_ptr<UConverter, ConverterCloser>;

// ICU's "windows-31j" is code page 932 with the NEC and IBM extensions (①, Ⅱ, ～).
Converter OpenCp932() {
    UErrorCode status = U_ZERO_ERROR;
    Converter c(ucnv_open("windows-31j", &status));
    if (U_FAILURE(status) || !c)
        throw std::runtime_error("code page 932 converter unavailable");
    return c;
}

std::string HexByte(unsigned char b) {
    static const char* digits = "0123456789ABCDEF";
    return std::string("0x") + digits[b >> 4] + digits[b & 15];
}

std::string Utf16ToUtf8(const std::u16string& u) {
    std::u32string u32;
    for (std::size_t i = 0; i < u.size(); ++i) {
        char32_t c = u[i];
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < u.size()) {
            char32_t lo = u[i + 1];
            c = 0x10000 + ((c - 0xD800) << 10) + (lo - 0xDC00);
            ++i;
        }
        u32.push_back(c);
    }
    return text::FromU32(u32);
}

std::u16string Utf8ToUtf16(std::string_view utf8) {
    std::u16string out;
    for (char32_t c : text::ToU32(utf8)) {
        if (c >= 0x10000) {
            c -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (c >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (c & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(c));
        }
    }
    return out;
}

}  // namespace

std::string Cp932ToUtf8(std::string_view bytes, const std::string& fileForMessages) {
    if (bytes.empty())
        return {};
    Converter conv = OpenCp932();
    UErrorCode status = U_ZERO_ERROR;
    ucnv_setToUCallBack(conv.get(), UCNV_TO_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &status);
    std::u16string out(bytes.size() + 1, u'\0');
    const char* source = bytes.data();
    const char* sourceEnd = bytes.data() + bytes.size();
    UChar* target = out.data();
    ucnv_toUnicode(conv.get(), &target, out.data() + out.size(), &source, sourceEnd, nullptr, true,
                   &status);
    if (U_FAILURE(status)) {
        char bad[8] = {};
        int8_t badLen = sizeof bad;
        UErrorCode ignored = U_ZERO_ERROR;
        ucnv_getInvalidChars(conv.get(), bad, &badLen, &ignored);
        auto offset = static_cast<std::size_t>(source - bytes.data());
        if (badLen > 0 && offset >= static_cast<std::size_t>(badLen)) {
            offset -= static_cast<std::size_t>(badLen);
        }
        std::string shown = offset < bytes.size()
                                ? HexByte(static_cast<unsigned char>(bytes[offset]))
                                : std::string("(終わり)");
        throw DataFileError(fileForMessages,
                            "シフトJIS（コードページ932）として読めないバイトがあります（先頭から" +
                                std::to_string(offset + 1) + "バイト目: " + shown + "）。");
    }
    out.resize(static_cast<std::size_t>(target - out.data()));
    return Utf16ToUtf8(out);
}

std::string Utf8ToCp932(std::string_view utf8, const std::string& fileForMessages) {
    if (utf8.empty())
        return {};
    std::u16string u16 = Utf8ToUtf16(utf8);
    Converter conv = OpenCp932();
    UErrorCode status = U_ZERO_ERROR;
    ucnv_setFromUCallBack(conv.get(), UCNV_FROM_U_CALLBACK_STOP, nullptr, nullptr, nullptr,
                          &status);
    ucnv_setFallback(conv.get(), false);
    std::string out(u16.size() * 2 + 8, '\0');
    const UChar* source = u16.data();
    char* target = out.data();
    ucnv_fromUnicode(conv.get(), &target, out.data() + out.size(), &source, u16.data() + u16.size(),
                     nullptr, true, &status);
    if (U_FAILURE(status)) {
        UChar bad[4] = {};
        int8_t badLen = 4;
        UErrorCode ignored = U_ZERO_ERROR;
        ucnv_getInvalidUChars(conv.get(), bad, &badLen, &ignored);
        std::string shown = badLen > 0 ? Utf16ToUtf8(std::u16string(bad, bad + badLen)) : "?";
        throw DataFileError(fileForMessages, "シフトJIS（コードページ932）で書けない文字「" +
                                                 shown + "」があります。");
    }
    out.resize(static_cast<std::size_t>(target - out.data()));
    return out;
}

bool IsCp932Encodable(std::string_view utf8) {
    try {
        Utf8ToCp932(utf8, "");
        return true;
    } catch (const DataFileError&) {
        return false;
    }
}

}  // namespace kagaku
