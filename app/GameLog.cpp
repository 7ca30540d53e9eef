#include "app/GameLog.h"

#include <fstream>
#include <system_error>

namespace qz {

TGameLog::TGameLog(std::filesystem::path fileName, const IClock& clock)
    : fileName_(std::move(fileName)), clock_(clock), startTick_(clock.Ticks()) {}

void TGameLog::Restart() {
    std::error_code ignored;
    std::filesystem::remove(fileName_, ignored);
    startTick_ = clock_.Ticks();
}

void TGameLog::Add(std::string_view message) {
    const std::string line = FormatLine(clock_.Ticks() - startTick_, message);
    std::ofstream file(fileName_, std::ios::binary | std::ios::app);
    file << line << "\r\n";
    if (OnLine)
        OnLine(line);
}

std::string TGameLog::FormatLine(uint32_t elapsedMs, std::string_view message) {
    const uint32_t minutes = elapsedMs / 60000;
    const uint32_t seconds = elapsedMs / 1000 % 60;
    const uint32_t milliseconds = elapsedMs % 1000;
    std::string line = "{" + std::to_string(minutes) + ":" + std::to_string(seconds) + ":" +
                       std::to_string(milliseconds) + "} ";
    line += message;
    return line;
}

} // namespace qz
