#include "common/field_list.h"

#include <cstdio>

#include "common/errors.h"
#include "common/files.h"
#include "common/text_ops.h"

namespace kagaku {

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}
bool IsLineEnd(char c) {
    return c == '\r' || c == '\n';
}
constexpr char kEndOfFileMark = '\x1A';

}  // namespace

FieldReader::FieldReader(std::string text, std::string fileForMessages)
    : text_(std::move(text)), file_(std::move(fileForMessages)) {
    // A byte-order mark is not part of the first field.
    if (text_.rfind("\xEF\xBB\xBF", 0) == 0)
        pos_ = 3;
}

FieldReader FieldReader::FromFile(const std::filesystem::path& p) {
    return FieldReader(ReadCp932File(p), PathText(p));
}

bool FieldReader::AtEnd() const {
    if (fieldFollows_)
        return false;
    for (std::size_t i = pos_; i < text_.size(); ++i) {
        char c = text_[i];
        if (!IsBlank(c) && !IsLineEnd(c) && c != kEndOfFileMark)
            return false;
    }
    return true;
}

std::string FieldReader::Next() {
    if (AtEnd()) {
        throw DataFileError(file_,
                            "項目が足りません（" + std::to_string(fieldsRead_ + 1) +
                                "番目の項目を読もうとしたところでファイルが終わりました）。");
    }
    const std::size_t n = text_.size();
    while (pos_ < n && IsBlank(text_[pos_]))
        ++pos_;
    std::string field;
    if (pos_ < n && text_[pos_] == '"') {
        // A quoted field runs to the next quote; commas and blanks inside it are kept.
        std::size_t close = text_.find('"', pos_ + 1);
        if (close == std::string::npos)
            close = n;
        field = text_.substr(pos_ + 1, close - pos_ - 1);
        pos_ = close < n ? close + 1 : n;
        // Anything between the closing quote and the delimiter is dropped.
        while (pos_ < n && text_[pos_] != ',' && !IsLineEnd(text_[pos_]))
            ++pos_;
    } else {
        std::size_t start = pos_;
        while (pos_ < n && text_[pos_] != ',' && !IsLineEnd(text_[pos_]))
            ++pos_;
        field = text::TrimRight(text_.substr(start, pos_ - start));
        while (!field.empty() && IsBlank(field.back()))
            field.pop_back();
    }
    // The delimiter: a comma, or one line end (CR LF, CR or LF).
    fieldFollows_ = false;
    if (pos_ < n) {
        if (text_[pos_] == ',') {
            ++pos_;
            fieldFollows_ = true;
        } else if (text_[pos_] == '\r') {
            ++pos_;
            if (pos_ < n && text_[pos_] == '\n')
                ++pos_;
        } else if (text_[pos_] == '\n') {
            ++pos_;
        }
    }
    ++fieldsRead_;
    return field;
}

std::vector<std::string> FieldReader::Next(std::size_t count) {
    std::vector<std::string> fields;
    fields.reserve(count);
    for (std::size_t i = 0; i < count; ++i)
        fields.push_back(Next());
    return fields;
}

std::string FormatLogLine(const std::vector<LogField>& fields) {
    std::string line;
    bool first = true;
    for (const LogField& f : fields) {
        if (!first)
            line += ',';
        first = false;
        if (const auto* s = std::get_if<std::string>(&f)) {
            // A quote cannot stand inside a quoted field; a full-width one takes its place.
            line += '"' + text::ReplaceAll(*s, "\"", "”") + '"';
        } else if (const auto* i = std::get_if<long long>(&f)) {
            line += text::NumberText(*i);
        } else if (const auto* d = std::get_if<double>(&f)) {
            line += text::NumberText(*d);
        } else {
            const auto& date = std::get<LogDate>(f);
            char buf[32];
            std::snprintf(buf, sizeof buf, "#%04d-%02d-%02d#", date.year, date.month, date.day);
            line += buf;
        }
    }
    return line;
}

std::string FormatPlainLine(const std::vector<std::string>& fields) {
    std::string line;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0)
            line += ',';
        line += fields[i];
    }
    return line;
}

}  // namespace kagaku
