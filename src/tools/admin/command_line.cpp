#include "tools/admin/command_line.h"

#include <charconv>
#include <cstdio>
#include <iostream>
#include <memory>
#include <system_error>

#include "common/cp932.h"
#include "common/errors.h"
#include "common/files.h"
#include "common/paths.h"
#include "common/text_ops.h"
#include "platform/shared_file.h"
#include "records/aggregates.h"
#include "records/score_record.h"
#include "state/configuration.h"
#include "tools/admin/admin_commands.h"

namespace kagaku::admin {

namespace {

namespace fs = std::filesystem;

constexpr const char* kExitStatusNote =
    "終了コード:\n"
    "  0  成功\n"
    "  1  データの問題（ファイルが読めない・壊れている、記録がない、集計から外れる記録がある）\n"
    "  2  コマンドラインの誤り（知らないコマンドやオプション、範囲の外の値）";

// Columns on a terminal: full-width characters take two, half-width katakana one.
std::size_t DisplayWidth(const std::string& s) {
    std::size_t width = 0;
    for (std::size_t i = 0; i < s.size();) {
        const auto lead = static_cast<unsigned char>(s[i]);
        std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        char32_t code = lead;
        if (length > 1 && i + length <= s.size()) {
            code = lead & (0x7F >> length);
            for (std::size_t k = 1; k < length; ++k) {
                code = (code << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
            }
        }
        width += (code >= 0x1100 && !(code >= 0xFF61 && code <= 0xFF9F)) ? 2 : 1;
        i += length;
    }
    return width;
}

// CLI11's layout with Japanese labels, the description column measured in terminal columns.
class JapaneseHelp final : public CLI::Formatter {
public:
    JapaneseHelp() {
        label("Usage", "使い方");
        label("OPTIONS", "オプション");
        label("Options", "オプション");
        label("SUBCOMMAND", "コマンド");
        label("SUBCOMMANDS", "コマンド");
        label("Subcommands", "コマンド");
        label("Positionals", "引数");
        label("REQUIRED", "（必須）");
        column_width(36);
    }

    std::string make_option(const CLI::Option* opt, bool is_positional) const override {
        std::string out = "  " + make_option_name(opt, is_positional) + make_option_opts(opt);
        const std::string description = make_option_desc(opt);
        if (!description.empty()) {
            const std::size_t column = get_column_width();
            const std::size_t width = DisplayWidth(out);
            out +=
                width < column ? std::string(column - width, ' ') : "\n" + std::string(column, ' ');
            out += text::ReplaceAll(description, "\n", "\n" + std::string(column, ' '));
        }
        return out + "\n";
    }
};

// The first option name in one of CLI11's messages ("--pupil: ...", "... to --pupil, got 0").
std::string OptionNameIn(const std::string& message) {
    std::size_t at = 0;
    while ((at = message.find('-', at)) != std::string::npos) {
        if (at == 0 || message[at - 1] == ' ') {
            std::size_t end = message.find_first_of(" :,", at);
            return message.substr(at, end == std::string::npos ? std::string::npos : end - at);
        }
        ++at;
    }
    return "オプション";
}

const CLI::App* ChosenCommand(const CLI::App& app) {
    const auto chosen = app.get_subcommands();
    return chosen.empty() ? nullptr : chosen.front();
}

// One line in the program's words for a mistake CLI11 found.
std::string UsageMessage(const CLI::ParseError& e, const CLI::App& app) {
    const std::string what = e.what();
    const CLI::App* command = ChosenCommand(app);
    const std::string helpHint = "（kagaku-admin " +
                                 (command ? command->get_name() + " " : std::string()) +
                                 "--help で使い方を表示します）";
    if (dynamic_cast<const CLI::ValidationError*>(&e) != nullptr) {
        return what;  // "--pupil: ..." with the validator's own words
    }
    if (dynamic_cast<const CLI::RequiredError*>(&e) != nullptr) {
        if (command == nullptr) {
            const std::vector<std::string> rest = app.remaining();
            return rest.empty() ? "コマンドを指定してください" + helpHint
                                : "知らないコマンドです: " + rest.front() + helpHint;
        }
        for (const CLI::Option* opt : command->get_options()) {
            if (opt->get_required() && opt->count() == 0) {
                return opt->get_name() + " を指定してください" + helpHint;
            }
        }
        return "指定が足りません" + helpHint;
    }
    if (dynamic_cast<const CLI::ExtrasError*>(&e) != nullptr) {
        const std::size_t colon = what.find(": ");
        const std::string extras = colon == std::string::npos ? what : what.substr(colon + 2);
        if (command == nullptr && extras.rfind('-', 0) != 0) {
            return "知らないコマンドです: " + extras + helpHint;
        }
        return (extras.rfind('-', 0) == 0 ? "知らないオプションです: " : "余分な引数です: ") +
               extras + helpHint;
    }
    if (dynamic_cast<const CLI::ArgumentMismatch*>(&e) != nullptr) {
        const std::string name = OptionNameIn(what);
        if (what.find("got 0") != std::string::npos || what.find("missing") != std::string::npos) {
            return name + " の値がありません";
        }
        return name + " は一度だけ、値を一つ指定してください";
    }
    if (dynamic_cast<const CLI::ConversionError*>(&e) != nullptr) {
        return OptionNameIn(what) + " の値が正しくありません";
    }
    return what + helpHint;
}

int Fail(const std::string& message, int status) {
    const std::string line = text::ReplaceAll(message, "\n", ": ");
    std::fprintf(stderr, "kagaku-admin: %s\n", line.c_str());
    return status;
}

CLI::Option* AddAppFolderOption(CLI::App& command, std::string& value) {
    return command
        .add_option("--app-folder", value, "プログラムのフォルダ（既定: このツールのあるフォルダ）")
        ->type_name("フォルダ");
}

}  // namespace

CLI::Option* AddIntegerOption(CLI::App& command, const std::string& name, std::int64_t& value,
                              std::int64_t low, std::int64_t high, const std::string& meaning) {
    const std::string range = std::to_string(low) + "〜" + std::to_string(high);
    auto check = [low, high, range](std::string& textValue) -> std::string {
        std::int64_t n = 0;
        const char* first = textValue.data();
        const char* last = first + textValue.size();
        const auto [end, error] = std::from_chars(first, last, n);
        if (error == std::errc::invalid_argument || end != last) {
            return "整数を指定してください: " + textValue;
        }
        if (error != std::errc() || n < low || n > high) {
            return range + "の整数を指定してください: " + textValue;
        }
        return {};
    };
    return command.add_option(name, value, meaning)
        ->check(CLI::Validator(check, ""))
        ->type_name("整数（" + range + "）");
}

CLI::Option* AddPupilOption(CLI::App& command, std::int64_t& value, const std::string& meaning) {
    return AddIntegerOption(command, "--pupil", value, 1, kMaxPupil, meaning);
}

CLI::Option* AddLevelOption(CLI::App& command, std::int64_t& value, const std::string& meaning) {
    return AddIntegerOption(command, "--level", value, 1, kMaxLevel, meaning);
}

CLI::Option* AddSecondsOption(CLI::App& command, std::int64_t& value, const std::string& meaning) {
    return AddIntegerOption(command, "--seconds", value, 0, kTimedOutSeconds, meaning);
}

CLI::Option* AddRecordOption(CLI::App& command, std::int64_t& value, const std::string& meaning) {
    return AddIntegerOption(command, "--record", value, 1, std::int64_t{1} << 40, meaning)
        ->type_name("整数（1以上）");
}

CLI::Option* AddEncodingOption(CLI::App& command, std::string& value) {
    return command
        .add_option("--encoding", value, "出力の文字コード（utf-8 か cp932、既定は utf-8）")
        ->type_name("utf-8|cp932")
        ->check(CLI::Validator(
            [](std::string& v) -> std::string {
                return v == "utf-8" || v == "cp932" ? "" : "utf-8 か cp932 です: " + v;
            },
            ""));
}

std::string EncodedOutput(const std::string& utf8, const std::string& encoding) {
    return encoding == "cp932" ? Utf8ToCp932(utf8, "標準出力") : utf8;
}

std::string CsvField(const std::string& value) {
    if (value.find_first_of(",\"\r\n") == std::string::npos) {
        return value;
    }
    return "\"" + text::ReplaceAll(value, "\"", "\"\"") + "\"";
}

int RunAdminTool(int argc, const char* const* argv, const fs::path& defaultAppFolder) {
    CLI::App app("化学式の成績ファイルを扱う先生用のツールです。", "kagaku-admin");
    // The same command line on every system: a folder such as /mnt/juku is a folder, not a
    // Windows-style option (CLI11 reads "/name" as an option on Windows unless told not to).
    app.allow_windows_style_options(false);
    app.formatter(std::make_shared<JapaneseHelp>());
    app.option_defaults()->group("オプション");
    app.set_help_flag("-h,--help", "この使い方を表示して終了します");
    app.set_version_flag("--version",
                         "kagaku-admin " + std::to_string(KAGAKU_VERSION_MAJOR) + "." +
                             std::to_string(KAGAKU_VERSION_MINOR) + "." +
                             std::to_string(KAGAKU_VERSION_PATCH),
                         "版を表示して終了します");
    app.footer(std::string(kExitStatusNote) +
               "\nコマンドごとの使い方: kagaku-admin <コマンド> --help");
    app.require_subcommand(1);

    // --app-folder before the command (as earlier versions took it) or after it.
    std::string topFolder;
    AddAppFolderOption(app, topFolder);

    struct Declared {
        const CLI::App* command;
        std::unique_ptr<std::string> appFolder;  // filled in by the parse
        CommandAction action;
        bool needsDataTree;
    };
    std::vector<Declared> declared;
    for (const CommandSpec& spec : AllCommands()) {
        CLI::App* command = app.add_subcommand(spec.name, spec.description);
        command->group("コマンド");
        command->set_help_flag("-h,--help", "この使い方を表示して終了します");
        command->footer(kExitStatusNote);
        auto appFolder = std::make_unique<std::string>();
        AddAppFolderOption(*command, *appFolder);
        CommandAction action = spec.declare(*command);
        declared.push_back({command, std::move(appFolder), std::move(action), spec.needsDataTree});
    }

    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e, std::cout, std::cerr);
    } catch (const CLI::CallForAllHelp& e) {
        return app.exit(e, std::cout, std::cerr);
    } catch (const CLI::CallForVersion& e) {
        return app.exit(e, std::cout, std::cerr);
    } catch (const CLI::ParseError& e) {
        return Fail(UsageMessage(e, app), kExitUsage);
    }

    const CLI::App* command = ChosenCommand(app);
    const Declared* run = nullptr;
    for (const Declared& d : declared) {
        run = d.command == command ? &d : run;
    }
    if (run == nullptr) {
        return Fail("コマンドを指定してください", kExitUsage);
    }
    // --app-folder after the command wins over one before it.
    fs::path appFolder = defaultAppFolder;
    if (!run->appFolder->empty()) {
        appFolder = PathFromText(*run->appFolder);
    } else if (!topFolder.empty()) {
        appFolder = PathFromText(topFolder);
    }

    try {
        ProgramSetup setup;
        if (run->needsDataTree) {
            LoadConfiguration(appFolder, setup);
        } else {
            std::error_code ec;
            const fs::path absolute = fs::absolute(appFolder, ec);
            setup.AppFolder =
                NormaliseFolder(PathText((ec ? appFolder : absolute).lexically_normal()));
        }
        return run->action(setup);
    } catch (const UsageError& e) {
        return Fail(e.what(), kExitUsage);
    } catch (const DataFileError& e) {
        return Fail(e.file() + ": " + e.problem(), kExitDataProblem);
    } catch (const FileOperationError& e) {
        return Fail("成績ファイル: " + e.description(), kExitDataProblem);
    } catch (const std::exception& e) {
        return Fail(e.what(), kExitDataProblem);
    }
}

int FinishOutput() {
    std::cout.flush();
    return std::cout ? kExitSuccess : Fail("標準出力に書き込めませんでした", kExitDataProblem);
}

}  // namespace kagaku::admin
