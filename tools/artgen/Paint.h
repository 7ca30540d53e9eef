#pragma once
// The small painting vocabulary every picture generator shares: colours, mixing them, and
// the soft radial glow of the game's style.

#include <cairo.h>

namespace qz::art {

constexpr double Pi = 3.14159265358979323846;

struct TRGB {
    double R, G, B;
};

// The colour a fraction t of the way from a to b.
TRGB Mix(TRGB a, TRGB b, double t);
void SetColour(cairo_t* cr, TRGB c, double alpha = 1);
// A disc of colour fading out to the radius.
void Glow(cairo_t* cr, double x, double y, double radius, TRGB colour, double alpha);

} // namespace qz::art
