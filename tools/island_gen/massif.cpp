// massif.cpp — the rock massif: the rock foot, two jagged rings of which the upper juts
// out in places (the overhangs), and three summits whose ridges meet at a saddle.
#include <cmath>
#include <map>

#include "tools/island_gen/ground.h"
#include "tools/island_gen/island.h"
#include "tools/island_gen/surface.h"

namespace {

// The massif's top over the upper ring (sorted by angle): every ring point belongs to the
// summit nearest it in direction, and each ring edge rises to its summit; where the ring
// passes from one summit to the next, two faces run from that ring point down to the
// saddle between them, so every summit stands above all its neighbours. One face per ring
// point and two more per change of summit.
std::vector<Tri> TopOfMassif(const Loop& ring, const std::vector<int>& summits, int saddle) {
    auto owner = [&](int i) {
        size_t best = 0;
        double bestGap = 1e9;
        for (size_t s = 0; s < summits.size(); ++s) {
            double gap = std::abs(std::remainder(AngleAround(g_points[i], kRockCentre) - AngleAround(g_points[summits[s]], kRockCentre), 360.0));
            if (gap < bestGap) bestGap = gap, best = s;
        }
        return summits[best];
    };
    std::vector<Tri> top;
    for (size_t k = 0; k < ring.size(); ++k) {
        int a = ring[k], b = ring[(k + 1) % ring.size()];
        top.push_back({a, b, owner(a)});
        if (owner(a) != owner(b)) {
            top.push_back({owner(a), b, saddle});
            top.push_back({b, owner(b), saddle});
        }
    }
    return top;
}

}  // namespace

// Each summit is given by its direction from the rock centre (degrees), its distance from
// it and its height; the first is the highest point of the world. The upper ring's bulge
// is searched for until the massif has exactly six downward faces.
void BuildMassif(Island& isl) {
    int rockRing1Forced = AddGiven(kRocksFirst[2]);
    int peak            = AddPoint(-23, 98.3276, -24.5);
    g_fixed.insert(peak);
    const double summitAt[2][3] = {{70, 11, 86.5}, {190, 10, 81.0}};
    std::vector<int> summits = {peak};
    for (const auto& [deg, r, y] : summitAt)
        summits.push_back(AddPoint(kRockCentre.x + r * std::cos(deg * kPi / 180), y, kRockCentre.z + r * std::sin(deg * kPi / 180)));
    // The saddle in the middle, where the three ridges meet below the summits.
    const int saddle = AddPoint(kRockCentre.x + 1, 74, kRockCentre.z + 1);
    Loop              rock1, rock2;
    std::vector<Tri>& rocks = isl.rocks;
    for (int k = 0; k < 23; ++k) {
        double deg = AngleAround(g_points[rockRing1Forced], kRockCentre) + k * 360.0 / 23;
        if (k == 0) {
            rock1.push_back(rockRing1Forced);
            continue;
        }
        // A jagged shoulder: the ring wanders in and out and up and down.
        double r = kFootRadius.At(deg) * (0.78 + 0.06 * std::sin(deg * kPi / 60) + 0.04 * std::sin(deg * kPi / 25));
        rock1.push_back(AddPoint(kRockCentre.x + r * std::cos(deg * kPi / 180),
                                 kFootHeight.At(deg) + 24 + 5 * std::sin(deg * kPi / 60) + 3 * std::sin(deg * kPi / 22),
                                 kRockCentre.z + r * std::sin(deg * kPi / 180)));
    }
    // Each try of the upper ring drops the one before.
    const size_t triedFrom = g_points.size();
    bool         found     = false;
    for (int span = 2; span <= 4 && !found; ++span)
    for (double bulge = 0.78; bulge < 1.0 && !found; bulge += 0.01)
        for (int first = 0; first < 10 && !found; ++first) {
            g_points.resize(triedFrom);
            rock2.clear();
            for (int k = 0; k < 10; ++k) {
                double deg = 10 + k * 36;
                bool   out = (k - first + 10) % 10 < span;
                double r   = kFootRadius.At(deg) * (out ? bulge : 0.42 + 0.08 * std::sin(deg * kPi / 45));
                double y   = out ? kFootHeight.At(deg) + 40 : 66 + 5 * std::sin(deg * kPi / 90 + 1) + 4 * std::sin(deg * kPi / 36);
                rock2.push_back(AddPoint(kRockCentre.x + r * std::cos(deg * kPi / 180), y, kRockCentre.z + r * std::sin(deg * kPi / 180)));
            }
            Loop f = isl.foot, a = rock1, b = rock2;
            SortAroundRocks(f), SortAroundRocks(a), SortAroundRocks(b);
            rocks = ZipRings(f, a);
            for (const Tri& t : ZipRings(a, b)) rocks.push_back(t);
            int down = 0, up = 0;
            for (const Tri& t : rocks) (Turn(t[0], t[1], t[2]) < 0 ? down : up)++;
            if (down > up)
                for (Tri& t : rocks) std::swap(t[1], t[2]);
            for (Tri t : TopOfMassif(b, summits, saddle)) {
                if (Turn(t[0], t[1], t[2]) < 0) std::swap(t[1], t[2]);
                rocks.push_back(t);
            }
            down = 0;
            for (const Tri& t : rocks) down += Turn(t[0], t[1], t[2]) < 0;
            bool ok = down == 6;
            for (int i : rock2) {
                V3 p = g_points[i];
                ok   = ok && p.x > -63.8 && p.x < 13.4 && p.z > -62.0 && p.z < 19.1;
            }
            found = ok;
        }
    if (!found) Fail("no overhang design gives six downward faces");
}

Group RocksGroup(std::vector<Tri> rocks) {
    PutFirst(rocks, kRocksFirst);
    // Rocks: smooth over the faces that look up, a crease around every overhang.
    std::vector<Tri> rocksUp;
    for (const Tri& t : rocks)
        if (Turn(t[0], t[1], t[2]) > 0) rocksUp.push_back(t);
    std::map<int, V3> rockNormals = SmoothNormals(rocksUp);
    SpreadGivenNormals(rockNormals, kRocksFirst);
    Group groupRocks = MakeGroup("meshRocks", 1, rocks, rockNormals, kRocksFirst);
    {
        size_t lowest = 0;
        for (size_t k = 1; k < rocks.size(); ++k) {
            double a0 = AngleAround(g_points[rocks[k][0]], kRockCentre);
            for (int c = 0; c < 3; ++c) {
                Row&   r  = groupRocks.rows[k * 3 + c];
                double a  = AngleAround(r.p, kRockCentre);
                if (a - a0 > 180) a -= 360;
                if (a0 - a > 180) a += 360;
                // Round the massif the picture wraps by direction and height; faces that
                // look up more than sideways take it laid from above instead, since by
                // direction it would streak out from the middle there.
                if (FaceNormal(rocks[k]).y > 0.6) {
                    r.u = r.p.x / 52;
                    r.v = r.p.z / 60;
                } else {
                    r.u = a / 120;
                    r.v = r.p.y / 60;
                }
                // A corner whose smooth normal turns away from this face gets a crease.
                if (Dot(r.n, FaceNormal(rocks[k])) < 0.1) r.n = FaceNormal(rocks[k]);
                // An overhang's corners take its face normal, turned no further down than the
                // world's lowest rock normal.
                if (Turn(rocks[k][0], rocks[k][1], rocks[k][2]) < 0) {
                    r.n = FaceNormal(rocks[k]);
                    if (r.n.y < -0.2021) r.n = WithNy(r.n, -0.2021);
                    if (lowest == 0 || r.n.y < groupRocks.rows[lowest].n.y) lowest = k * 3 + c;
                }
            }
        }
        groupRocks.rows[lowest].n = WithNy(groupRocks.rows[lowest].n, -0.2021);
        RemapRange(groupRocks.rows, 3, true, -0.6335, 2.4585);
        RemapRange(groupRocks.rows, 3, false, -0.2208, 1.1505);
    }
    return groupRocks;
}
