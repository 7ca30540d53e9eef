#pragma once
// Runs the quarzel-data tool (path in QUARZEL_TOOL) as a child process and captures what it
// prints, so tests check the tool's real command-line contract.

#include <string>
#include <vector>

namespace qz::test {

struct ToolResult {
    int ExitCode = -1;
    std::string Out;
    std::string Err;
};

ToolResult RunTool(const std::vector<std::string>& arguments, const std::string& input = {});

} // namespace qz::test
