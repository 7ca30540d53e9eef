#include "RunTool.h"
#include "TempDir.h"
#include "archive/FileFolder.h"
#include "archive/Helpers.h"
#include "gfx/JpegPNG.h"
#include "tools/soundgen/OggVorbisWriter.h"
#include "tools/soundgen/SoundSynth.h"

#include <algorithm>
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
                                "is-plain-text", "digits-to-text", "xml-format", "compose",
                                "convert", "ui-dump", "level-stats", "sound-levels"}) {
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

    // Replacing keeps the entry's place and kind; the entries after it move with it.
    WriteFile(dir.File("longer"), "<shapes/>");
    ASSERT_EQ(RunTool({"zxc", "replace", archive, "shapes.xml", dir.File("longer")}).ExitCode, 0);
    EXPECT_EQ(RunTool({"zxc", "list", archive}).Out, "Shapes.xml\t9\t0\nBall.png\t5\t2\n");
    ASSERT_EQ(RunTool({"zxc", "extract", archive, "Ball.png", dir.File("out")}).ExitCode, 0);
    EXPECT_EQ(ReadFile(dir.File("out")), std::string("\x89PNG\0", 5));
    EXPECT_EQ(RunTool({"zxc", "replace", archive, "none", dir.File("longer")}).Err,
              "Cannot load file (wrong file name)\n");

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
    // An endless device is no file to test: refused at once, by name.
    const auto endless = RunTool({"is-plain-text", "/dev/zero"});
    EXPECT_EQ(endless.ExitCode, 1);
    EXPECT_EQ(endless.Err, "Cannot read file \"/dev/zero\": it is not a regular file\n");

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

// A 40 x 30 picture whose every pixel tells its place: red x, green y, blue 7.
TRGBImage Gradient() {
    TRGBImage image = TRGBImage::Blank(40, 30);
    for (int32_t y = 0; y < 30; ++y) {
        for (int32_t x = 0; x < 40; ++x) {
            uint8_t* p = image.Pixel(x, y);
            p[0] = static_cast<uint8_t>(x * 5);
            p[1] = static_cast<uint8_t>(y * 5);
            p[2] = 7;
        }
    }
    return image;
}

TEST(QuarzelData, ComposeAddsTheScriptsPictureAndConvertMakesTheWorkingCopy) {
    test::TempDir dir;
    const std::string archive = dir.File("pics.zxc");
    EncodePNG(Gradient()).SaveToFile(dir.File("grad.png"));
    ASSERT_EQ(RunTool({"zxc", "create", archive}).ExitCode, 0);
    ASSERT_EQ(RunTool({"zxc", "add", archive, dir.File("grad.png"), "Grad.png", "2"}).ExitCode, 0);
    WriteFile(dir.File("cut.aim"), "<AutoImage name=\"Cut\" autosize=\"true\">\r\n"
                                   "<AddImage name=\"Grad.png\" srcrect=\"10 0 19 9\"/>\r\n"
                                   "<FlipImageHorizontal/>\r\n</AutoImage>\r\n");
    const auto composed = RunTool({"compose", dir.File("cut.aim"), archive});
    ASSERT_EQ(composed.ExitCode, 0) << composed.Err;
    EXPECT_EQ(composed.Out, archive + ": Cut.pNg\n");
    const std::string entries = RunTool({"zxc", "list", archive}).Out;
    EXPECT_NE(entries.find("\nCut.pNg\t"), std::string::npos) << entries;
    EXPECT_TRUE(entries.ends_with("\t2\n")) << entries;
    ASSERT_EQ(RunTool({"zxc", "extract", archive, "Cut.pNg", dir.File("cut.png")}).ExitCode, 0);
    const TRGBImage cut = ReadPNG(dir.File("cut.png"));
    ASSERT_EQ(cut.Width, 10);
    ASSERT_EQ(cut.Height, 10);
    // The source rectangle starts at x = 10, and the flip puts its first column last.
    EXPECT_EQ(cut.Pixel(9, 3)[0], 50);
    EXPECT_EQ(cut.Pixel(0, 3)[0], 95);
    EXPECT_EQ(cut.Pixel(0, 3)[1], 15);

    // The saved archive refuses the same picture twice and names a missing one.
    const auto again = RunTool({"compose", dir.File("cut.aim"), archive});
    EXPECT_EQ(again.ExitCode, 1);
    EXPECT_EQ(again.Err, "Cannot add file (dublicate)\n");
    WriteFile(dir.File("none.aim"), "<AutoImage name=\"N\" width=\"4\" height=\"4\">\n"
                                    "<AddImage name=\"Nope.png\"/>\n");
    const auto missing = RunTool({"compose", dir.File("none.aim"), archive});
    EXPECT_EQ(missing.ExitCode, 1);
    EXPECT_EQ(missing.Err, "File Nope.png does not exist in File Folder!\n");

    // The shipped game archive converted as at start-up: the compact bosses merged, the
    // composition script kept to run and its picture made, the halves gone.
    const std::string working = dir.File("working.zxc");
    const auto converted = RunTool({"convert", GameArchive, working});
    ASSERT_EQ(converted.ExitCode, 0) << converted.Err;
    const std::string list = RunTool({"zxc", "list", working}).Out;
    EXPECT_EQ(converted.Out, working + ": " +
                                 std::to_string(std::count(list.begin(), list.end(), '\n')) +
                                 " entries\n");
    for (const char* entry : {"boss_imp.PNG\t", "DeadProgressBarGreen.aim\t",
                              "DeadProgressBarGreen.pNg\t", "Slider.li\t"}) {
        EXPECT_NE(list.find(entry), std::string::npos) << entry;
    }
    EXPECT_EQ(list.find("._JPG"), std::string::npos);
    const auto self = RunTool({"convert", working, working});
    EXPECT_EQ(self.ExitCode, 1);
    EXPECT_EQ(self.Err, "Cannot convert " + working + " onto itself\n");
    const auto nothing = RunTool({"convert", dir.File("no.zxc"), dir.File("out.zxc")});
    EXPECT_EQ(nothing.ExitCode, 1);
    EXPECT_EQ(nothing.Err.rfind("Cannot open file \"" + dir.File("no.zxc") + "\"", 0), 0u);
    EXPECT_FALSE(std::filesystem::exists(dir.File("out.zxc")));
}

// The dump's line of one object, without its name.
std::string DumpLine(const std::string& dump, const std::string& name) {
    const size_t at = dump.find(name + "\t");
    if (at == std::string::npos || (at > 0 && dump[at - 1] != '\n')) {
        return "missing";
    }
    return dump.substr(at + name.size() + 1, dump.find('\n', at) - at - name.size() - 1);
}

TEST(QuarzelData, UiDumpPrintsTheShippedLayoutAndPaintsTheShownWindows) {
    test::TempDir dir;
    ASSERT_EQ(
        RunTool({"zxc", "extract", GameArchive, "NyxUnicode.xml", dir.File("font.xml")}).ExitCode,
        0);
    const std::string description = QUARZEL_DATA_DIR "/ui/Slider.li";
    const std::vector<std::string> common{"ui-dump",   description, "--pictures",
                                          GameArchive, "--font",    dir.File("font.xml"),
                                          "--show",    "WTitle"};
    auto withOptions = common;
    withOptions.insert(withOptions.end(), {"--show", "WOptions", "--set", "WOptions_BOk", "Left",
                                           "20", "--png", dir.File("options.png")});
    const auto options = RunTool(withOptions);
    ASSERT_EQ(options.ExitCode, 0) << options.Err;
    EXPECT_EQ(options.Err, "");
    EXPECT_EQ(DumpLine(options.Out, "WTitle"), "TNyxForm\tScreen\t0 0 800 600\t0 0\tvisible");
    // The centred window's place on the screen, and a control moved in it after loading.
    const auto fields = [&](const std::string& name) {
        const std::vector<std::string> line = SplitString(DumpLine(options.Out, name), '\t');
        EXPECT_EQ(line.size(), 5u) << name;
        return line.size() == 5 ? line : std::vector<std::string>(5, "0 0");
    };
    const auto window = fields("WOptions");
    EXPECT_EQ(window[0], "TNyxForm");
    EXPECT_EQ(window[4], "visible");
    const auto ok = fields("WOptions_BOk");
    EXPECT_EQ(ok[1], "WOptions");
    EXPECT_EQ(ok[2].rfind("20 ", 0), 0u) << ok[2];
    const int32_t left = std::stoi(SplitString(window[3], ' ')[0]);
    const int32_t top = std::stoi(SplitString(window[3], ' ')[1]);
    EXPECT_EQ(ok[3].rfind(std::to_string(left + 20) + " ", 0), 0u) << ok[3];
    EXPECT_EQ(fields("WGame")[4], "hidden");
    EXPECT_TRUE(options.Out.ends_with("\nstack: WTitle WOptions\n"));
    EXPECT_GT(std::count(options.Out.begin(), options.Out.end(), '\n'), 150);

    // The picture: the title everywhere, the options window over it in its own place only.
    auto titleOnly = common;
    titleOnly.insert(titleOnly.end(), {"--png", dir.File("title.png")});
    ASSERT_EQ(RunTool(titleOnly).ExitCode, 0);
    const TRGBImage title = ReadPNG(dir.File("title.png"));
    const TRGBImage shown = ReadPNG(dir.File("options.png"));
    ASSERT_EQ(shown.Width, 800);
    ASSERT_EQ(shown.Height, 600);
    int32_t changed = 0;
    for (int32_t y = top; y < top + 100; ++y) {
        for (int32_t x = left; x < left + 100; ++x) {
            changed += !SamePixel(title, shown, x, y);
        }
    }
    EXPECT_GT(changed, 5000);
    EXPECT_TRUE(SamePixel(title, shown, 5, 590));
    EXPECT_TRUE(SamePixel(title, shown, 795, 5));
    int32_t lit = 0;
    for (int32_t x = 0; x < 800; x += 4) {
        const uint8_t* p = title.Pixel(x, 300);
        lit += p[0] + p[1] + p[2] > 60;
    }
    EXPECT_GT(lit, 20) << "the title picture was drawn";
}

TEST(QuarzelData, UiDumpAppliesItsOptionsInOrderAndNamesWhatCannotBeSet) {
    test::TempDir dir;
    const std::string head = "<NyxInterface>\n<o c=\"TNyxDefaults\">"
                             "<p n=\"DefLine\">TNyxLabel;Visible;true</p></o>\n"
                             "<o c=\"TNyxForm\"><p n=\"Name\">WA</p><p n=\"ParentName\">Screen</p>"
                             "<p n=\"Left\">100</p><p n=\"Width\">300</p></o>\n"
                             "<o c=\"TNyxLabel\"><p n=\"Name\">WA_L</p><p n=\"ParentName\">WA</p>"
                             "<p n=\"Left\">5</p><p n=\"Top\">6</p><p n=\"Width\">50</p></o>\n";
    const std::string tail = "<o c=\"TNyxLabel\"><p n=\"Name\">WA_M</p>"
                             "<p n=\"ParentName\">WA</p></o>\n</NyxInterface>\n";
    WriteFile(dir.File("a.li"), head + tail);
    WriteFile(dir.File("a.lng"), "<NyxInterface>\n<o c=\"TNyxLabel\"><p n=\"Name\">WA_L</p>"
                                 "<p n=\"Left\">9</p></o>\n</NyxInterface>\n");
    const auto langLast = RunTool({"ui-dump", dir.File("a.li"), "--set", "WA_L", "Left", "7",
                                   "--lang", dir.File("a.lng"), "--show", "WA"});
    ASSERT_EQ(langLast.ExitCode, 0) << langLast.Err;
    EXPECT_EQ(langLast.Out, "WA\tTNyxForm\tScreen\t100 0 300 0\t100 0\tvisible\n"
                            "WA_L\tTNyxLabel\tWA\t9 6 50 0\t109 6\tvisible\n"
                            "WA_M\tTNyxLabel\tWA\t0 0 0 0\t100 0\tvisible\n"
                            "stack: WA\n");
    const auto setLast = RunTool(
        {"ui-dump", dir.File("a.li"), "--lang", dir.File("a.lng"), "--set", "WA_L", "Left", "7"});
    EXPECT_EQ(DumpLine(setLast.Out, "WA_L"), "TNyxLabel\tWA\t7 6 50 0\t107 6\tvisible");
    EXPECT_EQ(setLast.Out.substr(setLast.Out.size() - 7), "stack:\n");

    // A structural error ends the object creation; what was made is still printed.
    WriteFile(dir.File("broken.li"), head + "<x/>\n" + tail);
    const auto broken = RunTool({"ui-dump", dir.File("broken.li")});
    EXPECT_EQ(broken.ExitCode, 1);
    EXPECT_EQ(broken.Err,
              "[TNyxInterfaceEngine.CreateInterfaceObjects] NyxInterface XML file contains "
              "wrong tag!\n");
    EXPECT_EQ(broken.Out, "WA\tTNyxForm\tScreen\t100 0 300 0\t100 0\thidden\n"
                          "WA_L\tTNyxLabel\tWA\t5 6 50 0\t105 6\tvisible\n"
                          "stack:\n");

    const auto error = [&](const std::vector<std::string>& words) {
        std::vector<std::string> call{"ui-dump", dir.File("a.li")};
        call.insert(call.end(), words.begin(), words.end());
        const auto result = RunTool(call);
        EXPECT_EQ(result.ExitCode, 1);
        EXPECT_EQ(result.Out, "");
        return result.Err;
    };
    EXPECT_EQ(error({"--set", "WA_L", "Bogus", "1"}), "Property Bogus does not exist\n");
    EXPECT_EQ(error({"--set", "WA_L", "Left", "x1"}),
              "Could not convert variant of type (String) into type (Double)\n");
    EXPECT_EQ(error({"--set", "WA_L", "AutoSize", "asBogus"}),
              "Invalid property element: asBogus\n");
    EXPECT_EQ(error({"--set", "WB_L", "Left", "1"}), "Object WB_L does not exist\n");
    EXPECT_EQ(error({"--show", "WA_L"}), "Window WA_L does not exist\n");
    EXPECT_EQ(error({"--set", "WA_L", "Left"}).rfind("usage: quarzel-data ui-dump ", 0), 0u);
}

// The cells of the table rows of level-stats, row by row.
std::vector<std::vector<std::string>> StatsRows(const std::string& out) {
    std::vector<std::vector<std::string>> rows;
    for (const std::string& line : SplitString(out, '\n')) {
        if (!line.starts_with("| ") || line.starts_with("| level")) {
            continue;
        }
        std::vector<std::string> cells;
        for (const std::string& cell : SplitString(line.substr(2, line.size() - 4), '|')) {
            cells.push_back(Trim(cell));
        }
        rows.push_back(cells);
    }
    return rows;
}

TEST(QuarzelData, LevelStatsPlaysTheFirstLevelsRepeatablyWithBothBots) {
    const auto both =
        RunTool({"level-stats", LevelsArchive, GameArchive, "--seeds", "3", "--levels", "1-5"});
    ASSERT_EQ(both.ExitCode, 0) << both.Err;
    const auto rows = StatsRows(both.Out);
    ASSERT_EQ(rows.size(), 15u) << both.Out;
    for (size_t i = 0; i < rows.size(); ++i) {
        const auto& row = rows[i];
        ASSERT_EQ(row.size(), 11u);
        EXPECT_EQ(row[0], std::to_string(i / 3 + 1));
        EXPECT_EQ(row[4], i % 3 == 0 ? "no-lose" : i % 3 == 1 ? "puzzle" : "strategy");
        EXPECT_GE(std::stoi(row[1]), 1);
        EXPECT_GE(std::stoi(row[2]), 1);
        // The first levels are won by both players; the human takes twice the time a put.
        EXPECT_EQ(row[5], "100 / 100") << i;
        EXPECT_EQ(row[7], "0 / 0") << i;
        const auto times = SplitString(row[10], '/');
        const auto puts = SplitString(row[8], '/');
        ASSERT_EQ(times.size(), 2u);
        EXPECT_DOUBLE_EQ(std::stod(times[0]), 1.5 * std::stod(puts[0])) << i;
        EXPECT_DOUBLE_EQ(std::stod(times[1]), 3.0 * std::stod(puts[1])) << i;
    }
    EXPECT_NE(both.Err.find("level-stats: Level5.xml done, 90 of 90 games"), std::string::npos)
        << both.Err;

    // Seeded: the human's figures come back alike alone, and the perfect bot's single game
    // is the one quarzel-data play makes.
    const auto human = RunTool({"level-stats", LevelsArchive, GameArchive, "--seeds", "3",
                                "--levels", "1-5", "--bot", "human"});
    const auto alone = StatsRows(human.Out);
    ASSERT_EQ(alone.size(), rows.size());
    for (size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(alone[i][8], Trim(SplitString(rows[i][8], '/')[1])) << i;
        EXPECT_EQ(alone[i][9], Trim(SplitString(rows[i][9], '/')[1])) << i;
    }
    const auto one = RunTool({"level-stats", LevelsArchive, GameArchive, "--seeds", "1", "--levels",
                              "3", "--modes", "2", "--bot", "perfect"});
    const auto single = StatsRows(one.Out);
    ASSERT_EQ(single.size(), 1u);
    const auto played =
        RunTool({"play", LevelsArchive, GameArchive, "Level3.xml", "--mode", "2", "--seed", "1"});
    EXPECT_NE(played.Out.find("result: won puts=" + single[0][8] + " score=" + single[0][9] + "\n"),
              std::string::npos)
        << played.Out;

    const auto none = RunTool({"level-stats", LevelsArchive, GameArchive, "--levels", "90-99"});
    EXPECT_EQ(none.ExitCode, 1);
    EXPECT_EQ(none.Err, "The levels archive holds no level of those numbers\n");
    EXPECT_EQ(RunTool({"level-stats", LevelsArchive, GameArchive, "--bot", "robot"}).ExitCode, 1);
}

TEST(QuarzelData, SoundLevelsMeasuresTheListedSoundsAndNamesEveryMiss) {
    test::TempDir dir;
    // Half a second of a full-scale square: it clips and is far too loud.
    std::vector<float> square(kSampleRate / 2);
    for (size_t i = 0; i < square.size(); ++i) {
        square[i] = i % 100 < 50 ? 1.0f : -1.0f;
    }
    const std::vector<uint8_t> ogg = EncodeOggVorbis(square, kSampleRate, 1);
    const std::string archive = dir.File("game.zxc");
    WriteFile(dir.File("loud.ogg"), std::string(ogg.begin(), ogg.end()));
    WriteFile(dir.File("sounds.dat"), "loud.ogg\r\n");
    WriteFile(dir.File("musics.dat"), "");
    ASSERT_EQ(RunTool({"zxc", "create", archive}).ExitCode, 0);
    for (const char* name : {"loud.ogg", "sounds.dat", "musics.dat"}) {
        ASSERT_EQ(RunTool({"zxc", "add", archive, dir.File(name)}).ExitCode, 0) << name;
    }
    const auto loud = RunTool({"sound-levels", archive});
    EXPECT_EQ(loud.ExitCode, 1);
    EXPECT_NE(loud.Out.find("| loud.ogg | sample | 0.50 | "), std::string::npos) << loud.Out;
    const auto misses = SplitString(loud.Err, '\n');
    ASSERT_EQ(misses.size(), 3u) << loud.Err;
    EXPECT_EQ(misses[0].rfind("loud.ogg peaks at ", 0), 0u) << misses[0];
    EXPECT_EQ(misses[1].rfind("loud.ogg is ", 0), 0u) << misses[1];

    WriteFile(dir.File("musics.dat"), "none.mo3\r\n");
    ASSERT_EQ(RunTool({"zxc", "create", archive}).ExitCode, 0);
    ASSERT_EQ(RunTool({"zxc", "add", archive, dir.File("musics.dat")}).ExitCode, 0);
    ASSERT_EQ(RunTool({"zxc", "add", archive, dir.File("musics.dat"), "sounds.dat"}).ExitCode, 0);
    const auto missing = RunTool({"sound-levels", archive});
    EXPECT_EQ(missing.ExitCode, 1);
    EXPECT_EQ(missing.Err, "The game archive holds no \"none.mo3\"\n");
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
