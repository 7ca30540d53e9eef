#include "platform/MessageBox.h"

#include "platform/TextCodec.h"

#include <SDL.h>
#include <cstdio>

namespace qz {

namespace {

void WriteToStderr(const std::string& message) {
    std::fprintf(stderr, "%s\n", DisplayTextToUtf8(message).c_str());
    std::fflush(stderr);
}

} // namespace

void TSdlMessageBox::ShowError(const std::string& message) {
    const std::string text = DisplayTextToUtf8(message);
    if (SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, DisplayTextToUtf8(title_).c_str(),
                                 text.c_str(), parent_) != 0) {
        WriteToStderr(message);
    }
}

void THeadlessMessageBox::ShowError(const std::string& message) {
    WriteToStderr(message);
    if (log_) {
        log_(message);
    }
}

} // namespace qz
