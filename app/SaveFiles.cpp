#include "app/SaveFiles.h"

#include "archive/Error.h"
#include "platform/TextCodec.h"

#include <algorithm>
#include <chrono>
#include <ctime>

namespace qz {

namespace {

constexpr std::string_view Extension = ".sav";

bool IsControl(char c) {
    const auto code = static_cast<unsigned char>(c);
    return code < 0x20 || (code >= 0x7F && code <= 0x9F);
}

// Why name cannot name a save, or nothing when it can.
std::string Refusal(std::string_view name, const std::string& fileName) {
    if (name.empty())
        return "a saved game needs a name";
    if (std::any_of(name.begin(), name.end(), IsControl))
        return "the name of a saved game cannot hold control characters";
    const std::string quoted = "\"" + std::string(name) + "\"";
    // A quote would end the name early in the list of saves.
    if (name.find_first_of("/\\\"") != std::string_view::npos)
        return "the name " + quoted +
               " cannot be used for a saved game: it holds \"/\", \"\\\" or \"\"\"";
    if (name.find("..") != std::string_view::npos)
        return "the name " + quoted + " cannot be used for a saved game: it holds \"..\"";
    if (name.front() == '.')
        return "the name " + quoted + " cannot be used for a saved game: it starts with a dot";
    if (name == ResumeSaveName)
        return "the name " + quoted +
               " is kept for the game the title continues; choose another name";
    if (fileName.size() > LongestSaveName)
        return "the name " + quoted + " is too long for a saved game (at most " +
               std::to_string(LongestSaveName) + " bytes)";
    return {};
}

} // namespace

std::filesystem::path SaveFilePath(const std::filesystem::path& folder, std::string_view name) {
    const std::string fileName = Latin1ToUtf8(name);
    if (const std::string refusal = Refusal(name, fileName); !refusal.empty())
        throw Error(refusal);
    return folder / (fileName + std::string(Extension));
}

std::filesystem::path ResumeSavePath(const std::filesystem::path& folder) {
    return folder / (std::string(ResumeSaveName) + std::string(Extension));
}

std::vector<std::string> SaveNames(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    std::error_code error;
    if (!std::filesystem::is_directory(folder, error))
        return names;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        if (!entry.is_regular_file(error))
            continue;
        const std::string file = entry.path().filename().string();
        // Only ".sav" as written: a file named notes.SAV is not a saved game.
        if (file.size() <= Extension.size() || !file.ends_with(Extension))
            continue;
        const std::string stem = file.substr(0, file.size() - Extension.size());
        if (!IsValidUtf8(stem))
            continue;
        const std::string name = Utf8ToLatin1(stem);
        if (Latin1ToUtf8(name) == stem && Refusal(name, stem).empty())
            names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string SaveTimeText(const std::filesystem::path& file, bool utc) {
    std::error_code error;
    const std::filesystem::file_time_type written = std::filesystem::last_write_time(file, error);
    if (error)
        return {};
    const std::time_t seconds =
        std::chrono::system_clock::to_time_t(std::chrono::file_clock::to_sys(written));
    std::tm parts{};
    if ((utc ? gmtime_r(&seconds, &parts) : localtime_r(&seconds, &parts)) == nullptr)
        return {};
    char text[32];
    return std::strftime(text, sizeof text, "%Y-%m-%d %H:%M", &parts) ? text : std::string();
}

} // namespace qz
