#include "RunTool.h"
#include "TempDir.h"
#include "archive/FileFolder.h"
#include "gfx/JpegPNG.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

namespace qz {
namespace {

using test::RunTool;

void WriteFile(const std::string& fileName, const std::string& bytes) {
    std::ofstream(fileName, std::ios::binary) << bytes;
}

std::string ReadFile(const std::string& fileName) {
    TMemoryStream stream;
    stream.LoadFromFile(fileName);
    return stream.ToString();
}

std::string XmlFormat(const std::string& document) {
    test::TempDir dir;
    WriteFile(dir.File("in.xml"), document);
    const auto result = RunTool({"xml-format", dir.File("in.xml")});
    EXPECT_EQ(result.ExitCode, 0) << result.Err;
    return result.Out;
}

TEST(QuarzelData, HelpListsTheCommands) {
    const auto result = RunTool({"--help"});
    EXPECT_EQ(result.ExitCode, 0);
    for (const char* command : {"zxc list", "zxc add", "cipher", "encode-text", "decode-text",
                                "is-plain-text", "digits-to-text", "xml-format"}) {
        EXPECT_NE(result.Out.find(command), std::string::npos) << command;
    }
    EXPECT_EQ(RunTool({"no-such-command"}).ExitCode, 1);
    EXPECT_EQ(RunTool({"zxc", "list"}).ExitCode, 1);
}

TEST(QuarzelData, ArchiveCreateAddListExtract) {
    test::TempDir dir;
    const std::string archive = dir.File("game.zxc");
    WriteFile(dir.File("Shapes.xml"), "<a/>");
    WriteFile(dir.File("pic"), std::string("\x89PNG\0", 5));
    ASSERT_EQ(RunTool({"zxc", "create", archive}).ExitCode, 0);
    ASSERT_EQ(RunTool({"zxc", "add", archive, dir.File("Shapes.xml")}).ExitCode, 0);
    ASSERT_EQ(RunTool({"zxc", "add", archive, dir.File("pic"), "Ball.png", "2"}).ExitCode, 0);
    EXPECT_EQ(RunTool({"zxc", "list", archive}).Out, "Shapes.xml\t4\t0\nBall.png\t5\t2\n");

    const auto duplicate = RunTool({"zxc", "add", archive, dir.File("pic"), "BALL.PNG"});
    EXPECT_EQ(duplicate.ExitCode, 1);
    EXPECT_EQ(duplicate.Err, "Cannot add file (dublicate)\n");

    ASSERT_EQ(RunTool({"zxc", "extract", archive, "ball.png", dir.File("out")}).ExitCode, 0);
    EXPECT_EQ(ReadFile(dir.File("out")), std::string("\x89PNG\0", 5));
    const auto missing = RunTool({"zxc", "extract", archive, "none", dir.File("out")});
    EXPECT_EQ(missing.ExitCode, 1);
    EXPECT_EQ(missing.Err, "Cannot load file (wrong file name)\n");

    WriteFile(dir.File("broken.zxc"), "12345678");
    const auto broken = RunTool({"zxc", "list", dir.File("broken.zxc")});
    EXPECT_EQ(broken.ExitCode, 1);
    EXPECT_EQ(broken.Err, "Cannot open FileFolder (broked label)\n");
}

TEST(QuarzelData, CipherAndCodecs) {
    test::TempDir dir;
    WriteFile(dir.File("plain"), "abc");
    ASSERT_EQ(RunTool({"cipher", "ab", dir.File("plain"), dir.File("hidden")}).ExitCode, 0);
    const std::string hidden{'a' ^ 'a', 'b' ^ 'b', 'c' ^ 'a'};
    EXPECT_EQ(ReadFile(dir.File("hidden")), hidden);
    ASSERT_EQ(RunTool({"cipher", "--hex", "6162", dir.File("hidden"), dir.File("back")}).ExitCode,
              0);
    EXPECT_EQ(ReadFile(dir.File("back")), "abc");
    EXPECT_EQ(RunTool({"cipher", "--hex", "6", dir.File("plain"), dir.File("x")}).ExitCode, 1);

    EXPECT_EQ(RunTool({"encode-text"}, "A\r\nA").Out, "t\r\nt");
    EXPECT_EQ(RunTool({"decode-text"}, "t\r\nt").Out, "A\r\nA");

    WriteFile(dir.File("long"), std::string(300, 'a'));
    EXPECT_EQ(RunTool({"is-plain-text", dir.File("long")}).Out, "not plain\n");
    EXPECT_EQ(RunTool({"is-plain-text", dir.File("plain")}).Out, "plain\n");

    EXPECT_EQ(RunTool({"digits-to-text", "0000322"}).Out, "4201\n");
    EXPECT_EQ(RunTool({"digits-to-text", "907642105941140884197448"}).Out, "517a37236b52326d\n");
}

TEST(QuarzelData, XmlFormatWritesTheTreeBack) {
    EXPECT_EQ(XmlFormat("<a x=\"1\"  y = \"2\"/>"), "<a x=\"1\" y=\"2\" />\r\n");
    EXPECT_EQ(XmlFormat("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<r/>"),
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<r />\r\n");
    EXPECT_EQ(XmlFormat("<a>x<b/></a>"), "<a>x\t<b />\r\n</a>\r\n");
    EXPECT_EQ(XmlFormat("<a>x<b/>y</a>"), "<a>y\t<b />\r\n</a>\r\n");
    EXPECT_EQ(XmlFormat("<a v=\"&amp;\"> Hello&amp;World </a>"),
              "<a v=\"&amp;\">Hello&amp;World</a>\r\n");
    EXPECT_EQ(XmlFormat("<a>one\ntwo</a>"), "<a>one two</a>\r\n");
    EXPECT_EQ(XmlFormat("<a v=\"1\ttab\"/>"), "<a v=\"1 tab\" />\r\n");
    EXPECT_EQ(XmlFormat("<a b=\"1\" word/><c b=1/>"), "<a b=\"1\" />\r\n<c />\r\n");
    EXPECT_EQ(XmlFormat("<a></b>"), "<a />\r\n");
    EXPECT_EQ(XmlFormat("<!-- a < b > c --><a/>"), "<a />\r\n");
    const std::string v79(79, 'v');
    const std::string v80(80, 'v');
    EXPECT_EQ(XmlFormat("<r><a>" + v80 + "</a><a>" + v79 + "</a></r>"),
              "<r>\r\n\t<a>\r\n\t" + v80 + "\r\n\t</a>\r\n\t<a>" + v79 + "</a>\r\n</r>\r\n");
    // A ">" ends the tag even inside quotes; the rest is read as text of a.
    EXPECT_EQ(XmlFormat("<a v=\"x>y\"/>"), "<a>y&quot;/&gt;</a>\r\n");

    test::TempDir dir;
    WriteFile(dir.File("comment.xml"), "<!-- nothing else -->");
    const auto empty = RunTool({"xml-format", dir.File("comment.xml")});
    EXPECT_EQ(empty.ExitCode, 1);
    EXPECT_EQ(empty.Err, "List index out of bounds (0)\n");
}

const std::string GameArchive = std::string(QUARZEL_BIN_DIR) + "/game/game.zxc";
const std::string LevelsArchive = std::string(QUARZEL_BIN_DIR) + "/levels/levels.zxc";

TRGBImage ReadPNG(const std::string& fileName) {
    return DecodePNG(ReadFile(fileName));
}

TRGBImage ExtractJPEG(const std::string& archive, const std::string& name) {
    test::TempDir dir;
    EXPECT_EQ(RunTool({"zxc", "extract", archive, name, dir.File("out")}).ExitCode, 0);
    return DecodeJPEG(ReadFile(dir.File("out")));
}

bool SamePixel(const TRGBImage& a, const TRGBImage& b, int32_t x, int32_t y) {
    return std::equal(a.Pixel(x, y), a.Pixel(x, y) + 3, b.Pixel(x, y));
}

TEST(QuarzelData, ContactSheetShowsEveryGroupOnOnePicture) {
    test::TempDir dir;
    const auto result = RunTool({"contact-sheet", GameArchive, LevelsArchive, dir.File("s.png")});
    ASSERT_EQ(result.ExitCode, 0) << result.Err;
    const TRGBImage sheet = ReadPNG(dir.File("s.png"));
    EXPECT_EQ(sheet.Width, 1180);
    // Seven colours of more than twenty shapes, then the smaller groups and the backgrounds.
    EXPECT_GT(sheet.Height, 2500);
    EXPECT_EQ(result.Out, dir.File("s.png") + ": 1180 x " + std::to_string(sheet.Height) + "\n");
    // The backgrounds come last: the sheet's lower part is not the plain sheet colour.
    int32_t coloured = 0;
    for (int32_t x = 0; x < sheet.Width; ++x) {
        const uint8_t* p = sheet.Pixel(x, sheet.Height - 60);
        coloured += p[0] != p[1] || p[1] != p[2];
    }
    EXPECT_GT(coloured, 500);
}

TEST(QuarzelData, BoardPictureDrawsTheLevelOverThePlayBackground) {
    test::TempDir dir;
    const auto one =
        RunTool({"board-picture", GameArchive, LevelsArchive, "Level1.xml", dir.File("one.png")});
    ASSERT_EQ(one.ExitCode, 0) << one.Err;
    const TRGBImage board = ReadPNG(dir.File("one.png"));
    ASSERT_EQ(board.Width, 800);
    ASSERT_EQ(board.Height, 600);
    const TRGBImage background = ExtractJPEG(GameArchive, "GamePlay2.jpg");
    // The panel's top corner keeps the background; the board has crystals on it somewhere.
    EXPECT_TRUE(SamePixel(board, background, 790, 5));
    int32_t changed = 0;
    for (int32_t y = 0; y < 600; y += 2) {
        for (int32_t x = 0; x < 596; x += 2) {
            changed += !SamePixel(board, background, x, y);
        }
    }
    EXPECT_GT(changed, 500);

    // The same seed draws the same board; every level of the archive gets its picture.
    const auto again = RunTool({"board-picture", GameArchive, LevelsArchive, "Level1.xml",
                                dir.File("again.png"), "--seed", "1"});
    ASSERT_EQ(again.ExitCode, 0) << again.Err;
    EXPECT_EQ(ReadFile(dir.File("again.png")), ReadFile(dir.File("one.png")));
    const auto all =
        RunTool({"board-picture", GameArchive, LevelsArchive, "--all", dir.File("all")});
    ASSERT_EQ(all.ExitCode, 0) << all.Err;
    EXPECT_EQ(ReadFile(dir.File("all/Level1.png")), ReadFile(dir.File("one.png")));
    for (int n = 1; n <= 20; ++n) {
        const TRGBImage level = ReadPNG(dir.File("all/Level" + std::to_string(n) + ".png"));
        EXPECT_EQ(level.Width, 800) << n;
        EXPECT_EQ(level.Height, 600) << n;
    }
}

TEST(QuarzelData, PictureCommandsNameWhatIsMissing) {
    test::TempDir dir;
    const std::string nowhere = dir.File("none.zxc");
    const auto noGame = RunTool({"contact-sheet", nowhere, LevelsArchive, dir.File("s.png")});
    EXPECT_EQ(noGame.ExitCode, 1);
    EXPECT_EQ(noGame.Err, "No game archive \"" + nowhere + "\"\n");
    const auto noLevels =
        RunTool({"board-picture", GameArchive, nowhere, "Level1.xml", dir.File("b.png")});
    EXPECT_EQ(noLevels.ExitCode, 1);
    EXPECT_EQ(noLevels.Err, "No levels archive \"" + nowhere + "\"\n");
    const auto noLevel =
        RunTool({"board-picture", GameArchive, LevelsArchive, "Level99.xml", dir.File("b.png")});
    EXPECT_EQ(noLevel.ExitCode, 1);
    EXPECT_EQ(noLevel.Err, "The levels archive holds no level \"Level99.xml\"\n");
    EXPECT_FALSE(std::filesystem::exists(dir.File("b.png")));
    const auto words = RunTool({"board-picture", GameArchive, LevelsArchive, "Level1.xml"});
    EXPECT_EQ(words.ExitCode, 1);
    EXPECT_EQ(words.Err.rfind("usage: quarzel-data board-picture ", 0), 0u) << words.Err;
}

} // namespace
} // namespace qz
