#include "platform/SettingsStore.h"

#include "archive/Error.h"
#include "archive/Helpers.h"
#include "platform/Folders.h"

#include <system_error>

namespace qz {

TFileSettingsStore::TFileSettingsStore(std::filesystem::path fileName)
    : ini_(TIniFile::FromText({}, fileName)) {
    try {
        ini_ = TIniFile(std::move(fileName));
    } catch (const IOError& error) {
        problem_ = error.what();
    }
}

std::optional<std::string> TFileSettingsStore::ReadString(const std::string& key,
                                                          const std::string& name) const {
    return ini_.Read(key, name);
}

void TFileSettingsStore::WriteString(const std::string& key, const std::string& name,
                                     const std::string& value) {
    ini_.WriteString(key, name, value);
    std::error_code error;
    std::filesystem::create_directories(ini_.FileName().parent_path(), error);
    ini_.Save();
}

std::optional<std::string> TMemorySettingsStore::ReadString(const std::string& key,
                                                            const std::string& name) const {
    const auto it = values_.find({LowerCase(key), LowerCase(name)});
    if (it == values_.end()) {
        return std::nullopt;
    }
    return it->second;
}

void TMemorySettingsStore::WriteString(const std::string& key, const std::string& name,
                                       const std::string& value) {
    values_[{LowerCase(key), LowerCase(name)}] = value;
}

std::filesystem::path DefaultSettingsFile() {
    return ConfigFolder(SystemEnvironment()) / "settings.ini";
}

} // namespace qz
