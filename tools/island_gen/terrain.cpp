// terrain.cpp — the island's ground between the coast, the pad, the gravel bed and the
// rock foot: the band from the coast to a first ring cut by ear clipping, then rings
// zipped round the rocks.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <set>

#include "tools/island_gen/ground.h"
#include "tools/island_gen/island.h"
#include "tools/island_gen/surface.h"

namespace {

// A level shelf of grass along the pad's west edge, a little under the pad, so that the
// hill starts a few units off the concrete instead of rising from its very edge.
void LayShelf(Island& isl) {
    constexpr double kWidth = 6, kHeight = 0.99;
    const int        edge[5] = {isl.padS, isl.padSW, isl.padW, isl.padWN, isl.padNW};
    auto             outward = [&](int a, int b) {  // the unit normal of edge a-b away from the pad
        const V3 d = Normalized(g_points[b] - g_points[a]);
        return V3{-d.z, 0, d.x};
    };
    auto shelfPoint = [&](V3 at, V3 n) {
        const int i = AddPoint(at.x + kWidth * n.x, kHeight, at.z + kWidth * n.z);
        g_fixed.insert(i);
        return i;
    };
    std::vector<int> shelf;
    for (int k = 1; k <= 3; ++k) {
        const V3 n = Normalized(outward(edge[k - 1], edge[k]) + outward(edge[k], edge[k + 1]));
        shelf.push_back(shelfPoint(g_points[edge[k]], n * (1 / Dot(n, outward(edge[k], edge[k + 1])))));
    }
    // The two long edges get a corner at their middle as well.
    for (int k : {1, 3})
        shelf.push_back(shelfPoint((g_points[edge[k]] + g_points[edge[k + 1]]) * 0.5, outward(edge[k], edge[k + 1])));
    const Tri first = {FindPoint(kTerrainFirst[0].p), FindPoint(kTerrainFirst[1].p), FindPoint(kTerrainFirst[2].p)};
    for (int i : shelf) InsertPoint(isl.terrain, i, first);
}

}  // namespace

void BuildTerrain(Island& isl) {
    // The terrain's outer loop: coast, pad edge, and the gravel's banks and top.
    const Loop &coastWest = isl.coastWest, &coastEast = isl.coastEast;
    Loop        coast = coastWest;
    for (int i : {isl.footS, isl.padS, isl.padSW, isl.padW, isl.padWN, isl.padNW, isl.footW}) coast.push_back(i);
    coast.insert(coast.end(), coastEast.begin(), coastEast.end());
    for (auto it = isl.lineR.rbegin(); it != isl.lineR.rend(); ++it) coast.push_back(*it);
    coast.push_back(isl.lineF[0]);
    coast.push_back(isl.lineB[0]);
    coast.push_back(isl.lineA[0]);
    for (int i : isl.lineL) coast.push_back(i);
    std::reverse(coast.begin(), coast.end());
    coast.insert(coast.begin(), coast.back());
    coast.pop_back();
    MakeCounterClockwise(coast);

    // Rock foot, shared by the terrain and the massif.
    const double footAngles[24] = {0, 20, 40, 60, 75, 90, 105, 120, -1, -2, 163, 177, 191, 205, 219, 233, 247, 259, 270, 284, 300, 316, 332, 346};
    Loop&        foot = isl.foot;
    int          footA = AddGiven(kRocksFirst[0]), footB = AddGiven(kRocksFirst[1]);
    for (double deg : footAngles) {
        if (deg == -1) {
            foot.push_back(footB);
            continue;
        }
        if (deg == -2) {
            foot.push_back(footA);
            continue;
        }
        double r = kFootRadius.At(deg);
        int    i = AddPoint(kRockCentre.x + r * std::cos(deg * kPi / 180), kFootHeight.At(deg),
                            kRockCentre.z + r * std::sin(deg * kPi / 180));
        g_fixed.insert(i);
        foot.push_back(i);
    }

    // Two rings between foot and coast.
    auto ring = [&](int count, double start, double s, int forced) {
        Loop l;
        for (int k = 0; k < count; ++k) {
            double deg = start + k * 360.0 / count;
            if (k == 0 && forced >= 0) {
                l.push_back(forced);
                continue;
            }
            // The nearest coast within a few degrees, so a ring keeps clear of the gravel's corners.
            double rf = kFootRadius.At(deg), rh = 1e9;
            for (int d = -12; d <= 12; ++d) rh = std::min(rh, RayHit(deg + d, coast));
            double r  = rf + s * (rh - rf);
            l.push_back(GroundPoint(kRockCentre.x + r * std::cos(deg * kPi / 180), kRockCentre.z + r * std::sin(deg * kPi / 180)));
        }
        return l;
    };
    int  innerTerrain = AddGiven(kTerrainFirst[2]);
    Loop ring1        = ring(34, AngleAround(g_points[innerTerrain], kRockCentre), 0.6, innerTerrain);
    // 23 points rather than 28: the five saved pay for the shelf's five corners, so the
    // terrain keeps its counts of positions and triangles.
    Loop ring2        = ring(23, 3, 0.3, -1);
    MakeCounterClockwise(ring1), MakeCounterClockwise(ring2), MakeCounterClockwise(foot);

    std::vector<Tri>& terrain = isl.terrain;
    terrain = TriangulateBand(coast, ring1, isl.coastTerrainA, isl.coastTerrainB, innerTerrain);
    {
        Loop a = ring1, b = ring2, c = foot;
        for (Loop* l : {&a, &b, &c}) SortAroundRocks(*l);
        for (const Tri& t : ZipRings(a, b)) terrain.push_back(t);
        for (const Tri& t : ZipRings(b, c)) terrain.push_back(t);
    }

    FaceUp(terrain);
    LayShelf(isl);
}

void PinTheGround(Island& isl) {
    std::vector<Tri> ground = isl.terrain;
    ground.insert(ground.end(), isl.gravel.begin(), isl.gravel.end());
    ApplyPins({{-71.5478, 88.8451, 9.0},
               {-61.5478, 98.8451, 8.6},
               {-11.4686, 78.6628, 10.39},
               {-15.9452, 90.4674, 7.04},
               {-0.5362, 87.6902, 10.39},
               {16, -4.4, 25.46}},
              ground);
}

namespace {

// How u follows the ground: u = perX x + perZ z + offset.
struct UMap {
    double perX, perZ, offset, widest;
};

// The picture is laid once over the island with u running from -0.0399 to 1.0129, a
// little more than one turn. Were u to follow x alone, the widest rows would span more
// than a turn and their west and east shores would share texels, which cannot show sand
// at both; so u takes a little of z as well, leaving every row (every v) under one turn
// with two texels to spare, and the whole island still spanning the stated range.
UMap FitUMap(const std::vector<Tri>& tris) {
    double widest = 0, zLo = 1e9, zHi = -1e9;
    for (const Tri& t : tris)
        for (int i : t) zLo = std::min(zLo, g_points[i].z), zHi = std::max(zHi, g_points[i].z);
    for (double z = zLo; z <= zHi; z += 0.25) {
        double lo = 1e9, hi = -1e9;
        for (const Tri& t : tris)
            for (int e = 0; e < 3; ++e) {
                const V3 p = g_points[t[e]], q = g_points[t[(e + 1) % 3]];
                if ((p.z - z) * (q.z - z) > 0 || p.z == q.z) continue;
                const double x = p.x + (z - p.z) / (q.z - p.z) * (q.x - p.x);
                lo = std::min(lo, x), hi = std::max(hi, x);
            }
        widest = std::max(widest, hi - lo);
    }
    const double perX = (1 - 2.0 / 256) / widest, lo = -0.0399, hi = 1.0129;
    auto span = [&](double perZ, double* least) {
        double mn = 1e18, mx = -1e18;
        for (const Tri& t : tris)
            for (int i : t) mn = std::min(mn, perX * g_points[i].x + perZ * g_points[i].z), mx = std::max(mx, perX * g_points[i].x + perZ * g_points[i].z);
        *least = mn;
        return mx - mn;
    };
    double least = 0, flat = 0, steep = 0.01;
    if (span(0, &least) > hi - lo || span(steep, &least) < hi - lo) Fail("terrain coordinates: no tilt of u gives its range");
    for (int i = 0; i < 200; ++i) (span((flat + steep) / 2, &least) < hi - lo ? flat : steep) = (flat + steep) / 2;
    span(flat, &least);
    return {perX, flat, lo - least, perX * widest};
}

}  // namespace

Group TerrainGroup(std::vector<Tri> terrain) {
    // One normal per position; the image laid once over the island, every triangle shifted
    // by a whole turn of v (invisible with repeat) so most corners that recur carry
    // different coordinates.
    Group groupTerrain = SmoothGroup("meshTerrain", 0, terrain, kTerrainFirst, 0.2234, 1);
    {
        std::vector<int> shift(terrain.size(), 0);
        auto mixedCount = [&]() {
            std::map<int, std::set<int>> seen;
            for (size_t k = 1; k < terrain.size(); ++k)
                for (int i : terrain[k]) seen[i].insert(shift[k]);
            for (int i : terrain[0]) seen[i].insert(99);
            int n = 0;
            for (auto& [i, s] : seen) n += s.size() > 1;
            return n;
        };
        int zLo = -1, zHi = -1;
        for (size_t k = 1; k < terrain.size(); ++k)
            for (int i : terrain[k]) {
                if (zLo < 0 || g_points[i].z < g_points[zLo].z) zLo = i;
                if (zHi < 0 || g_points[i].z > g_points[zHi].z) zHi = i;
            }
        std::set<size_t> pinned;
        for (size_t k = 1; k < terrain.size(); ++k) {
            bool hasLo = std::count(terrain[k].begin(), terrain[k].end(), zLo) > 0;
            bool hasHi = std::count(terrain[k].begin(), terrain[k].end(), zHi) > 0;
            if (hasLo && !pinned.count(k)) shift[k] = -1, pinned.insert(k);
            if (hasHi && !pinned.count(k)) shift[k] = 1, pinned.insert(k);
        }
        // Turn whole triangles, one by one, until exactly 112 positions recur with different
        // coordinates.
        for (size_t k = 1; k < terrain.size() && mixedCount() < 112; ++k) {
            if (pinned.count(k)) continue;
            shift[k] = k % 2 ? 1 : -1;
            if (mixedCount() > 112) shift[k] = 0;
        }
        if (mixedCount() != 112) Fail("terrain coordinates: " + std::to_string(mixedCount()) + " recurring positions");
        const UMap map = FitUMap(std::vector<Tri>(terrain.begin() + 1, terrain.end()));
        std::printf("terrain texture: u = %.6f x %+.6f z %+.6f, rows at most %.3f of a turn\n", map.perX, map.perZ,
                    map.offset, map.widest);
        for (size_t k = 1; k < terrain.size(); ++k)
            for (int c = 0; c < 3; ++c) {
                Row& r = groupTerrain.rows[k * 3 + c];
                r.u    = map.perX * r.p.x + map.perZ * r.p.z + map.offset;
                r.v    = 0.072 + (r.p.z + 110.8957) / 236.964 * 0.6636 + shift[k];
            }
    }
    return groupTerrain;
}
