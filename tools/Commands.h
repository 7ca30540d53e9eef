#pragma once
// The subcommands of quarzel-data. Each takes the arguments after its own name, writes its
// result to standard output and returns the exit code; errors are thrown as qz::Error.

#include <string>
#include <vector>

namespace qz::tool {

using Arguments = std::vector<std::string>;

struct Command {
    const char* Name;
    const char* Usage;
    int (*Run)(const Arguments& arguments);
};

// Raised for a call whose words are off; the tool prints the command's usage.
struct UsageError {};

int RunZxc(const Arguments& arguments);
int RunCipher(const Arguments& arguments);
int RunEncodeText(const Arguments& arguments);
int RunDecodeText(const Arguments& arguments);
int RunIsPlainText(const Arguments& arguments);
int RunDigitsToText(const Arguments& arguments);
int RunXmlFormat(const Arguments& arguments);
int RunFxTrace(const Arguments& arguments);
int RunLevelCheck(const Arguments& arguments);
int RunPlay(const Arguments& arguments);
int RunContactSheet(const Arguments& arguments);
int RunBoardPicture(const Arguments& arguments);
int RunCompose(const Arguments& arguments);
int RunConvert(const Arguments& arguments);
int RunUiDump(const Arguments& arguments);
int RunLevelStats(const Arguments& arguments);
int RunSoundLevels(const Arguments& arguments);

} // namespace qz::tool
