#include "game/HeadlessGame.h"

#include "archive/Error.h"
#include "archive/Random.h"
#include "game/PieceGraphics.h"
#include "gfx/JpegPNG.h"
#include "gfx/PNGMorf.h"

namespace qz {

namespace {

std::filesystem::path MakeScratchFolder() {
    const std::filesystem::path base = std::filesystem::temp_directory_path();
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::filesystem::path candidate =
            base / ("quarzel-rules-" + std::to_string(Random().NextBits() % 1000000000));
        if (std::filesystem::create_directory(candidate)) {
            return candidate;
        }
    }
    throw IOError("Cannot create a scratch folder in " + base.string());
}

} // namespace

THeadlessGame::THeadlessGame(const std::string& levelsArchive, const std::string& gameArchive)
    : scratch_(MakeScratchFolder()) {
    try {
        TPNGMorf morf(90);
        const std::string levels = (scratch_ / "levels.zxc").string();
        const std::string game = (scratch_ / "game.zxc").string();
        morf.ConvertArchive(gameArchive, game);
        morf.ConvertArchive(levelsArchive, levels);
        Levels = TFileFolder::Open(levels);
        Game = TFileFolder::Open(game);
        Levels->LoadAll();
        Game->LoadAll();
        LoadDefinitions(Defs, *Game, pictures_, quiet_);
        ComposeCrystals();
        Board =
            std::make_unique<TBoard>(Defs, TGameServices{quiet_, quiet_, quiet_, Clock, pictures_});
    } catch (...) {
        std::error_code ignored;
        std::filesystem::remove_all(scratch_, ignored);
        throw;
    }
}

THeadlessGame::~THeadlessGame() {
    Levels.reset();
    Game.reset();
    std::error_code ignored;
    std::filesystem::remove_all(scratch_, ignored);
}

void THeadlessGame::ComposeCrystals() {
    TPNGMorf morf(80);
    for (TFishkaType& type : Defs.FishkaTypes) {
        const std::string entry = type.Name + ".pNg";
        if (Levels->IndexOf(entry) < 0) {
            const std::string script =
                CrystalScript(Defs.FishkaShapes[static_cast<size_t>(type.Shape)],
                              Defs.FishkaColors[static_cast<size_t>(type.Color)], type.Name);
            try {
                morf.RunScript(TMemoryStream(script), *Levels);
            } catch (const std::exception& error) {
                Problems.push_back("crystal picture " + entry +
                                   " cannot be composed: " + error.what());
            }
        }
        type.Image = entry;
    }
}

std::optional<TPictureSize> THeadlessGame::TArchivePictures::Find(std::string_view name) {
    const auto known = sizes_.find(name);
    if (known != sizes_.end()) {
        return known->second;
    }
    std::optional<TPictureSize> size;
    for (TFileFolder* folder : {owner_.Levels.get(), owner_.Game.get()}) {
        const int index = folder == nullptr ? -1 : folder->IndexOf(name);
        if (index < 0) {
            continue;
        }
        const std::string_view bytes = folder->Entry(index).View();
        const std::string lower = LowerCase(name);
        try {
            const TRGBImage image = lower.ends_with("jpg") ? DecodeJPEG(bytes) : DecodePNG(bytes);
            size = TPictureSize{image.Width, image.Height};
        } catch (const std::exception& error) {
            owner_.Problems.push_back("picture " + std::string(name) +
                                      " cannot be read: " + error.what());
        }
        break;
    }
    sizes_.emplace(std::string(name), size);
    return size;
}

} // namespace qz
