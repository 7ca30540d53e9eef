#include "game/Outline.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <unordered_map>
#include <unordered_set>

namespace qz {

namespace {

constexpr size_t MaxTrianglesPerVertex = 12;

struct TCrystalPoint {
    TPoint P;
    std::vector<int32_t> Triangles;
    double Angle = 0; // summed corner angle, radians
};

double CornerAngle(TPoint v, TPoint u, TPoint w) {
    const double ux = u.X - v.X;
    const double uy = u.Y - v.Y;
    const double wx = w.X - v.X;
    const double wy = w.Y - v.Y;
    const double lu = std::hypot(ux, uy);
    const double lw = std::hypot(wx, wy);
    if (lu == 0 || lw == 0) {
        return 0;
    }
    return std::acos(std::clamp((ux * wx + uy * wy) / (lu * lw), -1.0, 1.0));
}

uint64_t Key(TPoint p) {
    return (static_cast<uint64_t>(static_cast<uint32_t>(p.X)) << 32) | static_cast<uint32_t>(p.Y);
}

// Either direction names the same edge.
std::pair<uint64_t, uint64_t> EdgeKey(TPoint a, TPoint b) {
    const uint64_t ka = Key(a);
    const uint64_t kb = Key(b);
    return ka < kb ? std::pair{ka, kb} : std::pair{kb, ka};
}

struct PairHash {
    size_t operator()(const std::pair<uint64_t, uint64_t>& k) const {
        return std::hash<uint64_t>()(k.first * 0x9E3779B97F4A7C15ull ^ k.second);
    }
};

} // namespace

std::pair<int32_t, int32_t> TOutline::Range(size_t k) const {
    const int32_t from = Starts[k - 1];
    return {from == 0 ? 0 : from + 1, Starts[k]};
}

TOutline TraceOutline(const std::vector<TPoints>& triangles) {
    std::vector<TCrystalPoint> vertices;
    std::unordered_map<uint64_t, size_t> vertexIndex;
    std::unordered_map<std::pair<uint64_t, uint64_t>, int32_t, PairHash> edgeUses;
    const auto vertexOf = [&vertices, &vertexIndex](TPoint p) {
        const auto [it, added] = vertexIndex.try_emplace(Key(p), vertices.size());
        if (added) {
            vertices.push_back({p, {}, 0});
        }
        return it->second;
    };
    for (size_t t = 0; t < triangles.size(); ++t) {
        const TPoints& tri = triangles[t];
        const size_t n = tri.size();
        for (size_t c = 0; c < n; ++c) {
            const TPoint v = tri[c];
            const TPoint u = tri[(c + n - 1) % n];
            const TPoint w = tri[(c + 1) % n];
            TCrystalPoint& vertex = vertices[vertexOf(v)];
            if (vertex.Triangles.size() < MaxTrianglesPerVertex) {
                vertex.Triangles.push_back(static_cast<int32_t>(t));
            }
            vertex.Angle += CornerAngle(v, u, w);
            edgeUses[EdgeKey(v, w)] += 1;
        }
    }
    std::erase_if(vertices, [](const TCrystalPoint& v) {
        return std::abs(v.Angle - 2 * std::numbers::pi) < 1e-6;
    });

    TOutline outline;
    if (vertices.empty()) {
        outline.Starts = {0, -1};
        return outline;
    }
    vertexIndex.clear();
    for (size_t i = 0; i < vertices.size(); ++i) {
        vertexIndex[Key(vertices[i].P)] = i;
    }
    const auto remaining = [&vertexIndex](TPoint p) -> int32_t {
        const auto it = vertexIndex.find(Key(p));
        return it == vertexIndex.end() ? -1 : static_cast<int32_t>(it->second);
    };
    std::unordered_set<uint64_t> listedPoints;
    const auto listed = [&listedPoints](TPoint p) { return listedPoints.count(Key(p)) != 0; };
    const auto append = [&outline, &listedPoints](TPoint p) {
        outline.Points.push_back(p);
        listedPoints.insert(Key(p));
    };
    size_t firstFree = 0;
    size_t current = 0;
    size_t slot = 1;
    append(vertices[0].P);
    // Each step either moves or turns to the next triangle; a walk that can do neither
    // for a full round of every vertex's triangles is given up.
    size_t budget = 4 * (vertices.size() + 1) * (MaxTrianglesPerVertex + 1) + 16;
    while (budget-- > 0) {
        const TCrystalPoint& v = vertices[current];
        const int32_t triangle = v.Triangles[slot - 1];
        const TPoints& tri = triangles[static_cast<size_t>(triangle)];
        const auto corner = std::find(tri.begin(), tri.end(), v.P);
        const TPoint w = tri[(static_cast<size_t>(corner - tri.begin()) + 1) % tri.size()];
        const int32_t next = remaining(w);
        bool moved = false;
        if (next >= 0) {
            const auto uses = edgeUses.find(EdgeKey(v.P, w));
            moved = uses == edgeUses.end() || uses->second < 2;
        }
        if (!moved) {
            slot = slot >= v.Triangles.size() ? 1 : slot + 1;
            continue;
        }
        const TCrystalPoint& target = vertices[static_cast<size_t>(next)];
        const auto at = std::find(target.Triangles.begin(), target.Triangles.end(), triangle);
        slot = static_cast<size_t>(at - target.Triangles.begin()) + 2;
        if (slot > target.Triangles.size()) {
            slot = 1;
        }
        current = static_cast<size_t>(next);
        if (!listed(w)) {
            append(w);
            continue;
        }
        const auto end = static_cast<int32_t>(outline.Points.size()) - 1;
        while (firstFree < vertices.size() && listed(vertices[firstFree].P)) {
            ++firstFree;
        }
        if (firstFree == vertices.size() ||
            std::find(outline.Starts.begin(), outline.Starts.end(), end) != outline.Starts.end()) {
            break;
        }
        outline.Starts.push_back(end);
        current = firstFree;
        slot = 1;
        append(vertices[current].P);
    }
    outline.Starts.insert(outline.Starts.begin(), 0);
    outline.Starts.push_back(static_cast<int32_t>(outline.Points.size()) - 1);
    return outline;
}

} // namespace qz
