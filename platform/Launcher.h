#pragma once
// Opens a file or a link with the desktop's chosen program (xdg-open). The target travels
// as one argument of an argument vector; no shell ever reads it.

#include <string>
#include <sys/types.h>
#include <vector>

namespace qz {

class ILauncher {
public:
    virtual ~ILauncher() = default;
    // True when the opener was started (not whether it found a program for the target).
    virtual bool Open(const std::string& target) = 0;
};

// The argument vector for opening target: the program, then the target, with "./" put
// before a relative target that starts with "-" so that it is not read as an option.
std::vector<std::string> LauncherArguments(const std::string& program, const std::string& target);

class TXdgLauncher final : public ILauncher {
public:
    explicit TXdgLauncher(std::string program = "xdg-open") : program_(std::move(program)) {}
    // Collects the openers that have finished; one still running (xdg-open may become the
    // browser itself) is not waited for.
    ~TXdgLauncher() override;
    TXdgLauncher(const TXdgLauncher&) = delete;
    TXdgLauncher& operator=(const TXdgLauncher&) = delete;

    bool Open(const std::string& target) override;
    // Collects the openers that have finished (each Open does it too, so that none stays a
    // zombie for long); returns how many are still running.
    size_t Reap();

private:
    std::string program_;
    std::vector<pid_t> children_;
};

// Headless runs open nothing: the targets are only kept.
class TRecordingLauncher final : public ILauncher {
public:
    bool Open(const std::string& target) override;
    const std::vector<std::string>& Opened() const { return opened_; }

private:
    std::vector<std::string> opened_;
};

} // namespace qz
