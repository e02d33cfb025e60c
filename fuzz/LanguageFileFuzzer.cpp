// Any bytes as LANG.INI and as a language file, through the INI reader and the language manager:
// finding, loading and every lookup the program makes, the format texts among them. Nothing may
// crash, hang or read outside its buffers, and the texts keep their limits.
//
// The files are written to a folder of their own, which the manager searches after the current
// one. An input is the LANG.INI text, a NUL byte and the language file's text ("fuzz.lng"); without
// a NUL byte it is LANG.INI alone.
#include "language/LanguageManager.h"
#include "language/ProfileFile.h"
#include "language/TextIds.h"

#include <QString>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include <stdlib.h>

using namespace vandrel;
namespace fs = std::filesystem;

namespace {

std::string workFolder;

void check(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "broken: %s\n", what);
        std::abort();
    }
}

void removeWorkFolder() {
    std::error_code error;
    fs::remove_all(workFolder, error);
}

void writeFile(const char* name, std::string_view text) {
    std::ofstream out(workFolder + "/" + name, std::ios::binary | std::ios::trunc);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    check(out.good(), "the input file is written");
}

// The limits the manager promises for texts of windows and message boxes.
constexpr int ControlChars = LanguageManager::ControlTextChars;
constexpr qsizetype TitleChars = 127;
constexpr qsizetype MessageChars = 1023;

// Set while the messages come from language texts; the fixed English errors of a failed load
// name the file as LANG.INI gives it.
bool languageMessages = false;

int checkMessage(const MessageRequest& request) {
    if (languageMessages) {
        check(request.title.size() <= TitleChars, "a message title keeps its limit");
        check(request.text.size() <= MessageChars, "a message text keeps its limit");
    }
    return ResultOk;
}

std::vector<FormatArg> argumentsOf(std::string_view kinds) {
    std::vector<FormatArg> args;
    for (char kind : kinds) {
        if (kind == 's') {
            args.emplace_back(QStringLiteral("/home/technician/converter.cfg"));
        } else {
            args.emplace_back(-123456789);
        }
    }
    return args;
}

void formatMessage(const LanguageManager& language, int id, std::string_view kinds) {
    const std::vector<FormatArg> args = argumentsOf(kinds);
    // The manager takes a fixed list; four arguments are more than any text of the program has.
    switch (args.size()) {
    case 0:
        language.FormatMessageBox(id, 0, {}, {});
        break;
    case 1:
        language.FormatMessageBox(id, text::CaptionError, {}, {args[0]});
        break;
    case 2:
        language.FormatMessageBox(id, text::CaptionError, {}, {args[0], args[1]});
        break;
    default:
        language.FormatMessageBox(id, text::CaptionError, {}, {args[0], args[1], args[2]});
        break;
    }
}

// Every lookup the program makes of a loaded language.
void lookUpEverything(const LanguageManager& language) {
    QString text;
    for (const text::TextIdInfo& info : text::AllTextIds) {
        if (info.section != text::Section::Strings) {
            continue;
        }
        check(language.Text(info.id, text, ControlChars), "a loaded language answers");
        check(text.size() <= ControlChars, "a control text keeps its limit");
        check(!text.contains(QLatin1String("\\n")), "line breaks are replaced");
        if (!info.args.empty()) {
            formatMessage(language, info.id, info.args);
        }
    }
    // Conversions the program's own calls do not use, in a text anyone can change.
    for (std::string_view kinds : {"", "d", "sd", "dds"}) {
        formatMessage(language, text::AppTitle, kinds);
    }
    language.MessageBox(text::NoAnswer, text::CaptionError, {});
    for (int button : {ResultOk, ResultCancel, ResultYes, ResultNo, NoResult}) {
        language.ButtonText(button, text);
    }
    for (int command : {0xE100, 0xE101, 0xE103, 0xE142, 0x8021}) {
        language.Tooltip(command, text, ControlChars);
        check(text.size() <= ControlChars, "a tooltip keeps its limit");
    }
    language.ShowHelp(nullptr);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    std::error_code error;
    if (fs::exists("LANG.INI", error)) {
        std::fprintf(stderr,
                     "Run from a folder without LANG.INI: the manager would read that one.\n");
        std::abort();
    }
    // In memory where the system offers it: two files are written for every input.
    const fs::path base =
        fs::is_directory("/dev/shm", error) ? fs::path("/dev/shm") : fs::temp_directory_path();
    std::string pattern = (base / "vandrel-language-fuzz-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        std::perror("mkdtemp");
        std::abort();
    }
    workFolder = pattern;
    std::atexit(removeWorkFolder);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(bytes), size);
    const std::size_t split = input.find('\0');
    const std::string_view index = input.substr(0, split);
    const std::string_view file =
        split == std::string_view::npos ? std::string_view() : input.substr(split + 1);
    writeFile("LANG.INI", index);
    writeFile("fuzz.lng", file);

    // The reader on its own, as every caller uses it.
    const ProfileFile profile = ProfileFile::FromText(file);
    profile.Get("general", "version", "0.0.0.0");
    profile.GetInt("general", "num_languages", 0);
    profile.Find(" Strings ", "710");

    LanguageManager language;
    language.setLanguageFolders({QString::fromStdString(workFolder)});
    language.setMessageHandler(checkMessage);
    language.setHelpOpener([](const QUrl&) { return true; });

    const int count = language.LanguageCount();
    check(count >= 0 && count <= 255, "the language count keeps its range");
    for (int id : {0, 1, 2, count, count + 1}) {
        QString name;
        QString path;
        QString help;
        if (language.LanguageInfo(id, &name, &path)) {
            check(name.size() <= 63, "a language name keeps its limit");
        }
        language.HelpFileOf(id, help);
        if (language.Load(id)) {
            check(!language.failed(), "a loaded language is not failed");
            languageMessages = true;
            lookUpEverything(language);
            languageMessages = false;
        } else {
            QString text;
            check(language.failed() && !language.Text(text::AppTitle, text) && text.isEmpty(),
                  "a failed language gives empty texts");
        }
    }
    return 0;
}
