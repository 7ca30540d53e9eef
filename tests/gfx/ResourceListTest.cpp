#include "gfx/ResourceList.h"

#include "GfxTestSupport.h"
#include "TempDir.h"
#include "archive/FileFolder.h"
#include "gfx/JpegPNG.h"
#include "gfx/SurfEngine.h"

#include <gtest/gtest.h>

namespace qz {
namespace {

struct ResourceListTest : ::testing::Test {
    test::TempDir Dir;
    TSurfEngine Engine;
    std::string Archive;

    void SetUp() override {
        Engine.Initialise(TPixelFormat::Bits32());
        Archive = Dir.File("game.zxc");
        auto folder = TFileFolder::CreateNew(Archive);
        folder->AddFile("zero.png", 2, test::WritePNG(1, 1, 3, {1, 1, 1}));
        folder->AddFile("one.png", 2, test::WritePNG(1, 1, 3, {2, 2, 2}));
        folder->AddFile("two.png", 2, test::WritePNG(1, 1, 3, {3, 3, 3}));
        folder->AddFile("X.JPG", 2, EncodeJPEG(TRGBImage::Blank(8, 8), 90));
        folder->AddFile("notes.txt", 1, TMemoryStream("text"));
        folder->Save();
    }
    uint32_t Value(const std::string& name) {
        return test::PixelAt(*Engine.FindSurface(name), 0, 0);
    }
};

TEST_F(ResourceListTest, SlotsFallBackToTheNearestLowerOne) {
    TResourceList list(3, Dir.Path().string() + "/", Engine);
    list.Register("a", "one.png", 1, Archive);
    list.Register("a", "two.png", 2, Archive);
    list.Register("b", "one.png", 1, Archive);
    list.Register("c", "zero.png", 0, Archive);
    list.Register("d", "notes.txt", 1, Archive);
    ASSERT_EQ(list.Resources.size(), 4u);
    EXPECT_EQ(list.Folders.size(), 1u);
    EXPECT_EQ(list.Resources[0].Files, (std::vector<std::string>{"", "one.png", "two.png"}));
    EXPECT_EQ(list.Resources[0].FolderIndexes, (TIntegers{-1, 0, 0}));
    list.Apply(3);
    EXPECT_EQ(Value("a"), 0x030303u);
    EXPECT_EQ(Value("b"), 0x020202u);
    EXPECT_EQ(Value("c"), 0x010101u);
    EXPECT_EQ(Engine.IndexOfSurface("d"), -1) << "other file types are never loaded";
    // Pictures the engine has already stay as they are.
    list.Register("b", "two.png", 2, Archive);
    list.Apply(3);
    EXPECT_EQ(Value("b"), 0x020202u);
}

TEST_F(ResourceListTest, DiskFilesAndArchivePictures) {
    test::WritePNG(1, 1, 3, {9, 9, 9}).SaveToFile(Dir.File("disk.png"));
    TResourceList list(3, Dir.Path().string() + "/", Engine);
    list.Register("disk", "disk.png", 1, "");
    list.Register("gone", "gone.png", 1, "");
    EXPECT_EQ(list.Resources[0].FolderIndexes[1], -1);
    list.Apply(3);
    EXPECT_EQ(Value("disk"), 0x090909u);
    EXPECT_EQ(Engine.IndexOfSurface("gone"), -1);

    auto game = TFileFolder::Open(Archive);
    list.RegisterArchivePictures(*game, Archive);
    EXPECT_GE(list.IndexOfResource("X.jpg"), 0) << "extensions are lower-cased";
    EXPECT_EQ(list.IndexOfResource("notes.txt"), -1);
    list.Apply(3);
    EXPECT_GE(Engine.IndexOfSurface("X.jpg"), 0) << "the archive lookup ignores case";
    EXPECT_EQ(Engine.FindSurface("X.jpg")->AlphaPitch, -1);
    EXPECT_EQ(list.IndexOfFolder(Archive), 0);
    EXPECT_EQ(list.IndexOfFolder(Archive + "x"), -1);
}

} // namespace
} // namespace qz
