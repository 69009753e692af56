// stream.cpp — the stream: the valley carved into the ground for it, and the water that
// runs in it from beside the rocks down the gravel bed to the sea, fitted section by
// section to the ground it covers.
#include <algorithm>
#include <cmath>
#include <map>
#include <set>

#include "tools/island_gen/ground.h"
#include "tools/island_gen/island.h"
#include "tools/island_gen/surface.h"

namespace {

// How far the stream's water line keeps above the ground across its bed.
constexpr double kStreamClearance = 0.15;
// The most the water may stand over the sand of the shore.
constexpr double kMostOverSand = 0.3;

// The water's lowest height, just under the sea's surface.
constexpr double kLowestWater = -3.9385;
// The mouth: the last section's banks, out on the shore's delta just past the waterline,
// where the water lies at its lowest, close over the sand.
constexpr V3 kMouthWest = {-41.7836, kLowestWater, 132.55}, kMouthEast = {-34.8, kLowestWater, 132.5936};

// The point of [from, to] where the ground falls to the sea's surface, found by halving.
V3 WhereGroundMeetsSea(V3 from, V3 to, const std::vector<Tri>& ground) {
    double wet = 1, dry = 0;
    for (int i = 0; i < 60; ++i) {
        const double t = (wet + dry) / 2;
        const V3     p = from + (to - from) * t;
        (GroundAt(p.x, p.z, ground) > kSeaLevel ? dry : wet) = t;
    }
    // At four decimals the point may round back onto the dry side; step on until it is wet.
    const double step = 1e-4 / std::hypot(to.x - from.x, to.z - from.z);
    for (double t = wet;; t += step) {
        const V3 p = {Round4(from.x + (to.x - from.x) * t), kSeaLevel, Round4(from.z + (to.z - from.z) * t)};
        if (GroundAt(p.x, p.z, ground) <= kSeaLevel) return p;
    }
}

}  // namespace

// The valley floor from the stream's source beside the rocks to the sea.
void CarveValley() {
    g_valley = {{16, -4.4, 25.45},  {12.6, 10, 22.5},  {8.2, 24, 20.0},  {4.3, 38.5, 17.6}, {0.6, 54, 15.0},
                {-2.8, 70, 12.0},   {-6, 77, 10.0},    {-8.2, 89.1, 7.2}, {-20.5, 105, 3.0}, {-31, 117, -0.3},
                {-38, 127.5, -3.0}, {-41, 135, -5.5}};
}

// Twenty cross-sections, two of them given.
void BuildStream(Island& isl) {
    struct Section {
        double x, z, half;
    };
    const Section sections[20] = {{16.0, -4.4, 3.2},  {14.5, 3, 3.5},    {12.6, 10, 3.8},   {10.4, 17, 4.0},
                                  {8.2, 24, 4.3},     {6.2, 31, 4.6},    {4.3, 38.5, 5.0},  {2.4, 46, 5.4},
                                  {0.6, 54, 5.8},     {-1.2, 62, 6.2},   {-2.8, 70, 6.6},   {0, 0, 0},
                                  {0, 0, 0},          {-14.5, 98.5, 8},  {-20.5, 105, 8},   {-26, 111, 7.5},
                                  {-31, 117, 7},      {-35, 122.5, 4.5}, {-39, 128.6, 3.0},   {0, 0, 0}};
    Loop          west, east;
    std::set<int> fitted;   // corners whose height the section fit chose
    for (int k = 0; k < 20; ++k) {
        if (k == 11) {
            west.push_back(AddGiven(kStreamFirst[0]));
            east.push_back(AddPoint(2.6, 0, 75.0));
            continue;
        }
        if (k == 12) {
            west.push_back(AddGiven(kStreamFirst[1]));
            east.push_back(AddGiven(kStreamFirst[2]));
            continue;
        }
        if (k == 10) {
            west.push_back(AddPoint(-6.6, 0, 72.4));
            east.push_back(AddPoint(5.0, 0, 68.0));
            continue;
        }
        if (k == 0) {
            west.push_back(AddPoint(15.0, 0, -5.6567));
            east.push_back(AddPoint(19.0537, 0, -3.2));
            continue;
        }
        if (k == 18) {
            // Across the waterline: the water meets the sea's surface just where the sand
            // does, so above the sand it never hides under it and beyond it never stands
            // over the sea.
            for (auto [side, mouth] : {std::pair{&west, kMouthWest}, std::pair{&east, kMouthEast}}) {
                const V3 p = WhereGroundMeetsSea(g_points[side->back()], mouth, isl.ground);
                side->push_back(AddPoint(p.x, p.y, p.z));
                g_fixed.insert(side->back());
            }
            continue;
        }
        if (k == 19) {
            for (auto [side, mouth] : {std::pair{&west, kMouthWest}, std::pair{&east, kMouthEast}}) {
                side->push_back(AddPoint(mouth.x, mouth.y, mouth.z));
                g_fixed.insert(side->back());
                const double sand = GroundAt(mouth.x, mouth.z, isl.ground);
                if (sand > mouth.y || sand < mouth.y - kMostOverSand) Fail("the stream's mouth does not lie close over the sand");
            }
            continue;
        }
        const Section& s = sections[k];
        const Section& p = sections[k - 1].half > 0 ? sections[k - 1] : Section{-8.24, 89.08, 7.8};
        const Section& n = sections[k + 1].half > 0 ? sections[k + 1] : Section{-4.4, 76.8, 7};
        double dx = n.x - p.x, dz = n.z - p.z, l = std::hypot(dx, dz);
        // Each section's water line is straight from bank to bank, so it is fitted to the
        // ground across the bed: the widths on either side and the two bank heights that keep
        // the line just above the ground everywhere along it, as close to it as can be and as
        // level as the bed allows.
        const V3 toWest = {-dz / l, 0, dx / l};
        double   bestCost = 1e18;
        V3       bestW{}, bestE{};
        for (double ww = 1.5; ww <= s.half + 1e-9; ww += 0.25)
            for (double we = 1.5; we <= s.half + 1e-9; we += 0.25) {
                const V3 w = {s.x + toWest.x * ww, 0, s.z + toWest.z * ww};
                const V3 e = {s.x - toWest.x * we, 0, s.z - toWest.z * we};
                constexpr int kSamples = 24;
                double        g[kSamples + 1];
                for (int i = 0; i <= kSamples; ++i) {
                    const double t = double(i) / kSamples;
                    g[i]           = GroundAt(w.x + (e.x - w.x) * t, w.z + (e.z - w.z) * t, isl.ground);
                }
                for (double yw = g[0] + kStreamClearance; yw <= g[0] + 3; yw += 0.05) {
                    double ye = g[kSamples] + kStreamClearance;
                    for (int i = 1; i < kSamples; ++i) {
                        const double t = double(i) / kSamples;
                        ye             = std::max(ye, (g[i] + kStreamClearance - yw * (1 - t)) / t);
                    }
                    double gap = 0;
                    for (int i = 0; i <= kSamples; ++i) {
                        const double t = double(i) / kSamples;
                        gap += yw + (ye - yw) * t - g[i];
                    }
                    const double width = ww + we;
                    const double edges = yw - g[0] + ye - g[kSamples];
                    const double cost  = gap / (kSamples + 1) + 0.5 * edges + 0.3 * std::abs(yw - ye) / width * 4 - 0.05 * width;
                    if (cost < bestCost) bestCost = cost, bestW = {w.x, yw, w.z}, bestE = {e.x, ye, e.z};
                }
            }
        west.push_back(AddPoint(bestW.x, bestW.y, bestW.z));
        east.push_back(AddPoint(bestE.x, bestE.y, bestE.z));
        fitted.insert(west.back()), fitted.insert(east.back());
    }
    int streamTop = -1;
    for (Loop* side : {&west, &east})
        for (int i : *side) {
            if (g_fixed.count(i)) continue;
            if (!fitted.count(i)) {
                double y      = GroundAt(g_points[i].x, g_points[i].z, isl.ground);
                g_points[i].y = Round4(std::max(y + 0.3, kLowestWater));
            }
            g_points[i].y = Round4(std::max(g_points[i].y, kLowestWater));
            if (streamTop < 0 || g_points[i].y > g_points[streamTop].y) streamTop = i;
        }
    g_points[streamTop].y = 25.9142;
    g_fixed.insert(streamTop);
    std::vector<Tri>& stream = isl.stream;
    for (int k = 0; k < 19; ++k) {
        int    w0 = west[k], w1 = west[k + 1], e0 = east[k], e1 = east[k + 1];
        V3     d1 = g_points[w0] - g_points[e1], d2 = g_points[w1] - g_points[e0];
        bool   alongW0 = k == 11 || (k != 11 && Dot(d1, d1) < Dot(d2, d2));
        if (alongW0) {
            stream.push_back({w0, w1, e1});
            stream.push_back({w0, e1, e0});
        } else {
            stream.push_back({w0, w1, e0});
            stream.push_back({w1, e1, e0});
        }
    }
    FaceUp(stream);
    // Where a pebble ridge would show through the water between its corners, lift the
    // corners nearest it a little (never more than 1.5, so the water keeps to its bed).
    {
        std::map<int, double> start;
        for (const Tri& t : stream)
            for (int i : t) start[i] = g_points[i].y;
        for (int round = 0; round < 60; ++round)
            for (const Tri& t : stream)
                for (double a = 0; a <= 1; a += 0.0625)
                    for (double b = 0; a + b <= 1; b += 0.0625) {
                        V3     p = g_points[t[0]] + (g_points[t[1]] - g_points[t[0]]) * a + (g_points[t[2]] - g_points[t[0]]) * b;
                        double h = GroundAt(p.x, p.z, isl.ground);
                        if (p.y > h + 0.05) continue;
                        // The corners nearest the ridge rise.
                        const double weight[3] = {1 - a - b, a, b};
                        for (int c = 0; c < 3; ++c)
                            if (!g_fixed.count(t[c]) && weight[c] >= 0.25)
                                g_points[t[c]].y = Round4(std::min({g_points[t[c]].y + 0.05, start[t[c]] + 1.5, 25.9}));
                    }
    }
}

Group StreamGroup(std::vector<Tri> stream) {
    PutFirst(stream, kStreamFirst);
    std::map<int, V3> streamNormals = SmoothNormals(stream);
    SpreadGivenNormals(streamNormals, kStreamFirst);
    Group groupStream = MakeGroup("meshStream", -1, stream, streamNormals, kStreamFirst);
    for (size_t k = 3; k < groupStream.rows.size(); ++k) {
        Row& r = groupStream.rows[k];
        r.u    = r.p.x / 20;
        r.v    = r.p.z / 40;
    }
    return groupStream;
}
