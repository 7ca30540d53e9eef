#include "RunTool.h"
#include "TempDir.h"
#include "archive/FileFolder.h"

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

} // namespace
} // namespace qz
