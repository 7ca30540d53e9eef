#pragma once
// The game's two animation lists: the level's board effects (outlines along the contour
// paths, boss and bonus effects; anchored at board points) and the game's free-standing
// effects (crystal flights between the queue and the pointer, the pointing effect; anchored
// at screen points). Each entry runs a copy of one of the effect templates loaded at start.

#include "archive/Helpers.h"
#include "fx/NyxFXParticles.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace qz {

struct TPartEffect {
    std::string Name;     // "ToMouseMove2", "ClickHereEffect" ...; empty for most
    std::string Template; // the effect file it copies ("contour.xml", "SwapEffect.xml" ...)
    std::string Image;    // the picture its particles draw; empty for a text effect
    std::string Text;     // drawn with the game font instead of a picture when not empty
    TPoint Position;      // the anchor its particles are drawn around
    TRect Clip{0, 0, 800, 600};
    int32_t StartTick = 0;
    std::string Path; // the path script of its "FContour" function, empty for none
    // The running copy; a board entry gets it once its start tick has passed.
    std::unique_ptr<fx::TNyxParticleEffect> Effect;
};

using TPartEffects = std::vector<TPartEffect>;

} // namespace qz
