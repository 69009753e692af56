// coast.cpp — the island's coast west and east of the gravel bed, the island's extremes,
// and the outline that the ground's dome falls to.
#include <algorithm>
#include <cmath>

#include "tools/island_gen/ground.h"
#include "tools/island_gen/island.h"

// The coast runs counter-clockwise from the gravel's west corner round to its east one.
void PlaceCoast(Island& isl) {
    const std::vector<std::pair<double, double>> coastArcWest = {
        {104, 152.09}, {114, 156},   {-1, 0},     {-2, 0},     {142, 124},  {158, 106},  {168, 101.5},
        {180, 100.8073}, {194, 100}, {200, 99.5}, {218, 96},   {240, 92},
        {256, 89},     {270, 89.3957}, {284, 90},  {-3, 0},     {318, 105},  {331, 117}};
    const std::vector<std::pair<double, double>> coastArcEast = {
        {28.5, 157.31}, {37, 152}, {46, 149}, {55, 148.5}, {62, 149}};
    Loop &coastWest = isl.coastWest, &coastEast = isl.coastEast;
    const int coastTerrainA = isl.coastTerrainA = AddGiven(kTerrainFirst[0]);
    const int coastTerrainB = isl.coastTerrainB = AddGiven(kTerrainFirst[1]);
    const int coastSand     = isl.coastSand     = AddGiven(kSandFirst[2]);
    for (size_t k = 0; k < coastArcWest.size(); ++k) {
        auto [deg, r] = coastArcWest[k];
        if (deg == -1) coastWest.push_back(coastTerrainB);
        else if (deg == -2) coastWest.push_back(coastTerrainA);
        else if (deg == -3) coastWest.push_back(coastSand);
        else {
            double y = deg == 200 ? -1.5456 : deg == 240 ? -1.3454 : -1.45 + 0.07 * std::sin(k * 1.7);
            int    i = AddPoint(kRockCentre.x + r * std::cos(deg * kPi / 180), y, kRockCentre.z + r * std::sin(deg * kPi / 180));
            g_fixed.insert(i);
            coastWest.push_back(i);
        }
    }
    for (size_t k = 0; k < coastArcEast.size(); ++k) {
        auto [deg, r] = coastArcEast[k];
        int  i = AddPoint(kRockCentre.x + r * std::cos(deg * kPi / 180), -1.45 + 0.06 * std::cos(k * 2.1),
                          kRockCentre.z + r * std::sin(deg * kPi / 180));
        g_fixed.insert(i);
        coastEast.push_back(i);
    }

    // The island's extremes lie exactly on the coast.
    {
        Loop all = coastWest;
        all.insert(all.end(), coastEast.begin(), coastEast.end());
        auto ext = [&](auto key) { return *std::max_element(all.begin(), all.end(), [&](int a, int b) { return key(a) < key(b); }); };
        g_points[ext([](int i) { return -g_points[i].x; })].x = -125.8073;
        g_points[ext([](int i) { return g_points[i].x; })].x  = 113.2501;
        g_points[ext([](int i) { return -g_points[i].z; })].z = -110.8957;
        g_points[ext([](int i) { return g_points[i].z; })].z  = 126.0683;
    }

    // The outline (island without the gravel's notch) drives the dome.
    Loop outline = {isl.coastGravelW};
    outline.insert(outline.end(), coastWest.begin(), coastWest.end());
    for (int i : {isl.footS, isl.padS, isl.padSW, isl.padW, isl.padWN, isl.padNW, isl.footW}) outline.push_back(i);
    outline.insert(outline.end(), coastEast.begin(), coastEast.end());
    for (int i : {isl.coastGravelE, isl.shoreF, isl.shoreB, isl.shoreA}) outline.push_back(i);
    for (int i : outline) g_outline.rows.push_back({AngleAround(g_points[i], kRockCentre), RadiusAround(g_points[i], kRockCentre)});
    std::sort(g_outline.rows.begin(), g_outline.rows.end());
}
