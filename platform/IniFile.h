#pragma once
// The INI files of the game ("options.cfg"): [Section] headers and Key=Value lines.
// Sections and keys are compared ignoring ASCII case; the first of two equal keys counts.
// Saving rewrites only the values that were written: other keys, comments and blank lines
// stay where they were.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qz {

class TIniFile {
public:
    // Settings files are small; a larger file is not one of them.
    static constexpr size_t FileLimit = size_t{64} << 10;

    // Reads fileName when it exists; a missing file is an empty one. Anything in its place
    // that is no regular file of at most FileLimit bytes raises IOError naming the file.
    explicit TIniFile(std::filesystem::path fileName);
    // An INI text in memory (either line ending).
    static TIniFile FromText(std::string_view text, std::filesystem::path fileName = {});

    const std::filesystem::path& FileName() const { return fileName_; }

    // The value with surrounding blanks removed, and one pair of enclosing quotes.
    std::optional<std::string> Read(std::string_view section, std::string_view key) const;
    std::string ReadString(std::string_view section, std::string_view key,
                           std::string_view defaultValue) const;
    // Decimal (or "$"/"0x" hexadecimal) text; the default when missing or not a number.
    int32_t ReadInteger(std::string_view section, std::string_view key, int32_t defaultValue) const;

    // Sets a value, adding the section and the key when they are missing. Line breaks in
    // the value become blanks (a value never spills into a new key); blanks at either end
    // or a leading quote are kept by quoting the value.
    void WriteString(std::string_view section, std::string_view key, std::string_view value);
    void WriteInteger(std::string_view section, std::string_view key, int32_t value);
    // Removes the key; true when it was there.
    bool DeleteKey(std::string_view section, std::string_view key);

    std::vector<std::string> Sections() const;
    std::vector<std::string> Keys(std::string_view section) const;

    // The whole file as text, in the line ending it was read with (CR LF for a new file).
    std::string Text() const;
    // Writes Text() to FileName() safely (temporary file, then renamed over it).
    void Save() const;

private:
    struct TLine {
        std::string Raw;      // the line as read, for lines that are not key lines
        std::string Key;      // empty for raw lines
        std::string Value;    // the value as it appears after "=" (quoted when needed)
        bool IsEntry = false; // a Key=Value line
    };
    struct TSection {
        std::string Name;   // empty for the lines before the first header
        std::string Header; // the header line as read
        std::vector<TLine> Lines;
    };

    TIniFile() = default;
    void Parse(std::string_view text);
    TSection* FindSection(std::string_view name);
    const TSection* FindSection(std::string_view name) const;

    std::filesystem::path fileName_;
    std::vector<TSection> sections_;
    std::string lineEnd_ = "\r\n";
};

} // namespace qz
