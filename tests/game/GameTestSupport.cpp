#include "GameTestSupport.h"

#include "archive/MemoryStream.h"
#include "archive/Random.h"
#include "game/Definitions.h"

#include <algorithm>

namespace qz::test {

std::string GameDataFile(const std::string& name) {
    return std::string(QUARZEL_GAME_TEST_DATA) + "/" + name;
}

void AddEntry(TFileFolder& folder, const std::string& name, const std::string& bytes) {
    folder.AddFile(name, 0, TMemoryStream(bytes));
}

std::unique_ptr<TFileFolder> DataArchive(const std::vector<std::string>& files) {
    auto folder = TFileFolder::CreateNew("unsaved.zxc");
    for (const std::string& file : files) {
        TMemoryStream stream;
        stream.LoadFromFile(GameDataFile(file));
        folder->AddFile(file, 0, stream);
    }
    return folder;
}

void RecordingControls::SetProperty(std::string_view object, std::string_view property,
                                    std::string_view value) {
    Log.push_back(std::string(object) + "." + std::string(property) + "=" + std::string(value));
}

void RecordingControls::ShowHint(std::string_view hint, std::optional<TPoint> at) {
    std::string text(hint);
    if (at) {
        text += "@" + std::to_string(at->X) + "," + std::to_string(at->Y);
    }
    Hints.push_back(text);
}

std::string RecordingControls::Get(const std::string& object, const std::string& property) const {
    const std::string prefix = object + "." + property + "=";
    for (auto it = Log.rbegin(); it != Log.rend(); ++it) {
        if (it->rfind(prefix, 0) == 0) {
            return it->substr(prefix.size());
        }
    }
    return "<unset>";
}

int RecordingSounds::Count(const std::string& name) const {
    return static_cast<int>(std::count(Played.begin(), Played.end(), name));
}

std::vector<TEffectRequest> RecordingEffects::With(const std::string& effect) const {
    std::vector<TEffectRequest> found;
    for (const TEffectRequest& request : Added) {
        if (request.Effect == effect) {
            found.push_back(request);
        }
    }
    return found;
}

std::optional<TPictureSize> SizedPictures::Find(std::string_view name) {
    Asked.emplace_back(name);
    const auto it = Sizes.find(name);
    if (it == Sizes.end()) {
        return std::nullopt;
    }
    return it->second;
}

GameFixture::GameFixture() {
    Random().Seed(7);
    Pictures.Sizes["boss.png"] = {40, 30};
    Pictures.Sizes["smallboss.png"] = {20, 20};
    Pictures.Sizes["sign0.png"] = {10, 10};
    auto game = DataArchive({"fishkaShapes.xml", "MetaColors.xml", "BossTypes.xml"});
    LoadDefinitions(Defs, *game, Pictures, Controls);
    for (const TFishkaType& type : Defs.FishkaTypes) {
        const TFishkaShape& shape = Defs.FishkaShapes[static_cast<size_t>(type.Shape)];
        Pictures.Sizes[type.Image] = {shape.MaxX - shape.MinX, shape.MaxY};
    }
    Board =
        std::make_unique<TBoard>(Defs, TGameServices{Controls, Sounds, Effects, Clock, Pictures});
    Board->Level.Colors = {1, 2, 3};
}

int32_t GameFixture::Type(const std::string& shape, int32_t colour) const {
    for (size_t s = 0; s < Defs.FishkaShapes.size(); ++s) {
        if (Defs.FishkaShapes[s].Name == shape) {
            return Defs.FindType(static_cast<int32_t>(s), colour);
        }
    }
    return -1;
}

TPoint GameFixture::WindowFor(int32_t type, int32_t frag) const {
    const TFishkaShape& shape = Defs.ShapeOf(type);
    const TFrag& f = Defs.Frags[static_cast<size_t>(frag)];
    const TFragType& kind = Defs.FragTypes[f.Kind];
    const int32_t x =
        Defs.BoardPoints[static_cast<size_t>(f.Points[static_cast<size_t>(kind.LeftPoint)])].X +
        shape.AnchorDX;
    const int32_t y =
        Defs.BoardPoints[static_cast<size_t>(f.Points[static_cast<size_t>(kind.TopPoint)])].Y +
        shape.AnchorDY + shape.Height;
    const int32_t h = Board->TypeSize(type).Height;
    return {x + 11 - Board->Game.ViewX, 593 + Board->Game.ViewY - h - y + shape.MaxY};
}

void GameFixture::NewLayer() {
    Board->Level.Layers.emplace_back();
    Board->Level.LayerIndex = static_cast<int32_t>(Board->Level.Layers.size()) - 1;
}

int32_t GameFixture::Place(int32_t type, int32_t frag, uint8_t count) {
    if (Board->Level.Layers.empty()) {
        NewLayer();
    }
    TFishka f;
    f.FType = type;
    f.State = fsOnBoard;
    f.Count = count;
    const TPoint at = WindowFor(type, frag);
    f.x = at.X;
    f.y = at.Y;
    Board->Layer().Fishkas.push_back(f);
    const auto index = static_cast<int32_t>(Board->Layer().Fishkas.size()) - 1;
    Board->PutFishka(index, TPutMode::Level);
    Board->DrawOrder.push_back(index);
    return index;
}

bool GameFixture::HandTo(int32_t frag) {
    TBoard& b = *Board;
    if (b.Game.Queue.empty()) {
        for (int i = 0; i < QueueLength; ++i) {
            b.DealFishka();
        }
    }
    if (!b.HasLayer() || b.Game.InHand < 0 ||
        static_cast<size_t>(b.Game.InHand) >= b.Layer().Fishkas.size()) {
        return false;
    }
    TFishka& hand = b.Fishka(b.Game.InHand);
    const TPoint at = WindowFor(hand.FType, frag);
    b.Game.PointerX = 0;
    b.Game.PointerY = 0;
    b.FollowPointer(hand);
    b.MovePointer(at.X - hand.x, at.Y - hand.y);
    return true;
}

void GameFixture::StartPlay(int32_t mode) {
    Board->Game.Mode = mode;
    Board->Game.GameState = gsGamePlay;
}

} // namespace qz::test
