#include "tools/artgen/ArtGen.h"

#include "archive/Error.h"
#include "archive/FileFolder.h"
#include "game/Definitions.h"
#include "game/GameData.h"
#include "game/GameHost.h"
#include "tools/artgen/Canvas.h"
#include "tools/artgen/Paint.h"
#include "xml/NyxParser.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <functional>
#include <map>
#include <vector>

namespace qz::art {

namespace {

// The one pseudo-random sequence of the pictures, so every run draws the same strokes.
class TDice {
public:
    explicit TDice(uint32_t seed) : state_(seed * 2654435761u + 12345u) {}
    double Next() {
        state_ = state_ * 1664525u + 1013904223u;
        return (state_ >> 8) / 16777216.0;
    }
    double Range(double low, double high) { return low + (high - low) * Next(); }

private:
    uint32_t state_;
};

void StarPath(cairo_t* cr, double x, double y, double outer, double inner, int points,
              double turn = -Pi / 2) {
    for (int i = 0; i < points * 2; ++i) {
        const double r = i % 2 == 0 ? outer : inner;
        const double a = turn + i * Pi / points;
        if (i == 0) {
            cairo_move_to(cr, x + r * std::cos(a), y + r * std::sin(a));
        } else {
            cairo_line_to(cr, x + r * std::cos(a), y + r * std::sin(a));
        }
    }
    cairo_close_path(cr);
}

// ---- crystals ----------------------------------------------------------------------------

enum class TTexture { Glass, Gem, Ice, Opal, Marble, Prism, Ember };

struct TMaterial {
    TRGB Light, Dark;
    double Alpha;
    TTexture Texture;
};

// Every material in the red base that the colours' hue change turns.
const std::map<std::string, TMaterial, std::less<>> Materials = {
    {"glass", {{1.0, 0.45, 0.45}, {0.55, 0.05, 0.08}, 0.88, TTexture::Glass}},
    {"gem", {{1.0, 0.30, 0.32}, {0.35, 0.0, 0.04}, 1.0, TTexture::Gem}},
    {"ice", {{1.0, 0.78, 0.78}, {0.62, 0.30, 0.32}, 0.86, TTexture::Ice}},
    {"opal", {{1.0, 0.55, 0.50}, {0.60, 0.12, 0.12}, 0.97, TTexture::Opal}},
    {"marble", {{0.95, 0.48, 0.46}, {0.48, 0.10, 0.10}, 1.0, TTexture::Marble}},
    {"prism", {{1.0, 0.42, 0.40}, {0.58, 0.06, 0.26}, 0.92, TTexture::Prism}},
    {"ember", {{1.0, 0.36, 0.42}, {0.50, 0.02, 0.09}, 0.97, TTexture::Ember}},
};

using TPt = std::pair<double, double>;

void TrianglePath(cairo_t* cr, const std::vector<TPt>& t) {
    cairo_move_to(cr, t[0].first, t[0].second);
    cairo_line_to(cr, t[1].first, t[1].second);
    cairo_line_to(cr, t[2].first, t[2].second);
    cairo_close_path(cr);
}

void DrawCrystal(const TFishkaShape& shape, const TMaterial& m, uint32_t seed,
                 const std::string& fileName) {
    TCanvas canvas(shape.MaxX - shape.MinX + 3, shape.MaxY + 3);
    cairo_t* cr = *canvas;
    std::vector<std::vector<TPt>> tris;
    for (const TOneFish& fish : shape.Fishes) {
        std::vector<TPt> t;
        for (const TPoint& p : fish.Points) {
            t.emplace_back(p.X - shape.MinX + 1.5, shape.MaxY - p.Y + 1.5);
        }
        tris.push_back(t);
    }
    const auto wholePath = [&] {
        for (const auto& t : tris) {
            TrianglePath(cr, t);
        }
    };
    const double w = canvas.Width();
    const double h = canvas.Height();
    TDice dice(seed);
    // Facets: each triangle is cut into three from a point near its centre; each facet takes
    // the light by the way it faces the light from the upper left.
    for (const auto& t : tris) {
        const double cx = (t[0].first + t[1].first + t[2].first) / 3 + dice.Range(-2, 2);
        const double cy = (t[0].second + t[1].second + t[2].second) / 3 + dice.Range(-1.5, 1.5);
        for (int e = 0; e < 3; ++e) {
            const TPt a = t[e];
            const TPt b = t[(e + 1) % 3];
            const double mx = (a.first + b.first) / 2 - cx;
            const double my = (a.second + b.second) / 2 - cy;
            const double len = std::max(1.0, std::hypot(mx, my));
            const double facing = (-0.6 * mx - 0.8 * my) / len;
            double light = 0.5 + 0.44 * facing;
            if (m.Texture == TTexture::Gem) {
                light = 0.45 + 0.52 * facing;
            } else if (m.Texture == TTexture::Ice) {
                light = 0.62 + 0.22 * facing;
            }
            cairo_pattern_t* p = cairo_pattern_create_linear(cx, cy, (a.first + b.first) / 2,
                                                             (a.second + b.second) / 2);
            const TRGB inner = Mix(m.Dark, m.Light, std::clamp(light + 0.18, 0.0, 1.0));
            const TRGB outer = Mix(m.Dark, m.Light, std::clamp(light - 0.12, 0.0, 1.0));
            cairo_pattern_add_color_stop_rgba(p, 0, inner.R, inner.G, inner.B, m.Alpha);
            cairo_pattern_add_color_stop_rgba(p, 1, outer.R, outer.G, outer.B, m.Alpha);
            cairo_set_source(cr, p);
            cairo_move_to(cr, a.first, a.second);
            cairo_line_to(cr, b.first, b.second);
            cairo_line_to(cr, cx, cy);
            cairo_close_path(cr);
            cairo_fill_preserve(cr);
            cairo_set_line_width(cr, 0.6);
            SetColour(cr, m.Light, 0.25);
            cairo_stroke(cr);
            cairo_pattern_destroy(p);
        }
    }
    // The material's own texture, kept inside the crystal.
    cairo_save(cr);
    wholePath();
    cairo_clip(cr);
    switch (m.Texture) {
    case TTexture::Glass:
        cairo_set_line_width(cr, 2.5);
        SetColour(cr, {1, 1, 1}, 0.18);
        for (double x = -h; x < w; x += 26) {
            cairo_move_to(cr, x, h);
            cairo_line_to(cr, x + h, 0);
        }
        cairo_stroke(cr);
        break;
    case TTexture::Gem:
        for (const auto& t : tris) {
            const double cx = (t[0].first + t[1].first + t[2].first) / 3;
            const double cy = (t[0].second + t[1].second + t[2].second) / 3;
            Glow(cr, cx - 2, cy - 2, 5, {1, 0.9, 0.9}, 0.35);
        }
        break;
    case TTexture::Ice:
        cairo_set_line_width(cr, 0.8);
        SetColour(cr, {1, 1, 1}, 0.45);
        for (int i = 0; i < int(w * h / 500) + 2; ++i) {
            double x = dice.Range(0, w);
            double y = dice.Range(0, h);
            cairo_move_to(cr, x, y);
            for (int k = 0; k < 3; ++k) {
                x += dice.Range(-8, 8);
                y += dice.Range(-6, 6);
                cairo_line_to(cr, x, y);
            }
        }
        cairo_stroke(cr);
        break;
    case TTexture::Opal:
        for (int i = 0; i < int(w * h / 60) + 4; ++i) {
            const TRGB c = dice.Next() < 0.5 ? TRGB{1, 0.85, 0.8} : TRGB{1, 0.6, 0.3};
            Glow(cr, dice.Range(0, w), dice.Range(0, h), dice.Range(1.2, 3.2), c, 0.5);
        }
        break;
    case TTexture::Marble:
        cairo_set_line_width(cr, 1.3);
        for (int i = 0; i < int(w / 14) + 2; ++i) {
            SetColour(cr, {1, 0.9, 0.88}, 0.4);
            const double x = dice.Range(-10, w);
            cairo_move_to(cr, x, 0);
            cairo_curve_to(cr, x + dice.Range(-15, 15), h / 3, x + dice.Range(-15, 25), h * 2 / 3,
                           x + dice.Range(-10, 30), h);
            cairo_stroke(cr);
        }
        break;
    case TTexture::Prism:
        for (double x = -h; x < w; x += 12) {
            SetColour(cr, int(x) % 24 == 0 ? TRGB{1, 1, 1} : TRGB{0.2, 0, 0}, 0.14);
            cairo_move_to(cr, x, 0);
            cairo_line_to(cr, x + 6, 0);
            cairo_line_to(cr, x + 6 + h * 0.5, h);
            cairo_line_to(cr, x + h * 0.5, h);
            cairo_close_path(cr);
            cairo_fill(cr);
        }
        break;
    case TTexture::Ember:
        for (const auto& t : tris) {
            const double cx = (t[0].first + t[1].first + t[2].first) / 3;
            const double cy = (t[0].second + t[1].second + t[2].second) / 3;
            Glow(cr, cx, cy, 12, {1, 0.72, 0.62}, 0.55);
        }
        break;
    }
    // A soft sheen from the upper left.
    cairo_pattern_t* sheen = cairo_pattern_create_linear(0, 0, w * 0.6, h);
    cairo_pattern_add_color_stop_rgba(sheen, 0, 1, 1, 1, 0.38);
    cairo_pattern_add_color_stop_rgba(sheen, 0.45, 1, 1, 1, 0.0);
    cairo_pattern_add_color_stop_rgba(sheen, 1, 0, 0, 0, 0.18);
    cairo_set_source(cr, sheen);
    cairo_paint(cr);
    cairo_pattern_destroy(sheen);
    // Every edge with the triangles that share it: outline edges have one, seams two.
    struct TEdge {
        int Count = 0;
        TPt Centre{0, 0};
    };
    std::map<std::pair<TPt, TPt>, TEdge> edges;
    for (const auto& t : tris) {
        const TPt centre{(t[0].first + t[1].first + t[2].first) / 3,
                         (t[0].second + t[1].second + t[2].second) / 3};
        for (int e = 0; e < 3; ++e) {
            TPt a = t[e];
            TPt b = t[(e + 1) % 3];
            if (b < a) {
                std::swap(a, b);
            }
            TEdge& edge = edges[{a, b}];
            ++edge.Count;
            edge.Centre = centre;
        }
    }
    // The cut's bevel: the inner rim of the outline catches the light on the sides that face
    // the upper left and falls into shadow on the others.
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    for (const auto& [ends, edge] : edges) {
        if (edge.Count > 1) {
            continue;
        }
        const auto& [a, b] = ends;
        double nx = b.second - a.second;
        double ny = a.first - b.first;
        const double mx = (a.first + b.first) / 2 - edge.Centre.first;
        const double my = (a.second + b.second) / 2 - edge.Centre.second;
        if (nx * mx + ny * my < 0) {
            nx = -nx;
            ny = -ny;
        }
        const double facing = (-0.6 * nx - 0.8 * ny) / std::max(1e-9, std::hypot(nx, ny));
        cairo_move_to(cr, a.first, a.second);
        cairo_line_to(cr, b.first, b.second);
        cairo_set_line_width(cr, 4.2);
        if (facing > 0) {
            SetColour(cr, {1, 1, 1}, 0.22 + 0.4 * facing);
        } else {
            SetColour(cr, Mix(m.Dark, {0, 0, 0}, 0.4), 0.25 - 0.3 * facing);
        }
        cairo_stroke(cr);
    }
    // One glint where the light first meets the stone.
    const std::vector<TPt>* lit = &tris.front();
    for (const auto& t : tris) {
        const auto score = [](const std::vector<TPt>& v) {
            return v[0].first + v[1].first + v[2].first + v[0].second + v[1].second + v[2].second;
        };
        if (score(t) < score(*lit)) {
            lit = &t;
        }
    }
    TPt corner = (*lit)[0];
    for (const TPt& p : *lit) {
        if (p.first + p.second < corner.first + corner.second) {
            corner = p;
        }
    }
    const double gx =
        ((*lit)[0].first + (*lit)[1].first + (*lit)[2].first) / 3 * 0.6 + corner.first * 0.4;
    const double gy =
        ((*lit)[0].second + (*lit)[1].second + (*lit)[2].second) / 3 * 0.6 + corner.second * 0.4;
    Glow(cr, gx, gy, 4.5, {1, 1, 1}, 0.55);
    StarPath(cr, gx, gy, 3.4, 0.7, 4, 0);
    SetColour(cr, {1, 1, 1}, 0.9);
    cairo_fill(cr);
    cairo_restore(cr);
    // Edges: the crystal's outline dark, the seams between its triangles light.
    for (const auto& [ends, edge] : edges) {
        cairo_move_to(cr, ends.first.first, ends.first.second);
        cairo_line_to(cr, ends.second.first, ends.second.second);
        if (edge.Count > 1) {
            cairo_set_line_width(cr, 0.9);
            SetColour(cr, Mix(m.Light, {1, 1, 1}, 0.5), 0.35);
        } else {
            cairo_set_line_width(cr, 1.6);
            SetColour(cr, Mix(m.Dark, {0, 0, 0}, 0.5), 0.95);
        }
        cairo_stroke(cr);
    }
    canvas.SavePNG(fileName);
}

// ---- signs -------------------------------------------------------------------------------

void DrawSign(int which, const std::string& fileName) {
    TCanvas canvas(30, 20);
    cairo_t* cr = *canvas;
    const double x = 15;
    const double y = 10;
    const double r = 5.5;
    const auto path = [&](double dx, double dy) {
        const double cx = x + dx;
        const double cy = y + dy;
        switch (which % 7) {
        case 0:
            cairo_arc(cr, cx, cy, r, 0, 2 * Pi);
            break;
        case 1:
            cairo_rectangle(cr, cx - r * 0.85, cy - r * 0.85, r * 1.7, r * 1.7);
            break;
        case 2:
            cairo_move_to(cr, cx, cy - r * 1.1);
            cairo_line_to(cr, cx + r * 1.1, cy + r * 0.8);
            cairo_line_to(cr, cx - r * 1.1, cy + r * 0.8);
            cairo_close_path(cr);
            break;
        case 3:
            cairo_move_to(cr, cx, cy - r * 1.2);
            cairo_line_to(cr, cx + r * 0.9, cy);
            cairo_line_to(cr, cx, cy + r * 1.2);
            cairo_line_to(cr, cx - r * 0.9, cy);
            cairo_close_path(cr);
            break;
        case 4:
            StarPath(cr, cx, cy + 0.5, r * 1.25, r * 0.5, 5);
            break;
        case 5: {
            const double a = r * 0.38;
            const double b = r * 1.1;
            cairo_move_to(cr, cx - a, cy - b);
            cairo_line_to(cr, cx + a, cy - b);
            cairo_line_to(cr, cx + a, cy - a);
            cairo_line_to(cr, cx + b, cy - a);
            cairo_line_to(cr, cx + b, cy + a);
            cairo_line_to(cr, cx + a, cy + a);
            cairo_line_to(cr, cx + a, cy + b);
            cairo_line_to(cr, cx - a, cy + b);
            cairo_line_to(cr, cx - a, cy + a);
            cairo_line_to(cr, cx - b, cy + a);
            cairo_line_to(cr, cx - b, cy - a);
            cairo_line_to(cr, cx - a, cy - a);
            cairo_close_path(cr);
            break;
        }
        default:
            cairo_arc(cr, cx, cy, r, 0.25 * Pi, 1.75 * Pi);
            cairo_arc_negative(cr, cx + r * 0.55, cy, r * 0.75, 1.62 * Pi, 0.38 * Pi);
            cairo_close_path(cr);
            break;
        }
    };
    // A dark rim all round keeps the sign readable on the palest crystals.
    path(0.6, 0.8);
    SetColour(cr, {0, 0, 0}, 0.45);
    cairo_set_line_width(cr, 2.6);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_stroke_preserve(cr);
    cairo_fill(cr);
    path(0, 0);
    cairo_pattern_t* p = cairo_pattern_create_linear(x, y - r, x, y + r);
    cairo_pattern_add_color_stop_rgba(p, 0, 1, 1, 1, 0.98);
    cairo_pattern_add_color_stop_rgba(p, 1, 0.80, 0.84, 0.90, 0.98);
    cairo_set_source(cr, p);
    cairo_fill_preserve(cr);
    cairo_pattern_destroy(p);
    cairo_set_line_width(cr, 1.1);
    SetColour(cr, {0.12, 0.1, 0.15}, 0.9);
    cairo_stroke(cr);
    canvas.SavePNG(fileName);
}

// ---- bosses ------------------------------------------------------------------------------

void DrawBoss(int kind, int size, const std::string& fileName) {
    TCanvas canvas(size, size);
    cairo_t* cr = *canvas;
    const TRGB bodies[] = {
        {0.35, 0.75, 0.35}, {0.55, 0.6, 0.72}, {0.6, 0.35, 0.8}, {0.95, 0.72, 0.2}};
    const TRGB body = bodies[kind % 4];
    const double c = size / 2.0;
    const double r = size * 0.36;
    // Crystal shards grow from the stronger ones, one more for each step of power, each a
    // lit and a shaded face; the strongest also wears a crown.
    const TRGB shard = Mix(body, {0.85, 0.95, 1}, 0.55);
    for (int i = 0; i < kind + 1; ++i) {
        const double a = -Pi / 2 + (i - kind / 2.0) * 0.5;
        const double bx = c + r * 0.75 * std::cos(a);
        const double by = c + r * 0.75 * std::sin(a);
        const double tx = c + r * 1.4 * std::cos(a);
        const double ty = c + r * 1.4 * std::sin(a);
        const double side = r * 0.2;
        const double px = -std::sin(a) * side;
        const double py = std::cos(a) * side;
        cairo_move_to(cr, bx - px, by - py);
        cairo_line_to(cr, tx, ty);
        cairo_line_to(cr, bx, by);
        cairo_close_path(cr);
        SetColour(cr, Mix(shard, {1, 1, 1}, 0.45));
        cairo_fill(cr);
        cairo_move_to(cr, bx, by);
        cairo_line_to(cr, tx, ty);
        cairo_line_to(cr, bx + px, by + py);
        cairo_close_path(cr);
        SetColour(cr, Mix(shard, {0, 0, 0}, 0.35));
        cairo_fill(cr);
        cairo_move_to(cr, bx - px, by - py);
        cairo_line_to(cr, tx, ty);
        cairo_line_to(cr, bx + px, by + py);
        cairo_set_line_width(cr, 0.8);
        SetColour(cr, Mix(body, {0, 0, 0}, 0.7), 0.9);
        cairo_stroke(cr);
    }
    cairo_pattern_t* p =
        cairo_pattern_create_radial(c - r * 0.35, c - r * 0.4, r * 0.1, c, c, r * 1.1);
    const TRGB light = Mix(body, {1, 1, 1}, 0.55);
    const TRGB dark = Mix(body, {0, 0, 0}, 0.55);
    cairo_pattern_add_color_stop_rgb(p, 0, light.R, light.G, light.B);
    cairo_pattern_add_color_stop_rgb(p, 0.6, body.R, body.G, body.B);
    cairo_pattern_add_color_stop_rgb(p, 1, dark.R, dark.G, dark.B);
    cairo_set_source(cr, p);
    cairo_save(cr);
    cairo_translate(cr, c, c + size * 0.04);
    cairo_scale(cr, 1.0, 0.9);
    cairo_arc(cr, 0, 0, r, 0, 2 * Pi);
    cairo_restore(cr);
    cairo_fill_preserve(cr);
    cairo_pattern_destroy(p);
    cairo_set_line_width(cr, 1.4);
    SetColour(cr, Mix(body, {0, 0, 0}, 0.7));
    cairo_stroke(cr);
    // Eyes and a grin.
    for (int side = -1; side <= 1; side += 2) {
        const double ex = c + side * r * 0.38;
        const double ey = c - r * 0.1;
        cairo_arc(cr, ex, ey, r * 0.22, 0, 2 * Pi);
        SetColour(cr, {1, 1, 0.95});
        cairo_fill(cr);
        cairo_arc(cr, ex + side * r * 0.04, ey + r * 0.05, r * 0.11, 0, 2 * Pi);
        SetColour(cr, {0.08, 0.05, 0.1});
        cairo_fill(cr);
        cairo_arc(cr, ex - r * 0.05, ey - r * 0.07, r * 0.04, 0, 2 * Pi);
        SetColour(cr, {1, 1, 1});
        cairo_fill(cr);
    }
    cairo_set_line_width(cr, 1.3);
    cairo_arc(cr, c, c + r * 0.2, r * 0.35, 0.15 * Pi, 0.85 * Pi);
    SetColour(cr, {0.1, 0.05, 0.05}, 0.9);
    cairo_stroke(cr);
    // A cut gem on the brow, in the shard colour.
    {
        const double gx = c;
        const double gy = c - r * 0.52;
        const double gr = r * 0.16;
        cairo_move_to(cr, gx, gy - gr);
        cairo_line_to(cr, gx + gr, gy);
        cairo_line_to(cr, gx, gy + gr);
        cairo_line_to(cr, gx - gr, gy);
        cairo_close_path(cr);
        SetColour(cr, Mix(shard, {1, 1, 1}, 0.3));
        cairo_fill_preserve(cr);
        cairo_set_line_width(cr, 0.8);
        SetColour(cr, Mix(body, {0, 0, 0}, 0.7));
        cairo_stroke(cr);
        Glow(cr, gx - gr * 0.3, gy - gr * 0.3, gr * 0.9, {1, 1, 1}, 0.8);
    }
    if (kind == 3) {
        SetColour(cr, {1, 0.85, 0.3});
        cairo_move_to(cr, c - r * 0.5, c - r * 0.72);
        for (int i = 0; i <= 4; ++i) {
            cairo_line_to(cr, c - r * 0.5 + i * r * 0.25, c - r * (i % 2 == 0 ? 1.25 : 0.9));
        }
        cairo_line_to(cr, c + r * 0.5, c - r * 0.72);
        cairo_close_path(cr);
        cairo_fill(cr);
    }
    canvas.SavePNG(fileName);
}

// ---- marks, effects, bars, cursor --------------------------------------------------------

using TFrameDraw = std::function<void(cairo_t*, double cx, double cy, double phase)>;

void DrawStrip(int frames, int size, const TFrameDraw& draw, const std::string& fileName) {
    TCanvas canvas(frames * size, size);
    for (int f = 0; f < frames; ++f) {
        cairo_save(*canvas);
        draw(*canvas, f * size + size / 2.0, size / 2.0, double(f) / frames);
        cairo_restore(*canvas);
    }
    canvas.SavePNG(fileName);
}

TFrameDraw Coin(TRGB colour) {
    return [colour](cairo_t* cr, double cx, double cy, double phase) {
        const double squeeze = std::max(0.15, std::fabs(std::cos(phase * 2 * Pi)));
        cairo_save(cr);
        cairo_translate(cr, cx, cy);
        cairo_scale(cr, squeeze, 1);
        cairo_arc(cr, 0, 0, 9, 0, 2 * Pi);
        cairo_pattern_t* p = cairo_pattern_create_linear(-9, -9, 9, 9);
        const TRGB light = Mix(colour, {1, 1, 1}, 0.6);
        const TRGB dark = Mix(colour, {0, 0, 0}, 0.45);
        cairo_pattern_add_color_stop_rgb(p, 0, light.R, light.G, light.B);
        cairo_pattern_add_color_stop_rgb(p, 1, dark.R, dark.G, dark.B);
        cairo_set_source(cr, p);
        cairo_fill_preserve(cr);
        cairo_pattern_destroy(p);
        cairo_set_line_width(cr, 1.5);
        SetColour(cr, dark);
        cairo_stroke(cr);
        StarPath(cr, 0, 0, 4.5, 2, 4);
        SetColour(cr, light, 0.9);
        cairo_fill(cr);
        cairo_restore(cr);
    };
}

TFrameDraw Arrows(TRGB colour, int count) {
    return [colour, count](cairo_t* cr, double cx, double cy, double phase) {
        Glow(cr, cx, cy, 11, colour, 0.45);
        cairo_set_line_width(cr, 2.2);
        cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
        for (int i = 0; i < count; ++i) {
            const double a = phase * 2 * Pi + i * 2 * Pi / count;
            SetColour(cr, Mix(colour, {1, 1, 1}, 0.5));
            cairo_arc(cr, cx, cy, 7, a, a + 2.2 * Pi / count);
            cairo_stroke(cr);
            const double e = a + 2.2 * Pi / count;
            cairo_move_to(cr, cx + 9.5 * std::cos(e - 0.3), cy + 9.5 * std::sin(e - 0.3));
            cairo_line_to(cr, cx + 7 * std::cos(e + 0.25), cy + 7 * std::sin(e + 0.25));
            cairo_line_to(cr, cx + 4.5 * std::cos(e - 0.3), cy + 4.5 * std::sin(e - 0.3));
            cairo_stroke(cr);
        }
    };
}

TFrameDraw Shift(TRGB colour, int count) {
    return [colour, count](cairo_t* cr, double cx, double cy, double phase) {
        Glow(cr, cx, cy, 11, colour, 0.45);
        cairo_set_line_width(cr, 2.2);
        cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
        cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
        const double lift = 2 * std::sin(phase * 2 * Pi);
        for (int i = 0; i < count; ++i) {
            const double y = cy + 3 - i * 6 + lift;
            cairo_move_to(cr, cx - 6, y + 3);
            cairo_line_to(cr, cx, y - 3);
            cairo_line_to(cr, cx + 6, y + 3);
            SetColour(cr, Mix(colour, {1, 1, 1}, 0.55));
            cairo_stroke(cr);
        }
    };
}

void Bomb(cairo_t* cr, double cx, double cy, double phase, TRGB colour) {
    cairo_arc(cr, cx, cy + 2, 7.5, 0, 2 * Pi);
    cairo_pattern_t* p = cairo_pattern_create_radial(cx - 3, cy - 1, 1, cx, cy + 2, 8);
    const TRGB light = Mix(colour, {1, 1, 1}, 0.5);
    cairo_pattern_add_color_stop_rgb(p, 0, light.R, light.G, light.B);
    cairo_pattern_add_color_stop_rgb(p, 1, colour.R * 0.3, colour.G * 0.3, colour.B * 0.3);
    cairo_set_source(cr, p);
    cairo_fill(cr);
    cairo_pattern_destroy(p);
    cairo_set_line_width(cr, 1.5);
    SetColour(cr, {0.5, 0.4, 0.3});
    cairo_move_to(cr, cx + 4, cy - 4);
    cairo_curve_to(cr, cx + 6, cy - 8, cx + 8, cy - 8, cx + 9, cy - 9);
    cairo_stroke(cr);
    Glow(cr, cx + 9, cy - 9, 3 + 2 * std::fabs(std::sin(phase * 2 * Pi)), {1, 0.9, 0.4}, 0.95);
}

void Burst(cairo_t* cr, double c, TRGB colour) {
    Glow(cr, c, c, c, colour, 0.7);
    StarPath(cr, c, c, c * 0.95, c * 0.22, 8);
    const TRGB light = Mix(colour, {1, 1, 1}, 0.6);
    SetColour(cr, light, 0.85);
    cairo_fill(cr);
    Glow(cr, c, c, c * 0.35, {1, 1, 1}, 1);
}

void DrawEffects(const std::string& dir) {
    DrawStrip(8, 24, Coin({0.75, 0.5, 0.3}), dir + "/small_coin_line.png");
    DrawStrip(8, 24, Coin({0.78, 0.8, 0.85}), dir + "/silver_coin_line.png");
    DrawStrip(8, 24, Coin({1.0, 0.8, 0.2}), dir + "/gold_coin_line.png");
    DrawStrip(8, 24, Arrows({0.3, 0.85, 0.4}, 1), dir + "/smallshuffle_small_line.png");
    DrawStrip(8, 24, Arrows({0.3, 0.85, 0.4}, 2), dir + "/shuffle_small_line.png");
    DrawStrip(8, 24, Shift({0.3, 0.6, 1.0}, 1), dir + "/smallshift_small_line.png");
    DrawStrip(8, 24, Shift({0.3, 0.6, 1.0}, 2), dir + "/shift_small_line.png");
    DrawStrip(
        8, 24,
        [](cairo_t* cr, double x, double y, double f) {
            Bomb(cr, x, y, f, {0.35, 0.35, 0.4});
        },
        dir + "/bomb_small_line.png");
    DrawStrip(
        8, 24,
        [](cairo_t* cr, double x, double y, double f) {
            Bomb(cr, x, y, f, {1, 0.15, 0.15});
        },
        dir + "/colorbomb_small_line.png");
    DrawStrip(
        8, 24,
        [](cairo_t* cr, double x, double y, double f) {
            const TRGB colours[] = {{1, 0.25, 0.25}, {0.3, 0.9, 0.3}, {0.3, 0.5, 1}};
            for (int i = 0; i < 3; ++i) {
                const double a = f * 2 * Pi + i * 2 * Pi / 3;
                Glow(cr, x + 5 * std::cos(a), y + 5 * std::sin(a), 6, colours[i], 0.95);
            }
        },
        dir + "/tricolor_line.png");
    {
        TCanvas c(64, 64);
        Burst(*c, 32, {1, 0.85, 0.4});
        c.SavePNG(dir + "/boomstar.png");
    }
    {
        TCanvas c(64, 64);
        Burst(*c, 32, {1, 0.2, 0.2});
        c.SavePNG(dir + "/boomcolorstar.png");
    }
    const std::pair<const char*, TRGB> particles[] = {{"particle1", {1, 1, 1}},
                                                      {"particle_shift", {0.4, 0.7, 1}},
                                                      {"particle_shuffle", {0.4, 1, 0.5}}};
    for (const auto& [name, colour] : particles) {
        TCanvas c(16, 16);
        Glow(*c, 8, 8, 8, colour, 1);
        c.SavePNG(dir + "/" + name + ".png");
    }
    {
        // A fragment hint is drawn 21 px left of its lattice point, so its mark sits in the
        // middle of a 42 px wide picture: a small cut diamond that stands apart from stars.
        TCanvas c(42, 12);
        cairo_t* cr = *c;
        Glow(cr, 21, 5, 6, {0.55, 0.85, 1}, 0.55);
        cairo_move_to(cr, 21, 1);
        cairo_line_to(cr, 25, 5);
        cairo_line_to(cr, 21, 9);
        cairo_line_to(cr, 17, 5);
        cairo_close_path(cr);
        cairo_pattern_t* p = cairo_pattern_create_linear(17, 1, 25, 9);
        cairo_pattern_add_color_stop_rgba(p, 0, 1, 1, 1, 0.95);
        cairo_pattern_add_color_stop_rgba(p, 1, 0.45, 0.75, 1, 0.9);
        cairo_set_source(cr, p);
        cairo_fill(cr);
        cairo_pattern_destroy(p);
        c.SavePNG(dir + "/FragHint.png");
    }
    const std::pair<const char*, std::pair<TRGB, double>> bars[] = {
        {"DeadProgressBar", {{0.85, 0.12, 0.1}, 0}}, {"DeadProgressBarOn", {{1, 0.45, 0.15}, 1}}};
    // One step of the dead line's bar; the progress bar repeats it along its track.
    for (const auto& [name, look] : bars) {
        TCanvas c(10, 14);
        cairo_t* cr = *c;
        cairo_pattern_t* p = cairo_pattern_create_linear(0, 0, 0, 14);
        const TRGB light = Mix(look.first, {1, 1, 1}, 0.55);
        cairo_pattern_add_color_stop_rgb(p, 0, light.R, light.G, light.B);
        cairo_pattern_add_color_stop_rgb(p, 0.5, look.first.R, look.first.G, look.first.B);
        cairo_pattern_add_color_stop_rgb(p, 1, look.first.R * 0.4, look.first.G * 0.4,
                                         look.first.B * 0.4);
        cairo_set_source(cr, p);
        cairo_rectangle(cr, 1, 1, 8, 12);
        cairo_fill(cr);
        cairo_pattern_destroy(p);
        if (look.second > 0) {
            Glow(cr, 5, 7, 5, {1, 0.9, 0.5}, 0.6);
        }
        cairo_rectangle(cr, 0.5, 0.5, 9, 13);
        cairo_set_line_width(cr, 1);
        SetColour(cr, {0.2, 0.02, 0.02});
        cairo_stroke(cr);
        c.SavePNG(dir + "/" + std::string(name) + ".png");
    }
    // The pointer: a crystal arrow with a sparkle that turns once in 18 frames.
    DrawStrip(
        18, 40,
        [](cairo_t* cr, double cx, double cy, double phase) {
            const double x = cx - 20;
            const double y = cy - 20;
            cairo_move_to(cr, x + 2, y + 2);
            cairo_line_to(cr, x + 24, y + 12);
            cairo_line_to(cr, x + 14, y + 15);
            cairo_line_to(cr, x + 11, y + 25);
            cairo_close_path(cr);
            cairo_pattern_t* p = cairo_pattern_create_linear(x, y, x + 20, y + 20);
            cairo_pattern_add_color_stop_rgb(p, 0, 0.85, 0.95, 1);
            cairo_pattern_add_color_stop_rgb(p, 1, 0.3, 0.5, 0.9);
            cairo_set_source(cr, p);
            cairo_fill_preserve(cr);
            cairo_pattern_destroy(p);
            cairo_set_line_width(cr, 1.2);
            SetColour(cr, {0.05, 0.1, 0.3});
            cairo_stroke(cr);
            cairo_save(cr);
            cairo_translate(cr, x + 24, y + 24);
            cairo_rotate(cr, phase * 2 * Pi);
            Glow(cr, 0, 0, 7, {0.7, 0.9, 1}, 0.7);
            StarPath(cr, 0, 0, 6, 1.5, 4);
            SetColour(cr, {1, 1, 1}, 0.95);
            cairo_fill(cr);
            cairo_restore(cr);
        },
        dir + "/cursor_line.png");
}

void DrawFragMasks(const std::string& dir) {
    // The four triangles of a lattice cell at their own corner points (Frag1 is kind 0).
    const double pts[4][3][2] = {{{21, 42}, {69, 42}, {34, 21}},
                                 {{34, 21}, {69, 42}, {48, 0}},
                                 {{0, 0}, {34, 21}, {48, 0}},
                                 {{0, 0}, {21, 42}, {34, 21}}};
    for (int k = 0; k < 4; ++k) {
        double minX = 1e9, maxX = -1e9, minY = 1e9, maxY = -1e9;
        for (const auto& p : pts[k]) {
            minX = std::min(minX, p[0]);
            maxX = std::max(maxX, p[0]);
            minY = std::min(minY, p[1]);
            maxY = std::max(maxY, p[1]);
        }
        TCanvas c(int(maxX - minX) + 1, int(maxY - minY) + 1);
        for (int i = 0; i < 3; ++i) {
            const double px = pts[k][i][0] - minX + 0.5;
            const double py = maxY - pts[k][i][1] + 0.5;
            i == 0 ? cairo_move_to(*c, px, py) : cairo_line_to(*c, px, py);
        }
        cairo_close_path(*c);
        SetColour(*c, {1, 1, 1});
        cairo_fill(*c);
        c.SavePNG(dir + "/Frag" + std::to_string(k + 1) + ".png");
    }
}

// ---- backgrounds and level pictures ------------------------------------------------------

void Sky(cairo_t* cr, double h, TRGB top, TRGB bottom) {
    cairo_pattern_t* p = cairo_pattern_create_linear(0, 0, 0, h);
    cairo_pattern_add_color_stop_rgb(p, 0, top.R, top.G, top.B);
    cairo_pattern_add_color_stop_rgb(p, 1, bottom.R, bottom.G, bottom.B);
    cairo_set_source(cr, p);
    cairo_paint(cr);
    cairo_pattern_destroy(p);
}

void Ridge(cairo_t* cr, TDice& dice, double w, double h, double base, double rough, TRGB colour,
           double alpha) {
    cairo_move_to(cr, 0, h);
    double y = base;
    for (double x = 0; x <= w + 20; x += 20) {
        y = std::clamp(y + dice.Range(-rough, rough), base - rough * 2.5, base + rough * 2.5);
        cairo_line_to(cr, x, y);
    }
    cairo_line_to(cr, w, h);
    cairo_close_path(cr);
    SetColour(cr, colour, alpha);
    cairo_fill(cr);
}

void Spire(cairo_t* cr, double x, double base, double height, double width, TRGB colour) {
    // Two faces meeting in a ridge a little left of the middle, lit from the upper left.
    const double ridge = x - width * 0.12;
    const double shoulder = base - height * 0.8;
    const TRGB light = Mix(colour, {1, 1, 1}, 0.55);
    const TRGB shade = Mix(colour, {0, 0, 0}, 0.5);
    cairo_move_to(cr, x - width / 2, base);
    cairo_line_to(cr, x - width / 2, shoulder);
    cairo_line_to(cr, x, base - height);
    cairo_line_to(cr, ridge, shoulder + height * 0.06);
    cairo_line_to(cr, ridge, base);
    cairo_close_path(cr);
    cairo_pattern_t* p = cairo_pattern_create_linear(0, base - height, 0, base);
    cairo_pattern_add_color_stop_rgba(p, 0, light.R, light.G, light.B, 0.95);
    cairo_pattern_add_color_stop_rgba(p, 1, colour.R, colour.G, colour.B, 0.9);
    cairo_set_source(cr, p);
    cairo_fill(cr);
    cairo_pattern_destroy(p);
    cairo_move_to(cr, ridge, base);
    cairo_line_to(cr, ridge, shoulder + height * 0.06);
    cairo_line_to(cr, x, base - height);
    cairo_line_to(cr, x + width / 2, shoulder);
    cairo_line_to(cr, x + width / 2, base);
    cairo_close_path(cr);
    p = cairo_pattern_create_linear(0, base - height, 0, base);
    cairo_pattern_add_color_stop_rgba(p, 0, colour.R, colour.G, colour.B, 0.92);
    cairo_pattern_add_color_stop_rgba(p, 1, shade.R, shade.G, shade.B, 0.9);
    cairo_set_source(cr, p);
    cairo_fill(cr);
    cairo_pattern_destroy(p);
    cairo_set_line_width(cr, 0.8);
    cairo_move_to(cr, ridge, base);
    cairo_line_to(cr, ridge, shoulder + height * 0.06);
    cairo_line_to(cr, x, base - height);
    SetColour(cr, {1, 1, 1}, 0.45);
    cairo_stroke(cr);
}

struct TTheme {
    const char* Name;
    TRGB SkyTop, SkyBottom, Far, Near, Crystal;
};

const TTheme Themes[] = {
    {"dawn",
     {0.35, 0.25, 0.55},
     {1.0, 0.65, 0.5},
     {0.55, 0.35, 0.55},
     {0.25, 0.15, 0.3},
     {1, 0.6, 0.8}},
    {"lagoon",
     {0.1, 0.35, 0.5},
     {0.5, 0.9, 0.85},
     {0.15, 0.45, 0.5},
     {0.05, 0.22, 0.3},
     {0.5, 1, 0.9}},
    {"ember",
     {0.25, 0.05, 0.1},
     {0.95, 0.45, 0.15},
     {0.45, 0.12, 0.1},
     {0.18, 0.04, 0.05},
     {1, 0.7, 0.3}},
    {"grove",
     {0.2, 0.4, 0.3},
     {0.75, 0.9, 0.55},
     {0.25, 0.45, 0.25},
     {0.08, 0.22, 0.12},
     {0.6, 1, 0.5}},
    {"night",
     {0.02, 0.03, 0.12},
     {0.2, 0.25, 0.5},
     {0.12, 0.14, 0.3},
     {0.04, 0.05, 0.14},
     {0.6, 0.7, 1}},
};

void Landscape(cairo_t* cr, const TTheme& theme, double w, double h, uint32_t seed) {
    TDice dice(seed);
    Sky(cr, h, theme.SkyTop, theme.SkyBottom);
    if (std::string(theme.Name) == "night") {
        for (int i = 0; i < int(w * h / 900); ++i) {
            Glow(cr, dice.Range(0, w), dice.Range(0, h * 0.6), dice.Range(0.8, 2.2), {1, 1, 1},
                 0.9);
        }
    }
    Glow(cr, w * 0.72, h * 0.3, h * 0.22, Mix(theme.SkyBottom, {1, 1, 0.9}, 0.7), 0.9);
    Ridge(cr, dice, w, h, h * 0.55, h * 0.04, theme.Far, 0.9);
    for (int i = 0; i < 9; ++i) {
        const double x = dice.Range(0, w);
        Spire(cr, x, h * 0.8, dice.Range(h * 0.15, h * 0.45), dice.Range(w * 0.02, w * 0.05),
              Mix(theme.Crystal, theme.Far, dice.Range(0, 0.5)));
    }
    Ridge(cr, dice, w, h, h * 0.78, h * 0.03, theme.Near, 1);
}

void DrawBackgrounds(const std::string& dir) {
    {
        // The play screen: a deep, quiet backdrop that the crystals stand out against (the
        // board scrolls over it, so it draws no lattice of its own), faint far stars, a soft
        // glow low in the field. The interface description draws the panels over it.
        TCanvas c(800, 600);
        cairo_t* cr = *c;
        Sky(cr, 600, {0.05, 0.05, 0.13}, {0.13, 0.08, 0.22});
        Glow(cr, 300, 520, 360, {0.35, 0.22, 0.55}, 0.35);
        TDice dice(7);
        for (int i = 0; i < 60; ++i) {
            Glow(cr, dice.Range(0, 800), dice.Range(0, 600), dice.Range(0.5, 1.1), {0.8, 0.85, 1},
                 dice.Range(0.15, 0.3));
        }
        cairo_pattern_t* vignette = cairo_pattern_create_radial(300, 300, 150, 300, 300, 520);
        cairo_pattern_add_color_stop_rgba(vignette, 0, 0, 0, 0, 0);
        cairo_pattern_add_color_stop_rgba(vignette, 1, 0, 0, 0.02, 0.45);
        cairo_set_source(cr, vignette);
        cairo_paint(cr);
        cairo_pattern_destroy(vignette);
        c.SaveJPEG(dir + "/GamePlay2.jpg");
    }
    {
        TCanvas c(800, 600);
        Landscape(*c, Themes[4], 800, 600, 11);
        Glow(*c, 400, 230, 180, {0.7, 0.6, 1}, 0.35);
        c.SaveJPEG(dir + "/Title.jpg");
    }
    {
        // The sketch the title fades in from: the same scene in pencil tones.
        TCanvas c(800, 600);
        Landscape(*c,
                  {"sketch",
                   {0.92, 0.9, 0.85},
                   {0.85, 0.83, 0.78},
                   {0.7, 0.68, 0.65},
                   {0.55, 0.53, 0.5},
                   {0.8, 0.8, 0.8}},
                  800, 600, 11);
        c.SaveJPEG(dir + "/TitleSketch.jpg");
    }
}

void DrawLevelPictures(const std::string& dir) {
    uint32_t seed = 100;
    for (const TTheme& theme : Themes) {
        TCanvas whole(480, 384);
        Landscape(*whole, theme, 480, 384, ++seed);
        const TRGBImage image = whole.Image(true);
        for (int row = 0; row < 4; ++row) {
            for (int col = 0; col < 5; ++col) {
                TRGBImage tile = TRGBImage::Blank(96, 96, 0);
                for (int y = 0; y < 96; ++y) {
                    for (int x = 0; x < 96; ++x) {
                        const uint8_t* from = image.Pixel(col * 96 + x, row * 96 + y);
                        std::copy(from, from + 3, tile.Pixel(x, y));
                        // Softly faded borders so the revealed picture sits on the backdrop.
                        const int gx = col * 96 + x;
                        const int gy = row * 96 + y;
                        const int edge = std::min({gx, gy, 479 - gx, 383 - gy});
                        tile.Alpha[size_t(y) * 96 + x] =
                            static_cast<uint8_t>(std::min(200, 40 + edge * 6));
                    }
                }
                WriteStream(EncodePNG(tile), dir + "/map_" + theme.Name +
                                                 std::to_string(row * 5 + col + 1) + ".png");
            }
        }
        // A crystal lantern that flickers between two frames.
        for (int frame = 1; frame <= 2; ++frame) {
            TCanvas c(48, 64);
            cairo_t* cr = *c;
            Glow(cr, 24, 34, frame == 1 ? 22 : 26, theme.Crystal, frame == 1 ? 0.5 : 0.7);
            Spire(cr, 24, 60, 46, 16, theme.Crystal);
            Spire(cr, 14, 60, 26, 9, Mix(theme.Crystal, {1, 1, 1}, 0.3));
            Spire(cr, 34, 60, 30, 10, Mix(theme.Crystal, {0, 0, 0}, 0.2));
            c.SavePNG(dir + "/deco_" + theme.Name + std::to_string(frame) + ".png");
        }
    }
}

class TNoPictures : public IGamePictures {
public:
    std::optional<TPictureSize> Find(std::string_view) override { return {}; }
};

} // namespace

void GenerateArt(const std::string& definitionsFolder, const std::string& outFolder) {
    const std::string game = outFolder + "/game";
    const std::string compact = outFolder + "/compact";
    const std::string levels = outFolder + "/levels";
    for (const std::string& dir : {game, compact, levels}) {
        std::filesystem::create_directories(dir);
    }
    auto folder = TFileFolder::CreateNew(outFolder + "/definitions.zxc");
    for (const char* name : {"fishkaShapes.xml", "MetaColors.xml"}) {
        TMemoryStream stream;
        stream.LoadFromFile(definitionsFolder + "/" + name);
        folder->AddFile(name, 0, stream);
    }
    TDefinitions defs;
    TNoPictures pictures;
    LoadColors(defs, *folder, "MetaColors.xml", pictures);
    LoadShapes(defs, *folder, "fishkaShapes.xml");

    uint32_t seed = 1;
    std::vector<std::string> drawn;
    for (const TFishkaColor& colour : defs.FishkaColors) {
        const auto material = Materials.find(colour.Material);
        if (material == Materials.end()) {
            throw Error("no drawing for the material \"" + colour.Material + "\"");
        }
        if (std::find(drawn.begin(), drawn.end(), colour.Material) != drawn.end()) {
            continue;
        }
        drawn.push_back(colour.Material);
        for (const TFishkaShape& shape : defs.FishkaShapes) {
            DrawCrystal(shape, material->second, ++seed,
                        levels + "/" + shape.Name + "_" + colour.Material + ".png");
        }
    }
    for (size_t k = 0; k < defs.FishkaColors.size(); ++k) {
        DrawSign(static_cast<int>(k), levels + "/" + defs.FishkaColors[k].Sign);
    }
    const int bossSizes[] = {40, 44, 50, 56};
    const char* bossNames[] = {"boss_imp", "boss_golem", "boss_wyrm", "boss_lord"};
    for (int b = 0; b < 4; ++b) {
        DrawBoss(b, bossSizes[b], compact + "/" + bossNames[b] + ".png");
    }
    DrawFragMasks(game);
    DrawEffects(game);
    DrawBackgrounds(game);
    DrawLevelPictures(levels);
}

} // namespace qz::art
