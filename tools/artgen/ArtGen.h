#pragma once
// Draws every picture of the game's content in one style: faceted glassy crystals with soft
// shading, round-bodied bosses, glowing bonus marks, the backgrounds and the level pictures.
// The crystal materials are drawn in a red base; each colour's hue change turns them into
// the colour the player sees.

#include <string>

namespace qz::art {

// Reads "fishkaShapes.xml" and "MetaColors.xml" from definitionsFolder and writes the
// pictures into outFolder/game (plain entries of the game archive), outFolder/compact (game
// pictures stored in the compact form) and outFolder/levels (the levels archive).
void GenerateArt(const std::string& definitionsFolder, const std::string& outFolder);

} // namespace qz::art
