#include "platform/Launcher.h"

#include <algorithm>
#include <cerrno>
#include <spawn.h>
#include <sys/wait.h>

extern char** environ;

namespace qz {

std::vector<std::string> LauncherArguments(const std::string& program, const std::string& target) {
    std::string argument = target;
    if (!argument.empty() && argument.front() == '-') {
        argument = "./" + argument;
    }
    return {program, argument};
}

TXdgLauncher::~TXdgLauncher() {
    Reap();
}

bool TXdgLauncher::Open(const std::string& target) {
    Reap();
    if (target.empty()) {
        return false;
    }
    std::vector<std::string> arguments = LauncherArguments(program_, target);
    std::vector<char*> argv;
    for (std::string& argument : arguments) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);
    pid_t child = 0;
    if (posix_spawnp(&child, program_.c_str(), nullptr, nullptr, argv.data(), environ) != 0) {
        return false;
    }
    children_.push_back(child);
    return true;
}

size_t TXdgLauncher::Reap() {
    std::erase_if(children_, [](pid_t child) {
        int status = 0;
        const pid_t done = waitpid(child, &status, WNOHANG);
        return done == child || (done < 0 && errno == ECHILD);
    });
    return children_.size();
}

bool TRecordingLauncher::Open(const std::string& target) {
    opened_.push_back(target);
    return true;
}

} // namespace qz
