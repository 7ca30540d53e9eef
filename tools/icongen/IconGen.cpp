#include "tools/icongen/IconGen.h"

#include "archive/Error.h"
#include "tools/artgen/Canvas.h"
#include "tools/artgen/Paint.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <initializer_list>
#include <system_error>

namespace qz::icon {

namespace {

using art::Pi;
using art::SetColour;
using art::TRGB;

// Everything is drawn on a 256 x 256 design grid and scaled to the picture.
constexpr double Grid = 256;

// A colour pushed toward white (tone > 0) or toward a deep shadow of itself (tone < 0).
TRGB Tone(TRGB c, double tone) {
    if (tone >= 0) {
        return {c.R + (1 - c.R) * tone, c.G + (1 - c.G) * tone, c.B + (1 - c.B) * tone};
    }
    const double keep = 1 + tone;
    const TRGB deep{0.04, 0.03, 0.12};
    return {deep.R + (c.R - deep.R) * keep, deep.G + (c.G - deep.G) * keep,
            deep.B + (c.B - deep.B) * keep};
}

struct TPoint {
    double X, Y;
};

void Polygon(cairo_t* cr, std::initializer_list<TPoint> points) {
    bool first = true;
    for (const TPoint& p : points) {
        if (first) {
            cairo_move_to(cr, p.X, p.Y);
            first = false;
        } else {
            cairo_line_to(cr, p.X, p.Y);
        }
    }
    cairo_close_path(cr);
}

// Fills the current path with a gradient from tone `top` at y0 to tone `bottom` at y1.
void FillToned(cairo_t* cr, TRGB colour, double y0, double top, double y1, double bottom) {
    cairo_pattern_t* p = cairo_pattern_create_linear(0, y0, 0, y1);
    const TRGB a = Tone(colour, top);
    const TRGB b = Tone(colour, bottom);
    cairo_pattern_add_color_stop_rgb(p, 0, a.R, a.G, a.B);
    cairo_pattern_add_color_stop_rgb(p, 1, b.R, b.G, b.B);
    cairo_set_source(cr, p);
    cairo_fill(cr);
    cairo_pattern_destroy(p);
}

// One hexagonal crystal growing from its foot: seen from the front and a little above, so
// three body faces and three tip faces show, lit from the upper left.
struct TCrystal {
    TPoint Foot;
    double Lean;   // degrees, positive to the right
    double Radius; // half the width
    double Body;   // length of the prism up to the tip
    double Tip;    // length of the pyramid
    TRGB Colour;
};

void DrawCrystal(cairo_t* cr, const TCrystal& c, double outline) {
    cairo_save(cr);
    cairo_translate(cr, c.Foot.X, c.Foot.Y);
    cairo_rotate(cr, c.Lean * Pi / 180);

    const double r = c.Radius;
    const double drop = r * 0.22; // the front edges sit lower: the view is from above
    const double x[4] = {-r, -r / 2, r / 2, r};
    const double dy[4] = {0, drop, drop, 0};
    const double top = -c.Body;
    const double foot = 12; // hidden behind the rock
    const TPoint apex{r * 0.06, top - c.Tip};

    // Body faces, lit left to right, then the tip faces, brighter.
    const double bodyTop[3] = {0.42, 0.08, -0.38};
    const double bodyFoot[3] = {-0.15, -0.45, -0.72};
    const double tipTone[3] = {0.62, 0.3, -0.18};
    for (int i = 0; i < 3; ++i) {
        Polygon(cr, {{x[i], top + dy[i]},
                     {x[i + 1], top + dy[i + 1]},
                     {x[i + 1], foot + dy[i + 1]},
                     {x[i], foot + dy[i]}});
        FillToned(cr, c.Colour, top, bodyTop[i], foot, bodyFoot[i]);
        Polygon(cr, {apex, {x[i], top + dy[i]}, {x[i + 1], top + dy[i + 1]}});
        FillToned(cr, c.Colour, apex.Y, tipTone[i] + 0.15, top + drop, tipTone[i] - 0.1);
    }

    // The glass: a light band inside the front face and a bright streak on the lit face.
    Polygon(cr, {{x[1] + r * 0.12, top + drop + r * 0.25},
                 {x[1] + r * 0.34, top + drop + r * 0.25},
                 {x[1] + r * 0.34, foot * 0.2 - c.Body * 0.1},
                 {x[1] + r * 0.12, foot * 0.2 - c.Body * 0.06}});
    SetColour(cr, {1, 1, 1}, 0.22);
    cairo_fill(cr);
    Polygon(cr, {{x[0] + r * 0.14, top + r * 0.3},
                 {x[0] + r * 0.26, top + r * 0.34},
                 {x[0] + r * 0.26, top + c.Body * 0.55},
                 {x[0] + r * 0.14, top + c.Body * 0.5}});
    SetColour(cr, {1, 1, 1}, 0.55);
    cairo_fill(cr);

    // Facet edges: light where they face the light, dark on the shadow side.
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_set_line_width(cr, outline * 0.4);
    for (int i = 1; i < 3; ++i) {
        cairo_move_to(cr, x[i], foot + dy[i]);
        cairo_line_to(cr, x[i], top + dy[i]);
        cairo_line_to(cr, apex.X, apex.Y);
        SetColour(cr, i == 1 ? TRGB{1, 1, 1} : Tone(c.Colour, -0.6), i == 1 ? 0.7 : 0.6);
        cairo_stroke(cr);
    }
    cairo_move_to(cr, x[0], top);
    for (int i = 1; i < 4; ++i) {
        cairo_line_to(cr, x[i], top + dy[i]);
    }
    SetColour(cr, {1, 1, 1}, 0.6);
    cairo_stroke(cr);

    // The silhouette, in the crystal's own deepest shade.
    Polygon(cr, {{x[0], foot}, {x[0], top}, apex, {x[3], top}, {x[3], foot}});
    cairo_set_line_width(cr, outline);
    SetColour(cr, Tone(c.Colour, -0.82));
    cairo_stroke(cr);
    cairo_restore(cr);
}

void DrawRock(cairo_t* cr, double outline) {
    const TRGB slate{0.47, 0.5, 0.62};
    const TPoint a{30, 232}, b{50, 206}, c{92, 194}, d{164, 194}, e{206, 204}, f{226, 230},
        g{196, 243}, h{128, 247}, i{60, 243};
    const TPoint ridgeL{84, 218}, ridgeR{170, 216};

    // The top, lit; the front in three darker faces split by ridges.
    Polygon(cr, {a, b, c, d, e, f, ridgeR, ridgeL});
    FillToned(cr, slate, c.Y, 0.25, a.Y, -0.1);
    Polygon(cr, {a, ridgeL, h, i});
    FillToned(cr, slate, ridgeL.Y, -0.3, h.Y, -0.55);
    Polygon(cr, {ridgeL, ridgeR, h});
    FillToned(cr, slate, ridgeR.Y, -0.45, h.Y, -0.65);
    Polygon(cr, {ridgeR, f, g, h});
    FillToned(cr, slate, ridgeR.Y, -0.6, h.Y, -0.78);

    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_set_line_width(cr, outline * 0.4);
    cairo_move_to(cr, a.X, a.Y);
    cairo_line_to(cr, ridgeL.X, ridgeL.Y);
    cairo_line_to(cr, ridgeR.X, ridgeR.Y);
    cairo_line_to(cr, f.X, f.Y);
    SetColour(cr, {1, 1, 1}, 0.35);
    cairo_stroke(cr);
    cairo_move_to(cr, ridgeL.X, ridgeL.Y);
    cairo_line_to(cr, h.X, h.Y);
    cairo_line_to(cr, ridgeR.X, ridgeR.Y);
    SetColour(cr, Tone(slate, -0.85), 0.6);
    cairo_stroke(cr);

    Polygon(cr, {a, b, c, d, e, f, g, h, i});
    cairo_set_line_width(cr, outline);
    SetColour(cr, Tone(slate, -0.9));
    cairo_stroke(cr);
}

// A four-pointed glint.
void Sparkle(cairo_t* cr, TPoint at, double radius) {
    cairo_pattern_t* glow = cairo_pattern_create_radial(at.X, at.Y, 0, at.X, at.Y, radius * 0.7);
    cairo_pattern_add_color_stop_rgba(glow, 0, 1, 1, 1, 0.8);
    cairo_pattern_add_color_stop_rgba(glow, 1, 1, 1, 1, 0);
    cairo_set_source(cr, glow);
    cairo_arc(cr, at.X, at.Y, radius * 0.7, 0, 2 * Pi);
    cairo_fill(cr);
    cairo_pattern_destroy(glow);
    const double w = radius * 0.16;
    Polygon(cr, {{at.X, at.Y - radius},
                 {at.X + w, at.Y - w},
                 {at.X + radius, at.Y},
                 {at.X + w, at.Y + w},
                 {at.X, at.Y + radius},
                 {at.X - w, at.Y + w},
                 {at.X - radius, at.Y},
                 {at.X - w, at.Y - w}});
    SetColour(cr, {1, 1, 1});
    cairo_fill(cr);
}

} // namespace

void DrawIcon(cairo_t* cr, int size) {
    cairo_save(cr);
    cairo_scale(cr, size / Grid, size / Grid);
    // Lines never thinner than about one pixel, so small icons keep their shapes.
    const double outline = std::max(4.5, 1.15 * Grid / size);

    const TCrystal cluster[] = {
        {{96, 214}, -27, 25, 86, 34, {0.68, 0.3, 0.96}},  // violet
        {{164, 214}, 29, 24, 80, 32, {0.16, 0.82, 0.46}}, // green
        {{78, 216}, -60, 18, 44, 20, {1.0, 0.72, 0.16}},  // amber
        {{180, 216}, 58, 17, 42, 19, {0.98, 0.3, 0.36}},  // red
        {{128, 220}, -3, 36, 124, 52, {0.16, 0.56, 1.0}}, // blue, the tallest, in front
    };
    for (const TCrystal& crystal : cluster) {
        DrawCrystal(cr, crystal, outline);
    }
    DrawRock(cr, outline);
    Sparkle(cr, {115, 78}, size >= 64 ? 17 : 20);
    cairo_restore(cr);
}

void WriteIcons(const std::string& folder, const std::string& id, const std::vector<int>& sizes) {
    for (const int size : sizes) {
        const std::string name = std::to_string(size) + "x" + std::to_string(size);
        const std::filesystem::path apps = std::filesystem::path(folder) / name / "apps";
        std::error_code error;
        std::filesystem::create_directories(apps, error);
        if (error) {
            throw IOError("Cannot create folder " + apps.string() + ": " + error.message());
        }
        art::TCanvas canvas(size, size);
        DrawIcon(*canvas, size);
        canvas.SavePNG((apps / (id + ".png")).string());
    }
}

} // namespace qz::icon
