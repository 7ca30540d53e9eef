// The image processor's commands of quarzel-data: one composition script run against an
// archive, and the conversion the game makes of its shipped archives at start-up.

#include "Commands.h"
#include "archive/Error.h"
#include "archive/FileFolder.h"
#include "gfx/PNGMorf.h"

#include <filesystem>
#include <iostream>

namespace qz::tool {

namespace {

// The JPEG quality of pictures split by the conversion, as at start-up.
constexpr int32_t StartUpQuality = 90;

} // namespace

int RunCompose(const Arguments& arguments) {
    if (arguments.size() != 2) {
        throw UsageError{};
    }
    TMemoryStream script;
    script.LoadFromFile(arguments[0]);
    const std::unique_ptr<TFileFolder> archive = TFileFolder::Open(arguments[1]);
    const std::string entry = TPNGMorf(StartUpQuality).RunScript(script, *archive);
    archive->Save();
    std::cout << arguments[1] << ": " << entry << "\n";
    return 0;
}

int RunConvert(const Arguments& arguments) {
    if (arguments.size() != 2) {
        throw UsageError{};
    }
    const std::string& source = arguments[0];
    const std::string& dest = arguments[1];
    std::error_code error;
    if (std::filesystem::equivalent(source, dest, error)) {
        throw Error("Cannot convert " + source + " onto itself");
    }
    TPNGMorf morf(StartUpQuality);
    morf.ConvertArchive(source, dest);
    std::cout << dest << ": " << TFileFolder::Open(dest)->Dir.size() << " entries\n";
    return 0;
}

} // namespace qz::tool
