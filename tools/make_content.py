#!/usr/bin/env python3
"""Writes data/defs/fishkaShapes.xml and data/levels/Level*.xml.

The shapes and the first set of levels come from this script so that their lattice
arithmetic is right; the XML it writes is the source the build reads, and hand edits to
those files are fine (run the script again only to start over). Deterministic: the same
script writes the same bytes.

Usage: python3 tools/make_content.py
"""

import os
import random

HERE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "data")

# Lattice: corner P(r, j) = (48j + 21r, 42r), centre M(r, s) = (48s + 21r + 34, 42r + 21).
def P(r, j):
    return (48 * j + 21 * r, 42 * r)


def M(r, s):
    return (48 * s + 21 * r + 34, 42 * r + 21)


def tri_points(r, s, k):
    if k == 0:
        return [P(r + 1, s), P(r + 1, s + 1), M(r, s)]
    if k == 1:
        return [M(r, s), P(r + 1, s + 1), P(r, s + 1)]
    if k == 2:
        return [P(r, s), M(r, s), P(r, s + 1)]
    return [P(r, s), P(r + 1, s), M(r, s)]


CELL = [(0, 0, 0), (0, 0, 1), (0, 0, 2), (0, 0, 3)]

# name, next rotation, triangles (r, s, kind) relative to a cell, score per crystal.
SHAPES = [
    ("TriB", "TriL", [(0, 0, 2)], 10),
    ("TriL", "TriT", [(0, 0, 3)], 10),
    ("TriT", "TriR", [(0, 0, 0)], 10),
    ("TriR", "TriB", [(0, 0, 1)], 10),
    ("PairB", "PairL", [(0, 0, 2), (0, 0, 3)], 20),
    ("PairL", "PairT", [(0, 0, 3), (0, 0, 0)], 20),
    ("PairT", "PairR", [(0, 0, 0), (0, 0, 1)], 20),
    ("PairR", "PairB", [(0, 0, 1), (0, 0, 2)], 20),
    ("RhombV", "RhombH", [(0, 0, 0), (1, 0, 2)], 20),
    ("RhombH", "RhombV", [(0, 0, 1), (0, 1, 3)], 20),
    ("TrapB", "TrapL", [(0, 0, 3), (0, 0, 2), (0, 0, 1)], 30),
    ("TrapL", "TrapT", [(0, 0, 0), (0, 0, 3), (0, 0, 2)], 30),
    ("TrapT", "TrapR", [(0, 0, 1), (0, 0, 0), (0, 0, 3)], 30),
    ("TrapR", "TrapB", [(0, 0, 2), (0, 0, 1), (0, 0, 0)], 30),
    ("Cell", "Cell", CELL, 40),
    ("PentaT", "PentaR", CELL + [(1, 0, 2)], 60),
    ("PentaR", "PentaB", CELL + [(0, 1, 3)], 60),
    ("PentaB", "PentaL", CELL + [(-1, 0, 0)], 60),
    ("PentaL", "PentaT", CELL + [(0, -1, 1)], 60),
    ("HexV", "HexH", CELL + [(1, 0, 2), (-1, 0, 0)], 80),
    ("HexH", "HexV", CELL + [(0, 1, 3), (0, -1, 1)], 80),
    ("BarH", "BarV", CELL + [(0, 1, k) for k in range(4)], 100),
    ("BarV", "BarH", CELL + [(1, 0, k) for k in range(4)], 100),
]


def shape_geometry(tris):
    """Origin (lattice point that becomes (0, 0)), relative fish points, bounds."""
    pts = [p for t in tris for p in tri_points(*t)]
    ox = min(p[0] for p in pts)
    oy = min(p[1] for p in pts)
    fishes = [[(x - ox, y - oy) for (x, y) in tri_points(*t)] for t in tris]
    max_x = max(p[0] for f in fishes for p in f)
    max_y = max(p[1] for f in fishes for p in f)
    return ox, oy, fishes, max_x, max_y


def sign_point(fishes, max_y):
    """The centroid of the triangle nearest the shape's centre, in picture coordinates."""
    all_pts = [p for f in fishes for p in f]
    cx = sum(p[0] for p in all_pts) / len(all_pts)
    cy = sum(p[1] for p in all_pts) / len(all_pts)
    best = None
    for f in fishes:
        tx = sum(p[0] for p in f) / 3
        ty = sum(p[1] for p in f) / 3
        d = (tx - cx) ** 2 + (ty - cy) ** 2
        if best is None or d < best[0] - 1e-9:
            best = (d, tx, ty)
    return int(round(best[1])), int(round(max_y - best[2]))


def write_shapes(path):
    lines = ['<?xml version="1.0"?>', "<Shapes>"]
    for name, nxt, tris, score in SHAPES:
        _, _, fishes, max_x, max_y = shape_geometry(tris)
        first = fishes[0]
        height = -(max(p[1] for p in first) - min(p[1] for p in first))
        sx, sy = sign_point(fishes, max_y)
        lines.append(
            f'\t<Shape Name="{name}" Height="{height}" Sx="{sx}" Sy="{sy}" '
            f'NextRotateName="{nxt}" Score="{score}">'
        )
        lines.append("\t\t<Fishes>")
        for (r, s, k), f in zip(tris, fishes):
            lines.append(f'\t\t\t<Fish Type="{k}">')
            for x, y in f:
                lines.append(f'\t\t\t\t<Point x="{x}" y="{y}"/>')
            lines.append("\t\t\t</Fish>")
        lines.append("\t\t</Fishes>")
        lines.append("\t</Shape>")
    lines.append("</Shapes>")
    with open(path, "w", newline="\r\n") as out:
        out.write("\n".join(lines) + "\n")


SHAPE_BY_NAME = {s[0]: s for s in SHAPES}

# Boss types as BossTypes.xml lists them: picture size (square) and power.
BOSS_SIZES = [40, 44, 50, 56]


def place(name, r0, s0):
    """A level crystal of shape name whose triangles are the shape's own shifted by (r0, s0)."""
    tris = SHAPE_BY_NAME[name][2]
    ox, oy, fishes, max_x, max_y = shape_geometry(tris)
    # The shape's lattice origin moves with the shift.
    dx, dy = 48 * s0 + 21 * r0, 42 * r0
    return {
        "shape": name,
        "x": ox + dx + 11,
        "y": oy + dy + max_y,
        "tris": [(r + r0, s + s0, k) for (r, s, k) in tris],
        "fishes": [[(x + ox + dx, y + oy + dy) for (x, y) in f] for f in fishes],
    }


def fill_region(cells, shapes, rng):
    """Tiles every triangle of the cells with crystals of the given shapes."""
    todo = sorted({(r, s, k) for (r, s) in cells for k in range(4)}, key=lambda t: (-t[0], t[1], t[2]))
    free = set(todo)
    crystals = []
    for target in todo:
        if target not in free:
            continue
        order = shapes[:]
        rng.shuffle(order)
        order.sort(key=lambda n: -len(SHAPE_BY_NAME[n][2]) if rng.random() < 0.6 else 0)
        done = False
        for name in order + ["TriB", "TriL", "TriT", "TriR"]:
            tris = SHAPE_BY_NAME[name][2]
            for (r, s, k) in tris:
                if k != target[2]:
                    continue
                r0, s0 = target[0] - r, target[1] - s
                moved = [(a + r0, b + s0, c) for (a, b, c) in tris]
                if all(t in free for t in moved):
                    crystal = place(name, r0, s0)
                    crystals.append(crystal)
                    free.difference_update(moved)
                    done = True
                    break
            if done:
                break
    return crystals


def centroid(f):
    return (sum(p[0] for p in f) / 3.0, sum(p[1] for p in f) / 3.0)


def boss_at(crystal, boss_type, main):
    # The probe (the boss picture's centre) sits on the centroid of the crystal's first fish
    # whose centroid is closest to the crystal's middle.
    fishes = crystal["fishes"]
    cx = sum(centroid(f)[0] for f in fishes) / len(fishes)
    cy = sum(centroid(f)[1] for f in fishes) / len(fishes)
    best = min(fishes, key=lambda f: (centroid(f)[0] - cx) ** 2 + (centroid(f)[1] - cy) ** 2)
    px, py = centroid(best)
    half = BOSS_SIZES[boss_type] // 2
    return {"x": int(round(px)) - half, "y": int(round(py)) + half, "type": boss_type, "main": main}


THEMES = ["dawn", "lagoon", "ember", "grove", "night"]

# The screen. The board area is x < BOARD_RIGHT (the side panel starts there); board point
# (x, y) shows at (x - view_x, view_y - y + 590). Once the view has settled on a layer, view_y
# is the bottom of its lowest crystal picture minus 252 (the pictures, MaxY + 3 high, reach
# 3 px below the lowest row line) and view_x = view_y // 2.
BOARD_RIGHT = 597
SCREEN_HEIGHT = 600
MAP_TILE = 96
MAP_COLUMNS, MAP_LINES = 5, 4
# The lantern picture: its size and how far its foot lies below its top.
DECO_WIDTH, DECO_HEIGHT, DECO_FOOT = 48, 64, 60
# Rows between the bottoms of consecutive layers. The dead line can lift the view until it
# reaches the bottom of the layer in play, so the screen shows the board up to bottom + 590;
# the next layer's bosses (centres at least 7 above its bottom line, pictures up to 56 high)
# stay above that until their own layer starts.
LAYER_GAP = -(-(590 + max(BOSS_SIZES) // 2 - 7) // 42)


def settled_view(bottom_row):
    view_y = 42 * bottom_row - 3 - 252
    return view_y // 2, view_y


def on_screen(point, view):
    return point[0] - view[0], view[1] - point[1] + 590


def clamp(v, low, high):
    return max(low, min(v, high))


def cells_right(cells, view):
    """The rightmost screen x of the cells (a cell's top-right corner is its rightmost)."""
    return max(on_screen(P(r + 1, s + 1), view)[0] for (r, s) in cells)


def screen_box(crystals, view):
    pts = [on_screen(p, view) for c in crystals for f in c["fishes"] for p in f]
    return (min(p[0] for p in pts), min(p[1] for p in pts),
            max(p[0] for p in pts), max(p[1] for p in pts))


def picture_map_at(crystals, view):
    """The map's board position (its bottom-left) centred on the structure on screen."""
    left, top, right, bottom = screen_box(crystals, view)
    width, height = MAP_COLUMNS * MAP_TILE, MAP_LINES * MAP_TILE
    sx = clamp((left + right - width) // 2, 0, BOARD_RIGHT - width)
    sy = clamp((top + bottom - height) // 2, 0, SCREEN_HEIGHT - height)
    return sx + view[0], view[1] + 590 - (sy + height)


def lantern_at(crystals, view, bottom_row):
    """A lantern standing on the layer's lowest row line just left of the structure."""
    sy = on_screen((0, 42 * bottom_row), view)[1] - DECO_FOOT
    beside = [q[0] for c in crystals for f in c["fishes"] for q in (on_screen(p, view) for p in f)
              if sy <= q[1] <= sy + DECO_HEIGHT]
    sx = max(4, min(beside) - 6 - DECO_WIDTH)
    return sx + view[0], view[1] + 590 - sy


def inside_triangle(point, tri):
    (x, y), sides = point, []
    for (x1, y1), (x2, y2) in zip(tri, tri[1:] + tri[:1]):
        sides.append((x2 - x1) * (y - y1) - (y2 - y1) * (x - x1))
    return all(v >= 0 for v in sides) or all(v <= 0 for v in sides)


def check_layout(n, views, bosses, lanterns, picture_map):
    """Fails unless level n shows every part where the player should see it."""

    def in_board(left, top, width, height, what):
        assert 0 <= left and left + width <= BOARD_RIGHT, f"Level{n}: {what} at x {left}"
        assert 0 <= top and top + height <= SCREEN_HEIGHT, f"Level{n}: {what} at y {top}"

    for layer, (crystals, view, bottom) in enumerate(views):
        left, top, right, low = screen_box(crystals, view)
        in_board(left, top, right + 3 - left, low + 3 - top, f"layer {layer + 1}")
        x, y = on_screen(lanterns[layer], view)
        in_board(x, y, DECO_WIDTH, DECO_HEIGHT, f"lantern {layer + 1}")
        # The highest the view climbs while this layer is played: the dead line at its bottom.
        sky = 42 * bottom + 590
        for b in bosses:
            size = BOSS_SIZES[b["type"]]
            if b["layer"] == layer:
                probe = (b["x"] + size // 2, b["y"] - size // 2)
                assert any(inside_triangle(probe, f) for c in crystals for f in c["fishes"]), \
                    f"Level{n}: a boss of layer {layer + 1} sits on no crystal"
                in_board(*on_screen((b["x"], b["y"]), view), size, size, "a boss")
            elif b["layer"] > layer:
                assert b["y"] - size >= sky, f"Level{n}: a boss of layer {b['layer'] + 1} shows early"
    x, y = on_screen((picture_map[0], picture_map[1] + MAP_LINES * MAP_TILE), views[0][1])
    in_board(x, y, MAP_COLUMNS * MAP_TILE, MAP_LINES * MAP_TILE, "the picture map")


LEVEL_COUNT = 40

# The first eight levels each bring in one idea, and name the hint that explains it when the
# level starts. Level 1 names the put hint a new game shows anyway (the break hint follows the
# first put).
INTRO_HINTS = ["WGame_HPutFishka", "WGame_HLevel2", "WGame_HLevel3", "WGame_HLevel4",
               "WGame_HLevel5", "WGame_HLevel6", "WGame_HLevel7", "WGame_HLevel8"]

SMALL = {"TriB": 2, "TriT": 2, "PairB": 3, "PairT": 2, "Cell": 3}
TURNED = {"TriL": 2, "TriR": 2, "PairL": 2, "PairR": 2, "RhombV": 2, "RhombH": 2}
BIG_STRUCTURE = ["PentaT", "PentaR", "PentaB", "PentaL", "HexV", "HexH", "BarH", "BarV"]

# Board outlines: how many cells each row has, from the top row (farthest from the player) down.
OUTLINES = {
    "funnel": lambda width, rows: [max(2, width - row) for row in range(rows)],
    "block": lambda width, rows: [width] * rows,
    "cup": lambda width, rows: [max(2, width - rows + 1 + row) for row in range(rows)],
    "belly": lambda width, rows: [max(2, width - abs(row - rows // 2)) for row in range(rows)],
}

# Level shapes past the introduction: (width, rows, outline), chosen so that neighbours differ.
SHAPE_CYCLE = [(5, 2, "block"), (7, 2, "funnel"), (4, 3, "cup"), (6, 3, "belly"), (8, 2, "funnel"),
               (5, 3, "block"), (6, 2, "cup"), (7, 3, "funnel"), (4, 4, "block"), (6, 4, "belly")]


def ramp(n, first, last, low, high):
    """A value rising from low at level first to high at level last, rounded."""
    t = min(1.0, max(0.0, (n - first) / float(last - first)))
    return low + (high - low) * t


def intro_plan(n):
    plan = {
        "colours": 4,
        "dealt": dict(SMALL),
        "structure": ["Cell", "PairB", "PairT", "TriB"],
        "layers": 1,
        "rows": 3,
        "width": 4,
        "outline": "block",
        "action": 14,
        "strategic": 10,
        "hidden": 0.0,
        "bonus": 0.0,
        "counts": 0,
        "main_count": 1,
        "extra_bosses": 0,
        "main_type": 0,
        "deep": True,
        "null": 0,
        "hint": INTRO_HINTS[n - 1],
    }
    if n >= 2:
        plan["dealt"].update(TURNED)
        plan["structure"] += ["RhombV", "RhombH", "TriL", "PairL"]
        plan.update(width=5, outline="cup", rows=4)
    if n >= 3:
        plan.update(rows=3, width=6)
    if n == 4:
        plan.update(width=5, outline="cup")
    if n >= 5:
        plan.update(action=12, strategic=7, width=6, outline="belly")
    if n >= 6:
        plan.update(counts=3, main_count=2, outline="block", rows=2, width=6)
    if n >= 7:
        plan.update(main_type=1, extra_bosses=1, outline="funnel", rows=3, width=6, counts=1,
                    main_count=1)
        plan["structure"] += ["TrapB", "TrapT"]
    if n >= 8:
        plan.update(bonus=0.4, outline="belly", width=7, rows=4, extra_bosses=0)
        plan["structure"] += ["PentaT"]
    return plan


# Seconds between board moves in real-time play for levels 9 to 40, measured with
# `quarzel-data level-stats` (the human-like player, 30 seeds) so that the share of puzzle
# games won falls steadily from level to level. In turn-based play the dead line waits for
# puts instead: five between board moves on level 9, down to two on level 40.
PACE = [8, 6.5, 5, 7.25, 5.25, 5.5, 4.75, 4.75, 5.25, 6.5, 5.25, 4.5, 5, 4.75, 7, 5.75, 5, 6, 6.5, 7, 6, 6.75, 7, 6.75, 8.25, 7.5, 7.25, 7.5, 7, 7.5, 7.5, 8]


def level_plan(n):
    if n <= len(INTRO_HINTS):
        plan = intro_plan(n)
    else:
        width, rows, outline = SHAPE_CYCLE[(n - 9) % len(SHAPE_CYCLE)]
        dealt = dict(SMALL)
        dealt.update(TURNED)
        if n >= 12:
            dealt.update({"TrapB": 2, "TrapT": 1, "TrapL": 1, "TrapR": 1})
        if n >= 20:
            dealt.update({"PentaT": 1, "HexV": 1})
        if n >= 30:
            dealt.update({"BarH": 1, "PentaL": 1})
        structure = ["Cell", "PairB", "PairT", "TriB", "RhombV", "RhombH", "TrapB", "TrapT",
                     "TriR", "PairR", "TrapL", "TrapR"]
        structure += BIG_STRUCTURE[: 2 + (n - 9) // 4]
        plan = {
            "colours": int(round(ramp(n, 9, 36, 4, 7))),
            "dealt": dealt,
            "structure": structure,
            "layers": 1 if n <= 10 else (2 if n <= 24 else 3),
            "rows": rows,
            "width": width,
            "outline": outline,
            "action": PACE[n - 9],
            "strategic": int(round(ramp(n, 9, 40, 5, 2))),
            "hidden": round(ramp(n, 12, 36, 0.0, 0.3), 2) if n >= 12 else 0.0,
            "bonus": round(ramp(n, 9, 40, 0.5, 0.8), 2),
            "counts": int(ramp(n, 9, 40, 0, 4)),
            "main_count": 1,
            "extra_bosses": int(ramp(n, 9, 40, 0, 3)),
            "main_type": int(round(ramp(n, 9, 38, 1, 3))),
            "deep": n % 3 != 0,
            "null": 2 if n % 4 == 1 else 0,
            "hint": None,
        }
    plan["theme"] = THEMES[(n - 1) % len(THEMES)]
    plan["music"] = LEVEL_TUNES[(n - 1) % len(LEVEL_TUNES)]
    return plan


# The level tunes in the order the levels take them, so that neighbouring levels differ.
LEVEL_TUNES = ["Level-drift.mo3", "Level-prism.mo3", "Level-glow.mo3",
               "Level-tide.mo3", "Level-spark.mo3", "Level-frost.mo3"]


def write_level(n, path):
    rng = random.Random(1000 + n)
    plan = level_plan(n)
    layers_xml = []
    bosses = []
    views = []
    null_frags = []
    for layer in range(plan["layers"]):
        # Each layer stands high above the one before, so bosses find their own layer and
        # those of later layers stay out of sight.
        top = 12 + LAYER_GAP * layer
        bottom = top - plan["rows"] + 1
        view = settled_view(bottom)
        width = plan["width"]

        counts = OUTLINES[plan["outline"]](width, plan["rows"])

        def layout(left):
            cells = []
            for row, w in enumerate(counts):
                r = top - row
                start = left + row // 2 + (1 if row % 2 else 0) + (width - w) // 2
                start = max(0, min(start, 10 - w))
                cells += [(r, s) for s in range(start, start + w)]
            return cells

        # Centred on the lattice, moved left while the slanted upper rows reach the panel.
        left = (10 - width) // 2
        while left > 0 and cells_right(layout(left), view) > BOARD_RIGHT - 7:
            left -= 1
        cells = layout(left)
        assert cells_right(cells, view) < BOARD_RIGHT
        # Holes: cells of the structure's upper rows that no crystal may cover, so that the
        # player sees the gaps and has to build around them.
        holes = []
        if plan["null"]:
            inner = [c for c in cells if c[0] != bottom]
            holes = [inner[len(inner) * (i + 1) // (plan["null"] + 1)] for i in range(plan["null"])]
            cells = [c for c in cells if c not in holes]
        null_frags += [(r * 10 + s) * 4 + k for (r, s) in holes for k in range(4)]
        crystals = fill_region(cells, plan["structure"], rng)
        views.append((crystals, view, bottom))
        # The main crystal: nearest the middle of the row the player reaches first, or on an
        # easy level of the row behind it, so that a few crystals have to go first.
        main_row = top if plan["deep"] and plan["rows"] >= 2 else bottom
        if plan["deep"] and plan["rows"] >= 3:
            main_row = bottom + 1
        row_crystals = [c for c in crystals if min(t[0] for t in c["tris"]) == main_row] or \
            [c for c in crystals if min(t[0] for t in c["tris"]) == bottom]
        mid = left + width / 2.0
        main = min(row_crystals,
                   key=lambda c: (len(c["tris"]) > 2,
                                  abs(sum(t[1] for t in c["tris"]) / len(c["tris"]) - mid)))
        if plan["main_count"] > 1:
            main["count"] = plan["main_count"]
        bosses.append(dict(boss_at(main, plan["main_type"], True), layer=layer))
        others = [c for c in crystals if c is not main]
        rng.shuffle(others)
        for c in others[: plan["extra_bosses"]]:
            bosses.append(dict(boss_at(c, max(0, plan["main_type"] - 1 - layer % 2), False),
                               layer=layer))
        counted = [c for c in others[plan["extra_bosses"]:]]
        for c in counted[: plan["counts"]]:
            c["count"] = 2
        layers_xml.append(crystals)

    colour_list = list(range(1, 8))
    rng.shuffle(colour_list)
    colours = sorted(colour_list[: plan["colours"]])
    weights = [0] * 16
    if plan["bonus"] > 0:
        # Coins and the tool charges first, the bomb from level 11, the colour bombs and the
        # three colours from level 16.
        weights[0:3] = [4, 3, 1]
        weights[3] = weights[5] = 2
        if n >= 11:
            weights[4] = weights[6] = 1
            weights[7] = 2
        if n >= 16:
            for c in colours:
                weights[8 + c - 1] = 1
            weights[15] = 1
    out = ['<?xml version="1.0"?>', f"<Level>"]
    if plan["hint"]:
        out.append(f"\t<Hint>{plan['hint']}</Hint>")
    out.append(f"\t<FishkaColors>{' '.join(str(c) for c in colours)}</FishkaColors>")
    out.append("\t<PutFishkaSound>1_put.ogg</PutFishkaSound>")
    out.append(f"\t<PlayMusic>{plan['music']}</PlayMusic>")
    out.append(f'\t<MoveInterval Action="{plan["action"]}" Strategic="{plan["strategic"]}"/>')
    out.append("\t<Probabilities>")
    out.append(f"\t\t<BonusTypeWeights>{' '.join(str(w) for w in weights)}</BonusTypeWeights>")
    out.append(f"\t\t<NoColorFishka>{plan['hidden']}</NoColorFishka>")
    out.append(f"\t\t<FishkaWithBonus>{plan['bonus']}</FishkaWithBonus>")
    out.append("\t\t<FishkaShapes>")
    for name in sorted(plan["dealt"]):
        out.append(f'\t\t\t<Shape Name="{name}" Weight="{plan["dealt"][name]}"/>')
    out.append("\t\t</FishkaShapes>")
    out.append("\t</Probabilities>")
    if null_frags:
        out.append(f"\t<NullFrags>{' '.join(str(f) for f in sorted(null_frags))}</NullFrags>")
    out.append("\t<Layers>")
    for crystals in layers_xml:
        out.append("\t\t<Layer>")
        for c in crystals:
            out.append(
                f'\t\t\t<Fishka x="{c["x"]}" y="{c["y"]}" Shape="{c["shape"]}" '
                f'Count="{c.get("count", 1)}"/>'
            )
        out.append("\t\t</Layer>")
    out.append("\t</Layers>")
    out.append("\t<Bosses>")
    for b in bosses:
        main = ' Main="true"' if b["main"] else ""
        out.append(f'\t\t<Boss x="{b["x"]}" y="{b["y"]}" Type="{b["type"]}"{main}/>')
    out.append("\t</Bosses>")
    theme = plan["theme"]
    lanterns = [lantern_at(crystals, view, bottom) for (crystals, view, bottom) in views]
    map_x, map_y = picture_map_at(views[0][0], views[0][1])
    check_layout(n, views, bosses, lanterns, (map_x, map_y))
    out.append("\t<Pictures>")
    for layer, (x, y) in enumerate(lanterns):
        # One lantern beside each layer; Sy puts its foot among the crystals of that row line.
        name = "lamp" if layer == 0 else f"lamp{layer + 1}"
        out.append(f'\t\t<Picture x="{x}" y="{y}" Sx="0" Sy="{DECO_FOOT}" Name="{name}">')
        out.append(f'\t\t\t<Image Name="deco_{theme}1.png" t="400"/>')
        out.append(f'\t\t\t<Image Name="deco_{theme}2.png" t="400"/>')
        out.append("\t\t</Picture>")
    out.append("\t</Pictures>")
    # The picture lies behind the first layer, where play begins.
    out.append(
        f'\t<PictureMap x="{map_x}" y="{map_y}" OneWidth="{MAP_TILE}" OneHeight="{MAP_TILE}">'
    )
    out.append("\t\t<Images>")
    for i in range(1, MAP_COLUMNS * MAP_LINES + 1):
        out.append(f'\t\t\t<Image Name="map_{theme}{i}.png"/>')
    out.append("\t\t</Images>")
    out.append("\t\t<Lines>")
    for row in range(MAP_LINES):
        line = " ".join(str(row * MAP_COLUMNS + c + 1) for c in range(MAP_COLUMNS))
        out.append(f"\t\t\t<Line>{line}</Line>")
    out.append("\t\t</Lines>")
    out.append("\t</PictureMap>")
    out.append("</Level>")
    with open(path, "w", newline="\r\n") as f:
        f.write("\n".join(out) + "\n")


def main():
    write_shapes(os.path.join(HERE, "defs", "fishkaShapes.xml"))
    os.makedirs(os.path.join(HERE, "levels"), exist_ok=True)
    for n in range(1, LEVEL_COUNT + 1):
        write_level(n, os.path.join(HERE, "levels", f"Level{n}.xml"))


if __name__ == "__main__":
    main()
