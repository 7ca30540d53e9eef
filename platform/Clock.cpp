#include "platform/Clock.h"

#include <SDL.h>

namespace qz {

uint32_t TSdlClock::Ticks() const {
    return SDL_GetTicks();
}

} // namespace qz
