#pragma once
// The lines of a log in code page 932, each read on its own, so that a damaged line costs only
// itself: a stray quote ends with its line, and bytes that are not code page 932 make only
// their own line unreadable, never the whole log.

#include <string>
#include <string_view>

#include "common/cp932.h"
#include "common/errors.h"

namespace kagaku {

// Calls f(line, number) for every line of text (CR LF, CR or LF ends a line; the first line is
// number 1).
template <typename F>
void ForEachLine(std::string_view text, F&& f) {
    std::size_t start = 0;
    int number = 0;
    while (start < text.size()) {
        // A plain scan: find_first_of searches its set once per character.
        std::size_t end = start;
        while (end < text.size() && text[end] != '\r' && text[end] != '\n')
            ++end;
        ++number;
        f(text.substr(start, end - start), number);
        start = end + 1;
        if (end + 1 < text.size() && text[end] == '\r' && text[end + 1] == '\n')
            ++start;
    }
}

// Calls onLine(line, number) for every line of bytes in code page 932, decoded to UTF-8, and
// onUndecodable(number) instead for a line holding bytes that are not code page 932. The bytes
// are decoded whole (one converter for the file); only bytes that fail so are decoded line by
// line. Line ends never occur inside a code page 932 character, so the lines are the same.
template <typename OnLine, typename OnUndecodable>
void ForEachCp932Line(std::string_view bytes, OnLine&& onLine, OnUndecodable&& onUndecodable) {
    std::string text;
    try {
        text = Cp932ToUtf8(bytes, std::string());
    } catch (const DataFileError&) {
        ForEachLine(bytes, [&](std::string_view raw, int number) {
            std::string decoded;
            try {
                decoded = Cp932ToUtf8(raw, std::string());
            } catch (const DataFileError&) {
                onUndecodable(number);
                return;
            }
            onLine(std::string_view(decoded), number);
        });
        return;
    }
    ForEachLine(text, onLine);
}

}  // namespace kagaku
