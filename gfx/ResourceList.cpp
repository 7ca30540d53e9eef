#include "gfx/ResourceList.h"

#include "gfx/SurfEngine.h"

#include <algorithm>
#include <cassert>

namespace qz {

TResourceList::TResourceList(int32_t slotCount, std::string basePath, TSurfEngine& engine)
    : SlotCount(slotCount), BasePath(std::move(basePath)), engine_(engine) {
    assert(slotCount > 0);
}

void TResourceList::AddFolder(const std::string& path) {
    Folders.push_back(TFileFolder::Open(path));
}

int TResourceList::IndexOfFolder(std::string_view path) const {
    for (size_t i = 0; i < Folders.size(); ++i)
        if (Folders[i]->FileName == path)
            return int(i);
    return -1;
}

int TResourceList::IndexOfResource(std::string_view name) const {
    for (size_t i = 0; i < Resources.size(); ++i)
        if (Resources[i].Name == name)
            return int(i);
    return -1;
}

void TResourceList::Register(const std::string& name, const std::string& fileName, int32_t slot,
                             const std::string& folderPath) {
    assert(slot >= 0 && slot < SlotCount);
    int folder = IndexOfFolder(folderPath);
    if (folder == -1 && !folderPath.empty()) {
        AddFolder(folderPath);
        folder = int(Folders.size()) - 1;
    }
    int index = IndexOfResource(name);
    if (index == -1) {
        TOneImage image;
        image.Name = name;
        image.Files.assign(size_t(SlotCount), std::string());
        image.FolderIndexes.assign(size_t(SlotCount), -1);
        Resources.push_back(std::move(image));
        index = int(Resources.size()) - 1;
    }
    Resources[size_t(index)].Files[size_t(slot)] = fileName;
    Resources[size_t(index)].FolderIndexes[size_t(slot)] = folderPath.empty() ? -1 : folder;
}

void TResourceList::RegisterArchivePictures(TFileFolder& archive, const std::string& folderPath) {
    archive.LoadAll();
    for (const TDirEntry& entry : archive.Dir) {
        const std::string name = entry.Name();
        if (name.size() < 4)
            continue;
        const std::string type = LowerCase(name.substr(name.size() - 3));
        if (type != "png" && type != "jpg")
            continue;
        const std::string picture = name.substr(0, name.size() - 4) + "." + type;
        Register(picture, picture, 1, folderPath);
    }
}

void TResourceList::Apply(int32_t level) {
    for (const TOneImage& image : Resources) {
        if (engine_.IndexOfSurface(image.Name) >= 0)
            continue;
        int32_t slot = std::min(level - 1, SlotCount - 1);
        while (slot >= 0 && image.Files[size_t(slot)].empty())
            --slot;
        if (slot < 0)
            continue;
        const std::string& file = image.Files[size_t(slot)];
        const std::string type = LowerCase(file.size() >= 3 ? file.substr(file.size() - 3) : file);
        const bool png = type == "png";
        if (!png && type != "jpg")
            continue;
        const int32_t folder = image.FolderIndexes[size_t(slot)];
        if (folder >= 0) {
            TFileFolder& archive = *Folders[size_t(folder)];
            if (png)
                engine_.LoadPNGFromFolder(archive, image.Name, file);
            else
                engine_.LoadJPEGFromFolder(archive, image.Name, file);
        } else if (png) {
            engine_.LoadPNGFromFile(image.Name, BasePath + file);
        } else {
            engine_.LoadJPEGFromFile(image.Name, BasePath + file);
        }
    }
}

} // namespace qz
