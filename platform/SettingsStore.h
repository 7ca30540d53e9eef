#pragma once
// The per-user string values the game keeps between runs (the interface language under
// "Software\Tindrel\Quarzel", value "LangStr"), addressed by a key path and a value name.

#include "platform/IniFile.h"

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <utility>

namespace qz {

class ISettingsStore {
public:
    virtual ~ISettingsStore() = default;
    // Nothing when the value was never written.
    virtual std::optional<std::string> ReadString(const std::string& key,
                                                  const std::string& name) const = 0;
    // Creates the key when it is missing; throws IOError when the value cannot be kept.
    virtual void WriteString(const std::string& key, const std::string& name,
                             const std::string& value) = 0;
};

// One small INI file, a section per key path; every write saves the file safely.
// Key paths and value names are compared ignoring ASCII case.
class TFileSettingsStore final : public ISettingsStore {
public:
    explicit TFileSettingsStore(std::filesystem::path fileName);

    std::optional<std::string> ReadString(const std::string& key,
                                          const std::string& name) const override;
    void WriteString(const std::string& key, const std::string& name,
                     const std::string& value) override;

    const std::filesystem::path& FileName() const { return ini_.FileName(); }
    // Why the file could not be read (the store then starts empty); empty when it could.
    const std::string& Problem() const { return problem_; }

private:
    TIniFile ini_;
    std::string problem_;
};

// Values kept only for the run (tests, headless runs that must not touch the user's files).
class TMemorySettingsStore final : public ISettingsStore {
public:
    std::optional<std::string> ReadString(const std::string& key,
                                          const std::string& name) const override;
    void WriteString(const std::string& key, const std::string& name,
                     const std::string& value) override;

private:
    std::map<std::pair<std::string, std::string>, std::string> values_;
};

// The settings file's place: $XDG_CONFIG_HOME/quarzel/settings.ini, ~/.config/quarzel/...
// when the variable is unset or not an absolute path.
std::filesystem::path DefaultSettingsFile();

} // namespace qz
