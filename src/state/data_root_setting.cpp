#include "state/data_root_setting.h"

#include <system_error>
#include <vector>

#include "common/cp932.h"
#include "common/errors.h"
#include "common/field_list.h"
#include "common/files.h"
#include "state/configuration.h"

namespace kagaku {

namespace fs = std::filesystem;

namespace {

bool IsFieldEnd(char c) {
    return c == ',' || c == '\r' || c == '\n';
}

// The first field as the field reader reads it back: quoted when it holds a comma or blanks
// at either end.
std::string FirstField(std::string_view dataRoot, const std::string& file) {
    std::string root(dataRoot);
    if (root.empty())
        throw DataFileError(file, "データフォルダの場所が空です。");
    if (root.find_first_of("\"\r\n") != std::string::npos)
        throw DataFileError(file, "データフォルダの場所に \" や改行は使えません: " + root);
    if (root.back() != '/' && root.back() != '\\')
        root += '/';
    if (root.find(',') != std::string::npos || root.front() == ' ' || root.front() == '\t' ||
        root.back() == ' ')
        root = "\"" + root + "\"";
    return Utf8ToCp932(root, file);
}

}  // namespace

fs::path PathFileFor(const fs::path& programFolder) {
    fs::path folder = programFolder.lexically_normal();
    if (!folder.has_filename())
        folder = folder.parent_path();
    return folder.parent_path() / PathFromText(kPathFileName);
}

std::string PathFileWithDataRoot(const std::optional<std::string>& existing,
                                 std::string_view dataRoot, const std::string& fileForMessages) {
    const std::string first = FirstField(dataRoot, fileForMessages);
    if (!existing)
        return first + std::string(kPathFileFields - 1, ',') + "\r\n";

    FieldReader reader(Cp932ToUtf8(*existing, fileForMessages), fileForMessages);
    std::vector<std::string> fields;
    while (!reader.AtEnd())
        fields.push_back(reader.Next());

    if (fields.size() < static_cast<std::size_t>(kPathFileFields)) {
        // Too short for any program of the family to read: written again on one line, the
        // fields it has kept in their places.
        fields.resize(kPathFileFields);
        std::string text = first;
        for (std::size_t i = 1; i < fields.size(); ++i) {
            const std::string& f = fields[i];
            text += ",";
            text += Utf8ToCp932(f.find(',') != std::string::npos ? "\"" + f + "\"" : f,
                                fileForMessages);
        }
        return text + "\r\n";
    }

    // Only the first field's bytes are replaced. Commas, quotes, blanks and line ends are
    // single bytes that never occur inside a two-byte character of code page 932, so the
    // field's end is found in the bytes themselves.
    const std::string& bytes = *existing;
    std::size_t end = 0;
    while (end < bytes.size() && (bytes[end] == ' ' || bytes[end] == '\t'))
        ++end;
    if (end < bytes.size() && bytes[end] == '"') {
        const std::size_t close = bytes.find('"', end + 1);
        end = close == std::string::npos ? bytes.size() : close + 1;
    }
    while (end < bytes.size() && !IsFieldEnd(bytes[end]))
        ++end;
    return first + bytes.substr(end);
}

void SetDataRoot(const fs::path& pathFile, std::string_view dataRoot) {
    std::optional<std::string> existing;
    std::error_code ec;
    if (fs::exists(pathFile, ec))
        existing = ReadWholeFile(pathFile);
    WriteFileAtomically(pathFile, PathFileWithDataRoot(existing, dataRoot, PathText(pathFile)));
}

}  // namespace kagaku
