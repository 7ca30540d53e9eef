#include "LevelFiles.h"

#include "archive/FileFolder.h"
#include "archive/Helpers.h"

#include <algorithm>

namespace qz::tool {

std::vector<TLevelFile> LevelFiles(const TFileFolder& levels) {
    std::vector<TLevelFile> found;
    for (const TDirEntry& entry : levels.Dir) {
        const std::string name = entry.Name();
        const std::string lower = LowerCase(name);
        if (!lower.starts_with("level") || !lower.ends_with(".xml")) {
            continue;
        }
        const std::optional<int64_t> number = TryStrToInt64(name.substr(5, name.size() - 9));
        if (number) {
            found.push_back({*number, name});
        }
    }
    std::stable_sort(found.begin(), found.end(),
                     [](const TLevelFile& a, const TLevelFile& b) { return a.Number < b.Number; });
    return found;
}

} // namespace qz::tool
