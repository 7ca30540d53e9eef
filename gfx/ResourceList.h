#pragma once
// The resource list: which picture files become pictures of the surface engine and from
// where. Each picture name has a fixed number of slots, each naming a file in one of the
// list's archives or on disk; applying a slot loads every picture the engine lacks.
#include "archive/FileFolder.h"
#include "archive/Helpers.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace qz {

class TSurfEngine;

struct TOneImage {
    std::string Name;
    std::vector<std::string> Files; // SlotCount entries, empty where the slot has no file
    TIntegers FolderIndexes;        // index into Folders, or -1 for a disk file or no file
};

class TResourceList {
public:
    // basePath ends with a path separator; disk files are basePath + file name.
    TResourceList(int32_t slotCount, std::string basePath, TSurfEngine& engine);

    void AddFolder(const std::string& path);
    int IndexOfFolder(std::string_view path) const;
    int IndexOfResource(std::string_view name) const;
    // An empty folderPath registers a disk file.
    void Register(const std::string& name, const std::string& fileName, int32_t slot,
                  const std::string& folderPath);
    // Registers every "png" or "jpg" entry of the archive (all its entries are loaded into
    // memory) in slot 1 under its name with the extension lower-cased: X.PNG becomes X.png.
    void RegisterArchivePictures(TFileFolder& archive, const std::string& folderPath);
    // Loads, for every picture the engine does not have, the file of slot level - 1 or of the
    // nearest lower slot that has one.
    void Apply(int32_t level);

    std::vector<std::unique_ptr<TFileFolder>> Folders;
    std::vector<TOneImage> Resources;
    const int32_t SlotCount;
    const std::string BasePath;

private:
    TSurfEngine& engine_;
};

} // namespace qz
