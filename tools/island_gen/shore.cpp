// shore.cpp — the sandy shore that runs from the island's outline down to the sea floor
// far out under the sea plane.
#include <algorithm>
#include <cmath>

#include "tools/island_gen/ground.h"
#include "tools/island_gen/island.h"
#include "tools/island_gen/surface.h"

namespace {

// The delta's far corner: with the gravel's sea edge it sets the slope on which the
// stream runs into the sea.
constexpr V3 kDeltaTip = {-45, -7.717, 142.5};

}  // namespace

// Elsewhere the shore falls from the coast to the sea floor in one slope, steep enough that
// its waterline lies a few units out. In front of the stream it runs out as a flat delta
// instead: one face from the gravel's edge to a point far out, over which the water can
// follow the sand down into the sea (the stream's mouth is fitted to it).
void BuildShore(Island& isl) {
    const int delta = AddPoint(kDeltaTip.x, kDeltaTip.y, kDeltaTip.z);
    g_fixed.insert(delta);
    Loop shoreInner = {isl.coastGravelW};
    shoreInner.insert(shoreInner.end(), isl.coastWest.begin(), isl.coastWest.end());
    for (int i : {isl.footS, isl.footE, isl.footN, isl.footW}) shoreInner.push_back(i);
    shoreInner.insert(shoreInner.end(), isl.coastEast.begin(), isl.coastEast.end());
    for (int i : {isl.coastGravelE, isl.shoreF, isl.shoreB, delta, isl.shoreA}) shoreInner.push_back(i);
    MakeCounterClockwise(shoreInner);
    Loop shoreOuter;
    int  floorA = AddGiven(kSandFirst[0]), floorB = AddGiven(kSandFirst[1]);
    // Two points fewer on the sea floor's rim, out beyond the delta, pay for the delta's
    // point and face.
    for (int k = 0; k < 52; ++k) {
        if (k == 25 || k == 27) continue;
        double deg = std::fmod(306 + k * 330.0 / 51, 360);
        double c = std::cos(deg * kPi / 180), s = std::sin(deg * kPi / 180);
        double ax = c >= 0 ? 215.8886 : 215.8707, bz = s >= 0 ? 189.4295 : 189.4324;
        double e  = 2.35, k2 = std::pow(std::pow(std::abs(c), e) + std::pow(std::abs(s), e), -1 / e);
        double wob = 1 - 0.03 * (1 + std::sin(deg * kPi / 180 * 5));
        int    i   = AddPoint(9.45 + ax * c * k2 * wob, -50.4997, 0.5 + bz * s * k2 * wob);
        g_fixed.insert(i);
        shoreOuter.push_back(i);
    }
    shoreOuter.push_back(floorB);
    shoreOuter.push_back(floorA);
    auto byAngle = [](Loop& l, V3 c) {
        std::sort(l.begin(), l.end(), [&](int a, int b) { return AngleAround(g_points[a], c) < AngleAround(g_points[b], c); });
    };
    byAngle(shoreOuter, V3{9.45, 0, 0.5});
    // The four extremes of the sea floor.
    {
        auto ext = [&](auto key) {
            return *std::max_element(shoreOuter.begin(), shoreOuter.end(), [&](int a, int b) { return key(a) < key(b); });
        };
        g_points[ext([](int i) { return g_points[i].x; })].x  = 225.3386;
        g_points[ext([](int i) { return -g_points[i].x; })].x = -206.4321;
        g_points[ext([](int i) { return g_points[i].z; })].z  = 189.9295;
        g_points[ext([](int i) { return -g_points[i].z; })].z = -188.9324;
    }
    MakeCounterClockwise(shoreOuter);
    isl.sand = TriangulateBand(shoreOuter, shoreInner, floorA, floorB, isl.coastSand);
    isl.sand.push_back({isl.shoreA, delta, isl.shoreB});
    FaceUp(isl.sand);
}

Group SandGroup(std::vector<Tri> sand) {
    PutFirst(sand, kSandFirst);
    // One shore face shows from both sides.
    sand.push_back({sand[5][0], sand[5][2], sand[5][1]});
    std::map<int, V3> sandNormals = SmoothNormals(std::vector<Tri>(sand.begin(), sand.end() - 1));
    SpreadGivenNormals(sandNormals, kSandFirst);
    Group groupSand = MakeGroup("meshSand", 3, sand, sandNormals, kSandFirst);
    for (size_t k = 3; k < groupSand.rows.size(); ++k) {
        Row& r = groupSand.rows[k];
        r.u    = 0.5 + 3.8242 * r.p.x / (r.p.x >= 0 ? 225.3386 : 206.4321);
        r.v    = 0.5 - 3.6844 * r.p.z / (r.p.z >= 0 ? 189.9295 : 188.9324);
    }
    return groupSand;
}
