#pragma once
// The run log "Quarzel.log": one line per event, "{minutes:seconds:milliseconds} message"
// with the time since the log was started, each line ending in CR LF.

#include "platform/Clock.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

namespace qz {

class TGameLog {
public:
    TGameLog(std::filesystem::path fileName, const IClock& clock);

    // Deletes the file of an earlier run and starts counting from now.
    void Restart();
    // Appends one line; a log that cannot be written loses the line, never the game.
    void Add(std::string_view message);

    const std::filesystem::path& FileName() const { return fileName_; }
    // Every line also goes here (headless runs echo nothing, tests listen).
    std::function<void(const std::string& line)> OnLine;

    // "{1:5:200} message" for 65200 ms.
    static std::string FormatLine(uint32_t elapsedMs, std::string_view message);

private:
    std::filesystem::path fileName_;
    const IClock& clock_;
    uint32_t startTick_ = 0;
};

} // namespace qz
