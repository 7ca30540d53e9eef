#pragma once
// The application icon: a faceted cluster of glassy crystals on a rock, on a transparent
// background, drawn for the desktop's icon theme at any square size.

#include <cairo.h>
#include <string>
#include <vector>

namespace qz::icon {

// Draws the icon filling a size x size picture whose origin is at the top left of cr.
void DrawIcon(cairo_t* cr, int size);

// Writes FOLDER/<N>x<N>/apps/<id>.png for every size, making the folders.
void WriteIcons(const std::string& folder, const std::string& id, const std::vector<int>& sizes);

} // namespace qz::icon
