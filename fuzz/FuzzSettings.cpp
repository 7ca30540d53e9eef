// Reads any bytes as an options or settings file, the way the game reads "options.cfg" and
// its settings file, then writes a value as the game does and reads the text back: the value
// must come back as written (line breaks made blanks), whatever else the file held. (The
// line ending of the text may change: a lone CR before a line end reads as CR LF.) The
// input is split at its first zero byte: the file, then the value.

#include "FuzzCheck.h"
#include "platform/IniFile.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const size_t zero = input.find('\0');
    const std::string_view text = input.substr(0, zero);
    const std::string value(zero == std::string_view::npos ? std::string_view()
                                                           : input.substr(zero + 1));

    qz::TIniFile ini = qz::TIniFile::FromText(text);
    for (const std::string& section : ini.Sections()) {
        for (const std::string& key : ini.Keys(section)) {
            ini.Read(section, key);
            ini.ReadInteger(section, key, -1);
        }
    }
    for (const char* key : {"ScreenWidth", "SoundVolume", "FrameCap", "DebugMode"}) {
        ini.ReadInteger("Options", key, 0);
    }

    ini.WriteString("Options", "PlayerName", value);
    ini.WriteInteger("Version", "Build", 116);
    std::string expected = value;
    for (char& c : expected) {
        if (c == '\r' || c == '\n') {
            c = ' ';
        }
    }
    const qz::TIniFile again = qz::TIniFile::FromText(ini.Text());
    qz::fuzz::Check(again.Read("Options", "PlayerName") == expected);
    qz::fuzz::Check(again.ReadInteger("Version", "Build", 0) == 116);
    return 0;
}
