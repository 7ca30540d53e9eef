#pragma once
// The synthesised instrument set of the game's tunes. Pitched instruments are tuned so that
// note C-4 sounds middle C; drums play at their recorded rate on C-4.

#include "tools/musicgen/XmWriter.h"

#include <string_view>

namespace qz {

// "pad" (warm chorus, looped), "bass" (round, looped), "bell" (electric-piano bell, decays),
// "flute" (soft, looped, with vibrato), "pluck" (short plucked string), "marimba" (wooden
// mallet, decays), "organ" (drawbars, looped, late vibrato), "strings" (bright section,
// looped, slow), "celesta" (steel plates, rings long), "synthbass" (filtered square,
// looped), drums "kick", "snare", "hat", "rim" (wood block) and "shaker". Throws
// std::runtime_error for any other name.
TXmInstrument MakeInstrument(std::string_view name);

} // namespace qz
