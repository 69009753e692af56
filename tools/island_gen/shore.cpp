// shore.cpp — the sandy shore that runs from the island's outline down to the sea floor
// far out under the sea plane.
#include <algorithm>
#include <cmath>
#include <vector>

#include "tools/island_gen/ground.h"
#include "tools/island_gen/island.h"
#include "tools/island_gen/surface.h"

namespace {

// The delta's far corner: with the gravel's sea edge it sets the slope on which the
// stream runs into the sea.
constexpr V3 kDeltaTip = {-45, -7.717, 142.5};

// The sea floor's rim: a rounded square (a superellipse) round this centre that reaches
// exactly the stated extents, at the floor's depth.
constexpr V3     kRimCentre = {9.45325, -50.4997, 0.49855};
constexpr double kRimEast = 225.3386, kRimWest = -206.4321, kRimNorth = 189.9295, kRimSouth = -188.9324;
constexpr double kRimRoundness = 2.35;
constexpr int    kRimPoints    = 50;

double Radians(double deg) { return deg * kPi / 180; }

// The unit superellipse's radius at an angle.
double RoundedSquare(double deg) {
    const double c = std::abs(std::cos(Radians(deg))), s = std::abs(std::sin(Radians(deg)));
    return std::pow(std::pow(c, kRimRoundness) + std::pow(s, kRimRoundness), -1 / kRimRoundness);
}

double AngleOf(const V3& p) {
    const double deg = std::atan2(p.z - kRimCentre.z, p.x - kRimCentre.x) * 180 / kPi;
    return deg < 0 ? deg + 360 : deg;
}

// Smooth step from 0 at a to 1 at b.
double Ease(double t, double a, double b) {
    const double u = std::clamp((t - a) / (b - a), 0.0, 1.0);
    return u * u * (3 - 2 * u);
}

// The rim: the two given corners of the floor's first face, neighbours on it, and fifty
// points more spread evenly over the rest of the turn. Both given corners lie at one
// depth in z, inside the rounded square; the rim is drawn in to them by a dent that
// eases in and out over half a quadrant, so the outline has no bite. Each half of the
// square is then stretched a little, so that its outermost point lies at the stated
// extent, the south's by search since the dent lies in it.
std::vector<V3> SeaFloorRim(const V3& givenA, const V3& givenB) {
    const double lo = std::min(AngleOf(givenA), AngleOf(givenB)), hi = std::max(AngleOf(givenA), AngleOf(givenB));
    const V3&    atLo = AngleOf(givenA) < AngleOf(givenB) ? givenA : givenB;
    const V3&    atHi = AngleOf(givenA) < AngleOf(givenB) ? givenB : givenA;
    constexpr double kEase = 45;
    auto point = [&](double deg, double south) {
        const double c = std::cos(Radians(deg)), s = std::sin(Radians(deg)), r = RoundedSquare(deg);
        return V3{kRimCentre.x + r * c * (c >= 0 ? kRimEast - kRimCentre.x : kRimCentre.x - kRimWest),
                  kRimCentre.y, kRimCentre.z + r * s * (s >= 0 ? kRimNorth - kRimCentre.z : south)};
    };
    auto radius = [](const V3& p) { return std::hypot(p.x - kRimCentre.x, p.z - kRimCentre.z); };
    auto rim = [&](double south) {
        const double inLo = radius(atLo) / radius(point(lo, south));
        const double inHi = radius(atHi) / radius(point(hi, south));
        std::vector<V3> points;
        for (int k = 1; k <= kRimPoints; ++k) {
            const double deg   = std::fmod(hi + k * (lo + 360 - hi) / (kRimPoints + 1), 360);
            const double wrap  = deg < hi ? deg + 360 : deg;   // measured on from the upper given corner
            const double scale = 1 - (1 - inHi) * (1 - Ease(wrap, hi, hi + kEase)) -
                                 (1 - inLo) * Ease(wrap, lo + 360 - kEase, lo + 360);
            const V3 p = point(deg, south);
            points.push_back({kRimCentre.x + (p.x - kRimCentre.x) * scale, p.y,
                              kRimCentre.z + (p.z - kRimCentre.z) * scale});
        }
        return points;
    };
    auto lowest = [](auto& points) {
        return std::min_element(points.begin(), points.end(), [](const V3& a, const V3& b) { return a.z < b.z; });
    };
    double low = kRimCentre.z - kRimSouth, high = 2 * low;
    for (int i = 0; i < 60; ++i) {
        const double mid = (low + high) / 2;
        const std::vector<V3> points = rim(mid);
        (lowest(points)->z > kRimSouth ? low : high) = mid;
    }
    std::vector<V3> points = rim(high);
    lowest(points)->z = kRimSouth;
    double east = kRimCentre.x, west = kRimCentre.x, north = kRimCentre.z;
    for (const V3& p : points) east = std::max(east, p.x), west = std::min(west, p.x), north = std::max(north, p.z);
    for (V3& p : points) {
        if (p.x > kRimCentre.x) p.x = kRimCentre.x + (p.x - kRimCentre.x) * (kRimEast - kRimCentre.x) / (east - kRimCentre.x);
        if (p.x < kRimCentre.x) p.x = kRimCentre.x + (p.x - kRimCentre.x) * (kRimCentre.x - kRimWest) / (kRimCentre.x - west);
        if (p.z > kRimCentre.z) p.z = kRimCentre.z + (p.z - kRimCentre.z) * (kRimNorth - kRimCentre.z) / (north - kRimCentre.z);
    }
    return points;
}

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
    for (const V3& p : SeaFloorRim(g_points[floorA], g_points[floorB])) {
        const int i = AddPoint(p.x, p.y, p.z);
        g_fixed.insert(i);
        shoreOuter.push_back(i);
    }
    shoreOuter.push_back(floorB);
    shoreOuter.push_back(floorA);
    std::sort(shoreOuter.begin(), shoreOuter.end(), [](int a, int b) {
        return AngleAround(g_points[a], kRimCentre) < AngleAround(g_points[b], kRimCentre);
    });
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
