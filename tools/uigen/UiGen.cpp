#include "tools/uigen/UiGen.h"

#include "archive/Error.h"
#include "tools/artgen/Canvas.h"
#include "tools/artgen/Paint.h"

#include <cairo-ft.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <cmath>
#include <filesystem>
#include <functional>
#include <vector>

namespace qz::ui {

namespace {

using art::Glow;
using art::Mix;
using art::Pi;
using art::SetColour;
using art::TRGB;

// The palette shared with the backgrounds: night indigo, violet glass and frost highlights.
constexpr TRGB Night = {0.06, 0.05, 0.15};
constexpr TRGB Indigo = {0.15, 0.12, 0.32};
constexpr TRGB Violet = {0.36, 0.27, 0.66};
constexpr TRGB Frost = {0.72, 0.78, 1.0};
constexpr TRGB Ice = {0.88, 0.93, 1.0};
constexpr TRGB Gold = {1.0, 0.86, 0.5};

void RoundedRect(cairo_t* cr, double x, double y, double w, double h, double r) {
    cairo_new_sub_path(cr);
    cairo_arc(cr, x + w - r, y + r, r, -Pi / 2, 0);
    cairo_arc(cr, x + w - r, y + h - r, r, 0, Pi / 2);
    cairo_arc(cr, x + r, y + h - r, r, Pi / 2, Pi);
    cairo_arc(cr, x + r, y + r, r, Pi, 3 * Pi / 2);
    cairo_close_path(cr);
}

void Polygon(cairo_t* cr, const std::vector<std::pair<double, double>>& points) {
    cairo_new_path(cr);
    for (const auto& [x, y] : points) {
        cairo_line_to(cr, x, y);
    }
    cairo_close_path(cr);
}

void VerticalGradient(cairo_t* cr, double y0, double y1, TRGB top, double topAlpha, TRGB bottom,
                      double bottomAlpha) {
    cairo_pattern_t* p = cairo_pattern_create_linear(0, y0, 0, y1);
    cairo_pattern_add_color_stop_rgba(p, 0, top.R, top.G, top.B, topAlpha);
    cairo_pattern_add_color_stop_rgba(p, 1, bottom.R, bottom.G, bottom.B, bottomAlpha);
    cairo_set_source(cr, p);
    cairo_pattern_destroy(p);
}

// A four-pointed crystal spark, the game's small ornament.
void Spark(cairo_t* cr, double x, double y, double size, double alpha) {
    Glow(cr, x, y, size * 1.6, Frost, alpha * 0.5);
    cairo_new_path(cr);
    cairo_move_to(cr, x, y - size);
    cairo_line_to(cr, x + size * 0.22, y - size * 0.22);
    cairo_line_to(cr, x + size, y);
    cairo_line_to(cr, x + size * 0.22, y + size * 0.22);
    cairo_line_to(cr, x, y + size);
    cairo_line_to(cr, x - size * 0.22, y + size * 0.22);
    cairo_line_to(cr, x - size, y);
    cairo_line_to(cr, x - size * 0.22, y - size * 0.22);
    cairo_close_path(cr);
    SetColour(cr, Ice, alpha);
    cairo_fill(cr);
}

// A small faceted gem, used on headers and badges.
void Gem(cairo_t* cr, double cx, double cy, double r, TRGB colour) {
    const TRGB light = Mix(colour, {1, 1, 1}, 0.55);
    const TRGB dark = Mix(colour, {0, 0, 0}, 0.45);
    Polygon(cr, {{cx, cy - r}, {cx + r * 0.8, cy}, {cx, cy + r}, {cx - r * 0.8, cy}});
    SetColour(cr, colour);
    cairo_fill(cr);
    Polygon(cr, {{cx, cy - r}, {cx + r * 0.8, cy}, {cx, cy}});
    SetColour(cr, light);
    cairo_fill(cr);
    Polygon(cr, {{cx, cy}, {cx - r * 0.8, cy}, {cx, cy + r}});
    SetColour(cr, dark);
    cairo_fill(cr);
    Polygon(cr, {{cx, cy - r}, {cx + r * 0.8, cy}, {cx, cy + r}, {cx - r * 0.8, cy}});
    cairo_set_line_width(cr, 1);
    SetColour(cr, Ice, 0.8);
    cairo_stroke(cr);
}

// The glass of every window: a translucent indigo body, a frost rim with an inner line, a
// lighter title band and sparks in two corners.
void GlassPanel(cairo_t* cr, double w, double h, double titleBand) {
    RoundedRect(cr, 1.5, 1.5, w - 3, h - 3, 14);
    VerticalGradient(cr, 0, h, Mix(Indigo, Violet, 0.25), 0.97, Night, 0.97);
    cairo_fill(cr);
    if (titleBand > 0) {
        cairo_save(cr);
        RoundedRect(cr, 1.5, 1.5, w - 3, h - 3, 14);
        cairo_clip(cr);
        cairo_rectangle(cr, 0, 0, w, titleBand);
        VerticalGradient(cr, 0, titleBand, Violet, 0.55, Indigo, 0.15);
        cairo_fill(cr);
        cairo_move_to(cr, 16, titleBand + 0.5);
        cairo_line_to(cr, w - 16, titleBand + 0.5);
        cairo_set_line_width(cr, 1);
        SetColour(cr, Frost, 0.35);
        cairo_stroke(cr);
        cairo_restore(cr);
    }
    // A soft sheen across the upper part of the glass.
    cairo_save(cr);
    RoundedRect(cr, 1.5, 1.5, w - 3, h - 3, 14);
    cairo_clip(cr);
    cairo_move_to(cr, 0, 0);
    cairo_line_to(cr, w * 0.55, 0);
    cairo_line_to(cr, w * 0.3, h * 0.45);
    cairo_line_to(cr, 0, h * 0.6);
    cairo_close_path(cr);
    SetColour(cr, Frost, 0.05);
    cairo_fill(cr);
    cairo_restore(cr);
    RoundedRect(cr, 1.5, 1.5, w - 3, h - 3, 14);
    cairo_set_line_width(cr, 2);
    SetColour(cr, Frost, 0.85);
    cairo_stroke(cr);
    RoundedRect(cr, 5.5, 5.5, w - 11, h - 11, 10);
    cairo_set_line_width(cr, 1);
    SetColour(cr, Frost, 0.22);
    cairo_stroke(cr);
    Spark(cr, 14, 14, 7, 0.9);
    Spark(cr, w - 14, h - 14, 7, 0.9);
}

void SavePanel(const std::string& dir, const std::string& name, int w, int h, double band) {
    art::TCanvas c(w, h);
    GlassPanel(*c, w, h, band);
    c.SavePNG(dir + "/" + name);
}

enum class TState { Normal, Over, Down };

const char* Suffix(TState state) {
    return state == TState::Normal ? "" : state == TState::Over ? "Over" : "Down";
}

// A push button of glass: violet body, glossy top half, frost rim; brighter with a glow
// under the pointer, darker and sunk while pressed.
void ButtonBody(cairo_t* cr, double w, double h, TState state, double radius) {
    const double lift = state == TState::Down ? 0.6 : 0;
    TRGB top = Mix(Violet, Frost, 0.25);
    TRGB bottom = Mix(Indigo, Night, 0.3);
    double rim = 0.75;
    if (state == TState::Over) {
        top = Mix(Violet, Ice, 0.45);
        bottom = Mix(Violet, Indigo, 0.4);
        rim = 1;
    } else if (state == TState::Down) {
        top = Mix(Indigo, Night, 0.4);
        bottom = Mix(Violet, Frost, 0.1);
        rim = 0.9;
    }
    RoundedRect(cr, 1 + lift, 1 + lift, w - 2 - lift, h - 2 - lift, radius);
    VerticalGradient(cr, 0, h, top, 0.96, bottom, 0.96);
    cairo_fill(cr);
    if (state != TState::Down) {
        cairo_save(cr);
        RoundedRect(cr, 1, 1, w - 2, h - 2, radius);
        cairo_clip(cr);
        RoundedRect(cr, 3, 2.5, w - 6, h * 0.45, radius * 0.7);
        VerticalGradient(cr, 0, h * 0.5, {1, 1, 1}, 0.28, {1, 1, 1}, 0.04);
        cairo_fill(cr);
        cairo_restore(cr);
    }
    if (state == TState::Over) {
        cairo_save(cr);
        RoundedRect(cr, 1, 1, w - 2, h - 2, radius);
        cairo_clip(cr);
        Glow(cr, w / 2, h, w * 0.45, Ice, 0.35);
        cairo_restore(cr);
    }
    RoundedRect(cr, 1 + lift, 1 + lift, w - 2 - lift, h - 2 - lift, radius);
    cairo_set_line_width(cr, 1.5);
    SetColour(cr, state == TState::Over ? Ice : Frost, rim);
    cairo_stroke(cr);
}

void DrawButtons(const std::string& dir, const std::string& name, int w, int h) {
    for (const TState state : {TState::Normal, TState::Over, TState::Down}) {
        art::TCanvas c(w, h);
        ButtonBody(*c, w, h, state, h * 0.32);
        if (state == TState::Over) {
            Spark(*c, 12, h / 2.0, 4, 0.9);
            Spark(*c, w - 12, h / 2.0, 4, 0.9);
        }
        c.SavePNG(dir + "/" + name + Suffix(state) + ".png");
    }
}

// Tool-button icons, drawn in a 38 x 38 box around its centre.
using TIcon = std::function<void(cairo_t*)>;

void Arrowhead(cairo_t* cr, double x, double y, double angle, double size) {
    cairo_save(cr);
    cairo_translate(cr, x, y);
    cairo_rotate(cr, angle);
    Polygon(cr, {{size, 0}, {-size * 0.6, -size * 0.75}, {-size * 0.6, size * 0.75}});
    cairo_fill(cr);
    cairo_restore(cr);
}

void IconSwap(cairo_t* cr) {
    cairo_set_line_width(cr, 2.6);
    cairo_arc(cr, 19, 19, 9, Pi * 1.05, Pi * 1.85);
    cairo_stroke(cr);
    Arrowhead(cr, 19 + 9 * std::cos(Pi * 1.85), 19 + 9 * std::sin(Pi * 1.85), Pi * 0.4, 5);
    cairo_arc(cr, 19, 19, 9, Pi * 0.05, Pi * 0.85);
    cairo_stroke(cr);
    Arrowhead(cr, 19 + 9 * std::cos(Pi * 0.85), 19 + 9 * std::sin(Pi * 0.85), Pi * 1.4, 5);
}

void IconUndo(cairo_t* cr) {
    cairo_set_line_width(cr, 2.8);
    cairo_arc_negative(cr, 19, 21, 9, Pi * 0.25, Pi * 1.15);
    cairo_stroke(cr);
    Arrowhead(cr, 19 + 9 * std::cos(Pi * 1.15), 21 + 9 * std::sin(Pi * 1.15), Pi * 1.62, 6);
}

void IconShift(cairo_t* cr) {
    cairo_set_line_width(cr, 2.6);
    cairo_move_to(cr, 8, 29.5);
    cairo_line_to(cr, 30, 29.5);
    cairo_stroke(cr);
    for (const double x : {13.0, 25.0}) {
        cairo_move_to(cr, x, 8);
        cairo_line_to(cr, x, 19);
        cairo_stroke(cr);
        Arrowhead(cr, x, 23, Pi / 2, 5);
    }
}

void IconShuffle(cairo_t* cr) {
    cairo_set_line_width(cr, 2.4);
    cairo_move_to(cr, 7, 12);
    cairo_curve_to(cr, 17, 12, 19, 26, 28, 26);
    cairo_stroke(cr);
    Arrowhead(cr, 29, 26, 0, 5);
    cairo_move_to(cr, 7, 26);
    cairo_curve_to(cr, 17, 26, 19, 12, 28, 12);
    cairo_stroke(cr);
    Arrowhead(cr, 29, 12, 0, 5);
}

void IconMenu(cairo_t* cr) {
    for (const double y : {12.0, 19.0, 26.0}) {
        RoundedRect(cr, 9, y - 1.6, 20, 3.2, 1.5);
        cairo_fill(cr);
    }
}

void IconQuickSave(cairo_t* cr) {
    cairo_set_line_width(cr, 2.4);
    cairo_move_to(cr, 8, 22);
    cairo_line_to(cr, 8, 30);
    cairo_line_to(cr, 30, 30);
    cairo_line_to(cr, 30, 22);
    cairo_stroke(cr);
    cairo_move_to(cr, 19, 7);
    cairo_line_to(cr, 19, 19);
    cairo_stroke(cr);
    Arrowhead(cr, 19, 22, Pi / 2, 6);
}

void DrawToolButtons(const std::string& dir) {
    const std::pair<const char*, TIcon> tools[] = {
        {"ToolSwap", IconSwap},       {"ToolUndo", IconUndo}, {"ToolShift", IconShift},
        {"ToolShuffle", IconShuffle}, {"ToolMenu", IconMenu}, {"ToolQuickSave", IconQuickSave},
    };
    for (const auto& [name, icon] : tools) {
        for (const TState state : {TState::Normal, TState::Over, TState::Down}) {
            art::TCanvas c(38, 38);
            cairo_t* cr = *c;
            ButtonBody(cr, 38, 38, state, 9);
            cairo_save(cr);
            if (state == TState::Down) {
                cairo_translate(cr, 0.8, 0.8);
            }
            // A dark under-stroke keeps the icon readable on the glossy glass.
            cairo_save(cr);
            cairo_translate(cr, 0.8, 1.2);
            SetColour(cr, Night, 0.6);
            icon(cr);
            cairo_restore(cr);
            SetColour(cr, state == TState::Over ? Gold : Ice);
            icon(cr);
            cairo_restore(cr);
            c.SavePNG(dir + "/" + std::string(name) + Suffix(state) + ".png");
        }
    }
}

// Check box and radio button boxes, 22 x 22: a frosted socket, a gem when checked.
void DrawBoxes(const std::string& dir) {
    for (const bool radio : {false, true}) {
        for (const bool on : {false, true}) {
            art::TCanvas c(22, 22);
            cairo_t* cr = *c;
            if (radio) {
                cairo_arc(cr, 11, 11, 9, 0, 2 * Pi);
            } else {
                RoundedRect(cr, 2, 2, 18, 18, 4);
            }
            VerticalGradient(cr, 0, 22, Night, 0.95, Indigo, 0.95);
            cairo_fill_preserve(cr);
            cairo_set_line_width(cr, 1.5);
            SetColour(cr, Frost, 0.9);
            cairo_stroke(cr);
            if (on) {
                if (radio) {
                    Glow(cr, 11, 11, 9, Gold, 0.45);
                    Gem(cr, 11, 11, 6, {0.95, 0.72, 0.3});
                } else {
                    cairo_set_line_width(cr, 3);
                    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
                    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
                    cairo_move_to(cr, 6, 11.5);
                    cairo_line_to(cr, 9.5, 15.5);
                    cairo_line_to(cr, 16.5, 6.5);
                    SetColour(cr, Gold);
                    cairo_stroke(cr);
                }
            }
            c.SavePNG(dir + "/" + (radio ? "Radio" : "CheckBox") + (on ? "On" : "") + ".png");
        }
    }
}

// A groove of dark glass with a frost rim, horizontal when w > h.
void Groove(cairo_t* cr, double x, double y, double w, double h) {
    RoundedRect(cr, x, y, w, h, std::min(w, h) / 2);
    if (w > h) {
        VerticalGradient(cr, y, y + h, Night, 0.95, Indigo, 0.95);
    } else {
        cairo_pattern_t* p = cairo_pattern_create_linear(x, 0, x + w, 0);
        cairo_pattern_add_color_stop_rgba(p, 0, Night.R, Night.G, Night.B, 0.95);
        cairo_pattern_add_color_stop_rgba(p, 1, Indigo.R, Indigo.G, Indigo.B, 0.95);
        cairo_set_source(cr, p);
        cairo_pattern_destroy(p);
    }
    cairo_fill_preserve(cr);
    cairo_set_line_width(cr, 1);
    SetColour(cr, Frost, 0.6);
    cairo_stroke(cr);
}

// A gem-like thumb: violet glass, brighter with a glow while under the pointer.
void Thumb(cairo_t* cr, double w, double h, bool over) {
    if (over) {
        Glow(cr, w / 2, h / 2, std::max(w, h) * 0.7, Ice, 0.5);
    }
    RoundedRect(cr, 1.5, 1.5, w - 3, h - 3, std::min(w, h) * 0.3);
    cairo_pattern_t* p = cairo_pattern_create_linear(0, 0, w, 0);
    const TRGB a = over ? Mix(Violet, Ice, 0.6) : Mix(Violet, Frost, 0.35);
    const TRGB b = over ? Violet : Mix(Indigo, Violet, 0.4);
    cairo_pattern_add_color_stop_rgb(p, 0, a.R, a.G, a.B);
    cairo_pattern_add_color_stop_rgb(p, 1, b.R, b.G, b.B);
    cairo_set_source(cr, p);
    cairo_pattern_destroy(p);
    cairo_fill_preserve(cr);
    cairo_set_line_width(cr, 1.3);
    SetColour(cr, Ice);
    cairo_stroke(cr);
}

void DrawSliders(const std::string& dir) {
    {
        // The volume slider: a 240 x 22 track with tick marks, a 14 x 22 thumb.
        art::TCanvas c(240, 22);
        cairo_t* cr = *c;
        Groove(cr, 3.5, 7.5, 233, 7);
        for (int i = 0; i <= 10; ++i) {
            const double x = 10 + i * 22;
            cairo_move_to(cr, x + 0.5, i % 5 == 0 ? 17 : 18);
            cairo_line_to(cr, x + 0.5, 21);
            SetColour(cr, Frost, i % 5 == 0 ? 0.7 : 0.4);
            cairo_set_line_width(cr, 1);
            cairo_stroke(cr);
        }
        c.SavePNG(dir + "/SliderTrack.png");
    }
    for (const bool over : {false, true}) {
        art::TCanvas c(14, 22);
        Thumb(*c, 14, 22, over);
        c.SavePNG(dir + std::string(over ? "/SliderThumbOver.png" : "/SliderThumb.png"));
    }
    // The lists' scroll bars: 18 x 300 and, beside the shorter table, 18 x 234 tracks, and a
    // 14 x 40 thumb.
    for (const auto& [name, height] :
         {std::pair{"/ScrollTrack.png", 300}, std::pair{"/ScrollTrackShort.png", 234}}) {
        art::TCanvas c(18, height);
        Groove(*c, 4.5, 1.5, 9, height - 3);
        c.SavePNG(dir + name);
    }
    for (const bool over : {false, true}) {
        art::TCanvas c(14, 40);
        Thumb(*c, 14, 40, over);
        cairo_t* cr = *c;
        for (const double y : {16.5, 20.5, 24.5}) {
            cairo_move_to(cr, 4, y);
            cairo_line_to(cr, 10, y);
        }
        cairo_set_line_width(cr, 1);
        SetColour(cr, Night, 0.6);
        cairo_stroke(cr);
        c.SavePNG(dir + std::string(over ? "/ScrollThumbOver.png" : "/ScrollThumb.png"));
    }
}

// The background of a list or table (w x h) and its row cursor ((w - 8) x 22).
void DrawList(const std::string& dir, const std::string& name, int w, int h) {
    {
        art::TCanvas c(w, h);
        cairo_t* cr = *c;
        RoundedRect(cr, 1, 1, w - 2, h - 2, 6);
        VerticalGradient(cr, 0, h, Night, 0.85, Mix(Night, Indigo, 0.5), 0.85);
        cairo_fill_preserve(cr);
        cairo_set_line_width(cr, 1.2);
        SetColour(cr, Frost, 0.55);
        cairo_stroke(cr);
        // Faint row bands every 22 pixels below the 4-pixel border.
        for (int y = 4 + 22; y < h - 4; y += 44) {
            cairo_rectangle(cr, 4, y, w - 8, 22);
            SetColour(cr, Frost, 0.035);
            cairo_fill(cr);
        }
        c.SavePNG(dir + "/" + name + "Back.png");
    }
    {
        art::TCanvas c(w - 8, 22);
        cairo_t* cr = *c;
        RoundedRect(cr, 0.5, 0.5, w - 9, 21, 5);
        cairo_pattern_t* p = cairo_pattern_create_linear(0, 0, w - 8, 0);
        cairo_pattern_add_color_stop_rgba(p, 0, Violet.R, Violet.G, Violet.B, 0.9);
        cairo_pattern_add_color_stop_rgba(p, 1, Violet.R, Violet.G, Violet.B, 0.35);
        cairo_set_source(cr, p);
        cairo_pattern_destroy(p);
        cairo_fill_preserve(cr);
        cairo_set_line_width(cr, 1);
        SetColour(cr, Ice, 0.7);
        cairo_stroke(cr);
        c.SavePNG(dir + "/" + name + "Cursor.png");
    }
}

void DrawEdit(const std::string& dir) {
    {
        art::TCanvas c(360, 30);
        cairo_t* cr = *c;
        RoundedRect(cr, 1, 1, 358, 28, 6);
        VerticalGradient(cr, 0, 30, Night, 0.96, Mix(Night, Indigo, 0.6), 0.96);
        cairo_fill_preserve(cr);
        cairo_set_line_width(cr, 1.4);
        SetColour(cr, Frost, 0.8);
        cairo_stroke(cr);
        cairo_move_to(cr, 6, 4.5);
        cairo_line_to(cr, 354, 4.5);
        cairo_set_line_width(cr, 1);
        SetColour(cr, Night, 0.8);
        cairo_stroke(cr);
        c.SavePNG(dir + "/EditBox.png");
    }
    {
        art::TCanvas c(2, 20);
        cairo_rectangle(*c, 0, 0, 2, 20);
        SetColour(*c, Gold);
        cairo_fill(*c);
        c.SavePNG(dir + "/EditCursor.png");
    }
}

// A bar frame of w x 22 around a 14-pixel channel.
void BarFrame(cairo_t* cr, double w) {
    RoundedRect(cr, 1, 1, w - 2, 20, 6);
    VerticalGradient(cr, 0, 22, Night, 0.95, Indigo, 0.95);
    cairo_fill_preserve(cr);
    cairo_set_line_width(cr, 1.4);
    SetColour(cr, Frost, 0.85);
    cairo_stroke(cr);
}

void DrawBars(const std::string& dir) {
    {
        art::TCanvas c(340, 22);
        BarFrame(*c, 340);
        c.SavePNG(dir + "/ProgressFrame.png");
    }
    {
        // One step of the loading bar, 10 x 14: an ice-blue crystal sliver.
        art::TCanvas c(10, 14);
        cairo_t* cr = *c;
        Polygon(cr, {{1, 1}, {8, 1}, {9, 7}, {8, 13}, {1, 13}, {2, 7}});
        VerticalGradient(cr, 0, 14, Ice, 1, Mix(Violet, Frost, 0.4), 1);
        cairo_fill(cr);
        cairo_move_to(cr, 2, 4.5);
        cairo_line_to(cr, 8, 4.5);
        cairo_set_line_width(cr, 1);
        SetColour(cr, {1, 1, 1}, 0.6);
        cairo_stroke(cr);
        c.SavePNG(dir + "/ProgressStep.png");
    }
    {
        art::TCanvas c(208, 22);
        BarFrame(*c, 208);
        c.SavePNG(dir + "/DeadBarFrame.png");
    }
}

void DrawHintAndBadge(const std::string& dir) {
    {
        // The hint's head strip, 260 x 22: a gem and a fading frost line over the box that
        // the hint fills itself.
        art::TCanvas c(260, 22);
        cairo_t* cr = *c;
        cairo_pattern_t* p = cairo_pattern_create_linear(0, 0, 260, 0);
        cairo_pattern_add_color_stop_rgba(p, 0, Frost.R, Frost.G, Frost.B, 0.9);
        cairo_pattern_add_color_stop_rgba(p, 1, Frost.R, Frost.G, Frost.B, 0);
        cairo_set_source(cr, p);
        cairo_pattern_destroy(p);
        cairo_rectangle(cr, 0, 0, 260, 1.5);
        cairo_fill(cr);
        Gem(cr, 13, 12, 7, {0.45, 0.7, 1});
        c.SavePNG(dir + "/HintBack.png");
    }
    // A reached level on the between-level map: a 136 x 26 glass tag with a gem, lighter
    // under the pointer.
    for (const bool over : {false, true}) {
        art::TCanvas c(136, 26);
        cairo_t* cr = *c;
        RoundedRect(cr, 1, 1, 134, 24, 12);
        VerticalGradient(cr, 0, 26, Mix(Violet, Frost, over ? 0.4 : 0.15), 0.9,
                         over ? Mix(Indigo, Violet, 0.5) : Indigo, 0.9);
        cairo_fill_preserve(cr);
        cairo_set_line_width(cr, 1.3);
        SetColour(cr, Frost, over ? 1.0 : 0.85);
        cairo_stroke(cr);
        Gem(cr, 14, 13, 7, {0.45, 0.7, 1});
        c.SavePNG(dir + (over ? "/LevelBadgeOver.png" : "/LevelBadge.png"));
    }
}

constexpr const char* LogoFontFile = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf";

// DejaVu Sans Bold straight from its file (not through the system's font matching, so the
// logo is the same on every machine); the face lives as long as cairo holds it.
cairo_font_face_t* LogoFont() {
    static const cairo_user_data_key_t faceKey{};
    FT_Library library = nullptr;
    FT_Face face = nullptr;
    if (FT_Init_FreeType(&library) != 0 || FT_New_Face(library, LogoFontFile, 0, &face) != 0) {
        if (library)
            FT_Done_FreeType(library);
        throw qz::Error(std::string("Cannot read the font ") + LogoFontFile);
    }
    cairo_font_face_t* font = cairo_ft_font_face_create_for_ft_face(face, 0);
    cairo_font_face_set_user_data(font, &faceKey, library, [](void* owner) {
        FT_Done_FreeType(static_cast<FT_Library>(owner)); // frees the face with it
    });
    return font;
}

// The game's name in frosted letters with a violet glow, 460 x 120.
void DrawLogo(const std::string& dir) {
    art::TCanvas c(460, 120);
    cairo_t* cr = *c;
    cairo_save(cr);
    cairo_translate(cr, 230, 62);
    cairo_scale(cr, 1, 0.26);
    Glow(cr, 0, 0, 220, Violet, 0.4);
    cairo_restore(cr);
    cairo_font_face_t* font = LogoFont();
    cairo_set_font_face(cr, font);
    cairo_font_face_destroy(font);
    cairo_set_font_size(cr, 80);
    cairo_text_extents_t extents;
    cairo_text_extents(cr, "Quarzel", &extents);
    const double x = 230 - extents.width / 2 - extents.x_bearing;
    const double y = 92;
    cairo_move_to(cr, x + 3, y + 4);
    cairo_text_path(cr, "Quarzel");
    SetColour(cr, Night, 0.7);
    cairo_fill(cr);
    cairo_move_to(cr, x, y);
    cairo_text_path(cr, "Quarzel");
    VerticalGradient(cr, 20, 95, {1, 1, 1}, 1, Mix(Frost, Violet, 0.45), 1);
    cairo_fill_preserve(cr);
    cairo_set_line_width(cr, 1.6);
    SetColour(cr, Indigo);
    cairo_stroke(cr);
    // Facet lines across the letters.
    cairo_save(cr);
    cairo_move_to(cr, x, y);
    cairo_text_path(cr, "Quarzel");
    cairo_clip(cr);
    for (int i = 0; i < 8; ++i) {
        cairo_move_to(cr, x + i * 60.0, 0);
        cairo_line_to(cr, x + i * 60.0 - 50, 120);
        SetColour(cr, {1, 1, 1}, 0.22);
        cairo_set_line_width(cr, 2);
        cairo_stroke(cr);
    }
    cairo_restore(cr);
    Spark(cr, x + extents.width + 8, 30, 12, 1);
    Spark(cr, x + 14, 98, 7, 0.8);
    c.SavePNG(dir + "/TitleLogo.png");
}

// The in-game panel over the whole 800 x 600 screen, clear over the board. The board is
// the slanted band between x = (593 - y) / 2 and x = 790 - y / 2; the counters sit in the
// upper-left corner, the queue and the tool buttons in the lower-right one.
void DrawGamePanel(const std::string& dir) {
    art::TCanvas c(800, 600);
    cairo_t* cr = *c;
    const auto glass = [cr](const std::vector<std::pair<double, double>>& shape) {
        Polygon(cr, shape);
        VerticalGradient(cr, 0, 600, Mix(Indigo, Violet, 0.2), 0.82, Night, 0.82);
        cairo_fill_preserve(cr);
        cairo_set_line_width(cr, 2);
        SetColour(cr, Frost, 0.8);
        cairo_stroke(cr);
    };
    // Counters: the edge follows the board 10 pixels off, x = 286 - y / 2.
    glass({{-2, -2}, {287, -2}, {199, 174}, {-2, 174}});
    cairo_move_to(cr, 10, 40.5);
    cairo_line_to(cr, 262, 40.5);
    cairo_set_line_width(cr, 1);
    SetColour(cr, Frost, 0.3);
    cairo_stroke(cr);
    Spark(cr, 14, 160, 6, 0.8);
    // Queue and tools: the edge follows the board 12 pixels off, x = 802 - y / 2.
    glass({{677, 250}, {802, 250}, {802, 602}, {501, 602}});
    cairo_move_to(cr, 530, 545.5);
    cairo_line_to(cr, 800, 545.5);
    cairo_set_line_width(cr, 1);
    SetColour(cr, Frost, 0.3);
    cairo_stroke(cr);
    Spark(cr, 786, 264, 6, 0.8);
    c.SavePNG(dir + "/PanelGame.png");
}

} // namespace

void GenerateInterfaceArt(const std::string& outFolder) {
    std::filesystem::create_directories(outFolder);
    const std::string& dir = outFolder;
    SavePanel(dir, "PanelMenu.png", 300, 380, 0);
    SavePanel(dir, "PanelMenuTall.png", 300, 400, 0);
    SavePanel(dir, "PanelDialog.png", 420, 200, 46);
    SavePanel(dir, "PanelMedium.png", 440, 340, 46);
    SavePanel(dir, "PanelTall.png", 440, 388, 46);
    SavePanel(dir, "PanelLarge.png", 620, 460, 46);
    SavePanel(dir, "PanelLoading.png", 400, 110, 0);
    DrawButtons(dir, "BtnWide", 240, 40);
    DrawButtons(dir, "Btn", 150, 34);
    DrawToolButtons(dir);
    DrawBoxes(dir);
    DrawSliders(dir);
    DrawList(dir, "List", 360, 300);
    DrawList(dir, "Table", 524, 300);
    DrawList(dir, "ShortTable", 524, 234);
    DrawEdit(dir);
    DrawBars(dir);
    DrawHintAndBadge(dir);
    DrawLogo(dir);
    DrawGamePanel(dir);
}

} // namespace qz::ui
