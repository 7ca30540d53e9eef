#include "tools/artgen/Paint.h"

namespace qz::art {

TRGB Mix(TRGB a, TRGB b, double t) {
    return {a.R + (b.R - a.R) * t, a.G + (b.G - a.G) * t, a.B + (b.B - a.B) * t};
}

void SetColour(cairo_t* cr, TRGB c, double alpha) {
    cairo_set_source_rgba(cr, c.R, c.G, c.B, alpha);
}

void Glow(cairo_t* cr, double x, double y, double radius, TRGB colour, double alpha) {
    cairo_pattern_t* p = cairo_pattern_create_radial(x, y, 0, x, y, radius);
    cairo_pattern_add_color_stop_rgba(p, 0, colour.R, colour.G, colour.B, alpha);
    cairo_pattern_add_color_stop_rgba(p, 0.45, colour.R, colour.G, colour.B, alpha * 0.45);
    cairo_pattern_add_color_stop_rgba(p, 1, colour.R, colour.G, colour.B, 0);
    cairo_set_source(cr, p);
    cairo_arc(cr, x, y, radius, 0, 2 * Pi);
    cairo_fill(cr);
    cairo_pattern_destroy(p);
}

} // namespace qz::art
