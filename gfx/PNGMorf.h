#pragma once
// The image processor: turns the shipped archives into working copies (merging compact
// colour + transparency pictures, running the composition scripts they hold) and runs
// AutoImage scripts, each building one PNG picture from pictures of an archive.
#include "archive/MemoryStream.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace qz {

class TFileFolder;

class TPNGMorf {
public:
    explicit TPNGMorf(int32_t quality) : Quality(quality) {}

    // Each job line holds Source="path" Dest="path"; a destination that exists already is
    // left as it is, so the conversion runs once.
    void RunJobs();
    // The working copy is written whole or not at all. A composition script that fails
    // costs only its own picture: the failure goes to ScriptFailures and the rest is kept.
    void ConvertArchive(const std::string& source, const std::string& dest);
    // Runs one script against archive, adds the picture as name + ".pNg" (kind 2) and returns
    // that entry name.
    std::string RunScript(const TMemoryStream& script, TFileFolder& archive);

    int32_t Quality;
    std::vector<std::string> Jobs;
    std::function<void(const std::string& fileName, int32_t percent)> OnProgress;
    // "entry: reason" of each composition script that failed during the conversions.
    std::vector<std::string> ScriptFailures;
};

} // namespace qz
