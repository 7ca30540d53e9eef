// quarzel-data contact-sheet: every crystal type as the game composes it, every boss, colour
// sign, bonus mark, fragment picture and background of the shipped archives on one PNG, in
// labelled groups, drawn with the game's own surface engine.

#include "Commands.h"
#include "StillPicture.h"
#include "archive/Error.h"
#include "game/HeadlessGame.h"
#include "game/PieceGraphics.h"
#include "gfx/ImageOps.h"

#include <algorithm>
#include <functional>
#include <iostream>

namespace qz::tool {

namespace {

constexpr int32_t SheetWidth = 1180;
constexpr int32_t Margin = 16;
constexpr int32_t Gap = 12;
constexpr uint32_t SheetColour = 0x1C1C1C;
constexpr uint32_t PanelColour = 0x2C2C2C;
constexpr uint32_t RuleColour = 0x50A0D0;
constexpr uint32_t TitleColour = 0x80E0FF;
constexpr uint32_t LabelColour = 0xC0C0C0;

// One picture of a group with its label beneath.
struct TItem {
    std::string Picture;
    std::string Label;
    TPictureSize Size;
};

// A group: a title and pictures laid out left to right, wrapping at the sheet's edge.
struct TGroup {
    std::string Title;
    std::vector<TItem> Items;
};

// The crystal types as a table: one row per shape, one column per colour.
struct TCrystalTable {
    int32_t CellWidth = 0;
    int32_t CellHeight = 0;
    int32_t NameWidth = 0;
};

class TSheet {
public:
    TSheet(THeadlessGame& game, TStillPicture& picture) : game_(game), picture_(picture) {}

    int32_t Layout(const TCrystalTable& table, const std::vector<TGroup>& groups, bool draw) {
        int32_t y = Margin;
        y = CrystalGroup(table, y, draw) + Gap;
        for (const TGroup& group : groups) {
            y = Group(group, y, draw) + Gap;
        }
        return y - Gap + Margin;
    }

private:
    int32_t LineHeight() const { return std::max(picture_.TextHeight(), 12); }

    // The panel of a group from top to bottom, its title and a rule under it.
    int32_t Header(const std::string& title, int32_t top, bool draw) {
        if (draw) {
            picture_.Fill({Margin - 6, top, SheetWidth - Margin + 5, top + 1}, RuleColour);
            picture_.Text(Margin, top + 4, title, TitleColour);
        }
        return top + 4 + LineHeight() + 6;
    }

    void Panel(int32_t top, int32_t bottom) {
        picture_.Fill({Margin - 6, top + 2, SheetWidth - Margin + 5, bottom}, PanelColour);
    }

    int32_t CrystalGroup(const TCrystalTable& table, int32_t top, bool draw) {
        const TDefinitions& defs = game_.Defs;
        const size_t colours = defs.FishkaColors.size();
        const int32_t bottom = top + 4 + LineHeight() + 6 + LineHeight() + 4 +
                               int32_t(defs.FishkaShapes.size()) * table.CellHeight;
        if (!draw) {
            return bottom;
        }
        Panel(top, bottom);
        int32_t y =
            Header("Crystals: every shape in every colour, as the game composes them", top, true);
        const int32_t left = Margin + table.NameWidth;
        for (size_t k = 0; k < colours; ++k) {
            const TFishkaColor& colour = defs.FishkaColors[k];
            picture_.Text(left + int32_t(k) * table.CellWidth, y,
                          std::to_string(k + 1) + " " + colour.Material, LabelColour);
        }
        y += LineHeight() + 4;
        for (size_t s = 0; s < defs.FishkaShapes.size(); ++s) {
            const int32_t rowTop = y + int32_t(s) * table.CellHeight;
            if (s % 2 == 1) {
                picture_.Fill(
                    {Margin - 6, rowTop, SheetWidth - Margin + 5, rowTop + table.CellHeight - 1},
                    0x343434);
            }
            picture_.Text(Margin, rowTop + (table.CellHeight - LineHeight()) / 2,
                          defs.FishkaShapes[s].Name, LabelColour);
            for (size_t k = 0; k < colours; ++k) {
                const TFishkaType& type = defs.FishkaTypes[s * colours + k];
                const auto size = picture_.Load(type.Image);
                if (!size) {
                    continue;
                }
                picture_.Draw(type.Image,
                              left + int32_t(k) * table.CellWidth +
                                  (table.CellWidth - 8 - size->Width) / 2,
                              rowTop + (table.CellHeight - size->Height) / 2);
            }
        }
        return bottom;
    }

    int32_t Group(const TGroup& group, int32_t top, bool draw) {
        int32_t y = Header(group.Title, top, false);
        int32_t x = Margin;
        int32_t rowHeight = 0;
        struct TPlaced {
            const TItem* Item;
            int32_t X, Y, Width;
        };
        std::vector<TPlaced> placed;
        for (const TItem& item : group.Items) {
            const int32_t width = std::max(item.Size.Width, picture_.TextWidth(item.Label));
            if (x > Margin && x + width > SheetWidth - Margin) {
                x = Margin;
                y += rowHeight + Gap;
                rowHeight = 0;
            }
            placed.push_back({&item, x, y, width});
            rowHeight = std::max(rowHeight, item.Size.Height + 3 + LineHeight());
            x += width + 2 * Gap;
        }
        const int32_t bottom = y + rowHeight + 6;
        if (draw) {
            Panel(top, bottom);
            Header(group.Title, top, true);
            for (const TPlaced& p : placed) {
                picture_.Draw(p.Item->Picture, p.X + (p.Width - p.Item->Size.Width) / 2, p.Y);
                picture_.Text(p.X + (p.Width - picture_.TextWidth(p.Item->Label)) / 2,
                              p.Y + p.Item->Size.Height + 3, p.Item->Label, LabelColour);
            }
        }
        return bottom;
    }

    THeadlessGame& game_;
    TStillPicture& picture_;
};

// Adds the picture as an item when the archives hold it.
void AddItem(TStillPicture& picture, TGroup& group, const std::string& name,
             const std::string& label) {
    if (const auto size = picture.Load(name)) {
        group.Items.push_back({name, label, *size});
    }
}

// Adds the picture scaled by the factor under a name of its own.
void AddScaled(TStillPicture& picture, TGroup& group, const std::string& name, double factor,
               const std::string& label) {
    std::optional<TRGBImage> image = picture.Decode(name);
    if (!image) {
        return;
    }
    const auto width = static_cast<int32_t>(image->Width * factor + 0.5);
    const auto height = static_cast<int32_t>(image->Height * factor + 0.5);
    ScaleImage(*image, width, height);
    const std::string scaled = "scaled " + name;
    picture.Add(scaled, *image);
    group.Items.push_back({scaled, label, {width, height}});
}

const char* const BonusMarks[] = {"small_coin_line.png",    "silver_coin_line.png",
                                  "gold_coin_line.png",     "smallshuffle_small_line.png",
                                  "shuffle_small_line.png", "smallshift_small_line.png",
                                  "shift_small_line.png",   "bomb_small_line.png"};

std::vector<TGroup> Groups(THeadlessGame& game, TStillPicture& picture) {
    const TDefinitions& defs = game.Defs;
    std::vector<TGroup> groups;

    TGroup signs{"Colour signs (each at its own size and three times larger)", {}};
    for (size_t k = 0; k < defs.FishkaColors.size(); ++k) {
        const std::string& sign = defs.FishkaColors[k].Sign;
        AddItem(picture, signs, sign, std::to_string(k + 1));
        AddScaled(picture, signs, sign, 3, sign);
    }
    groups.push_back(std::move(signs));

    TGroup bosses{"Bosses", {}};
    for (const TBossType& boss : defs.BossTypes) {
        AddItem(picture, bosses, boss.Image, boss.Image + " power " + std::to_string(boss.Power));
    }
    groups.push_back(std::move(bosses));

    TGroup marks{"Bonus marks (kinds 0-15) and the bursts of a collected bomb", {}};
    for (size_t kind = 0; kind < std::size(BonusMarks); ++kind) {
        AddItem(picture, marks, BonusMarks[kind], std::to_string(kind) + " " + BonusMarks[kind]);
    }
    for (size_t k = 0; k < defs.FishkaColors.size(); ++k) {
        AddItem(picture, marks, ColorBombName(k), std::to_string(k + 8) + " " + ColorBombName(k));
    }
    AddItem(picture, marks, "tricolor_line.png", "15 tricolor_line.png");
    AddItem(picture, marks, "boomstar.png", "boomstar.png");
    for (size_t k = 0; k < defs.FishkaColors.size(); ++k) {
        AddItem(picture, marks, ColorStarName(k), ColorStarName(k));
    }
    groups.push_back(std::move(marks));

    TGroup frags{"Fragment masks (kinds 0-3) and the fragment hint", {}};
    for (const TFragType& kind : defs.FragTypes) {
        AddItem(picture, frags, kind.Image, kind.Image);
    }
    AddItem(picture, frags, "FragHint.png", "FragHint.png");
    groups.push_back(std::move(frags));

    TGroup backgrounds{"Backgrounds (scaled to 45 %)", {}};
    for (const char* name : {"GamePlay2.jpg", "Title.jpg", "TitleSketch.jpg"}) {
        AddScaled(picture, backgrounds, name, 0.45, name);
    }
    groups.push_back(std::move(backgrounds));
    return groups;
}

} // namespace

int RunContactSheet(const Arguments& arguments) {
    if (arguments.size() != 3) {
        throw UsageError{};
    }
    RequireFile(arguments[0], "game archive");
    RequireFile(arguments[1], "levels archive");
    THeadlessGame game(arguments[1], arguments[0]);
    // Sized on a first small picture, drawn on the real one.
    TStillPicture probe(game, 16, 16, SheetColour);
    PrepareCrystalPictures(game.Defs, *game.Levels, probe.Engine);
    PrepareBonusPictures(game.Defs, *game.Game, probe.Engine);

    TCrystalTable table;
    for (const TFishkaShape& shape : game.Defs.FishkaShapes) {
        table.NameWidth = std::max(table.NameWidth, probe.TextWidth(shape.Name) + 14);
    }
    for (const TFishkaType& type : game.Defs.FishkaTypes) {
        if (const auto size = probe.Load(type.Image)) {
            table.CellWidth = std::max(table.CellWidth, size->Width + 8);
            table.CellHeight = std::max(table.CellHeight, size->Height + 8);
        }
    }
    const auto colours = static_cast<int32_t>(game.Defs.FishkaColors.size());
    if (colours > 0) {
        table.CellWidth =
            std::max(table.CellWidth, (SheetWidth - 2 * Margin - table.NameWidth) / colours);
    }
    const std::vector<TGroup> sized = Groups(game, probe);
    TSheet sizing(game, probe);
    const int32_t height = sizing.Layout(table, sized, false);

    TStillPicture sheet(game, SheetWidth, height, SheetColour);
    PrepareCrystalPictures(game.Defs, *game.Levels, sheet.Engine);
    PrepareBonusPictures(game.Defs, *game.Game, sheet.Engine);
    const std::vector<TGroup> groups = Groups(game, sheet);
    TSheet drawing(game, sheet);
    drawing.Layout(table, groups, true);
    sheet.SavePNG(arguments[2]);
    std::cout << arguments[2] << ": " << SheetWidth << " x " << height << "\n";
    return 0;
}

} // namespace qz::tool
