#include "game/LevelLoader.h"

#include "GameTestSupport.h"
#include "archive/CUnit.h"
#include "archive/Error.h"

#include <gtest/gtest.h>

namespace qz::test {
namespace {

std::string Enciphered(const std::string& file) {
    TMemoryStream plain;
    plain.LoadFromFile(GameDataFile(file));
    TMemoryStream secret;
    CipherStream(plain, secret, DataKey());
    return secret.ToString();
}

struct LevelTest : GameFixture, ::testing::Test {
    LevelTest() {
        Pictures.Sizes["deco1.png"] = {11, 12};
        Pictures.Sizes["deco2.png"] = {13, 14};
        Levels = DataArchive({"Level1.xml", "Level2.xml", "Level3.xml"});
        AddEntry(*Levels, "Secret.xml", Enciphered("Level1.xml"));
        AddEntry(*Levels, "Broken.xml", "\r\x01" + std::string(300, 'a'));
    }
    std::unique_ptr<TFileFolder> Levels;
};

TEST_F(LevelTest, FreshStartReadsEverySectionWhateverItsOrder) {
    Clock.Tick = 5000;
    ASSERT_TRUE(LoadLevel(*Board, *Levels, "Level1.xml", true));
    const TLevel& l = Board->Level;
    EXPECT_TRUE(LevelLoadFlags().LevelWasPlain);
    EXPECT_EQ(l.Colors, (TIntegers{1, 3}));
    EXPECT_EQ(l.NullFrags, (TIntegers{0, 5}));
    EXPECT_EQ(l.MoveInterval, 7000);
    EXPECT_EQ(l.Strategic, 4);
    EXPECT_EQ(l.PutLeft, 4);
    EXPECT_EQ(l.NextMoveTime, 12000);
    EXPECT_EQ(l.PutFishkaSound, "put.ogg");
    EXPECT_EQ(Sounds.Music, "level.mo3");
    EXPECT_EQ(l.BonusTypeWeights, (TIntegers{0, 0, 5}));
    EXPECT_DOUBLE_EQ(l.NoColorFishka, 0.25);
    EXPECT_DOUBLE_EQ(l.FishkaWithBonus, 0.0);
    EXPECT_EQ(l.ShapeWeights, (TIntegers{2, 2, 2, 0, 0, 0, 1, 1, 1, 0, 0, 0}));

    ASSERT_EQ(l.Layers.size(), 2u);
    EXPECT_EQ(l.LayerIndex, 0);
    const TLayer& layer = l.Layers[0];
    ASSERT_EQ(layer.Fishkas.size(), 4u + 3u); // the Fishka without Count is skipped; 3 dealt
    const TFishka& tri = layer.Fishkas[0];
    EXPECT_TRUE(Defs.ColorOf(tri.FType) == 0 || Defs.ColorOf(tri.FType) == 2);
    EXPECT_EQ(Defs.FishkaTypes[tri.FType].Shape, 0);
    EXPECT_EQ(tri.x, 201);
    EXPECT_EQ(tri.y, 231);
    EXPECT_EQ(layer.Fishkas[1].Count, 2);
    EXPECT_EQ(layer.Fishkas[2].FType, 0); // no shape of that name in the level's colours
    const TFishka& nulled = layer.Fishkas[3];
    EXPECT_EQ(nulled.Count, 2); // 258 kept in 8 bits
    EXPECT_EQ(nulled.x, 32);    // on a null fragment: never snapped, never covered
    EXPECT_EQ(nulled.y, 551);
    EXPECT_EQ(layer.Frags.size(), 6u);
    EXPECT_EQ(IndexOfInteger(layer.Frags, 0), -1);
    EXPECT_EQ(layer.Owners, (TIntegers{0, 1, 1, 1, 1, 2}));

    ASSERT_EQ(l.Bosses.size(), 3u);
    EXPECT_EQ(l.Bosses[0].Main, 1);
    EXPECT_EQ(l.Bosses[1].Main, 0);
    EXPECT_EQ(layer.MainFishka, 1);
    EXPECT_EQ(layer.Fishkas[1].Boss, 0);
    EXPECT_EQ(layer.Fishkas[0].Boss, 1);
    EXPECT_EQ(Board->Game.Queue, (TIntegers{4, 5, 6}));
    EXPECT_EQ(Board->Game.InHand, 4);
    EXPECT_EQ(Board->DrawOrder, (TIntegers{0, 1, 2, 3}));
    EXPECT_FALSE(layer.Contour.empty());

    ASSERT_EQ(l.Pictures.size(), 1u);
    EXPECT_EQ(l.Pictures[0].Images, (std::vector<std::string>{"deco1.png", "deco2.png"}));
    EXPECT_EQ(l.Pictures[0].Times, (TIntegers{100, 200}));
    EXPECT_EQ(l.Pictures[0].Width, 13);
    EXPECT_EQ(l.PictureMap.Cells, (TIntegers{2, 1, 0, 1, 2}));
    EXPECT_EQ(l.PictureMap.LineWidth, 3);
    EXPECT_EQ(l.PictureMap.OneHeight, 40);
    EXPECT_EQ(Controls.Get("WGame_PBDead", "Position"), "0");
}

TEST_F(LevelTest, EncipheredPlainAndBrokenFiles) {
    ASSERT_TRUE(LoadLevel(*Board, *Levels, "Secret.xml", true));
    EXPECT_FALSE(LevelLoadFlags().LevelWasPlain);
    EXPECT_EQ(Board->Level.Colors, (TIntegers{1, 3}));
    EXPECT_EQ(Board->Level.Layers.size(), 2u);

    EXPECT_FALSE(LoadLevel(*Board, *Levels, "Broken.xml", true));
    EXPECT_TRUE(LevelLoadFlags().BadLevelFile);
    EXPECT_EQ(Board->Level.Layers.size(), 2u); // nothing changed

    try {
        LoadLevel(*Board, *Levels, "Level9.xml", true);
        FAIL() << "no error";
    } catch (const Error& e) {
        EXPECT_STREQ(e.what(), "Can not find Level9.xmlin file folder");
    }
}

TEST_F(LevelTest, OmittedValuesCarryOverAndSavedGamesGetNoLayers) {
    ASSERT_TRUE(LoadLevel(*Board, *Levels, "Level1.xml", true));
    ASSERT_TRUE(LoadLevel(*Board, *Levels, "Level2.xml", false));
    const TLevel& l = Board->Level;
    EXPECT_TRUE(l.Layers.empty());
    EXPECT_TRUE(l.Bosses.empty());
    EXPECT_TRUE(l.NullFrags.empty());
    EXPECT_TRUE(l.ShapeWeights.empty());
    EXPECT_EQ(l.Colors, (TIntegers{2}));
    EXPECT_EQ(l.MoveInterval, 7000);
    EXPECT_EQ(l.PutFishkaSound, "put.ogg");
    EXPECT_DOUBLE_EQ(l.NoColorFishka, 0.25);
    EXPECT_EQ(Effects.Clears, 2);

    // A fresh start shows the hint the level names; a saved game of it and a level without
    // one show none.
    Controls.Hints.clear();
    ASSERT_TRUE(LoadLevel(*Board, *Levels, "Level1.xml", true));
    EXPECT_EQ(Controls.Hints, (std::vector<std::string>{"WGame_HLevel2"}));
    ASSERT_TRUE(LoadLevel(*Board, *Levels, "Level1.xml", false));
    ASSERT_TRUE(LoadLevel(*Board, *Levels, "Level2.xml", true));
    EXPECT_EQ(Controls.Hints.size(), 1U);
}

TEST_F(LevelTest, OnlyLevelCrystalsOfFiveFishesCarryBonusesAndBossesTakeThemAway) {
    ASSERT_TRUE(LoadLevel(*Board, *Levels, "Level3.xml", true));
    ASSERT_FALSE(Board->Level.Layers.empty());
    const TLayer& layer = Board->Level.Layers[0];
    ASSERT_EQ(layer.Fishkas.size(), 3u + 3u); // three from the level, three dealt
    EXPECT_EQ(layer.Fishkas[0].BType, 2);
    EXPECT_TRUE(layer.Fishkas[0].BonusEffect.Active);
    EXPECT_EQ(layer.Fishkas[0].BonusEffect.Image, "gold_coin_line.png");
    EXPECT_EQ(layer.Fishkas[0].BonusEffect.Effect, "BonusCoin.xml");
    const TPoint sign = Board->SignPoint(layer.Fishkas[0]);
    EXPECT_EQ(layer.Fishkas[0].BonusEffect.Position, sign);
    EXPECT_EQ(layer.Fishkas[1].BType, -1); // four fishes
    EXPECT_EQ(layer.Fishkas[2].Boss, 0);
    EXPECT_EQ(layer.Fishkas[2].BType, -1);
    EXPECT_FALSE(layer.Fishkas[2].BonusEffect.Active);
    EXPECT_EQ(layer.MainFishka, 2);
    for (int i = 3; i < 6; ++i) {
        EXPECT_EQ(layer.Fishkas[i].BType, -1) << "dealt crystals carry nothing";
    }
}

TEST_F(LevelTest, OutOfRangeBossTypesAndFragmentsAreRefused) {
    AddEntry(*Levels, "BadBoss.xml",
             "<Level><Layers><Layer/></Layers><Bosses><Boss x=\"1\" y=\"2\" Type=\"3\"/>"
             "</Bosses></Level>\r\n");
    AddEntry(*Levels, "BadFrag.xml", "<Level><NullFrags>12 12000</NullFrags></Level>\r\n");
    try {
        LoadLevel(*Board, *Levels, "BadBoss.xml", true);
        FAIL() << "no error";
    } catch (const Error& e) {
        EXPECT_STREQ(e.what(), "BadBoss.xml: boss type 3 does not exist (3 boss types)");
    }
    try {
        LoadLevel(*Board, *Levels, "BadFrag.xml", true);
        FAIL() << "no error";
    } catch (const Error& e) {
        EXPECT_STREQ(e.what(), "BadFrag.xml: null fragment 12000 is outside the board (0..11999)");
    }
}

TEST_F(LevelTest, ExtremeNumbersAreHeldWhereNoSumOverflows) {
    AddEntry(*Levels, "Extreme.xml",
             "<Level>\r\n<FishkaColors>1</FishkaColors>\r\n"
             "<MoveInterval Action=\"2147483647\" Strategic=\"2147483647\"/>\r\n"
             "<Layers><Layer>\r\n"
             "<Fishka x=\"2147483647\" y=\"-2147483648\" Shape=\"Tri\" Count=\"1\"/>\r\n"
             "<Fishka x=\"212\" y=\"228\" Shape=\"Tri\" Count=\"1\"/>\r\n"
             "</Layer></Layers>\r\n"
             "<Bosses><Boss x=\"-2147483648\" y=\"2147483647\" Type=\"0\"/></Bosses>\r\n"
             "<Pictures><Picture x=\"2147483647\" y=\"1\" Sx=\"-2147483648\" Sy=\"0\" "
             "Name=\"p\">\r\n<Image Name=\"deco1.png\" t=\"5\"/></Picture></Pictures>\r\n"
             "<PictureMap x=\"2147483647\" y=\"0\" OneWidth=\"2147483647\" OneHeight=\"1\">\r\n"
             "<Images><Image Name=\"deco1.png\"/></Images><Lines><Line>1 1</Line></Lines>\r\n"
             "</PictureMap></Level>\r\n");
    ASSERT_TRUE(LoadLevel(*Board, *Levels, "Extreme.xml", true));
    const TLevel& l = Board->Level;
    EXPECT_EQ(l.MoveInterval, 86400000);
    EXPECT_EQ(l.Strategic, 1000000);
    EXPECT_EQ(l.Bosses[0].x, -1000000);
    EXPECT_EQ(l.Pictures[0].x, 1000000);
    EXPECT_EQ(l.PictureMap.OneWidth, 1000000);
    // The far crystal stays where the file put it, beyond every fragment; the near one fits.
    EXPECT_EQ(l.Layers[0].Fishkas[0].x, 1000000);
    EXPECT_FALSE(l.Layers[0].Owners.empty());
    for (const int32_t owner : l.Layers[0].Owners) {
        EXPECT_EQ(owner, 1);
    }
}

TEST_F(LevelTest, CrystalsOfNoExistingTypeAreRefused) {
    // Damaged definitions leave no crystal type at all: the level cannot be played, and the
    // board must not look up a type that is not there.
    Defs.FishkaTypes.clear();
    try {
        LoadLevel(*Board, *Levels, "Level1.xml", true);
        FAIL() << "no error";
    } catch (const Error& e) {
        EXPECT_STREQ(e.what(), "Level1.xml: crystal 1 of layer 1 (shape \"Tri\") has crystal "
                               "type 0, which does not exist (0 crystal types)");
    }
    EXPECT_TRUE(Board->Level.Layers.empty() || Board->Level.Layers.front().Fishkas.empty());
}

TEST_F(LevelTest, TheTimeBetweenMovesTakesDecimalSeconds) {
    for (const auto& [text, ms] : std::vector<std::pair<std::string, int32_t>>{{"6.5", 6500},
                                                                               {"4.25", 4250},
                                                                               {"3.", 3000},
                                                                               {"7.1259", 7125},
                                                                               {"-0.5", -500},
                                                                               {"2.x5", 2000}}) {
        const std::string name = "Pace" + std::to_string(ms) + ".xml";
        AddEntry(*Levels, name,
                 "<Level>\r\n<FishkaColors>1</FishkaColors>\r\n<MoveInterval Action=\"" + text +
                     "\" Strategic=\"6\"/>\r\n<Layers><Layer>\r\n"
                     "<Fishka x=\"212\" y=\"228\" Shape=\"Tri\" Count=\"1\"/>\r\n"
                     "</Layer></Layers>\r\n</Level>\r\n");
        ASSERT_TRUE(LoadLevel(*Board, *Levels, name, true));
        EXPECT_EQ(Board->Level.MoveInterval, ms) << text;
    }
}

} // namespace
} // namespace qz::test
