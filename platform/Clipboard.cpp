#include "platform/Clipboard.h"

#include "platform/TextCodec.h"

#include <SDL.h>

namespace qz {

TSdlClipboard::TSdlClipboard() {
    videoStarted_ = SDL_InitSubSystem(SDL_INIT_VIDEO) == 0;
}

TSdlClipboard::~TSdlClipboard() {
    if (videoStarted_) {
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
    }
}

std::string TSdlClipboard::GetText() {
    if (!videoStarted_) {
        return {};
    }
    char* utf8 = SDL_GetClipboardText();
    if (utf8 == nullptr) {
        return {};
    }
    std::string text = Utf8ToLatin1(utf8);
    SDL_free(utf8);
    return text;
}

void TSdlClipboard::SetText(const std::string& text) {
    if (videoStarted_) {
        SDL_SetClipboardText(Latin1ToUtf8(text).c_str());
    }
}

} // namespace qz
