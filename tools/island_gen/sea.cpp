// sea.cpp — the sea plane: a far-reaching rectangle at the water's height with a hole
// for the island, its inner boundary 28 points along the coast.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>

#include "tools/island_gen/ground.h"
#include "tools/island_gen/island.h"
#include "tools/island_gen/surface.h"

// Four far corners, and 28 points along the coast where the shore meets the water.
void BuildSea(Island& isl) {
    int  seaSW = AddGiven(kSeaFirst[0]), seaSE = AddGiven(kSeaFirst[2]);
    int  seaNE = AddPoint(10581.922, kSeaLevel, 8350.827), seaNW = AddPoint(-10635.995, kSeaLevel, 8350.827);
    Loop corners = {seaSW, seaSE, seaNE, seaNW};
    MakeCounterClockwise(corners);
    Loop&  coastPoints = isl.seaCoast;
    int    seaGiven = AddGiven(kSeaFirst[1]);
    V3     middle   = {8, 0, 8};
    double givenDeg = AngleAround(g_points[seaGiven], middle);
    for (int k = 0; k < 28; ++k) {
        double deg = givenDeg + k * 360.0 / 28;
        if (k == 0) {
            coastPoints.push_back(seaGiven);
            continue;
        }
        for (V3 toward : {g_points[isl.footE], V3{-25, 0, -114.4544}, V3{-129.695, 0, -21.5}, V3{-61.79, 0, 129.6798}}) {
            double d = AngleAround(toward, middle);
            if (std::abs(std::remainder(deg - d, 360.0)) < 180.0 / 28) deg = d;
        }
        double c = std::cos(deg * kPi / 180), s = std::sin(deg * kPi / 180), r = 60;
        while (GroundAt(middle.x + r * c, middle.z + r * s, isl.ground) > -2.6 && r < 300) r += 0.05;
        coastPoints.push_back(AddPoint(Round4(middle.x + r * c), kSeaLevel, Round4(middle.z + r * s)));
    }
    {
        auto ext = [&](auto key) {
            return *std::max_element(coastPoints.begin(), coastPoints.end(), [&](int a, int b) { return key(a) < key(b); });
        };
        std::printf("coast extremes before fitting: x %.3f..%.3f z %.3f..%.3f\n",
                    g_points[ext([](int i) { return -g_points[i].x; })].x, g_points[ext([](int i) { return g_points[i].x; })].x,
                    g_points[ext([](int i) { return -g_points[i].z; })].z, g_points[ext([](int i) { return g_points[i].z; })].z);
        g_points[ext([](int i) { return g_points[i].x; })].x  = 148.069;
        g_points[ext([](int i) { return -g_points[i].x; })].x = -129.695;
        g_points[ext([](int i) { return g_points[i].z; })].z  = 129.6798;
        g_points[ext([](int i) { return -g_points[i].z; })].z = -114.4544;
        for (int i : coastPoints) {
            g_points[i].x = std::clamp(g_points[i].x, -129.695, 148.069);
            g_points[i].z = std::clamp(g_points[i].z, -114.4544, 129.6798);
        }
    }
    MakeCounterClockwise(coastPoints);
    isl.sea = TriangulateBand(corners, coastPoints, seaSW, seaSE, seaGiven);
    FaceUp(isl.sea);
}

Group SeaGroup(std::vector<Tri> sea, const Loop& seaCoast) {
    PutFirst(sea, kSeaFirst);
    // One sea face shows from both sides.
    sea.push_back({sea[4][0], sea[4][2], sea[4][1]});
    // Two small downward sea faces under the island, across convex coast corners.
    {
        int added = 0;
        for (size_t k = 0; k < seaCoast.size() && added < 2; k += 7) {
            int a = seaCoast[k], b = seaCoast[(k + 1) % 28], c = seaCoast[(k + 2) % 28];
            if (Turn(a, b, c) > 0) {
                sea.push_back({a, c, b});
                ++added;
            }
        }
        if (added < 2) Fail("no convex coast corners for the downward sea faces");
    }
    std::map<int, V3> seaNormals;
    for (const Tri& t : sea)
        for (int i : t) seaNormals[i] = {0, 1, 0};
    Group groupSea = MakeGroup("meshSea", -1, sea, seaNormals, kSeaFirst);
    for (size_t k = 3; k < groupSea.rows.size(); ++k) {
        Row& r = groupSea.rows[k];
        r.u    = r.p.x / 56.2;
        r.v    = -r.p.z / 56.2;
    }
    // The faces that look down carry downward normals: the two of them and the first corner
    // of the double-sided one's reverse.
    size_t seaRows = groupSea.rows.size();
    for (size_t k = seaRows - 6; k < seaRows; ++k) groupSea.rows[k].n = {0, -1, 0};
    groupSea.rows[seaRows - 9].n = {0, -1, 0};
    return groupSea;
}
