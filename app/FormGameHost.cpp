#include "app/FormGameHost.h"

#include "app/Form1.h"
#include "archive/FileFolder.h"
#include "archive/Helpers.h"
#include "audio/Music.h"

namespace qz {

void TFormControls::SetProperty(std::string_view object, std::string_view property,
                                std::string_view value) {
    form_.Interface->SetProperty(object, property, value);
    // The preparation runs inside one frame pass: each step of the loading bar is shown.
    if (object == "WGameLoading_PBGameLoading" && SameText(property, "Position"))
        form_.FormPaint();
}

void TFormControls::ShowHint(std::string_view hint, std::optional<TPoint> at) {
    form_.Interface->ShowHint(hint, at);
}

void TFormControls::ShowWindow(std::string_view window) {
    form_.Interface->ShowWindow(window);
}

void TFormSounds::PlaySound(std::string_view name) {
    form_.PlaySound(std::string(name));
}

void TFormSounds::PlayMusic(std::string_view name) {
    if (form_.MusicList)
        form_.MusicList->Play(name, form_.Options.MusicVolume, form_.Options.SoundVolume, 0);
}

void TFormSounds::StopMusic() {
    if (form_.MusicList)
        form_.MusicList->StopAll();
}

std::string TFormSounds::CurrentMusic() const {
    return form_.MusicList ? form_.MusicList->CurrentMusic() : std::string();
}

int32_t TFormEffects::AddEffect(const TEffectRequest& request) {
    return form_.AddEffect(request);
}

void TFormEffects::ClearLevelEffects() {
    form_.LevelEffects.clear();
}

int32_t TFormClock::Now() const {
    return static_cast<int32_t>(form_.Now());
}

std::optional<TPictureSize> TFormPictures::Find(std::string_view name) {
    if (!form_.SurfEngine)
        return std::nullopt;
    const std::string picture(name);
    if (!form_.SurfEngine->FindSurface(picture) && form_.LevelArchive &&
        form_.LevelArchive->IndexOf(picture) >= 0 && !damaged_.contains(picture)) {
        try {
            if (LowerCase(picture).ends_with("jpg"))
                form_.SurfEngine->LoadJPEGFromFolder(*form_.LevelArchive, picture, picture);
            else
                form_.SurfEngine->LoadPNGFromFolder(*form_.LevelArchive, picture, picture);
        } catch (const std::exception& error) {
            // The first damaged picture is told; more of them would only repeat the advice.
            const std::string message = "The picture " + picture +
                                        " of the levels archive is damaged (" + error.what() +
                                        "); the level is shown without it. Reinstall the "
                                        "game to mend it.";
            if (damaged_.empty())
                form_.HandleException(message);
            else
                form_.Log.Add(message);
            damaged_.insert(picture);
        }
    }
    const TSurface* surface = form_.SurfEngine->FindSurface(picture);
    if (!surface)
        return std::nullopt;
    return TPictureSize{surface->Width, surface->Height};
}

} // namespace qz
