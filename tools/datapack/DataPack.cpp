#include "tools/datapack/DataPack.h"

#include "archive/CUnit.h"
#include "archive/Error.h"
#include "archive/FileFolder.h"
#include "archive/Helpers.h"
#include "gfx/JpegPNG.h"

#include <algorithm>
#include <filesystem>

namespace qz {

namespace {

std::string BaseName(const std::string& fileName) {
    const std::string name = std::filesystem::path(fileName).filename().string();
    return name.substr(0, name.find('.'));
}

uint16_t KindOf(const std::string& entry) {
    const std::string lower = LowerCase(entry);
    if (lower.ends_with("png") || lower.ends_with("jpg")) {
        return 2;
    }
    return lower.ends_with("aim") ? 1 : 0;
}

TMemoryStream ReadFile(const std::string& fileName) {
    TMemoryStream stream;
    stream.LoadFromFile(fileName);
    return stream;
}

} // namespace

std::vector<TPackItem> ParsePackItems(const std::vector<std::string>& words) {
    std::vector<TPackItem> items;
    for (size_t i = 0; i < words.size(); ++i) {
        const std::string& word = words[i];
        if (i + 1 >= words.size()) {
            throw Error("datapack: \"" + word + "\" needs a file");
        }
        const std::string value = words[++i];
        if (word == "--plain") {
            const size_t equals = value.find('=');
            const std::string file = value.substr(0, equals);
            const std::string entry = equals == std::string::npos
                                          ? std::filesystem::path(file).filename().string()
                                          : value.substr(equals + 1);
            items.push_back({TPackMode::pmPlain, file, entry});
        } else if (word == "--dir") {
            if (!std::filesystem::is_directory(value)) {
                throw Error("datapack: no folder " + value);
            }
            std::vector<std::string> names;
            for (const auto& file : std::filesystem::directory_iterator(value)) {
                if (file.is_regular_file()) {
                    names.push_back(file.path().filename().string());
                }
            }
            std::sort(names.begin(), names.end());
            for (const std::string& name : names) {
                items.push_back({TPackMode::pmPlain, value + "/" + name, name});
            }
        } else if (word == "--compact") {
            items.push_back({TPackMode::pmCompact, value, BaseName(value)});
        } else if (word == "--script") {
            items.push_back({TPackMode::pmScript, value, BaseName(value)});
        } else if (word == "--cipher") {
            items.push_back(
                {TPackMode::pmCipher, value, std::filesystem::path(value).filename().string()});
        } else {
            throw Error("datapack: unknown option \"" + word + "\"");
        }
    }
    return items;
}

void PackArchive(const std::vector<TPackItem>& items, const std::string& fileName, int quality) {
    auto folder = TFileFolder::CreateNew(fileName);
    const std::string key = DataKey();
    for (const TPackItem& item : items) {
        TMemoryStream bytes = ReadFile(item.File);
        switch (item.Mode) {
        case TPackMode::pmPlain:
            folder->AddFile(item.Entry, KindOf(item.Entry), bytes);
            break;
        case TPackMode::pmCompact: {
            const std::optional<TMemoryStream> colours = PNGToJPEG(bytes.View(), quality);
            const std::optional<TMemoryStream> alpha = PNGAlphaToGrey(bytes.View());
            if (!colours || !alpha) {
                throw Error("datapack: " + item.File + " is no PNG picture");
            }
            folder->AddFile(item.Entry + "._JPG", 2, *colours);
            folder->AddFile(item.Entry + "._PNG", 2, *alpha);
            break;
        }
        case TPackMode::pmScript:
            folder->AddFile(item.Entry + "._aim", 1, bytes);
            break;
        case TPackMode::pmCipher: {
            TMemoryStream secret;
            CipherStream(bytes, secret, key);
            folder->AddFile(item.Entry, 0, secret);
            break;
        }
        }
    }
    folder->Save();
}

} // namespace qz
