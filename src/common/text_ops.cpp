#include "common/text_ops.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

namespace kagaku::text {

namespace {

// Decodes one UTF-8 sequence at s[i]; malformed bytes decode as U+FFFD one byte at a time.
char32_t DecodeAt(std::string_view s, std::size_t& i) {
    auto byte = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
    unsigned char b0 = byte(i);
    if (b0 < 0x80) {
        ++i;
        return b0;
    }
    int extra = 0;
    char32_t c = 0;
    if ((b0 & 0xE0) == 0xC0) {
        extra = 1;
        c = b0 & 0x1Fu;
    } else if ((b0 & 0xF0) == 0xE0) {
        extra = 2;
        c = b0 & 0x0Fu;
    } else if ((b0 & 0xF8) == 0xF0) {
        extra = 3;
        c = b0 & 0x07u;
    } else {
        ++i;
        return 0xFFFD;
    }
    if (i + static_cast<std::size_t>(extra) >= s.size()) {
        ++i;
        return 0xFFFD;
    }
    for (int k = 1; k <= extra; ++k) {
        unsigned char b = byte(i + static_cast<std::size_t>(k));
        if ((b & 0xC0) != 0x80) {
            ++i;
            return 0xFFFD;
        }
        c = (c << 6) | (b & 0x3Fu);
    }
    i += static_cast<std::size_t>(extra) + 1;
    return c;
}

// Byte offset of the n-th character (n counted from 0); s.size() when past the end.
std::size_t OffsetOfChar(std::string_view s, std::size_t n) {
    std::size_t i = 0;
    while (n > 0 && i < s.size()) {
        DecodeAt(s, i);
        --n;
    }
    return i;
}

}  // namespace

std::u32string ToU32(std::string_view utf8) {
    std::u32string out;
    out.reserve(utf8.size());
    std::size_t i = 0;
    while (i < utf8.size())
        out.push_back(DecodeAt(utf8, i));
    return out;
}

namespace {

// Appends the UTF-8 bytes of one code point.
void AppendCodePoint(std::string& out, char32_t c) {
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        const char bytes[2] = {static_cast<char>(0xC0 | (c >> 6)),
                               static_cast<char>(0x80 | (c & 0x3F))};
        out.append(bytes, 2);
    } else if (c < 0x10000) {
        const char bytes[3] = {static_cast<char>(0xE0 | (c >> 12)),
                               static_cast<char>(0x80 | ((c >> 6) & 0x3F)),
                               static_cast<char>(0x80 | (c & 0x3F))};
        out.append(bytes, 3);
    } else {
        const char bytes[4] = {
            static_cast<char>(0xF0 | (c >> 18)), static_cast<char>(0x80 | ((c >> 12) & 0x3F)),
            static_cast<char>(0x80 | ((c >> 6) & 0x3F)), static_cast<char>(0x80 | (c & 0x3F))};
        out.append(bytes, 4);
    }
}

}  // namespace

std::string FromCodePoint(char32_t c) {
    std::string out;
    AppendCodePoint(out, c);
    return out;
}

// Every file read goes through here: the bytes go straight into one string, with no string
// made per character.
std::string FromU32(std::u32string_view text) {
    std::string out;
    out.reserve(text.size() * 3);
    for (char32_t c : text)
        AppendCodePoint(out, c);
    return out;
}

std::size_t Length(std::string_view utf8) {
    std::size_t n = 0;
    for (char ch : utf8) {
        if ((static_cast<unsigned char>(ch) & 0xC0) != 0x80)
            ++n;
    }
    return n;
}

std::string Left(std::string_view utf8, long long n) {
    if (n <= 0)
        return {};
    return std::string(utf8.substr(0, OffsetOfChar(utf8, static_cast<std::size_t>(n))));
}

std::string Right(std::string_view utf8, long long n) {
    if (n <= 0)
        return {};
    std::size_t len = Length(utf8);
    if (static_cast<std::size_t>(n) >= len)
        return std::string(utf8);
    return std::string(utf8.substr(OffsetOfChar(utf8, len - static_cast<std::size_t>(n))));
}

std::string Mid(std::string_view utf8, long long start, long long count) {
    if (start < 1)
        start = 1;
    std::size_t from = OffsetOfChar(utf8, static_cast<std::size_t>(start - 1));
    std::string_view rest = utf8.substr(from);
    if (count < 0)
        return std::string(rest);
    return std::string(rest.substr(0, OffsetOfChar(rest, static_cast<std::size_t>(count))));
}

std::string TrimLeft(std::string_view s) {
    std::size_t b = s.find_first_not_of(' ');
    return b == std::string_view::npos ? std::string() : std::string(s.substr(b));
}

std::string TrimRight(std::string_view s) {
    std::size_t e = s.find_last_not_of(' ');
    return e == std::string_view::npos ? std::string() : std::string(s.substr(0, e + 1));
}

std::string Trim(std::string_view s) {
    return TrimRight(TrimLeft(s));
}

std::string NumberText(long long n) {
    return std::to_string(n);
}

std::string NumberText(double d) {
    if (std::isfinite(d) && d == std::floor(d) && std::fabs(d) < 1e15) {
        return std::to_string(static_cast<long long>(d));
    }
    // The shortest form that reads back as the same value, at most 15 significant digits as a
    // person would write the decimal.
    char buf[64];
    for (int precision = 1; precision <= 17; ++precision) {
        std::snprintf(buf, sizeof buf, "%.*g", precision, d);
        if (precision >= 15 || std::strtod(buf, nullptr) == d)
            break;
    }
    return buf;
}

std::string Str(long long n) {
    return n >= 0 ? " " + NumberText(n) : NumberText(n);
}

std::string Str(double d) {
    return d >= 0 ? " " + NumberText(d) : NumberText(d);
}

double Val(std::string_view s) {
    std::size_t i = 0;
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t'))
        ++i;
    std::string number;
    if (i < s.size() && (s[i] == '-' || s[i] == '+'))
        number.push_back(s[i++]);
    bool digits = false;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9') {
        number.push_back(s[i++]);
        digits = true;
    }
    if (i < s.size() && s[i] == '.') {
        number.push_back(s[i++]);
        while (i < s.size() && s[i] >= '0' && s[i] <= '9') {
            number.push_back(s[i++]);
            digits = true;
        }
    }
    if (!digits)
        return 0.0;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        std::string exponent = "e";
        std::size_t j = i + 1;
        if (j < s.size() && (s[j] == '-' || s[j] == '+'))
            exponent.push_back(s[j++]);
        bool expDigits = false;
        while (j < s.size() && s[j] >= '0' && s[j] <= '9') {
            exponent.push_back(s[j++]);
            expDigits = true;
        }
        if (expDigits)
            number += exponent;
    }
    double v = std::strtod(number.c_str(), nullptr);
    return std::isfinite(v) ? v : 0.0;
}

long long Int(double d) {
    if (!std::isfinite(d))
        return 0;
    double f = std::floor(d);
    if (f >= 9.2e18)
        return std::numeric_limits<long long>::max();
    if (f <= -9.2e18)
        return std::numeric_limits<long long>::min();
    return static_cast<long long>(f);
}

long long IntDiv(long long a, long long b) {
    return b == 0 ? 0 : a / b;
}

long long RoundHalfEven(double d) {
    if (!std::isfinite(d))
        return 0;
    double r = std::nearbyint(d);  // the default rounding mode rounds halves to even
    if (r >= 9.2e18)
        return std::numeric_limits<long long>::max();
    if (r <= -9.2e18)
        return std::numeric_limits<long long>::min();
    return static_cast<long long>(r);
}

bool IsNumeric(std::string_view s) {
    std::string t = Trim(s);
    if (t.empty())
        return false;
    std::size_t i = 0;
    if (t[i] == '-' || t[i] == '+')
        ++i;
    bool digits = false;
    while (i < t.size() && t[i] >= '0' && t[i] <= '9') {
        ++i;
        digits = true;
    }
    if (i < t.size() && t[i] == '.') {
        ++i;
        while (i < t.size() && t[i] >= '0' && t[i] <= '9') {
            ++i;
            digits = true;
        }
    }
    if (!digits)
        return false;
    if (i < t.size() && (t[i] == 'e' || t[i] == 'E')) {
        ++i;
        if (i < t.size() && (t[i] == '-' || t[i] == '+'))
            ++i;
        bool expDigits = false;
        while (i < t.size() && t[i] >= '0' && t[i] <= '9') {
            ++i;
            expDigits = true;
        }
        if (!expDigits)
            return false;
    }
    return i == t.size();
}

std::string Repeat(std::string_view s, long long n) {
    std::string out;
    for (long long k = 0; k < n; ++k)
        out += s;
    return out;
}

std::string PadRight(std::string_view s, std::size_t width, std::string_view fill) {
    std::string out(s);
    std::size_t len = Length(out);
    while (len < width && !fill.empty()) {
        out += fill;
        len += Length(fill);
    }
    return out;
}

std::string PadLeft(std::string_view s, std::size_t width, std::string_view fill) {
    std::string pad;
    std::size_t len = Length(s);
    while (len < width && !fill.empty()) {
        pad += fill;
        len += Length(fill);
    }
    return pad + std::string(s);
}

std::string ReplaceAll(std::string_view s, std::string_view from, std::string_view to) {
    if (from.empty())
        return std::string(s);
    std::string out;
    std::size_t pos = 0;
    while (true) {
        std::size_t hit = s.find(from, pos);
        if (hit == std::string_view::npos)
            break;
        out.append(s.substr(pos, hit - pos));
        out.append(to);
        pos = hit + from.size();
    }
    out.append(s.substr(pos));
    return out;
}

bool Contains(std::string_view s, std::string_view part) {
    return s.find(part) != std::string_view::npos;
}

}  // namespace kagaku::text
