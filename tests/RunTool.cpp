#include "RunTool.h"

#include "TempDir.h"

#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <spawn.h>
#include <sstream>
#include <stdexcept>
#include <sys/wait.h>

extern char** environ;

namespace qz::test {

namespace {

std::string Slurp(const std::string& fileName) {
    std::ifstream file(fileName, std::ios::binary);
    std::ostringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

} // namespace

ToolResult RunTool(const std::vector<std::string>& arguments, const std::string& input) {
    const char* tool = std::getenv("QUARZEL_TOOL");
    if (tool == nullptr) {
        throw std::runtime_error("QUARZEL_TOOL is not set");
    }
    TempDir dir;
    const std::string inName = dir.File("stdin");
    const std::string outName = dir.File("stdout");
    const std::string errName = dir.File("stderr");
    std::ofstream(inName, std::ios::binary) << input;

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, inName.c_str(), O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, outName.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    posix_spawn_file_actions_addopen(&actions, 2, errName.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);

    std::vector<std::string> words{tool};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& word : words) {
        argv.push_back(word.data());
    }
    argv.push_back(nullptr);

    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, tool, &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
        throw std::runtime_error("cannot start the tool");
    }
    int status = 0;
    waitpid(pid, &status, 0);
    ToolResult result;
    result.ExitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.Out = Slurp(outName);
    result.Err = Slurp(errName);
    return result;
}

} // namespace qz::test
