#pragma once
// Draws every picture of the interface windows and controls in the game's night-crystal look:
// indigo glass panels with pale frost edges, violet buttons in three states, boxes, sliders,
// list backgrounds and cursors, the edit box, the loading bar, hint strip, the in-game panel
// and the tool-button icons.

#include <string>

namespace qz::ui {

// Writes the pictures as PNG files into outFolder (created when missing). The same call
// always writes the same bytes.
void GenerateInterfaceArt(const std::string& outFolder);

} // namespace qz::ui
