#include "platform/Folders.h"

#include "archive/Error.h"

#include <cstdlib>
#include <pwd.h>
#include <system_error>
#include <unistd.h>

namespace qz {

namespace fs = std::filesystem;

namespace {

// An XDG base folder: the variable when it holds an absolute path, else home + fallback.
fs::path XdgFolder(const TEnvironment& environment, const char* variable, const char* fallback) {
    if (const auto value = environment(variable); value && !value->empty()) {
        const fs::path path(*value);
        if (path.is_absolute()) {
            return path / "quarzel";
        }
    }
    return HomeFolder(environment) / fallback / "quarzel";
}

// Absolute, without "." and ".." steps and without a trailing separator.
fs::path Normalised(const fs::path& path) {
    fs::path normal = fs::absolute(path).lexically_normal();
    if (!normal.has_filename() && normal.has_relative_path()) {
        normal = normal.parent_path();
    }
    return normal;
}

// An installed game keeps its executable in PREFIX/bin and its data in PREFIX/share/quarzel;
// a build or unpacked folder keeps both together, which wins when it holds the game archive.
fs::path InstalledDataFolder(const fs::path& executableFolder) {
    std::error_code error;
    if (fs::is_regular_file(executableFolder / "game" / "game.zxc", error)) {
        return executableFolder;
    }
    const fs::path shared =
        (executableFolder.parent_path() / "share" / "quarzel").lexically_normal();
    return fs::is_directory(shared, error) ? shared : executableFolder;
}

} // namespace

TEnvironment SystemEnvironment() {
    return [](const std::string& name) -> std::optional<std::string> {
        if (const char* value = std::getenv(name.c_str())) {
            return std::string(value);
        }
        return std::nullopt;
    };
}

fs::path ExecutableFolder() {
    std::error_code error;
    const fs::path exe = fs::read_symlink("/proc/self/exe", error);
    return error ? fs::current_path() : exe.parent_path();
}

bool IsWritableFolder(const fs::path& folder) {
    return access(folder.c_str(), W_OK | X_OK) == 0;
}

fs::path HomeFolder(const TEnvironment& environment) {
    if (const auto home = environment("HOME"); home && !home->empty()) {
        return fs::path(*home);
    }
    if (const passwd* entry = getpwuid(getuid()); entry != nullptr && entry->pw_dir != nullptr) {
        return fs::path(entry->pw_dir);
    }
    return fs::current_path();
}

fs::path DataHomeFolder(const TEnvironment& environment) {
    return XdgFolder(environment, "XDG_DATA_HOME", ".local/share");
}

fs::path ConfigFolder(const TEnvironment& environment) {
    return XdgFolder(environment, "XDG_CONFIG_HOME", ".config");
}

TFolders ResolveFolders(const TFolderRequest& request) {
    const TEnvironment environment =
        request.Environment ? request.Environment : SystemEnvironment();
    const auto isWritable = request.IsWritable ? request.IsWritable : IsWritableFolder;

    TFolders folders;
    if (request.DataDir) {
        folders.ProgramFolder = Normalised(*request.DataDir);
    } else {
        folders.ProgramFolder =
            InstalledDataFolder(request.Executable.empty()
                                    ? ExecutableFolder()
                                    : Normalised(fs::absolute(request.Executable).parent_path()));
    }

    if (isWritable(folders.ProgramFolder)) {
        folders.UserFolder = folders.ProgramFolder;
        folders.UserFolderIsProgramFolder = true;
        return folders;
    }
    folders.UserFolder = DataHomeFolder(environment);
    folders.UserFolderIsProgramFolder = false;
    std::error_code error;
    fs::create_directories(folders.UserFolder, error);
    if (error || !fs::is_directory(folders.UserFolder)) {
        throw IOError("Cannot create folder " + folders.UserFolder.string() + ": " +
                      error.message());
    }
    return folders;
}

} // namespace qz
