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

# Per level: colours, dealt shape weights, structure shapes, rows, cells, layers, bosses...
def level_plan(n):
    colours = min(7, 3 + (n - 1) // 3)
    dealt = {"TriB": 2, "TriT": 2, "PairB": 3, "PairT": 2, "Cell": 3}
    if n >= 4:
        dealt.update({"RhombV": 2, "RhombH": 2})
    if n >= 7:
        dealt.update({"TrapB": 2, "TrapT": 1})
    if n >= 10:
        dealt.update({"PentaT": 1, "HexV": 1})
    if n >= 14:
        dealt.update({"BarH": 1})
    structure = ["Cell", "PairB", "PairT", "TriB"]
    if n >= 3:
        structure += ["RhombV", "RhombH"]
    if n >= 6:
        structure += ["TrapB", "TrapT", "PentaT", "HexV"]
    if n >= 12:
        structure += ["BarH", "BarV", "HexH", "PentaR"]
    layers = 1 if n <= 6 else (2 if n <= 14 else 3)
    return {
        "colours": colours,
        "dealt": dealt,
        "structure": structure,
        "layers": layers,
        "rows": 1 + min(2, (n - 1) // 5),
        "width": min(8, 3 + (n - 1) // 3),
        "action": max(5, 14 - n // 2),
        "strategic": max(3, 9 - n // 3),
        "hidden": 0.0 if n < 9 else round(min(0.3, 0.05 * (n - 8)), 2),
        "bonus": 0.0 if n < 6 else round(min(0.6, 0.15 + 0.03 * n), 2),
        "counts": 0 if n < 8 else min(4, (n - 6) // 3),
        "extra_bosses": 0 if n < 5 else min(3, (n - 3) // 5),
        "main_type": min(3, (n - 1) // 5),
        "theme": THEMES[(n - 1) % len(THEMES)],
        "music": ["Level-drift.mo3", "Level-prism.mo3", "Level-glow.mo3"][(n - 1) % 3],
    }


def write_level(n, path):
    rng = random.Random(1000 + n)
    plan = level_plan(n)
    layers_xml = []
    bosses = []
    for layer in range(plan["layers"]):
        # Each layer stands higher than the one before, so bosses find their own layer.
        top = 12 + 5 * layer
        width = plan["width"]
        left = (10 - width) // 2
        cells = []
        for row in range(plan["rows"]):
            r = top - row
            w = max(2, width - row)
            start = left + row // 2 + (1 if row % 2 else 0)
            start = max(0, min(start, 10 - w))
            cells += [(r, s) for s in range(start, start + w)]
        crystals = fill_region(cells, plan["structure"], rng)
        # The main crystal: in the bottom row, nearest the middle, where the player reaches it.
        bottom = top - plan["rows"] + 1
        top_row = [c for c in crystals if min(t[0] for t in c["tris"]) == bottom]
        mid = left + width / 2.0
        main = min(top_row, key=lambda c: abs(sum(t[1] for t in c["tris"]) / len(c["tris"]) - mid))
        bosses.append(boss_at(main, plan["main_type"], True))
        others = [c for c in crystals if c is not main]
        rng.shuffle(others)
        for c in others[: plan["extra_bosses"]]:
            bosses.append(boss_at(c, max(0, plan["main_type"] - 1), False))
        counted = [c for c in others[plan["extra_bosses"]:]]
        for c in counted[: plan["counts"]]:
            c["count"] = 2
        layers_xml.append(crystals)

    colour_list = list(range(1, 8))
    rng.shuffle(colour_list)
    colours = sorted(colour_list[: plan["colours"]])
    weights = [0] * 16
    if plan["bonus"] > 0:
        weights[0] = 4
        weights[1] = 3
        weights[2] = 1
        if n >= 8:
            weights[3] = 2
            weights[5] = 2
        if n >= 11:
            weights[7] = 2
            weights[4] = 1
            weights[6] = 1
        if n >= 14:
            for c in colours:
                weights[8 + c - 1] = 1
            weights[15] = 1

    out = ['<?xml version="1.0"?>', f"<Level>"]
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
    out.append("\t<Pictures>")
    out.append(f'\t\t<Picture x="574" y="40" Sx="0" Sy="0" Name="lamp">')
    out.append(f'\t\t\t<Image Name="deco_{theme}1.png" t="400"/>')
    out.append(f'\t\t\t<Image Name="deco_{theme}2.png" t="400"/>')
    out.append("\t\t</Picture>")
    out.append("\t</Pictures>")
    out.append('\t<PictureMap x="40" y="60" OneWidth="96" OneHeight="96">')
    out.append("\t\t<Images>")
    for i in range(1, 21):
        out.append(f'\t\t\t<Image Name="map_{theme}{i}.png"/>')
    out.append("\t\t</Images>")
    out.append("\t\t<Lines>")
    for row in range(4):
        out.append(f"\t\t\t<Line>{' '.join(str(row * 5 + c + 1) for c in range(5))}</Line>")
    out.append("\t\t</Lines>")
    out.append("\t</PictureMap>")
    out.append("</Level>")
    with open(path, "w", newline="\r\n") as f:
        f.write("\n".join(out) + "\n")


def main():
    write_shapes(os.path.join(HERE, "defs", "fishkaShapes.xml"))
    os.makedirs(os.path.join(HERE, "levels"), exist_ok=True)
    for n in range(1, 21):
        write_level(n, os.path.join(HERE, "levels", f"Level{n}.xml"))


if __name__ == "__main__":
    main()
