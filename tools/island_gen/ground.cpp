// ground.cpp — the island's shape around the rock massif and the one height function
// the ground follows.
#include "tools/island_gen/ground.h"

#include <algorithm>
#include <cmath>

const V3 kRockCentre = {-25, 0, -21.5};

double AngleAround(V3 p, V3 centre) {
    double a = std::atan2(p.z - centre.z, p.x - centre.x) * 180 / kPi;
    return a < 0 ? a + 360 : a;
}
double RadiusAround(V3 p, V3 centre) { return std::hypot(p.x - centre.x, p.z - centre.z); }

void SortAroundRocks(Loop& loop) {
    std::sort(loop.begin(), loop.end(), [](int x, int y) { return AngleAround(g_points[x], kRockCentre) < AngleAround(g_points[y], kRockCentre); });
}

double AngleTable::At(double deg) const {
    deg = std::fmod(std::fmod(deg, 360) + 360, 360);
    for (size_t i = 0; i < rows.size(); ++i) {
        auto   p = rows[i], q = rows[(i + 1) % rows.size()];
        double span = std::fmod(q.first - p.first + 360, 360), off = std::fmod(deg - p.first + 360, 360);
        if (off <= span) return p.second + (q.second - p.second) * off / span;
    }
    return rows[0].second;
}

const AngleTable kFootRadius = {{{0, 38.5042},  {20, 39.5},    {40, 41},      {60, 40},      {75, 39.5},
                                 {90, 40.6586}, {105, 42},     {120, 45},     {139.3, 50.98}, {149.7, 45.0},
                                 {163, 40.2},   {177, 38.6},   {191, 38.5},   {205, 39},     {219, 40},
                                 {233, 40.5},   {247, 40.2},   {259, 40},     {270, 40.6196}, {284, 40},
                                 {300, 39.5},   {316, 39},     {332, 38.8},   {346, 38.6}}};
const AngleTable kFootHeight = {{{0, 27},     {20, 26},  {40, 27.5},    {60, 33},    {75, 38},    {90, 40},
                                 {105, 36},   {120, 26},   {139.3, 15.4789}, {149.7, 15.3243}, {163, 17},
                                 {177, 20},   {191, 25},   {205, 31},   {219, 37},   {233, 42},   {247, 45.5},
                                 {259, 47},   {270, 47.7275}, {284, 46.5}, {300, 44},  {316, 41},   {332, 39},
                                 {346, 34}}};

AngleTable g_outline;

std::vector<StreamSection> g_valley;

std::set<int> g_fixed;

int AddGiven(const Row& r) {
    int i = AddPoint(r.p.x, r.p.y, r.p.z);
    g_fixed.insert(i);
    return i;
}

namespace {

struct Bump {
    double x, z, height, radius;
};
const std::vector<Bump> kBumps = {{-66, 94, -5.5, 24}, {-5, 150, 0, 1}};

double Dome(double x, double z) {
    V3     p = {x, 0, z};
    double deg = AngleAround(p, kRockCentre), r = RadiusAround(p, kRockCentre);
    double foot = kFootRadius.At(deg), out = g_outline.At(deg);
    double s    = std::clamp((r - foot) / (out - foot), 0.0, 1.0);
    return -1.45 + (kFootHeight.At(deg) + 1.45) * std::pow(1 - s, 0.62);
}

}  // namespace

double Ground(double x, double z) {
    double h = Dome(x, z);
    for (const Bump& b : kBumps) h += b.height * std::exp(-((x - b.x) * (x - b.x) + (z - b.z) * (z - b.z)) / (b.radius * b.radius));
    double best = 1e9, floor = 0;
    for (size_t i = 0; i + 1 < g_valley.size(); ++i) {
        V3     a = {g_valley[i].x, 0, g_valley[i].z}, b = {g_valley[i + 1].x, 0, g_valley[i + 1].z};
        V3     ab = b - a, ap = V3{x, 0, z} - a;
        double t  = std::clamp(Dot(ap, ab) / Dot(ab, ab), 0.0, 1.0);
        V3     q  = a + ab * t;
        double d  = std::hypot(x - q.x, z - q.z);
        if (d < best) best = d, floor = g_valley[i].floor + (g_valley[i + 1].floor - g_valley[i].floor) * t;
    }
    double g = std::exp(-(best * best) / (16.0 * 16.0));
    return floor < h ? h + (floor - h) * g : h;
}

int GroundPoint(double x, double z) { return AddPoint(x, Ground(x, z), z); }

void ApplyPins(const std::vector<std::array<double, 3>>& pins, const std::vector<Tri>& tris) {
    for (int round = 0; round < 400; ++round)
        for (const auto& pin : pins) {
            Tri    t{};
            double y = GroundAt(pin[0], pin[1], tris, &t);
            if (y < -1e8) Fail("a pin lies off the ground");
            double delta = pin[2] - y;
            for (int i : t)
                if (!g_fixed.count(i)) g_points[i].y += delta * 0.7;
        }
}

double RayHit(double deg, const Loop& loop) {
    double dx = std::cos(deg * kPi / 180), dz = std::sin(deg * kPi / 180), best = 1e9;
    for (size_t i = 0; i < loop.size(); ++i) {
        V3     a = g_points[loop[i]], b = g_points[loop[(i + 1) % loop.size()]];
        double ex = b.x - a.x, ez = b.z - a.z, wx = a.x - kRockCentre.x, wz = a.z - kRockCentre.z;
        double den = dx * ez - dz * ex;
        if (std::abs(den) < 1e-12) continue;
        double t = (wx * ez - wz * ex) / den, s = (wx * dz - wz * dx) / den;
        if (t > 0 && s >= 0 && s <= 1) best = std::min(best, t);
    }
    return best;
}

std::vector<Tri> ZipRings(const Loop& outer, const Loop& inner) {
    auto angle = [](int i) { return AngleAround(g_points[i], kRockCentre); };
    size_t j0 = 0;
    double a0 = angle(outer[0]);
    double bestOff = 1e9;
    for (size_t j = 0; j < inner.size(); ++j) {
        double off = std::fmod(angle(inner[j]) - a0 + 360, 360);
        if (off < bestOff) bestOff = off, j0 = j;
    }
    auto unwrap = [&](double a) { return a0 + std::fmod(a - a0 + 360, 360); };
    std::vector<Tri> out;
    size_t           i = 0, j = 0, n = outer.size(), m = inner.size();
    while (i < n || j < m) {
        double ni = i < n ? (i + 1 < n ? unwrap(angle(outer[i + 1])) : a0 + 360) : 1e9;
        double nj = j < m ? (j + 1 < m ? unwrap(angle(inner[(j0 + j + 1) % m])) : unwrap(angle(inner[j0])) + 360) : 1e9;
        int    oi = outer[i % n], hj = inner[(j0 + j) % m];
        if (ni <= nj) {
            out.push_back({oi, hj, outer[(i + 1) % n]});
            ++i;
        } else {
            out.push_back({oi, hj, inner[(j0 + j + 1) % m]});
            ++j;
        }
    }
    return out;
}
