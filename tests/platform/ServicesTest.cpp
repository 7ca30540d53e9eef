#include "TempDir.h"
#include "platform/Clipboard.h"
#include "platform/Launcher.h"
#include "platform/MessageBox.h"
#include "platform/SystemInfo.h"
#include "platform/TextCodec.h"

#include <chrono>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <sys/stat.h>
#include <thread>

using namespace qz;
namespace fs = std::filesystem;

TEST(TextCodec, Latin1AndUtf8AtTheEdge) {
    EXPECT_EQ(Latin1ToUtf8("caf\xE9"), "caf\xC3\xA9");
    EXPECT_EQ(Utf8ToLatin1("caf\xC3\xA9"), "caf\xE9");
    EXPECT_EQ(Utf8ToLatin1("\xE2\x82\xAC 5"), "? 5"); // the euro sign has no 8-bit form
    EXPECT_EQ(Utf8ToLatin1("a\xC3"), "a?");           // a cut sequence
    EXPECT_EQ(Utf8ToLatin1("\xC0\x80x"), "??x");      // an overlong form
    EXPECT_EQ(Utf8ToLatin1("\xED\xA0\x80"), "???");   // an encoded surrogate
    EXPECT_TRUE(IsValidUtf8("\xF0\x9F\x98\x80 ok"));
    EXPECT_FALSE(IsValidUtf8("\xE9t\xE9"));
    EXPECT_EQ(DisplayTextToUtf8("\xC3\xA9t\xC3\xA9"), "\xC3\xA9t\xC3\xA9"); // already UTF-8
    EXPECT_EQ(DisplayTextToUtf8("\xE9t\xE9"), "\xC3\xA9t\xC3\xA9");         // 8-bit text
}

TEST(Clipboard, EightBitTextRoundTripsThroughSdl) {
    TSdlClipboard clipboard;
    clipboard.SetText("Gr\xFC\xDF"
                      "e 1");
    EXPECT_EQ(clipboard.GetText(), "Gr\xFC\xDF"
                                   "e 1");
    TMemoryClipboard memory;
    memory.SetText("x");
    EXPECT_EQ(memory.GetText(), "x");
}

TEST(MessageBox, HeadlessBoxLogsTheMessage) {
    std::vector<std::string> logged;
    THeadlessMessageBox box([&](const std::string& line) { logged.push_back(line); });
    testing::internal::CaptureStderr();
    box.ShowError("Can not find contour.xmlin file folder");
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(logged, (std::vector<std::string>{"Can not find contour.xmlin file folder"}));
    EXPECT_EQ(err, "Can not find contour.xmlin file folder\n");
}

TEST(Launcher, TargetIsOneArgumentAndNeverAnOption) {
    EXPECT_EQ(LauncherArguments("xdg-open", "http://example.org/a b?c=d&e"),
              (std::vector<std::string>{"xdg-open", "http://example.org/a b?c=d&e"}));
    EXPECT_EQ(LauncherArguments("xdg-open", "--help"),
              (std::vector<std::string>{"xdg-open", "./--help"}));
    EXPECT_EQ(LauncherArguments("xdg-open", "/tmp/-x"),
              (std::vector<std::string>{"xdg-open", "/tmp/-x"}));

    TRecordingLauncher recording;
    EXPECT_TRUE(recording.Open("http://example.org"));
    EXPECT_EQ(recording.Opened(), (std::vector<std::string>{"http://example.org"}));
}

TEST(Launcher, SpawnsWithoutAShell) {
    test::TempDir dir;
    // A stand-in opener that records its arguments, one per line.
    const fs::path opener = dir.Path() / "fake-open";
    const fs::path record = dir.Path() / "args.txt";
    const fs::path marker = dir.Path() / "pwned";
    {
        std::ofstream script(opener);
        script << "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > '"
               << record.string() << "'\n";
    }
    fs::permissions(opener, fs::perms::owner_all);

    const std::string target = "a b; touch " + marker.string() + " $(touch " + marker.string() +
                               ") `touch " + marker.string() + "`";
    {
        TXdgLauncher launcher(opener.string());
        ASSERT_TRUE(launcher.Open(target));
        for (int i = 0; i < 500 && launcher.Reap() > 0; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        EXPECT_EQ(launcher.Reap(), 0u);
        EXPECT_FALSE(launcher.Open(""));
    }
    std::ifstream in(record);
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_EQ(text.str(), target + "\n"); // exactly one argument, unchanged
    EXPECT_FALSE(fs::exists(marker));

    TXdgLauncher missing((dir.Path() / "no-such-program").string());
    EXPECT_FALSE(missing.Open("x"));
}

TEST(SystemInfo, TextsFromTheirSources) {
    EXPECT_EQ(PrettyNameFromOsRelease("NAME=\"Debian GNU/Linux\"\n"
                                      "PRETTY_NAME=\"Debian GNU/Linux 12 (bookworm)\"\n"
                                      "ID=debian\n"),
              "Debian GNU/Linux 12 (bookworm)");
    EXPECT_EQ(PrettyNameFromOsRelease("PRETTY_NAME='Single quoted'\n"), "Single quoted");
    EXPECT_EQ(PrettyNameFromOsRelease("PRETTY_NAME=\"Say \\\"hi\\\" \\$x\"\n"), "Say \"hi\" $x");
    EXPECT_EQ(PrettyNameFromOsRelease("PRETTY_NAME=Bare\n"), "Bare");
    EXPECT_EQ(PrettyNameFromOsRelease("NAME=x\n"), "");

    EXPECT_EQ(
        OperatingSystemText("Debian GNU/Linux 12 (bookworm)", "Linux", "6.1.0-18-amd64", "x86_64"),
        "Debian GNU/Linux 12 (bookworm) (Linux 6.1.0-18-amd64 x86_64)");
    EXPECT_EQ(OperatingSystemText("", "Linux", "6.1", "aarch64"), "Linux 6.1 aarch64");
    EXPECT_EQ(OperatingSystemText("Alpine", "", "", ""), "Alpine");
    EXPECT_EQ(OperatingSystemText("", "", "", ""), "");

    EXPECT_EQ(ProcessorFromCpuInfo("processor\t: 0\nvendor_id\t: GenuineIntel\n"
                                   "model name\t: Intel(R) Xeon(R) CPU @ 2.20GHz\n"
                                   "model name\t: second\n"),
              "Intel(R) Xeon(R) CPU @ 2.20GHz");
    EXPECT_EQ(ProcessorFromCpuInfo("processor\t: 0\nBogoMIPS\t: 50.00\n"), "");
}

TEST(SystemInfo, LogLinesKeepTheirPrefixes) {
    EXPECT_EQ(SystemInfoLines("Debian", "Brand", (uint64_t{16} << 30) + 12345),
              (std::vector<std::string>{"   OS Version: Debian", "   Processor: Brand",
                                        "   Total Memory: 16384 Mb"}));
    // Unknown texts leave the prefixes alone.
    EXPECT_EQ(
        SystemInfoLines("", "", 0),
        (std::vector<std::string>{"   OS Version: ", "   Processor: ", "   Total Memory: 0 Mb"}));

    // This machine.
    const std::vector<std::string> lines = SystemInfoLines();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].rfind("   OS Version: Linux", 0) == 0 ||
                  lines[0].find(" (Linux ") != std::string::npos,
              true)
        << lines[0];
    EXPECT_EQ(lines[1].rfind("   Processor: ", 0), 0u);
    EXPECT_GT(TotalMemoryBytes(), uint64_t{64} << 20);
    EXPECT_EQ(lines[2], "   Total Memory: " + std::to_string(TotalMemoryBytes() >> 20) + " Mb");
    EXPECT_EQ(ProcessorText().find('\0'), std::string::npos);
}
