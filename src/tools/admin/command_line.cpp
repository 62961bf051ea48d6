#include <charconv>

#include "tools/admin/admin_commands.h"

namespace kagaku::admin {

namespace {

const std::map<std::string, std::vector<std::string>>& KnownOptions() {
    static const std::map<std::string, std::vector<std::string>> known{
        {"check", {}},
        {"export", {"encoding"}},
        {"add-run", {"pupil", "level", "seconds"}},
        {"standing", {"pupil", "now"}},
        {"list", {}},
        {"rewrite", {"record", "pupil", "seconds"}},
        {"delete", {"record"}},
        {"set-teacher-password", {}},
        {"clear-teacher-password", {}},
        {"new-school", {"name", "code"}},
        {"set-data-root", {}},
    };
    return known;
}

}  // namespace

CommandLine ParseCommandLine(const std::vector<std::string>& args,
                             const std::filesystem::path& defaultAppFolder) {
    CommandLine line;
    line.appFolder = defaultAppFolder;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg.rfind("--", 0) != 0) {
            if (line.command.empty()) {
                line.command = arg;
            } else {
                line.arguments.push_back(arg);
            }
            continue;
        }
        std::string name = arg.substr(2);
        std::string value;
        if (auto eq = name.find('='); eq != std::string::npos) {
            value = name.substr(eq + 1);
            name = name.substr(0, eq);
        } else {
            if (i + 1 >= args.size()) {
                throw UsageError("--" + name + " の値がありません");
            }
            value = args[++i];
        }
        if (name == "app-folder") {
            line.appFolder = std::filesystem::path(value);
        } else if (!line.options.emplace(name, value).second) {
            throw UsageError("--" + name + " が二度指定されています");
        }
    }
    if (line.command.empty()) {
        throw UsageError(
            "使い方: kagaku-admin [--app-folder DIR] check | export [--encoding utf-8|cp932] | "
            "add-run --pupil N --level L --seconds S | standing --pupil N [--now \"yyyy-mm-dd "
            "hh:mm:ss\"] | list | rewrite --record N [--pupil P] [--seconds S] | "
            "delete --record N | set-teacher-password | clear-teacher-password | "
            "new-school DIR --name NAME [--code CODE] | set-data-root PATH");
    }
    auto known = KnownOptions().find(line.command);
    if (known == KnownOptions().end()) {
        throw UsageError("知らないコマンドです: " + line.command);
    }
    // new-school and set-data-root take one folder; every other command none.
    const std::size_t folders = line.command == "new-school" || line.command == "set-data-root";
    if (line.arguments.size() > folders) {
        throw UsageError("余分な引数があります: " + line.arguments[folders]);
    }
    if (line.arguments.size() < folders) {
        throw UsageError(line.command + " にはフォルダを指定してください");
    }
    for (const auto& [name, value] : line.options) {
        bool ok = false;
        for (const std::string& allowed : known->second) {
            ok = ok || allowed == name;
        }
        if (!ok) {
            throw UsageError(line.command + " に --" + name + " は指定できません");
        }
    }
    return line;
}

std::optional<std::string> Option(const CommandLine& line, const std::string& name) {
    auto it = line.options.find(name);
    if (it == line.options.end()) {
        return std::nullopt;
    }
    return it->second;
}

long long IntegerOption(const CommandLine& line, const std::string& name, long long low,
                        long long high) {
    auto text = Option(line, name);
    if (!text) {
        throw UsageError("--" + name + " を指定してください");
    }
    long long value = 0;
    const char* first = text->data();
    const char* last = first + text->size();
    auto [end, error] = std::from_chars(first, last, value);
    if (error != std::errc() || end != last) {
        throw UsageError("--" + name + " には整数を指定してください: " + *text);
    }
    if (value < low || value > high) {
        throw UsageError("--" + name + " は" + std::to_string(low) + "から" + std::to_string(high) +
                         "までです: " + *text);
    }
    return value;
}

}  // namespace kagaku::admin
