#include "AppData.h"

#include "app/Form1.h"
#include "archive/FileFolder.h"
#include "gfx/JpegPNG.h"

namespace qz::test {

namespace {

std::string Effect(const std::string& function) {
    return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n"
           "<ParticleEffect Name=\"E\" MinParticles=\"1\">\r\n"
           "<Functions><Function Name=\"" +
           function +
           "\" Dim=\"2\" Type=\"piecewise\"><Script>Set Linear; Path (0,0) (36,5); Ending "
           "Stop;</Script></Function></Functions>\r\n"
           "<Morphs><Morph Name=\"Move\" Dim=\"2\"><Functions><Function Name=\"" +
           function +
           "\"/></Functions></Morph></Morphs>\r\n"
           "<Particles><Particle Name=\"Mote\"><Parameter Name=\"Position\" Dim=\"2\" "
           "Morph=\"Move\"/></Particle></Particles>\r\n"
           "<ParticleSystems><ParticleSystem Name=\"P\" Template=\"Mote\">"
           "<InitParticles>1</InitParticles></ParticleSystem></ParticleSystems>\r\n"
           "</ParticleEffect>\r\n";
}

TRGBImage Filled(int32_t width, int32_t height, uint8_t r, uint8_t g, uint8_t b,
                 std::optional<uint8_t> alpha = {}) {
    TRGBImage image = TRGBImage::Blank(width, height, alpha);
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x) {
            uint8_t* p = image.Pixel(x, y);
            p[0] = r;
            p[1] = g;
            p[2] = b;
        }
    return image;
}

} // namespace

void MakeAppData(const std::filesystem::path& folder, const AppDataOptions& options) {
    std::filesystem::create_directories(folder / "game");
    std::filesystem::create_directories(folder / "levels");
    auto game = TFileFolder::CreateNew((folder / "game" / "game.zxc").string());
    auto add = [&](const std::string& name, const TMemoryStream& bytes) {
        if (!options.LeaveOut.contains(name))
            game->AddFile(name, 0, bytes);
    };
    add("cursor_line.png", EncodePNG(Filled(720, 20, 255, 255, 255, 255)));
    add("TitleSketch.jpg", EncodeJPEG(Filled(800, 600, 0, 0, 200), 90));
    add("Title.jpg", EncodeJPEG(Filled(800, 600, 200, 0, 0), 90));
    add("NyxUnicode.png", EncodePNG(Filled(20, 12, 255, 255, 255, 255)));
    add("NyxUnicode.xml",
        TMemoryStream("<?xml version=\"1.0\"?>\r\n<NyxFont>\r\n\t<Name>Main</Name>\r\n"
                      "\t<Height>12</Height>\r\n\t<Picture>NyxUnicode.png</Picture>\r\n"
                      "\t<Metrics>65:0:0:1:10:2,\r\n66:10:0:0:9:1</Metrics>\r\n"
                      "</NyxFont>\r\n"));
    add("WindowBack.png", EncodePNG(Filled(200, 100, 0, 255, 0, 255)));
    if (!options.Interface.empty())
        add("Slider.li", TMemoryStream(options.Interface));
    for (const char* file : EffectFiles)
        add(file, TMemoryStream(Effect(std::string(file) == "contour.xml" ? "FPosition" : "F")));
    add("MetaColors.xml", TMemoryStream("<Colors><Color Material=\"glass\" H=\"0\" L=\"0\" "
                                        "S=\"0\" Sign=\"sign0.png\"/></Colors>\r\n"));
    add("fishkaShapes.xml",
        TMemoryStream("<Shapes><Shape Name=\"Tri\" Height=\"-21\" Sx=\"24\" Sy=\"8\" "
                      "NextRotateName=\"Tri\" Score=\"10\"><Fishes><Fish Type=\"2\">"
                      "<Point x=\"0\" y=\"0\"/><Point x=\"34\" y=\"21\"/>"
                      "<Point x=\"48\" y=\"0\"/></Fish></Fishes></Shape></Shapes>\r\n"));
    add("BossTypes.xml", TMemoryStream("<Bosses><Boss Image=\"boss.png\" x=\"20\" y=\"20\" "
                                       "Power=\"2\"/></Bosses>\r\n"));
    game->Save();
    auto levels = TFileFolder::CreateNew((folder / "levels" / "levels.zxc").string());
    levels->AddFile("readme.txt", 0, TMemoryStream("levels"));
    levels->Save();
}

const std::vector<std::string>& RunLogLines() {
    static const std::vector<std::string> lines = {
        "Quarzel Version: 1.16",
        "System Information",
        "   OS Version: ",
        "   Processor: ",
        "   Total Memory: ",
        "Form Create Method runed.",
        "Bass init Ok...",
        "File Folders morfed Ok...",
        "Nyx Font Loaded Ok...",
        "Nyx Interface Loaded Ok...",
        "Prepare for Game run...",
        "Effects Type Loaded Ok...",
        "Init Direct Draw Ok...",
        "Pictures from Folder Load Ok...",
        "resource List Reinit Surfaces Ok...",
        "Changed Language Ok...",
        "Game Started...",
        "Everage FPS: 0",
    };
    return lines;
}

} // namespace qz::test
