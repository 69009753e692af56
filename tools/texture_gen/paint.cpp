// paint.cpp — procedural pictures: value noise, a few shapes and the terrain's own data.
#include "tools/texture_gen/paint.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <map>
#include <set>
#include <vector>

#include "scene/sprite_meshes.h"
#include "scene/world_mesh.h"

namespace {

constexpr int kSize = 256;

double Hash(int x, int y, int seed) {
    uint32_t h = uint32_t(x) * 374761393u + uint32_t(y) * 668265263u + uint32_t(seed) * 2246822519u;
    h          = (h ^ (h >> 13)) * 1274126177u;
    return double((h ^ (h >> 16)) & 0xffffff) / double(0xffffff);
}

// Smooth noise in 0..1 that repeats every `period` cells, so textures tile.
double Noise(double x, double y, int period, int seed) {
    int    x0 = int(std::floor(x)), y0 = int(std::floor(y));
    double fx = x - x0, fy = y - y0;
    auto   at = [&](int i, int j) { return Hash(((i % period) + period) % period, ((j % period) + period) % period, seed); };
    double sx = fx * fx * (3 - 2 * fx), sy = fy * fy * (3 - 2 * fy);
    double a = at(x0, y0) + (at(x0 + 1, y0) - at(x0, y0)) * sx;
    double b = at(x0, y0 + 1) + (at(x0 + 1, y0 + 1) - at(x0, y0 + 1)) * sx;
    return a + (b - a) * sy;
}

// Several octaves over a picture of kSize, tiling.
double Fractal(int px, int py, int cells, int octaves, int seed) {
    double sum = 0, weight = 0, amp = 1;
    for (int o = 0; o < octaves; ++o) {
        int    c = cells << o;
        sum += amp * Noise(px * double(c) / kSize, py * double(c) / kSize, c, seed + o);
        weight += amp;
        amp *= 0.5;
    }
    return sum / weight;
}

struct Rgb {
    double r, g, b;
};
Rgb Mix(Rgb a, Rgb b, double t) {
    t = std::clamp(t, 0.0, 1.0);
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}
Rgb Scale(Rgb a, double s) { return {a.r * s, a.g * s, a.b * s}; }

void Set(Picture& p, int x, int y, Rgb c) {
    uint8_t* px = p.At(x, y);
    px[0] = uint8_t(std::clamp(c.r, 0.0, 255.0)), px[1] = uint8_t(std::clamp(c.g, 0.0, 255.0)),
    px[2] = uint8_t(std::clamp(c.b, 0.0, 255.0));
}

Picture Blank() {
    Picture p;
    p.width = p.height = kSize;
    p.rgb.assign(size_t(kSize) * kSize * 3, 0);
    return p;
}

// Height and upward normal component of the terrain under (x, z); false off the terrain.
bool TerrainAt(double x, double z, double* height, double* ny) {
    const MeshVertex* r = meshTerrain.rows;
    for (size_t t = 0; t < meshTerrain.rowCount; t += 3) {
        const MeshVertex &a = r[t], &b = r[t + 1], &c = r[t + 2];
        double d = (b.z - c.z) * (a.x - c.x) + (c.x - b.x) * (a.z - c.z);
        if (std::abs(d) < 1e-9) continue;
        double l1 = ((b.z - c.z) * (x - c.x) + (c.x - b.x) * (z - c.z)) / d;
        double l2 = ((c.z - a.z) * (x - c.x) + (a.x - c.x) * (z - c.z)) / d;
        double l3 = 1 - l1 - l2;
        if (l1 < -1e-6 || l2 < -1e-6 || l3 < -1e-6) continue;
        *height = l1 * a.y + l2 * b.y + l3 * c.y;
        *ny     = l1 * a.ny + l2 * b.ny + l3 * c.ny;
        return true;
    }
    return false;
}

// How the terrain's u follows the ground, u = perX x + perZ z + offset, read back from its
// rows (all but the first triangle, whose coordinates the world gives) by least squares.
struct UMap {
    double perX, perZ, offset;
};
UMap TerrainUMap() {
    double m[3][4] = {};
    for (size_t i = 3; i < meshTerrain.rowCount; ++i) {
        const MeshVertex& r    = meshTerrain.rows[i];
        const double      a[3] = {r.x, r.z, 1};
        for (int j = 0; j < 3; ++j) {
            for (int k = 0; k < 3; ++k) m[j][k] += a[j] * a[k];
            m[j][3] += a[j] * r.u;
        }
    }
    for (int c = 0; c < 3; ++c)
        for (int j = 0; j < 3; ++j) {
            if (j == c) continue;
            const double f = m[j][c] / m[c][c];
            for (int k = c; k < 4; ++k) m[j][k] -= f * m[c][k];
        }
    return {m[0][3] / m[0][0], m[1][3] / m[1][1], m[2][3] / m[2][2]};
}

// The coast: the terrain's edges that it shares with the shore, one segment each.
struct Segment {
    double ax, az, bx, bz;
};
std::vector<Segment> CoastSegments() {
    auto key = [](const MeshVertex& a, const MeshVertex& b) {
        std::array<float, 4> p = {a.x, a.z, b.x, b.z}, q = {b.x, b.z, a.x, a.z};
        return std::min(p, q);
    };
    std::map<std::array<float, 4>, int> terrainEdges;
    for (size_t t = 0; t < meshTerrain.rowCount; t += 3)
        for (int c = 0; c < 3; ++c) ++terrainEdges[key(meshTerrain.rows[t + c], meshTerrain.rows[t + (c + 1) % 3])];
    std::set<std::array<float, 4>> seen;
    std::vector<Segment>           coast;
    for (size_t t = 0; t < meshSand.rowCount; t += 3)
        for (int c = 0; c < 3; ++c) {
            const auto e  = key(meshSand.rows[t + c], meshSand.rows[t + (c + 1) % 3]);
            const auto it = terrainEdges.find(e);
            if (it != terrainEdges.end() && it->second == 1 && seen.insert(e).second) coast.push_back({e[0], e[1], e[2], e[3]});
        }
    return coast;
}

// Distance from (x, z) to the coast, and the nearest point of it.
double CoastDistance(const std::vector<Segment>& coast, double x, double z, double* nearX, double* nearZ) {
    double best = 1e18;
    for (const Segment& s : coast) {
        const double ex = s.bx - s.ax, ez = s.bz - s.az;
        const double t  = std::clamp(((x - s.ax) * ex + (z - s.az) * ez) / (ex * ex + ez * ez), 0.0, 1.0);
        const double px = s.ax + t * ex, pz = s.az + t * ez, d = std::hypot(x - px, z - pz);
        if (d < best) best = d, *nearX = px, *nearZ = pz;
    }
    return best;
}

// The ground's colour at a height, an upward normal component and a distance from the
// coast; `n` is its noise, `shore` a noise that changes only along the coast. The beach
// is a band along the coast, so its inland edge follows the coast whatever the
// triangles under it: by height it would zig-zag with every face of the lowest row.
Rgb GroundColour(double h, double ny, double coast, double n, double shore) {
    const Rgb beach = {196, 178, 128}, grass = {92, 142, 58}, meadow = {124, 160, 70}, forest = {58, 100, 44},
              earth = {120, 100, 70}, stone = {128, 122, 112};
    Rgb c = Mix(meadow, grass, (h - 1) / 6 + (n - 0.5));
    c     = Mix(c, forest, (h - 10) / 14 + (n - 0.5) * 0.8);
    c     = Mix(c, earth, (0.86 - ny) * 4 + (n - 0.5));
    c     = Mix(c, stone, (h - 30) / 12);
    const double edge = 2.2 + 1.2 * (shore - 0.5), t = std::clamp((coast - edge) / 2.0 + 0.5, 0.0, 1.0);
    return Mix(beach, c, t * t * (3 - 2 * t));
}

}  // namespace

Picture PaintMapping() {
    // The terrain's coordinates run a little past 0 and 1 and the texture repeats, so a
    // texel is looked for at u and at u +- 1. No row of the terrain spans more than a
    // turn, so at most one of them is ground; were there two, it would take their mean.
    std::vector<Rgb>           colour(size_t(kSize) * kSize, Rgb{0, 0, 0});
    std::vector<char>          known(size_t(kSize) * kSize, 0);
    const std::vector<Segment> coast = CoastSegments();
    const UMap                 map   = TerrainUMap();
    for (int py = 0; py < kSize; ++py)
        for (int px = 0; px < kSize; ++px) {
            const double v = (py + 0.5) / kSize, n = Fractal(px, py, 8, 4, 11);
            const double z = -110.8957 + (v - 0.072) / 0.6636 * 236.964;
            Rgb          sum{0, 0, 0}, beach{0, 0, 0};
            int          count = 0;
            bool         offCoast = false;
            for (int shift = -1; shift <= 1; ++shift) {
                // Inverse of the terrain's coordinate map, texel centre to world.
                const double u = (px + 0.5) / kSize + shift;
                const double x = (u - map.perZ * z - map.offset) / map.perX;
                double       h = 0, ny = 1, nearX = 0, nearZ = 0;
                const double d     = CoastDistance(coast, x, z, &nearX, &nearZ);
                const double along = Noise(nearX / 9, nearZ / 9, 1 << 16, 13);
                if (!TerrainAt(x, z, &h, &ny)) {
                    // A texel whose centre lies just off the coast still colours the
                    // coast's own faces up to their edge: it is beach.
                    if (d < 1.5) beach = GroundColour(-1.45, 1, 0, n, along), offCoast = true;
                    continue;
                }
                const Rgb c = GroundColour(h, ny, d, n, along);
                sum         = {sum.r + c.r, sum.g + c.g, sum.b + c.b};
                ++count;
            }
            if (count == 0 && offCoast) sum = beach, count = 1;
            if (count == 0) continue;
            colour[size_t(py) * kSize + px] = Scale(sum, 1.0 / count);
            known[size_t(py) * kSize + px]  = 1;
        }
    // Texels with no terrain of their own (under the rocks, the gravel and the pad, and
    // out at sea) are still sampled by the terrain triangles along those edges, and the
    // first terrain triangle sweeps across most of the picture: they take the colour of
    // the nearest texel that has ground, grass inland and shore outside.
    std::vector<int> frontier;
    for (int i = 0; i < kSize * kSize; ++i)
        if (known[i]) frontier.push_back(i);
    while (!frontier.empty()) {
        std::vector<int> next;
        for (int i : frontier) {
            const int x = i % kSize, y = i / kSize;
            const int neighbours[4] = {y * kSize + (x + 1) % kSize, y * kSize + (x + kSize - 1) % kSize,
                                       ((y + 1) % kSize) * kSize + x, ((y + kSize - 1) % kSize) * kSize + x};
            for (int j : neighbours) {
                if (known[j]) continue;
                known[j]  = 1;
                colour[j] = colour[i];
                next.push_back(j);
            }
        }
        frontier.swap(next);
    }
    Picture p = Blank();
    for (int py = 0; py < kSize; ++py)
        for (int px = 0; px < kSize; ++px)
            Set(p, px, py, Scale(colour[size_t(py) * kSize + px], 0.9 + 0.2 * Hash(px, py, 5)));
    return p;
}

Picture PaintRocks() {
    Picture p = Blank();
    for (int y = 0; y < kSize; ++y)
        for (int x = 0; x < kSize; ++x) {
            double n      = Fractal(x, y, 4, 5, 21);
            double strata = 0.5 + 0.5 * std::sin((y + n * 40) * 0.11);
            double crack  = Fractal(x, y, 16, 2, 23) < 0.22 ? 0.6 : 1.0;
            Rgb    c      = Mix({96, 90, 84}, {150, 142, 128}, n * 0.7 + strata * 0.4);
            Set(p, x, y, Scale(c, crack * (0.92 + 0.16 * Hash(x, y, 3))));
        }
    return p;
}

Picture PaintGravel() {
    Picture p = Blank();
    for (int y = 0; y < kSize; ++y)
        for (int x = 0; x < kSize; ++x) {
            // Pebbles: cells of a tiling grid, each a rounded stone of its own shade.
            double best = 9, second = 9;
            int    bx = 0, by = 0;
            for (int j = -1; j <= 1; ++j)
                for (int i = -1; i <= 1; ++i) {
                    int    cx = (x / 16 + i + 16) % 16, cy = (y / 16 + j + 16) % 16;
                    double fx = (x / 16 + i) * 16 + 16 * Hash(cx, cy, 31), fy = (y / 16 + j) * 16 + 16 * Hash(cx, cy, 32);
                    double d  = std::hypot(x - fx, y - fy);
                    if (d < best) second = best, best = d, bx = cx, by = cy;
                    else if (d < second) second = d;
                }
            double edge  = std::clamp((second - best) / 4, 0.0, 1.0);
            double shade = 0.6 + 0.5 * Hash(bx, by, 33);
            Rgb    stone = Mix({110, 104, 96}, {168, 160, 146}, Hash(bx, by, 34));
            Set(p, x, y, Mix({92, 86, 76}, Scale(stone, shade), edge));
        }
    return p;
}

Picture PaintSand() {
    Picture p = Blank();
    for (int y = 0; y < kSize; ++y)
        for (int x = 0; x < kSize; ++x) {
            double n      = Fractal(x, y, 4, 4, 41);
            double ripple = 0.5 + 0.5 * std::sin((x * 0.3 + y * 0.9) * 0.35 + n * 6);
            Rgb    c      = Mix({178, 160, 112}, {214, 196, 146}, n * 0.7 + ripple * 0.3);
            Set(p, x, y, Scale(c, 0.93 + 0.14 * Hash(x, y, 42)));
        }
    return p;
}

// The pad's tabled texture coordinates jump from one triangle to the next, so any line,
// grid or marking would break at its edges: the pad is plain concrete, mottled at a
// large scale and grained at a small one, with specks of aggregate, all without a
// direction for a break to show against.
Picture PaintLanding() {
    Picture p = Blank();
    for (int y = 0; y < kSize; ++y)
        for (int x = 0; x < kSize; ++x) {
            double mottle = Fractal(x, y, 4, 3, 51);
            double grain  = Fractal(x, y, 32, 2, 53);
            Rgb    c      = Mix({124, 121, 114}, {146, 143, 135}, 0.7 * mottle + 0.3 * grain);
            double speck  = Hash(x, y, 54);
            if (speck > 0.985) c = Scale(c, 0.78);
            else if (speck < 0.01) c = Scale(c, 1.12);
            Set(p, x, y, Scale(c, 0.96 + 0.08 * Hash(x, y, 52)));
        }
    return p;
}

Picture PaintWall() {
    Picture p = Blank();
    for (int y = 0; y < kSize; ++y)
        for (int x = 0; x < kSize; ++x) {
            int    row    = y / 32;
            int    shift  = row % 2 ? 32 : 0;
            int    col    = ((x + shift) / 64) % 4;
            bool   mortar = y % 32 < 3 || (x + shift) % 64 < 3;
            double n      = Fractal(x, y, 8, 3, 61);
            Rgb    block  = Mix({118, 108, 92}, {156, 144, 122}, 0.4 * n + 0.6 * Hash(col, row, 62));
            Set(p, x, y, mortar ? Rgb{84, 80, 74} : Scale(block, 0.92 + 0.16 * Hash(x, y, 63)));
        }
    return p;
}

Picture PaintTree() {
    Picture p = Blank();
    for (int y = 0; y < kSize; ++y)
        for (int x = 0; x < kSize; ++x) {
            double cx = x - 127.5;
            // Trunk from the bottom edge into the crown.
            double trunkHalf = 9 - y * 0.03;
            bool   trunk     = y < 130 && std::abs(cx) < trunkHalf;
            // Crown: a few overlapping lumps with a ragged edge.
            double crown = -1;
            const double lumps[5][3] = {{128, 165, 62}, {92, 140, 44}, {164, 142, 44}, {128, 204, 40}, {128, 120, 40}};
            for (const auto& l : lumps) crown = std::max(crown, 1 - std::hypot(x - l[0], y - l[1]) / l[2]);
            double n = Fractal(x, y, 8, 4, 71);
            crown += (n - 0.5) * 0.5;
            Rgb c = {0, 0, 0};
            if (trunk) c = Mix({150, 112, 76}, {186, 146, 100}, Hash(x / 3, y, 72));
            if (crown > 0.05) c = Mix({96, 170, 70}, {170, 230, 120}, n * 0.8 + crown * 0.4);
            Set(p, x, y, c);
        }
    return p;
}

Picture PaintFire() {
    Picture p = Blank();
    const int bottom = int(0.0123 * kSize), top = int(0.5483 * kSize);
    for (int frame = 0; frame < 6; ++frame) {
        int    x0 = int(std::ceil(fireFrameColumns[frame].u0 * kSize)), x1 = int(fireFrameColumns[frame].u1 * kSize);
        double mid = (x0 + x1) / 2.0, half = (x1 - x0) / 2.0;
        for (int y = bottom; y < top; ++y)
            for (int x = x0; x < x1; ++x) {
                double t     = double(y - bottom) / (top - bottom);
                double sway  = std::sin(t * 5 + frame * 1.05) * half * 0.25 * t;
                double width = half * (0.95 - 0.75 * t) * (1 + 0.15 * std::sin(t * 9 + frame * 2.1));
                double d     = std::abs(x - mid - sway) / std::max(width, 0.5);
                double n     = Noise(x * 0.25, y * 0.18 - frame * 3.0, 1 << 20, 81);
                double heat  = (1 - d) * (1.15 - t) + (n - 0.5) * 0.5;
                if (heat <= 0) continue;
                Rgb c = Mix({150, 20, 0}, {255, 140, 20}, heat * 2);
                c     = Mix(c, {255, 240, 170}, (heat - 0.55) * 2.5);
                Set(p, x, y, c);
            }
    }
    return p;
}

Picture PaintCloud() {
    Picture p = Blank();
    for (int y = 0; y < kSize; ++y)
        for (int x = 0; x < kSize; ++x) {
            double d = std::hypot(x - 127.5, y - 127.5) / 120;
            double n = Fractal(x, y, 4, 5, 91);
            double k = std::clamp((1 - d) * 1.6 + (n - 0.5) * 1.2, 0.0, 1.0);
            k        = k * k * std::clamp((1 - d) / 0.15, 0.0, 1.0);
            Set(p, x, y, Mix({0, 0, 0}, {225, 225, 230}, k));
        }
    return p;
}
