#include "platform/IniFile.h"

#include "archive/Error.h"
#include "archive/Helpers.h"
#include "archive/MemoryStream.h"
#include "platform/SafeFile.h"

namespace qz {

namespace {

std::string Unquote(std::string value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        return value.substr(1, value.size() - 2);
    }
    return value;
}

std::string QuoteIfNeeded(std::string_view value) {
    std::string text(value);
    for (char& c : text) {
        if (c == '\r' || c == '\n') {
            c = ' ';
        }
    }
    const bool needsQuotes = !text.empty() && (static_cast<uint8_t>(text.front()) <= ' ' ||
                                               static_cast<uint8_t>(text.back()) <= ' ' ||
                                               text.front() == '"' || text.front() == '\'');
    return needsQuotes ? "\"" + text + "\"" : text;
}

} // namespace

TIniFile::TIniFile(std::filesystem::path fileName) : fileName_(std::move(fileName)) {
    std::error_code error;
    if (!std::filesystem::exists(fileName_, error)) {
        sections_.push_back(TSection{});
        return;
    }
    TMemoryStream file;
    file.LoadFromFile(fileName_.string(), FileLimit);
    Parse(file.View());
}

TIniFile TIniFile::FromText(std::string_view text, std::filesystem::path fileName) {
    TIniFile ini;
    ini.fileName_ = std::move(fileName);
    ini.Parse(text);
    return ini;
}

void TIniFile::Parse(std::string_view text) {
    sections_.clear();
    sections_.push_back(TSection{});
    lineEnd_ =
        text.find('\n') == std::string_view::npos || text.find("\r\n") != text.npos ? "\r\n" : "\n";
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos) {
            end = text.size();
        }
        std::string line(text.substr(start, end - start));
        start = end + 1;
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        const std::string trimmed = Trim(line);
        if (trimmed.size() >= 2 && trimmed.front() == '[' && trimmed.back() == ']') {
            TSection section;
            section.Name = Trim(trimmed.substr(1, trimmed.size() - 2));
            section.Header = line;
            sections_.push_back(std::move(section));
            continue;
        }
        TLine entry;
        entry.Raw = line;
        const size_t eq = line.find('=');
        if (eq != std::string::npos && trimmed.front() != ';' && trimmed.front() != '#') {
            entry.Key = Trim(line.substr(0, eq));
            entry.Value = Trim(line.substr(eq + 1));
            entry.IsEntry = !entry.Key.empty();
        }
        sections_.back().Lines.push_back(std::move(entry));
    }
}

TIniFile::TSection* TIniFile::FindSection(std::string_view name) {
    for (size_t i = 1; i < sections_.size(); ++i) {
        if (SameText(sections_[i].Name, name)) {
            return &sections_[i];
        }
    }
    return nullptr;
}

const TIniFile::TSection* TIniFile::FindSection(std::string_view name) const {
    return const_cast<TIniFile*>(this)->FindSection(name);
}

std::optional<std::string> TIniFile::Read(std::string_view section, std::string_view key) const {
    const TSection* s = FindSection(section);
    if (s == nullptr) {
        return std::nullopt;
    }
    for (const TLine& line : s->Lines) {
        if (line.IsEntry && SameText(line.Key, key)) {
            return Unquote(line.Value);
        }
    }
    return std::nullopt;
}

std::string TIniFile::ReadString(std::string_view section, std::string_view key,
                                 std::string_view defaultValue) const {
    auto value = Read(section, key);
    return value ? *value : std::string(defaultValue);
}

int32_t TIniFile::ReadInteger(std::string_view section, std::string_view key,
                              int32_t defaultValue) const {
    const auto value = Read(section, key);
    return value ? StrToIntDef(*value, defaultValue) : defaultValue;
}

void TIniFile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
    TSection* s = FindSection(section);
    if (s == nullptr) {
        // A blank line before a section the game adds, unless the file ends in one.
        TSection& last = sections_.back();
        const bool hasLines = sections_.size() > 1 || !last.Lines.empty();
        if (hasLines && (last.Lines.empty() || !Trim(last.Lines.back().Raw).empty() ||
                         last.Lines.back().IsEntry)) {
            last.Lines.push_back(TLine{});
        }
        TSection added;
        added.Name = std::string(section);
        added.Header = "[" + added.Name + "]";
        sections_.push_back(std::move(added));
        s = &sections_.back();
    }
    for (TLine& line : s->Lines) {
        if (line.IsEntry && SameText(line.Key, key)) {
            line.Value = QuoteIfNeeded(value);
            line.Raw.clear();
            return;
        }
    }
    // A new key goes after the section's last key, before any blank lines that end it.
    size_t at = s->Lines.size();
    while (at > 0 && Trim(s->Lines[at - 1].Raw).empty() && !s->Lines[at - 1].IsEntry) {
        --at;
    }
    TLine line;
    line.Key = std::string(key);
    line.Value = QuoteIfNeeded(value);
    line.IsEntry = true;
    s->Lines.insert(s->Lines.begin() + static_cast<std::ptrdiff_t>(at), std::move(line));
}

void TIniFile::WriteInteger(std::string_view section, std::string_view key, int32_t value) {
    WriteString(section, key, IntToStr(value));
}

bool TIniFile::DeleteKey(std::string_view section, std::string_view key) {
    TSection* s = FindSection(section);
    if (s == nullptr) {
        return false;
    }
    for (auto it = s->Lines.begin(); it != s->Lines.end(); ++it) {
        if (it->IsEntry && SameText(it->Key, key)) {
            s->Lines.erase(it);
            return true;
        }
    }
    return false;
}

std::vector<std::string> TIniFile::Sections() const {
    std::vector<std::string> names;
    for (size_t i = 1; i < sections_.size(); ++i) {
        names.push_back(sections_[i].Name);
    }
    return names;
}

std::vector<std::string> TIniFile::Keys(std::string_view section) const {
    std::vector<std::string> keys;
    if (const TSection* s = FindSection(section)) {
        for (const TLine& line : s->Lines) {
            if (line.IsEntry) {
                keys.push_back(line.Key);
            }
        }
    }
    return keys;
}

std::string TIniFile::Text() const {
    std::string text;
    for (size_t i = 0; i < sections_.size(); ++i) {
        const TSection& s = sections_[i];
        if (i > 0) {
            text += s.Header + lineEnd_;
        }
        for (const TLine& line : s.Lines) {
            text += line.IsEntry && line.Raw.empty() ? line.Key + "=" + line.Value : line.Raw;
            text += lineEnd_;
        }
    }
    return text;
}

void TIniFile::Save() const {
    WriteFileSafely(fileName_, Text());
}

} // namespace qz
