#include "common/paths.h"

#include "common/files.h"

namespace kagaku {

std::string_view Separator() {
#ifdef _WIN32
    return "\\";
#else
    return "/";
#endif
}

std::string NormaliseFolder(std::string_view folder) {
    std::string out;
    out.reserve(folder.size() + 1);
    const char sep = Separator()[0];
    for (char c : folder)
        out.push_back(c == '\\' || c == '/' ? sep : c);
    if (out.empty() || out.back() != sep)
        out.push_back(sep);
    return out;
}

std::filesystem::path InFolder(std::string_view folder, std::string_view name) {
    return PathFromText(NormaliseFolder(folder) + std::string(name));
}

std::string LastComponent(std::string_view folder) {
    std::string f(folder);
    while (!f.empty() && (f.back() == '/' || f.back() == '\\'))
        f.pop_back();
    std::size_t cut = f.find_last_of("/\\");
    return cut == std::string::npos ? f : f.substr(cut + 1);
}

}  // namespace kagaku
