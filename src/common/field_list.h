#pragma once
// Field-list text files. Every configuration and data text file is read as a sequence of
// fields: a comma or a line end ends a field, blanks around a field are dropped, double quotes
// around a field are removed (a field holding a comma is quoted), and a reader takes a fixed
// number of fields per record regardless of line ends.

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace kagaku {

class FieldReader {
public:
    // text is UTF-8; fileForMessages names the file in errors.
    FieldReader(std::string text, std::string fileForMessages);

    // Reads and decodes (code page 932) a whole file. Throws DataFileError when it is missing,
    // unreadable or undecodable.
    static FieldReader FromFile(const std::filesystem::path& p);

    // True when nothing but line ends, blanks or an end-of-file mark remains.
    bool AtEnd() const;
    // The next field. Throws DataFileError ("項目が足りません") when the file has no more.
    std::string Next();
    // The next n fields.
    std::vector<std::string> Next(std::size_t n);
    // Fields read so far (for messages).
    std::size_t FieldsRead() const { return fieldsRead_; }
    const std::string& File() const { return file_; }

private:
    std::string text_;
    std::string file_;
    std::size_t pos_ = 0;
    std::size_t fieldsRead_ = 0;
    // The last field ended in a comma, so another (perhaps empty) field follows even when only
    // a line end or nothing remains: "45,60,...,7,,," holds twelve items at the end of a file too.
    bool fieldFollows_ = false;
};

// A value of a log line: text is written in double quotes, numbers plainly, dates as
// #yyyy-mm-dd#.
struct LogDate {
    int year;
    int month;
    int day;
};
using LogField = std::variant<std::string, long long, double, LogDate>;

// One line of a written field list, without the line end.
std::string FormatLogLine(const std::vector<LogField>& fields);
// A plain settings line: the texts joined by commas, no quotes, no blanks added.
std::string FormatPlainLine(const std::vector<std::string>& fields);

}  // namespace kagaku
