// quarzel-data ui-dump: an interface description loaded by the game's own interface engine,
// the designer's options applied in order (windows shown, properties set, a language file),
// then every object's place and the window stack printed, and the shown windows painted.

#include "Commands.h"
#include "SurfaceHost.h"
#include "archive/Error.h"
#include "archive/FileFolder.h"
#include "archive/Helpers.h"
#include "fonts/NyxFont.h"
#include "fonts/NyxFontEngine.h"
#include "gfx/SurfEngine.h"
#include "ui/NyxForm.h"
#include "ui/NyxInterfaceEngine.h"

#include <filesystem>
#include <iostream>
#include <map>
#include <memory>

namespace qz::tool {

namespace {

constexpr const char* Screen = "MemorySurface";
constexpr int32_t ScreenWidth = 800;
constexpr int32_t ScreenHeight = 600;

// One option that changes the interface, kept in the order given.
struct TStep {
    enum class TKind { Show, Set, Language } Kind;
    std::vector<std::string> Words;
};

struct TUiDumpCall {
    std::string Description;
    std::string Pictures;
    std::vector<std::string> Fonts;
    std::string Png;
    std::vector<TStep> Steps;
};

TUiDumpCall ReadCall(const Arguments& arguments) {
    if (arguments.empty() || arguments[0].starts_with("--")) {
        throw UsageError{};
    }
    TUiDumpCall call;
    call.Description = arguments[0];
    for (size_t i = 1; i < arguments.size(); ++i) {
        const std::string& option = arguments[i];
        const size_t words = option == "--set" ? 3 : 1;
        if (i + words >= arguments.size()) {
            throw UsageError{};
        }
        const std::vector<std::string> values(arguments.begin() + static_cast<long>(i) + 1,
                                              arguments.begin() + static_cast<long>(i + words) + 1);
        i += words;
        if (option == "--pictures") {
            call.Pictures = values[0];
        } else if (option == "--font") {
            call.Fonts.push_back(values[0]);
        } else if (option == "--png") {
            call.Png = values[0];
        } else if (option == "--show") {
            call.Steps.push_back({TStep::TKind::Show, values});
        } else if (option == "--set") {
            call.Steps.push_back({TStep::TKind::Set, values});
        } else if (option == "--lang") {
            call.Steps.push_back({TStep::TKind::Language, values});
        } else {
            throw UsageError{};
        }
    }
    return call;
}

bool IsJPEG(std::string_view name) {
    return LowerCase(name).ends_with("jpg");
}

// The pictures the engines ask for: from the archive, and a font's own picture from beside
// its metrics file when the archive does not hold it.
class TPictureSource {
public:
    TPictureSource(TSurfEngine& engine, std::unique_ptr<TFileFolder> archive)
        : engine_(engine), archive_(std::move(archive)) {}

    void AddFontPicture(const std::string& picture, const std::filesystem::path& file) {
        fontPictures_[picture] = file;
    }

    void Load(const std::string& picture) {
        if (archive_ && archive_->IndexOf(picture) >= 0) {
            if (IsJPEG(picture)) {
                engine_.LoadJPEGFromFolder(*archive_, picture, picture);
                engine_.AddAlphaPlane(picture, 255);
            } else {
                engine_.LoadPNGFromFolder(*archive_, picture, picture);
            }
            return;
        }
        const auto font = fontPictures_.find(picture);
        if (font != fontPictures_.end()) {
            engine_.LoadPNGFromFile(picture, font->second.string());
        }
    }

private:
    TSurfEngine& engine_;
    std::unique_ptr<TFileFolder> archive_;
    std::map<std::string, std::filesystem::path> fontPictures_;
};

void ApplyStep(TNyxInterfaceEngine& engine, const TStep& step) {
    const std::vector<std::string>& words = step.Words;
    switch (step.Kind) {
    case TStep::TKind::Show:
        if (dynamic_cast<TNyxForm*>(engine.FindObject(words[0])) == nullptr) {
            throw Error("Window " + words[0] + " does not exist");
        }
        engine.ShowForm(words[0]);
        break;
    case TStep::TKind::Set:
        if (!engine.SetProperty(words[0], words[1], words[2])) {
            throw Error("Object " + words[0] + " does not exist");
        }
        break;
    case TStep::TKind::Language:
        engine.LoadPropertiesFile(words[0]);
        break;
    }
}

void PrintObjects(const TNyxInterfaceEngine& engine) {
    for (const auto& object : engine.Objects()) {
        std::cout << object->GetName() << '\t' << object->ClassName() << '\t' << object->ParentName
                  << '\t';
        if (const auto* control = dynamic_cast<const TNyxInterfaceObject*>(object.get())) {
            std::cout << control->Left << ' ' << control->Top << ' ' << control->Width << ' '
                      << control->Height << '\t' << control->ScreenLeft << ' ' << control->ScreenTop
                      << '\t' << (control->Visible ? "visible" : "hidden");
        } else {
            std::cout << "0 0 0 0\t0 0\thidden";
        }
        std::cout << '\n';
    }
    std::cout << "stack:";
    for (const TNyxForm* form : engine.Forms()) {
        std::cout << ' ' << form->GetName();
    }
    std::cout << '\n';
}

} // namespace

int RunUiDump(const Arguments& arguments) {
    const TUiDumpCall call = ReadCall(arguments);
    TMemoryStream description;
    description.LoadFromFile(call.Description);

    TSurfEngine surfaces;
    surfaces.Initialise(TPixelFormat::Bits32(), ScreenWidth, ScreenHeight);
    if (!surfaces.CreateBlankSurface(Screen, ScreenWidth, ScreenHeight)) {
        throw Error("Cannot make the screen picture");
    }
    TPictureSource pictures(surfaces,
                            call.Pictures.empty() ? nullptr : TFileFolder::Open(call.Pictures));
    const auto host = std::make_shared<TSurfaceHost>(
        surfaces, Screen, [&pictures](const std::string& picture) { pictures.Load(picture); });

    TNyxFontEngine fonts;
    fonts.SetHost(host);
    for (const std::string& file : call.Fonts) {
        TMemoryStream metrics;
        metrics.LoadFromFile(file);
        fonts.LoadFromStream(metrics);
    }
    for (const auto& object : fonts.Objects()) {
        if (const auto* font = dynamic_cast<const TNyxFont*>(object.get())) {
            for (const std::string& file : call.Fonts) {
                const auto beside = std::filesystem::path(file).parent_path() / font->Picture;
                if (std::filesystem::is_regular_file(beside)) {
                    pictures.AddFontPicture(font->Picture, beside);
                }
            }
        }
    }

    TNyxInterfaceEngine engine;
    engine.SetHost(host);
    engine.SetFontEngine(&fonts);
    engine.LoadFromStream(description);
    const std::string structural = engine.LoadError();
    if (!structural.empty()) {
        std::cerr << structural << "\n";
    }
    for (const TStep& step : call.Steps) {
        ApplyStep(engine, step);
    }
    PrintObjects(engine);
    if (!call.Png.empty()) {
        engine.PaintAll();
        EncodePNG(SurfaceImage(surfaces, Screen)).SaveToFile(call.Png);
    }
    return structural.empty() ? 0 : 1;
}

} // namespace qz::tool
