#pragma once
// Where the game reads its data and writes its files. The program folder holds the data:
// the one given with --data-dir, else the executable's folder, else (when that holds no
// "game/game.zxc") an installed "<exe folder>/../share/quarzel". The files the game writes
// (temp, saves, options.cfg, high scores, Quarzel.log) go to the program folder when it
// is writable, otherwise to $XDG_DATA_HOME/quarzel (~/.local/share/quarzel).

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

namespace qz {

// Looks up one environment variable; nothing when it is not set.
using TEnvironment = std::function<std::optional<std::string>(const std::string& name)>;
TEnvironment SystemEnvironment();

struct TFolderRequest {
    std::optional<std::filesystem::path> DataDir; // --data-dir, made absolute
    std::filesystem::path Executable;             // the running program; empty: this process
    TEnvironment Environment;                     // empty: the process environment
    // Whether files can be created in a folder; empty: the file system is asked.
    std::function<bool(const std::filesystem::path&)> IsWritable;
};

struct TFolders {
    std::filesystem::path ProgramFolder; // absolute
    std::filesystem::path UserFolder;    // absolute; exists once resolved
    bool UserFolderIsProgramFolder = true;
};

// Throws IOError when the user folder has to be created and cannot be.
TFolders ResolveFolders(const TFolderRequest& request = {});

// The folder of the running executable (from /proc/self/exe).
std::filesystem::path ExecutableFolder();
bool IsWritableFolder(const std::filesystem::path& folder);
// The user's home: $HOME, else the password database.
std::filesystem::path HomeFolder(const TEnvironment& environment);
// $XDG_DATA_HOME/quarzel, or ~/.local/share/quarzel when it is unset, empty or relative.
std::filesystem::path DataHomeFolder(const TEnvironment& environment);
// $XDG_CONFIG_HOME/quarzel, or ~/.config/quarzel likewise.
std::filesystem::path ConfigFolder(const TEnvironment& environment);

} // namespace qz
