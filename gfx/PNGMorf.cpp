#include "gfx/PNGMorf.h"

#include "archive/Error.h"
#include "archive/FileFolder.h"
#include "archive/Helpers.h"
#include "gfx/ImageOps.h"
#include "gfx/JpegPNG.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <optional>

namespace qz {

namespace {

inline constexpr uint16_t ScriptKind = 1;
inline constexpr uint16_t PictureKind = 2;

// The text after the first name=" of the line up to the next double quote; empty if absent.
std::string Attribute(std::string_view line, std::string_view name) {
    const std::string key = std::string(name) + "=\"";
    const size_t start = line.find(key);
    if (start == std::string_view::npos)
        return {};
    const size_t from = start + key.size();
    const size_t end = line.find('"', from);
    return std::string(
        line.substr(from, end == std::string_view::npos ? std::string_view::npos : end - from));
}

int32_t ToInt(const std::string& text) {
    const std::optional<int32_t> value = TryStrToInt(text);
    if (!value)
        throw Error("'" + text + "' is not a valid integer value");
    return *value;
}

int32_t IntOr(const std::string& text, int32_t fallback) {
    return text.empty() ? fallback : ToInt(text);
}

std::vector<int32_t> Integers(const std::string& text, size_t count) {
    std::vector<int32_t> values;
    for (const std::string& word : SplitString(text, ' '))
        if (!word.empty())
            values.push_back(ToInt(word));
    if (values.size() != count)
        throw Error("'" + text + "' is not a valid integer value");
    return values;
}

bool Contains(std::string_view line, std::string_view text) {
    return line.find(text) != std::string_view::npos;
}

// One running script: the canvas stays decoded from command to command.
struct TScriptState {
    std::string Name;
    bool AutoSize = false;
    int AddCount = 0;
    TRGBImage Canvas;
    TRect LastRect; // left, top, right, bottom of the last source rectangle
};

void RunAddImage(TScriptState& state, std::string_view line, TFileFolder& archive) {
    const std::string name = Attribute(line, "name");
    const int index = archive.IndexOf(name);
    if (index < 0)
        throw Error("File " + name + " does not exist in File Folder!");
    const TRGBImage picture = DecodePNG(archive.Entry(index).View());
    TRect src{0, 0, picture.Width - 1, picture.Height - 1};
    const std::string rect = Attribute(line, "srcrect");
    if (!rect.empty()) {
        const std::vector<int32_t> v = Integers(rect, 4);
        src = {v[0], v[1], v[2], v[3]};
    }
    int32_t left = IntOr(Attribute(line, "left"), 0);
    int32_t top = IntOr(Attribute(line, "top"), 0);
    const int w = IntOr(Attribute(line, "colorvalue"), 0);
    std::array<int, 3> colour{255, 255, 255};
    const std::string colourText = Attribute(line, "color");
    if (!colourText.empty()) {
        const std::vector<int32_t> v = Integers(colourText, 3);
        colour = {std::clamp(v[0], 0, 255), std::clamp(v[1], 0, 255), std::clamp(v[2], 0, 255)};
    }
    const int o = std::clamp(IntOr(Attribute(line, "alfa"), 255), 0, 255);
    const bool first = state.AddCount == 0;
    if (state.AutoSize && first) {
        state.Canvas = TRGBImage::Blank(src.Width(), src.Height());
        left = 0;
        top = 0;
    }
    AddImage(state.Canvas, picture, src, left, top, std::clamp(w, 0, 255), colour, o, first);
    state.LastRect = src;
    ++state.AddCount;
}

void RunLine(TScriptState& state, std::string_view line, TFileFolder& archive) {
    if (Contains(line, "<AutoImage ") && Contains(line, ">")) {
        state.Name = Attribute(line, "name");
        state.AutoSize = SameText(Attribute(line, "autosize"), "true");
        state.AddCount = 0;
        state.Canvas = {};
        if (!state.AutoSize)
            state.Canvas =
                TRGBImage::Blank(ToInt(Attribute(line, "width")), ToInt(Attribute(line, "height")));
        state.LastRect = {0, 0, state.Canvas.Width - 1, state.Canvas.Height - 1};
    }
    if (Contains(line, "<AddImage ") && Contains(line, "/>"))
        RunAddImage(state, line, archive);
    TRGBImage& canvas = state.Canvas;
    if (Contains(line, "<FlipImageHorizontal/>"))
        FlipImageHorizontal(canvas);
    if (Contains(line, "<FlipImageVertical/>"))
        FlipImageVertical(canvas);
    if (Contains(line, "<ImageHueChange ") && Contains(line, "/>"))
        ImageHueChange(canvas, IntOr(Attribute(line, "hue"), 0),
                       IntOr(Attribute(line, "saturation"), 0),
                       IntOr(Attribute(line, "lightness"), 0));
    if (Contains(line, "<RotateImage ") && Contains(line, "/>"))
        RotateImage(canvas, IntOr(Attribute(line, "x"), canvas.Width / 2),
                    IntOr(Attribute(line, "y"), canvas.Height / 2),
                    IntOr(Attribute(line, "angle"), 0));
    if (Contains(line, "<ScaleImage ") && Contains(line, "/>"))
        ScaleImage(canvas, IntOr(Attribute(line, "width"), canvas.Width),
                   IntOr(Attribute(line, "height"), canvas.Height));
    if (Contains(line, "<CropImage ") && Contains(line, "/>")) {
        const TRect& last = state.LastRect;
        const int32_t left = IntOr(Attribute(line, "left"), last.Left);
        const int32_t top = IntOr(Attribute(line, "top"), last.Top);
        const int32_t width = IntOr(Attribute(line, "width"), last.Width());
        const int32_t height = IntOr(Attribute(line, "height"), last.Height());
        CropImage(canvas, left, top, width, height);
        state.LastRect = {left, top, left + width - 1, top + height - 1};
    }
}

std::string ReadJobPath(const std::string& line, std::string_view name) {
    std::string path = Attribute(line, name);
    std::replace(path.begin(), path.end(), '\\', '/');
    return path;
}

// Exact name first; the archive's own lookup ignores case.
int FindEntry(const TFileFolder& folder, const std::string& name) {
    for (size_t i = 0; i < folder.Dir.size(); ++i)
        if (folder.Dir[i].Name() == name)
            return int(i);
    return folder.IndexOf(name);
}

} // namespace

std::string TPNGMorf::RunScript(const TMemoryStream& script, TFileFolder& archive) {
    TScriptState state;
    for (std::string line : SplitString(script.View(), '\n')) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        RunLine(state, line, archive);
    }
    const std::string entry = state.Name + ".pNg";
    archive.AddFile(entry, PictureKind, EncodePNG(state.Canvas));
    return entry;
}

void TPNGMorf::RunJobs() {
    for (const std::string& job : Jobs) {
        const std::string source = ReadJobPath(job, "Source");
        const std::string dest = ReadJobPath(job, "Dest");
        std::error_code error;
        if (!std::filesystem::is_regular_file(source, error))
            throw Error("Can not find file " + source + "!");
        if (std::filesystem::exists(dest, error))
            continue;
        const std::filesystem::path folder = std::filesystem::path(dest).parent_path();
        if (!folder.empty())
            std::filesystem::create_directories(folder);
        ConvertArchive(source, dest);
    }
}

void TPNGMorf::ConvertArchive(const std::string& source, const std::string& dest) {
    std::unique_ptr<TFileFolder> from = TFileFolder::Open(source);
    std::unique_ptr<TFileFolder> to = TFileFolder::CreateNew(dest);
    const size_t count = from->Dir.size();
    const int32_t last = int32_t(count) - 1;
    const auto partner = [&](const std::string& base, const std::string& type) -> TMemoryStream& {
        const std::string name = base + "." + type;
        const int index = FindEntry(*from, name);
        if (index < 0)
            throw Error("File " + name + " does not exist!");
        return from->Entry(index);
    };
    for (size_t i = 0; i < count; ++i) {
        if (OnProgress && last != 0)
            OnProgress(from->FileName, int32_t(std::lround(100.0 * double(i) / last)));
        const std::string name = from->Dir[i].Name();
        const uint16_t kind = from->Dir[i].Kind;
        const size_t dot = name.find('.');
        const std::string base = name.substr(0, dot);
        const std::string type = dot == std::string::npos ? std::string() : name.substr(dot + 1);
        TMemoryStream& entry = from->Entry(int(i));
        if (type == "_PNG" || type == "_PnG") {
            const TMemoryStream& colour = partner(base, type == "_PNG" ? "_JPG" : "_jpg");
            if (std::optional<TMemoryStream> merged =
                    MergeColourAndAlpha(colour.View(), entry.View()))
                to->AddFile(base + "." + type.substr(1), PictureKind, *merged);
        } else if (type == "PNG") {
            std::optional<TMemoryStream> jpeg = PNGToJPEG(entry.View(), Quality);
            std::optional<TMemoryStream> grey = PNGAlphaToGrey(entry.View());
            if (!jpeg || !grey)
                break;
            to->AddFile(base + "._JPG", PictureKind, *jpeg);
            to->AddFile(base + "._PNG", PictureKind, *grey);
        } else if (type == "PnG") {
            std::optional<TMemoryStream> grey = PNGAlphaToGrey(entry.View());
            if (!grey)
                break;
            to->AddFile(base + "._PnG", PictureKind, *grey);
            const std::string jpegName = base + ".jpg";
            const TMemoryStream& jpeg = partner(base, "jpg");
            if (to->IndexOf(jpegName) < 0)
                to->AddFile(jpegName, PictureKind, jpeg);
        } else if (type == "_aim") {
            to->AddFile(base + ".aim", ScriptKind, entry);
        } else if (type == "aim") {
            to->AddFile(base + "._aim", ScriptKind, entry);
        } else if (type == "_jpg" || type == "_JPG" || type == "pNg") {
            continue;
        } else if (to->IndexOf(name) < 0 || (type != "jpg")) {
            to->AddFile(name, kind, entry);
        }
    }
    std::vector<int> scripts;
    for (size_t i = 0; i < to->Dir.size(); ++i) {
        const std::string name = to->Dir[i].Name();
        if (name.size() >= 4 && name.substr(name.size() - 4) == ".aim")
            scripts.push_back(int(i));
    }
    for (int index : scripts) {
        const TMemoryStream script = to->Entry(index);
        try {
            RunScript(script, *to);
        } catch (const std::exception& error) {
            ScriptFailures.push_back(to->Dir[static_cast<size_t>(index)].Name() + ": " +
                                     error.what());
        }
    }
    to->Save();
}

} // namespace qz
