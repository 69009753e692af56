// island_gen.cpp — designs the island and writes the eight baked world tables.
//
// The ground is one height function (a dome that rises from the coast to the foot of the
// rock massif, with the stream's valley carved into it) sampled on a few closed loops:
// the coast, two rings inland and the rock foot. The bands between loops are cut into
// triangles by ear clipping, bridged so that the rows the world must start with come out
// as ears. Everything is deterministic; the program checks its own result and fails
// rather than write a table that breaks one of the world's properties.
//
//   island_gen OUTPUT.cpp
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

constexpr double kPi = 3.14159265358979323846;

struct V3 {
    double x, y, z;
};
V3     operator-(V3 a, V3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
V3     operator+(V3 a, V3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
V3     operator*(V3 a, double s) { return {a.x * s, a.y * s, a.z * s}; }
V3     Cross(V3 a, V3 b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
double Dot(V3 a, V3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
V3     Normalized(V3 a) {
    double l = std::sqrt(Dot(a, a));
    return a * (1.0 / l);
}

[[noreturn]] void Fail(const std::string& why) {
    std::fprintf(stderr, "island_gen: %s\n", why.c_str());
    std::exit(1);
}

// One position store for the whole world, so pieces that meet share their corners.
std::vector<V3> g_points;
int             AddPoint(double x, double y, double z) {
    g_points.push_back({x, y, z});
    return int(g_points.size()) - 1;
}

using Tri  = std::array<int, 3>;
using Loop = std::vector<int>;

// The y component of the face normal of a, b, c: positive when the corners run
// counter-clockwise seen from above.
double Turn(int a, int b, int c) {
    V3 p = g_points[a], q = g_points[b], r = g_points[c];
    return (q.z - p.z) * (r.x - p.x) - (q.x - p.x) * (r.z - p.z);
}
double LoopArea(const Loop& loop) {
    double area = 0;
    for (size_t i = 0; i < loop.size(); ++i) {
        V3 p = g_points[loop[i]], q = g_points[loop[(i + 1) % loop.size()]];
        area += p.z * q.x - p.x * q.z;
    }
    return area / 2;
}
void MakeCounterClockwise(Loop& loop) {
    if (LoopArea(loop) < 0) std::reverse(loop.begin(), loop.end());
}

bool InsideTriangle2D(V3 p, int a, int b, int c) {
    auto side = [&](int i, int j) {
        V3 s = g_points[i], t = g_points[j];
        return (t.z - s.z) * (p.x - s.x) - (t.x - s.x) * (p.z - s.z);
    };
    return side(a, b) > 1e-9 && side(b, c) > 1e-9 && side(c, a) > 1e-9;
}

double MinAngle(int a, int b, int c) {
    auto angle = [&](int o, int p, int q) {
        V3 u = g_points[p] - g_points[o], w = g_points[q] - g_points[o];
        u.y = w.y = 0;
        return std::acos(std::clamp(Dot(u, w) / std::sqrt(Dot(u, u) * Dot(w, w)), -1.0, 1.0));
    };
    return std::min({angle(a, b, c), angle(b, c, a), angle(c, a, b)});
}

// Ear clipping of a counter-clockwise polygon, which may pass a corner twice where a
// bridge joins a hole. `first` is clipped before all others and must be an ear; after it
// the ear with the shortest new edge goes next.
std::vector<Tri> ClipEars(Loop poly, const std::vector<Tri>& first) {
    std::vector<Tri> out;
    auto             isEar = [&](size_t i) {
        size_t n = poly.size();
        int    a = poly[(i + n - 1) % n], b = poly[i], c = poly[(i + 1) % n];
        if (a == b || b == c || a == c || Turn(a, b, c) <= 1e-9) return false;
        for (int p : poly)
            if (p != a && p != b && p != c && InsideTriangle2D(g_points[p], a, b, c)) return false;
        return true;
    };
    for (const Tri& want : first) {
        bool found = false;
        for (size_t i = 0; i < poly.size() && !found; ++i) {
            size_t n = poly.size();
            Tri    t = {poly[(i + n - 1) % n], poly[i], poly[(i + 1) % n]};
            if (std::set<int>(t.begin(), t.end()) != std::set<int>(want.begin(), want.end())) continue;
            if (!isEar(i)) Fail("a required first triangle is not an ear");
            out.push_back(t);
            poly.erase(poly.begin() + long(i));
            found = true;
        }
        if (!found) Fail("a required first triangle is not in its band");
    }
    while (poly.size() > 3) {
        size_t n = poly.size(), best = n;
        double bestAngle = -1;
        for (size_t i = 0; i < n; ++i) {
            if (!isEar(i)) continue;
            // The shortest new edge first, which zips a band across instead of fanning.
            V3     d = g_points[poly[(i + n - 1) % n]] - g_points[poly[(i + 1) % n]];
            double q = -(d.x * d.x + d.z * d.z) * (1.2 - MinAngle(poly[(i + n - 1) % n], poly[i], poly[(i + 1) % n]));
            if (q > bestAngle || best == n) bestAngle = q, best = i;
        }
        if (best == n) Fail("a band has no ear left");
        out.push_back({poly[(best + n - 1) % n], poly[best], poly[(best + 1) % n]});
        poly.erase(poly.begin() + long(best));
    }
    if (Turn(poly[0], poly[1], poly[2]) <= 0) Fail("a band ends in a flat triangle");
    out.push_back({poly[0], poly[1], poly[2]});
    return out;
}

// The band between an outer and an inner counter-clockwise loop, joined by a bridge from
// outer[bridgeOuter] to inner[bridgeInner]; the two triangles next to the bridge are
// ears from the start.
Loop Bridge(const Loop& outer, size_t bridgeOuter, const Loop& inner, size_t bridgeInner) {
    Loop poly;
    for (size_t k = 0; k <= outer.size(); ++k) poly.push_back(outer[(bridgeOuter + k) % outer.size()]);
    for (size_t k = 0; k <= inner.size(); ++k)
        poly.push_back(inner[(bridgeInner + inner.size() * 2 - k) % inner.size()]);
    return poly;
}

size_t IndexOf(const Loop& loop, int point) {
    auto it = std::find(loop.begin(), loop.end(), point);
    if (it == loop.end()) Fail("a bridge corner is not on its loop");
    return size_t(it - loop.begin());
}


bool SegmentsCross(V3 a, V3 b, V3 c, V3 d) {
    auto side = [](V3 p, V3 q, V3 r) { return (q.z - p.z) * (r.x - p.x) - (q.x - p.x) * (r.z - p.z); };
    double d1 = side(a, b, c), d2 = side(a, b, d), d3 = side(c, d, a), d4 = side(c, d, b);
    return ((d1 > 0) != (d2 > 0)) && ((d3 > 0) != (d4 > 0)) && d1 != 0 && d2 != 0 && d3 != 0 && d4 != 0;
}

// A band can be cut only when its two loops are simple and keep apart.
void CheckLoops(const Loop& a, const Loop& b, const char* band) {
    std::vector<std::pair<int, int>> edges;
    for (const Loop* l : {&a, &b})
        for (size_t i = 0; i < l->size(); ++i) edges.push_back({(*l)[i], (*l)[(i + 1) % l->size()]});
    for (size_t i = 0; i < edges.size(); ++i)
        for (size_t j = i + 1; j < edges.size(); ++j) {
            auto [p, q] = edges[i];
            auto [r, s] = edges[j];
            if (p == r || p == s || q == r || q == s) continue;
            if (SegmentsCross(g_points[p], g_points[q], g_points[r], g_points[s]))
                Fail(std::string(band) + ": edges cross near (" + std::to_string(g_points[p].x) + ", " +
                     std::to_string(g_points[p].z) + ") and (" + std::to_string(g_points[r].x) + ", " +
                     std::to_string(g_points[r].z) + ")");
        }
}

// Triangles of a band whose first triangle is (outer a, outer b, inner c), a and b
// neighbours on the outer loop.
std::vector<Tri> TriangulateBand(const Loop& outer, const Loop& inner, int a, int b, int c) {
    CheckLoops(outer, inner, "band");
    size_t ia = IndexOf(outer, a), ib = IndexOf(outer, b), ic = IndexOf(inner, c);
    if ((ia + 1) % outer.size() == ib) return ClipEars(Bridge(outer, ib, inner, ic), {{a, b, c}});
    if ((ib + 1) % outer.size() == ia) return ClipEars(Bridge(outer, ia, inner, ic), {{b, a, c}});
    Fail("the first triangle's outer corners are not neighbours");
}

// A strip between two polylines that start and end together, zipped by their relative
// position along each line.
std::vector<Tri> ZipStrip(const Loop& left, const Loop& right) {
    std::vector<Tri> out;
    size_t           i = 0, j = 0;
    while (i + 1 < left.size() || j + 1 < right.size()) {
        double ti = i + 1 < left.size() ? double(i + 1) / double(left.size() - 1) : 2;
        double tj = j + 1 < right.size() ? double(j + 1) / double(right.size() - 1) : 2;
        if (ti <= tj) {
            out.push_back({left[i], left[i + 1], right[j]});
            ++i;
        } else {
            out.push_back({right[j], left[i], right[j + 1]});
            ++j;
        }
    }
    return out;
}

// Orients every triangle to face up.
void FaceUp(std::vector<Tri>& tris) {
    for (Tri& t : tris)
        if (Turn(t[0], t[1], t[2]) < 0) std::swap(t[1], t[2]);
}

// ---------------------------------------------------------------------------------
// The design.

const V3 kRockCentre = {-25, 0, -21.5};

double AngleAround(V3 p, V3 centre) {
    double a = std::atan2(p.z - centre.z, p.x - centre.x) * 180 / kPi;
    return a < 0 ? a + 360 : a;
}
double RadiusAround(V3 p, V3 centre) { return std::hypot(p.x - centre.x, p.z - centre.z); }

// Periodic piecewise-linear table over degrees.
struct AngleTable {
    std::vector<std::pair<double, double>> rows;
    double                                 At(double deg) const {
        deg = std::fmod(std::fmod(deg, 360) + 360, 360);
        for (size_t i = 0; i < rows.size(); ++i) {
            auto   p = rows[i], q = rows[(i + 1) % rows.size()];
            double span = std::fmod(q.first - p.first + 360, 360), off = std::fmod(deg - p.first + 360, 360);
            if (off <= span) return p.second + (q.second - p.second) * off / span;
        }
        return rows[0].second;
    }
};

// Rock foot: radius and height around the rock centre, by angle.
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

// The island's outline radius around the rock centre (coast, pad edge, gravel shore).
AngleTable g_outline;

struct Bump {
    double x, z, height, radius;
};
std::vector<Bump> g_bumps = {{-66, 94, -5.5, 24}, {-5, 150, 0, 1}};

// The stream's centre line and the valley floor under it.
struct StreamSection {
    double x, z, floor;
};
std::vector<StreamSection> g_valley;

// How far the gravel bed's top edge bows away from the rocks between its ends.
constexpr double kTopBow = 4.0;

// How far the stream's water line keeps above the ground across its bed.
constexpr double kStreamClearance = 0.15;

double Dome(double x, double z) {
    V3     p = {x, 0, z};
    double deg = AngleAround(p, kRockCentre), r = RadiusAround(p, kRockCentre);
    double foot = kFootRadius.At(deg), out = g_outline.At(deg);
    double s    = std::clamp((r - foot) / (out - foot), 0.0, 1.0);
    return -1.45 + (kFootHeight.At(deg) + 1.45) * std::pow(1 - s, 0.62);
}

double Ground(double x, double z) {
    double h = Dome(x, z);
    for (const Bump& b : g_bumps) h += b.height * std::exp(-((x - b.x) * (x - b.x) + (z - b.z) * (z - b.z)) / (b.radius * b.radius));
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

// ---------------------------------------------------------------------------------
// Rows and groups.

struct Row {
    V3     n;
    double u, v;
    V3     p;
};
struct Group {
    const char*      name;
    int              texture;
    bool             flat;
    std::vector<Row> rows;
};

double Round4(double v) {
    double r = std::round(v * 10000) / 10000;
    return r == 0 ? 0 : r;
}

V3 FaceNormal(const Tri& t) {
    return Normalized(Cross(g_points[t[1]] - g_points[t[0]], g_points[t[2]] - g_points[t[0]]));
}

// One area-weighted normal per position over the given triangles.
std::map<int, V3> SmoothNormals(const std::vector<Tri>& tris) {
    std::map<int, V3> sum;
    for (const Tri& t : tris) {
        V3 n = Cross(g_points[t[1]] - g_points[t[0]], g_points[t[2]] - g_points[t[0]]);
        for (int i : t) sum[i] = sum[i] + n;
    }
    for (auto& [i, n] : sum) n = Normalized(n);
    return sum;
}

// Turns a normal to the given height component, keeping its horizontal direction.
V3 WithNy(V3 n, double ny) {
    double h = std::hypot(n.x, n.z), k = std::sqrt(1 - ny * ny);
    return h < 1e-9 ? V3{k, ny, 0} : V3{n.x / h * k, ny, n.z / h * k};
}

// Moves the triangle that matches `given` (by position) to the front, with the given
// order, rows and normals.
void PutFirst(std::vector<Tri>& tris, const std::vector<Row>& given) {
    auto find = [&](V3 p) {
        for (size_t i = 0; i < g_points.size(); ++i)
            if (std::abs(g_points[i].x - p.x) < 1e-6 && std::abs(g_points[i].y - p.y) < 1e-6 &&
                std::abs(g_points[i].z - p.z) < 1e-6)
                return int(i);
        Fail("a given row's position is not in the world");
    };
    Tri want = {find(given[0].p), find(given[1].p), find(given[2].p)};
    for (size_t i = 0; i < tris.size(); ++i) {
        if (std::set<int>(tris[i].begin(), tris[i].end()) != std::set<int>(want.begin(), want.end())) continue;
        tris.erase(tris.begin() + long(i));
        tris.insert(tris.begin(), want);
        return;
    }
    Fail("the given first triangle was not built");
}

void PrintGroup(FILE* f, const Group& g, const char* rowsName) {
    std::fprintf(f, "const MeshVertex %s[%zu] = {\n", rowsName, g.rows.size());
    for (const Row& r : g.rows) {
        auto num = [](double v) {
            char buf[32];
            std::snprintf(buf, sizeof buf, "%.4f", Round4(v));
            std::string s = buf;
            while (s.back() == '0') s.pop_back();
            if (s.back() == '.') s.pop_back();
            if (s == "-0") s = "0";
            return s + (s.find('.') != std::string::npos ? "f" : "");
        };
        std::fprintf(f, "    {%s, %s, %s, %s, %s, %s, %s, %s},\n", num(r.n.x).c_str(), num(r.n.y).c_str(),
                     num(r.n.z).c_str(), num(r.u).c_str(), num(r.v).c_str(), num(r.p.x).c_str(),
                     num(r.p.y).c_str(), num(r.p.z).c_str());
    }
    std::fprintf(f, "};\n\n");
}

}  // namespace
namespace {

Row GivenRow(double nx, double ny, double nz, double u, double v, double x, double y, double z) {
    return {{nx, ny, nz}, u, v, {x, y, z}};
}

std::set<int> g_fixed;  // positions the design takes as given; pins never move them

// Highest ground under (x, z) among the given triangles, or a very low value off them.
double GroundAt(double x, double z, const std::vector<Tri>& tris, Tri* hit = nullptr) {
    double best = -1e9;
    for (const Tri& t : tris) {
        V3     a = g_points[t[0]], b = g_points[t[1]], c = g_points[t[2]];
        double d = (b.z - c.z) * (a.x - c.x) + (c.x - b.x) * (a.z - c.z);
        if (std::abs(d) < 1e-12) continue;
        double l1 = ((b.z - c.z) * (x - c.x) + (c.x - b.x) * (z - c.z)) / d;
        double l2 = ((c.z - a.z) * (x - c.x) + (a.x - c.x) * (z - c.z)) / d;
        double l3 = 1 - l1 - l2;
        if (l1 < -1e-9 || l2 < -1e-9 || l3 < -1e-9) continue;
        double y = l1 * a.y + l2 * b.y + l3 * c.y;
        if (y > best) {
            best = y;
            if (hit) *hit = t;
        }
    }
    return best;
}

// Nudges the movable corners under each pin until the ground there has the pin's height.
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

// Distance from the rock centre along the ray at `deg` to the first crossing of `loop`.
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

// Rings around the rock centre zipped by angle; the orientation follows the rings, so a
// ring that juts out beyond the one below it makes downward faces (overhangs).
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

Group MakeGroup(const char* name, int texture, const std::vector<Tri>& tris, const std::map<int, V3>& normals,
                const std::vector<Row>& given) {
    Group g{name, texture, false, {}};
    for (size_t k = 0; k < tris.size(); ++k)
        for (int c = 0; c < 3; ++c) {
            int i = tris[k][c];
            g.rows.push_back({normals.at(i), 0, 0, g_points[i]});
        }
    for (size_t k = 0; k < given.size(); ++k) g.rows[k] = given[k];
    return g;
}

// Sets the normals of the given rows' positions everywhere in the table.
void SpreadGivenNormals(std::map<int, V3>& normals, const std::vector<Row>& given) {
    for (const Row& r : given)
        for (auto& [i, n] : normals)
            if (std::abs(g_points[i].x - r.p.x) < 1e-6 && std::abs(g_points[i].z - r.p.z) < 1e-6 &&
                std::abs(g_points[i].y - r.p.y) < 1e-6)
                n = r.n;
}

// Bends the extreme normal heights of a table to the stated range, leaving given
// positions; the bent normals are taken where every face around them still agrees.
void FitNormalRange(std::map<int, V3>& normals, double lo, double hi, const std::set<int>& keep,
                    const std::vector<Tri>& tris) {
    for (auto& [i, n] : normals)
        if (!keep.count(i)) n = WithNy(n, std::clamp(n.y, lo, hi));
    auto agrees = [&](int i, V3 n) {
        for (const Tri& t : tris)
            if ((t[0] == i || t[1] == i || t[2] == i) && Dot(FaceNormal(t), n) <= 0.05) return false;
        return true;
    };
    std::vector<int> order;
    for (auto& [i, n] : normals)
        if (!keep.count(i)) order.push_back(i);
    std::sort(order.begin(), order.end(), [&](int a, int b) { return normals[a].y < normals[b].y; });
    bool doneLo = false, doneHi = false;
    for (int i : order)
        if (!doneLo && agrees(i, WithNy(normals[i], lo))) normals[i] = WithNy(normals[i], lo), doneLo = true;
    for (auto it = order.rbegin(); it != order.rend(); ++it)
        if (!doneHi && agrees(*it, WithNy(normals[*it], hi))) normals[*it] = WithNy(normals[*it], hi), doneHi = true;
    if (!doneLo || !doneHi) Fail("no position can carry a normal at the end of its range");
}

void RemapRange(std::vector<Row>& rows, size_t skip, bool useU, double lo, double hi) {
    double mn = 1e18, mx = -1e18;
    for (size_t k = skip; k < rows.size(); ++k) {
        double w = useU ? rows[k].u : rows[k].v;
        mn = std::min(mn, w), mx = std::max(mx, w);
    }
    for (size_t k = skip; k < rows.size(); ++k) {
        double& w = useU ? rows[k].u : rows[k].v;
        w         = lo + (w - mn) / (mx - mn) * (hi - lo);
    }
}

// One texture axis for the rows from `skip` on, three to a triangle: scale * raw plus an
// offset, each triangle moved by whole turns of the picture (invisible with repeat) to lie
// within [lo, hi]. Empty when some triangle is too large to fit.
std::vector<double> FitAxis(const std::vector<double>& raw, double scale, double offset, double lo, double hi) {
    std::vector<double> w(raw.size());
    for (size_t t = 0; t + 2 < raw.size(); t += 3) {
        double mn = 1e18, mx = -1e18;
        for (size_t c = t; c < t + 3; ++c) mn = std::min(mn, scale * raw[c] + offset), mx = std::max(mx, scale * raw[c] + offset);
        const double turns = std::ceil(lo - mn - 1e-9);
        if (mx + turns > hi + 1e-9) return {};
        for (size_t c = t; c < t + 3; ++c) w[c] = scale * raw[c] + offset + turns;
    }
    return w;
}

// The scale nearest `nominal` (within 15 %) at which one corner lies exactly on lo and
// another, its triangle raised by further whole turns, exactly on hi; the coordinates it
// gives, or empty when there is none.
std::vector<double> FitAxisExactly(const std::vector<double>& raw, double nominal, double lo, double hi, double* scale) {
    std::vector<double> best;
    double              bestMiss = 0.15 * nominal;
    for (size_t a = 0; a < raw.size(); ++a)
        for (size_t b = 0; b < raw.size(); ++b) {
            if (a / 3 == b / 3 || std::abs(raw[b] - raw[a]) < 1e-6) continue;
            for (int turns = -4; turns <= 4; ++turns) {
                const double s = (hi - lo - turns) / (raw[b] - raw[a]);
                if (s <= 0 || std::abs(s - nominal) >= bestMiss) continue;
                std::vector<double> w = FitAxis(raw, s, lo - s * raw[a], lo, hi);
                if (w.empty()) continue;
                const size_t t     = b / 3 * 3;
                const double raise = std::round(hi - w[b]);
                if (raise < 0 || std::abs(hi - w[b] - raise) > 1e-9 || w[b] < std::max({w[t], w[t + 1], w[t + 2]})) continue;
                for (size_t c = t; c < t + 3; ++c) w[c] += raise;
                const auto [mn, mx] = std::minmax_element(w.begin(), w.end());
                if (std::abs(*mn - lo) > 1e-9 || std::abs(*mx - hi) > 1e-9) continue;
                best = w, bestMiss = std::abs(s - nominal), *scale = s;
            }
        }
    return best;
}

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

int FindPoint(V3 p) {
    for (size_t i = 0; i < g_points.size(); ++i)
        if (std::abs(g_points[i].x - p.x) < 1e-6 && std::abs(g_points[i].z - p.z) < 1e-6 &&
            std::abs(g_points[i].y - p.y) < 1e-6)
            return int(i);
    Fail("missing point");
}

std::set<int> PointsOf(const std::vector<Row>& given) {
    std::set<int> s;
    for (const Row& r : given) s.insert(FindPoint(r.p));
    return s;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) Fail("usage: island_gen OUTPUT.cpp");

    // The landing pad and its three sloped borders, as the world states them.
    const std::vector<Row> padRows = {
        GivenRow(-0.0005, 1, -0.0001, 1.9155, -1.0007, 106.8778, 1.0225, 37.5031),
        GivenRow(-0.0005, 1, -0.0001, 2.962, -0.34, 128.1765, 1.0314, 53.3475),
        GivenRow(-0.0005, 1, -0.0001, -2.109, 0.4012, 97.2857, 1.0303, -54.8711),
        GivenRow(0.0001, 1, 0, 2.9228, 0.3673, 140.8053, 1.0303, 46.9161),
        GivenRow(0.0001, 1, 0, -2.109, 0.4012, 97.2857, 1.0303, -54.8711),
        GivenRow(0.0001, 1, 0, 2.962, -0.34, 128.1765, 1.0314, 53.3475),
        GivenRow(0, 1, 0, -0.4822, 1.135, 91.4026, 1.0303, -2.2744),
        GivenRow(0, 1, 0, -1.1358, 0.7461, 99.0658, 1.0303, 10.8635),
        GivenRow(0, 1, 0, 2.1501, 0.8638, 97.2857, 1.0303, -54.8711),
        GivenRow(0.001, 1, 0.0005, 0.6634, -0.8278, 99.0658, 1.0303, 10.8635),
        GivenRow(0.001, 1, 0.0005, 1.9155, -1.0007, 106.8778, 1.0225, 37.5031),
        GivenRow(0.001, 1, 0.0005, -2.109, 0.4012, 97.2857, 1.0303, -54.8711),
        GivenRow(0, 1, 0, 1.2151, 1.1382, 91.9562, 1.0303, -44.1313),
        GivenRow(0, 1, 0, -0.8691, 0.947, 91.4026, 1.0303, -2.2744),
        GivenRow(0, 1, 0, 1.777, 0.9293, 97.2857, 1.0303, -54.8711),
    };
    const std::vector<Row> wallRows = {
        GivenRow(0.5235, 0.851, 0.0406, -1.3685, 0.329, 143.9638, -1.5475, 46.5545),
        GivenRow(0.5235, 0.851, 0.0406, 2.3826, 0.5461, 99.7889, -1.5058, -59.5576),
        GivenRow(0.5235, 0.851, 0.0406, 2.3355, 0.6998, 97.2857, 1.0303, -54.8711),
        GivenRow(0.6445, 0.7634, 0.0434, 2.3355, 0.6998, 97.2857, 1.0303, -54.8711),
        GivenRow(0.6445, 0.7634, 0.0434, -1.3459, 0.4588, 140.8053, 1.0303, 46.9161),
        GivenRow(0.6445, 0.7634, 0.0434, -1.3685, 0.329, 143.9638, -1.5475, 46.5545),
        GivenRow(0.0196, 0.4149, 0.9097, 0.7982, 0.4115, 143.9638, -1.5475, 46.5545),
        GivenRow(0.0196, 0.4149, 0.9097, 0.7104, 0.4996, 140.8053, 1.0303, 46.9161),
        GivenRow(0.0196, 0.4149, 0.9097, 0.1918, 0.5168, 127.675, -1.5613, 55.3074),
        GivenRow(-0.0001, 0.5055, 0.8628, 0.1918, 0.5168, 127.675, -1.5613, 55.3074),
        GivenRow(-0.0001, 0.5055, 0.8628, 0.7104, 0.4996, 140.8053, 1.0303, 46.9161),
        GivenRow(-0.0001, 0.5055, 0.8628, 0.2448, 0.578, 128.1765, 1.0314, 53.3475),
        GivenRow(-0.7132, 0.5897, 0.379, 2, 0, 127.675, -1.5613, 55.3074),
        GivenRow(-0.7132, 0.5897, 0.379, 0, 0, 128.1765, 1.0314, 53.3475),
        GivenRow(-0.7132, 0.5897, 0.379, 2, 2, 111.3148, -1.4415, 43.7381),
        GivenRow(-0.6483, 0.6905, 0.3209, 2, 2, 111.3148, -1.4415, 43.7381),
        GivenRow(-0.6483, 0.6905, 0.3209, 0, 0, 128.1765, 1.0314, 53.3475),
        GivenRow(-0.6483, 0.6905, 0.3209, 2, 0, 106.8778, 1.0225, 37.5031),
    };
    const std::vector<Row> terrainFirst = {
        GivenRow(-0.3267, 0.9323, 0.1554, 0.9434, 0.5214, -117.6148, -1.4894, 95.9145),
        GivenRow(-0.2184, 0.9498, 0.2239, 0.9958, 0.7648, -115.4139, -1.4894, 103.5109),
        GivenRow(-0.23, 0.9623, 0.1451, 0.01, 0.2735, -91.6133, 11.877, 70.3988)};
    const std::vector<Row> rocksFirst = {
        GivenRow(-0.9025, 0.4223, 0.0845, 1.7166, -0.0168, -63.8634, 15.3243, 1.2104),
        GivenRow(-0.8487, 0.5056, 0.155, 2.2153, -0.023, -63.6318, 15.4789, 11.7653),
        GivenRow(-0.676, 0.6432, 0.3596, 1.736, 0.7781, -52.6261, 37.1864, 1.2104)};
    const std::vector<Row> gravelFirst = {
        GivenRow(0, 0.9615, 0.2748, -0.1866, 0.0067, -34.8802, 11.8491, 92.4899),
        GivenRow(0, 0.9291, 0.3699, 1.44, 0.1095, -42.1731, -1.3791, 125.7105),
        GivenRow(0.1846, 0.9269, 0.3268, -0.3371, 0.5318, -23.4812, 11.8491, 92.4899)};
    const std::vector<Row> sandFirst = {
        GivenRow(-0.1111, 0.7905, -0.6024, 4.3242, 2.1157, 119.5495, -50.4997, -171.617),
        GivenRow(-0.2808, 0.7714, -0.571, 1.6307, 2.1157, 38.7459, -50.4997, -171.617),
        GivenRow(-0.1355, 0.8084, -0.5728, 1.2798, -0.7806, 28.2191, -1.4169, -99.8541)};
    const std::vector<Row> streamFirst = {
        GivenRow(-0.0508, 0.9912, 0.1222, 0.5214, 0.352, -11.4686, 10.7865, 78.6628),
        GivenRow(0.0132, 0.8799, 0.475, 0.4497, 0.2575, -15.9452, 7.438, 90.4674),
        GivenRow(-0.0364, 0.8544, 0.5184, 0.6965, 0.2797, -0.5362, 10.7865, 87.6902)};
    const std::vector<Row> seaFirst = {
        GivenRow(0, 1, 0, -189.2066, 149.1716, -10635.995, -3.9046, -8377.501),
        GivenRow(0, 1, 0, 0.9855, 1.6058, 28.2192, -3.9046, -103.3749),
        GivenRow(0, 1, 0, 189.2066, 149.1716, 10581.922, -3.9046, -8377.501)};

    auto given = [&](const Row& r) {
        int i = AddPoint(r.p.x, r.p.y, r.p.z);
        g_fixed.insert(i);
        return i;
    };
    // Pad corners and the feet of its borders.
    int padNW = given(padRows[0]), padS = given(padRows[2]);
    given(padRows[1]), given(padRows[3]);
    int padW = given(padRows[6]), padWN = given(padRows[7]), padSW = given(padRows[12]);
    int footE = given(wallRows[0]), footS = given(wallRows[1]), footN = given(wallRows[8]), footW = given(wallRows[14]);

    // Gravel bed: four lines from its top near the rocks to the shore, west to east.
    int  gravelTopWest = AddPoint(-34, 33.9963, 31);
    int  coastGravelW  = AddPoint(-52.4699, -1.372, 121.0);
    int  shoreA        = given(gravelFirst[1]);
    int  shoreB        = AddPoint(-26, -1.371, 125.2);
    int  shoreF        = AddPoint(-6, -1.368, 123.5);
    int  coastGravelE  = AddPoint(31.5679, -1.365, 117.0);
    int  rowA          = given(gravelFirst[0]);
    int  rowB          = given(gravelFirst[2]);
    V3   topE          = {19.5, 0, 7.1389};
    V3   topW          = g_points[gravelTopWest];
    // West bank, two slope lines, the valley floor under the stream, east bank.
    Loop lineL, lineA, lineB, lineF, lineR;
    g_fixed.insert({gravelTopWest, coastGravelW, shoreB, shoreF, coastGravelE});
    for (int i = 0; i <= 8; ++i) {
        double t = i / 8.0;
        if (i == 0) lineL.push_back(gravelTopWest);
        else if (i == 8) lineL.push_back(coastGravelW);
        else {
            V3 p = topW + (g_points[coastGravelW] - topW) * t;
            lineL.push_back(AddPoint(p.x - 4 * std::sin(t * kPi), 0, p.z));
        }
        V3 q = topE + (g_points[coastGravelE] - topE) * t;
        lineR.push_back(i == 8 ? coastGravelE : AddPoint(q.x + 3 * std::sin(t * kPi), 0, q.z));
    }
    // The bed's top edge bows away from the rocks: were its corners in line (the valley
    // floor's first point lies on the straight edge), the terrain above it would close the
    // gap with a face standing on edge; bowed the other way, the terrain between the edge
    // and the rock foot gets too narrow for its height.
    V3 topA = topW + (topE - topW) * 0.3, topB = topW + (topE - topW) * 0.6;
    {
        V3     along = topE - topW;
        double len   = std::hypot(along.x, along.z);
        V3     bow   = {-along.z / len, 0, along.x / len};   // across the edge, away from the rocks
        topA         = topA + bow * kTopBow;
        topB         = topB + bow * kTopBow;
    }
    for (int i = 0; i <= 10; ++i) {
        if (i == 9) {
            lineA.push_back(rowA), lineB.push_back(rowB);
            continue;
        }
        if (i == 10) {
            lineA.push_back(shoreA), lineB.push_back(shoreB);
            continue;
        }
        double t = i / 9.0;
        V3     a = topA + (g_points[rowA] - topA) * t, b = topB + (g_points[rowB] - topB) * t;
        lineA.push_back(AddPoint(a.x, 0, a.z));
        lineB.push_back(AddPoint(b.x + 2 * std::sin(t * kPi), 0, b.z));
    }
    const double floorLine[10][3] = {{11.5, 10.7, 24.0}, {9.5, 20, 21.8},  {7, 30, 19.6},      {4.5, 40, 17.4},
                                     {2, 50, 15.3},      {-0.5, 60, 13.4}, {-4, 69, 11.8},     {-11.2, 78.6, 10.0},
                                     {-13.6, 84.5, 8.4}, {-15.6, 90.4, 6.7}};
    for (size_t k = 0; k < 10; ++k) {
        const auto& f = floorLine[k];
        int         i = AddPoint(f[0], f[2], f[1]);
        g_fixed.insert(i);
        lineF.push_back(i);
    }
    lineF.push_back(shoreF);

    // The coast, counter-clockwise from the gravel's west corner.
    const std::vector<std::pair<double, double>> coastArcWest = {
        {104, 152.09}, {114, 156},   {-1, 0},     {-2, 0},     {142, 124},  {158, 106},  {168, 101.5},
        {180, 100.8073}, {194, 100}, {200, 99.5}, {218, 96},   {240, 92},
        {256, 89},     {270, 89.3957}, {284, 90},  {-3, 0},     {318, 105},  {331, 117}};
    const std::vector<std::pair<double, double>> coastArcEast = {
        {28.5, 157.31}, {37, 152}, {46, 149}, {55, 148.5}, {62, 149}};
    Loop coastWest, coastEast;
    int  coastTerrainA = given(terrainFirst[0]), coastTerrainB = given(terrainFirst[1]);
    int  coastSand     = given(sandFirst[2]);
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
    Loop outline = {coastGravelW};
    outline.insert(outline.end(), coastWest.begin(), coastWest.end());
    for (int i : {footS, padS, padSW, padW, padWN, padNW, footW}) outline.push_back(i);
    outline.insert(outline.end(), coastEast.begin(), coastEast.end());
    for (int i : {coastGravelE, shoreF, shoreB, shoreA}) outline.push_back(i);
    for (int i : outline) g_outline.rows.push_back({AngleAround(g_points[i], kRockCentre), RadiusAround(g_points[i], kRockCentre)});
    std::sort(g_outline.rows.begin(), g_outline.rows.end());

    // The valley the stream runs in, from its source beside the rocks to the sea.
    g_valley = {{16, -4.4, 25.45},  {12.6, 10, 22.5},  {8.2, 24, 20.0},  {4.3, 38.5, 17.6}, {0.6, 54, 15.0},
                {-2.8, 70, 12.0},   {-6, 77, 10.0},    {-8.2, 89.1, 7.2}, {-20.5, 105, 3.0}, {-31, 117, -0.3},
                {-38, 127.5, -3.0}, {-41, 135, -5.5}};

    for (Loop* line : {&lineL, &lineA, &lineB, &lineR})
        for (int i : *line)
            if (!g_fixed.count(i)) g_points[i].y = std::min(Ground(g_points[i].x, g_points[i].z), 33.2);
    // The east bank stays low beside the stream's lower reach, so the water lies in its bed.
    for (int k = 3; k <= 7; ++k) {
        double floor = g_points[lineF[size_t(k + 2)]].y;
        g_points[lineR[size_t(k)]].y = std::min(g_points[lineR[size_t(k)]].y, floor + 2.0);
    }
    // The floor follows the valley down to where the stream's given banks take over.
    for (int k = 0; k < 7; ++k) g_points[lineF[size_t(k)]].y = std::min(Ground(g_points[lineF[size_t(k)]].x, g_points[lineF[size_t(k)]].z), 25.2) - 0.3;

    // The terrain's outer loop: coast, pad edge, and the gravel's banks and top.
    Loop coast = coastWest;
    for (int i : {footS, padS, padSW, padW, padWN, padNW, footW}) coast.push_back(i);
    coast.insert(coast.end(), coastEast.begin(), coastEast.end());
    for (auto it = lineR.rbegin(); it != lineR.rend(); ++it) coast.push_back(*it);
    coast.push_back(lineF[0]);
    coast.push_back(lineB[0]);
    coast.push_back(lineA[0]);
    for (int i : lineL) coast.push_back(i);
    std::reverse(coast.begin(), coast.end());
    coast.insert(coast.begin(), coast.back());
    coast.pop_back();
    MakeCounterClockwise(coast);

    // Rock foot, shared by the terrain and the massif.
    const double footAngles[24] = {0, 20, 40, 60, 75, 90, 105, 120, -1, -2, 163, 177, 191, 205, 219, 233, 247, 259, 270, 284, 300, 316, 332, 346};
    Loop         foot;
    int          footA = given(rocksFirst[0]), footB = given(rocksFirst[1]);
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
    int  innerTerrain = given(terrainFirst[2]);
    Loop ring1        = ring(34, AngleAround(g_points[innerTerrain], kRockCentre), 0.6, innerTerrain);
    Loop ring2        = ring(28, 3, 0.3, -1);
    MakeCounterClockwise(ring1), MakeCounterClockwise(ring2), MakeCounterClockwise(foot);

    std::vector<Tri> terrain = TriangulateBand(coast, ring1, coastTerrainA, coastTerrainB, innerTerrain);
    {
        Loop a = ring1, b = ring2, c = foot;
        for (Loop* l : {&a, &b, &c})
            std::sort(l->begin(), l->end(), [](int x, int y) { return AngleAround(g_points[x], kRockCentre) < AngleAround(g_points[y], kRockCentre); });
        for (const Tri& t : ZipRings(a, b)) terrain.push_back(t);
        for (const Tri& t : ZipRings(b, c)) terrain.push_back(t);
    }

    std::vector<Tri> gravel = ZipStrip(lineL, lineA);
    for (int k = 0; k < 10; ++k) {
        if (k == 9) {
            gravel.push_back({lineA[9], lineA[10], lineB[9]});
            gravel.push_back({lineA[10], lineB[10], lineB[9]});
        } else {
            gravel.push_back({lineA[k], lineA[k + 1], lineB[k]});
            gravel.push_back({lineA[k + 1], lineB[k + 1], lineB[k]});
        }
    }
    for (const Tri& t : ZipStrip(lineB, lineF)) gravel.push_back(t);
    for (const Tri& t : ZipStrip(lineF, lineR)) gravel.push_back(t);
    FaceUp(terrain), FaceUp(gravel);

    // The shore: from the island's outline to the sea floor far out.
    Loop shoreInner = {coastGravelW};
    shoreInner.insert(shoreInner.end(), coastWest.begin(), coastWest.end());
    for (int i : {footS, footE, footN, footW}) shoreInner.push_back(i);
    shoreInner.insert(shoreInner.end(), coastEast.begin(), coastEast.end());
    for (int i : {coastGravelE, shoreF, shoreB, shoreA}) shoreInner.push_back(i);
    MakeCounterClockwise(shoreInner);
    Loop shoreOuter;
    int  floorA = given(sandFirst[0]), floorB = given(sandFirst[1]);
    for (int k = 0; k < 52; ++k) {
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
    std::vector<Tri> sand = TriangulateBand(shoreOuter, shoreInner, floorA, floorB, coastSand);
    FaceUp(sand);

    // Rock massif: foot, two rings, and three summits whose ridges meet at a saddle; one
    // ring juts out in a few places. Each summit is given by its direction from the rock
    // centre (degrees), its distance from it and its height; the first is the highest point
    // of the world.
    int rockRing1Forced = given(rocksFirst[2]);
    int peak            = AddPoint(-23, 98.3276, -24.5);
    g_fixed.insert(peak);
    const double summitAt[2][3] = {{70, 11, 86.5}, {190, 10, 81.0}};
    std::vector<int> summits = {peak};
    for (const auto& [deg, r, y] : summitAt)
        summits.push_back(AddPoint(kRockCentre.x + r * std::cos(deg * kPi / 180), y, kRockCentre.z + r * std::sin(deg * kPi / 180)));
    // The saddle in the middle, where the three ridges meet below the summits.
    const int saddle = AddPoint(kRockCentre.x + 1, 74, kRockCentre.z + 1);
    Loop             rock1, rock2;
    std::vector<Tri> rocks;
    std::vector<Tri> rockDown;
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
    bool found = false;
    for (int span = 2; span <= 4 && !found; ++span)
    for (double bulge = 0.78; bulge < 1.0 && !found; bulge += 0.01)
        for (int first = 0; first < 10 && !found; ++first) {
            g_points.resize(size_t(saddle) + 1 + 22);
            rock2.clear();
            for (int k = 0; k < 10; ++k) {
                double deg = 10 + k * 36;
                bool   out = (k - first + 10) % 10 < span;
                double r   = kFootRadius.At(deg) * (out ? bulge : 0.42 + 0.08 * std::sin(deg * kPi / 45));
                double y   = out ? kFootHeight.At(deg) + 40 : 66 + 5 * std::sin(deg * kPi / 90 + 1) + 4 * std::sin(deg * kPi / 36);
                rock2.push_back(AddPoint(kRockCentre.x + r * std::cos(deg * kPi / 180), y, kRockCentre.z + r * std::sin(deg * kPi / 180)));
            }
            Loop f = foot, a = rock1, b = rock2;
            auto inc = [](Loop& l) {
                std::sort(l.begin(), l.end(), [](int x, int y) { return AngleAround(g_points[x], kRockCentre) < AngleAround(g_points[y], kRockCentre); });
            };
            inc(f), inc(a), inc(b);
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
    for (const Tri& t : rocks)
        if (Turn(t[0], t[1], t[2]) < 0) rockDown.push_back(t);

    // Pins: the trees' feet and the stream's banks sit where the world says they do.
    {
        std::vector<Tri> ground = terrain;
        ground.insert(ground.end(), gravel.begin(), gravel.end());
        ApplyPins({{-71.5478, 88.8451, 9.0},
                   {-61.5478, 98.8451, 8.6},
                   {-11.4686, 78.6628, 10.39},
                   {-15.9452, 90.4674, 7.04},
                   {-0.5362, 87.6902, 10.39},
                   {16, -4.4, 25.46}},
                  ground);
    }
    for (V3& p : g_points) p = {Round4(p.x), Round4(p.y), Round4(p.z)};

    std::vector<Tri> groundAll = terrain;
    for (auto* g : {&gravel, &sand}) groundAll.insert(groundAll.end(), g->begin(), g->end());
    std::vector<Tri> padTris, wallTris;
    for (size_t k = 0; k < 15; k += 3) padTris.push_back({FindPoint(padRows[k].p), FindPoint(padRows[k + 1].p), FindPoint(padRows[k + 2].p)});
    for (size_t k = 0; k < 18; k += 3) wallTris.push_back({FindPoint(wallRows[k].p), FindPoint(wallRows[k + 1].p), FindPoint(wallRows[k + 2].p)});
    groundAll.insert(groundAll.end(), padTris.begin(), padTris.end());
    groundAll.insert(groundAll.end(), wallTris.begin(), wallTris.end());
    groundAll.insert(groundAll.end(), rocks.begin(), rocks.end());

    // Stream: twenty cross-sections, two of them given.
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
            west.push_back(given(streamFirst[0]));
            east.push_back(AddPoint(2.6, 0, 75.0));
            continue;
        }
        if (k == 12) {
            west.push_back(given(streamFirst[1]));
            east.push_back(given(streamFirst[2]));
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
        if (k == 19) {
            west.push_back(AddPoint(-41.7836, 0, 130.2));
            east.push_back(AddPoint(-34.8, 0, 132.5936));
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
                    g[i]           = GroundAt(w.x + (e.x - w.x) * t, w.z + (e.z - w.z) * t, groundAll);
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
                double y      = GroundAt(g_points[i].x, g_points[i].z, groundAll);
                g_points[i].y = Round4(std::max(y + 0.3, -3.9385));
            }
            g_points[i].y = Round4(std::max(g_points[i].y, -3.9385));
            if (streamTop < 0 || g_points[i].y > g_points[streamTop].y) streamTop = i;
        }
    g_points[streamTop].y = 25.9142;
    g_fixed.insert(streamTop);
    {
        int mouth = -1;
        for (Loop* side : {&west, &east})
            for (int i : *side)
                if (!g_fixed.count(i) && (mouth < 0 || g_points[i].y < g_points[mouth].y)) mouth = i;
        g_points[mouth].y = -3.9385;
        g_fixed.insert(mouth);
    }
    std::vector<Tri> stream;
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
                        double h = GroundAt(p.x, p.z, groundAll);
                        if (p.y > h + 0.05) continue;
                        // The corners nearest the ridge rise.
                        const double weight[3] = {1 - a - b, a, b};
                        for (int c = 0; c < 3; ++c)
                            if (!g_fixed.count(t[c]) && weight[c] >= 0.25)
                                g_points[t[c]].y = Round4(std::min({g_points[t[c]].y + 0.05, start[t[c]] + 1.5, 25.9}));
                    }
    }

    // Sea: four far corners and 28 points along the coast where the shore meets the water.
    int  seaSW = given(seaFirst[0]), seaSE = given(seaFirst[2]);
    int  seaNE = AddPoint(10581.922, -3.9046, 8350.827), seaNW = AddPoint(-10635.995, -3.9046, 8350.827);
    Loop corners = {seaSW, seaSE, seaNE, seaNW};
    MakeCounterClockwise(corners);
    Loop   coastPoints;
    int    seaGiven = given(seaFirst[1]);
    V3     middle   = {8, 0, 8};
    double givenDeg = AngleAround(g_points[seaGiven], middle);
    for (int k = 0; k < 28; ++k) {
        double deg = givenDeg + k * 360.0 / 28;
        if (k == 0) {
            coastPoints.push_back(seaGiven);
            continue;
        }
        for (V3 toward : {g_points[footE], V3{-25, 0, -114.4544}, V3{-129.695, 0, -21.5}, V3{-61.79, 0, 129.6798}}) {
            double d = AngleAround(toward, middle);
            if (std::abs(std::remainder(deg - d, 360.0)) < 180.0 / 28) deg = d;
        }
        double c = std::cos(deg * kPi / 180), s = std::sin(deg * kPi / 180), r = 60;
        while (GroundAt(middle.x + r * c, middle.z + r * s, groundAll) > -2.6 && r < 300) r += 0.05;
        coastPoints.push_back(AddPoint(Round4(middle.x + r * c), -3.9046, Round4(middle.z + r * s)));
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
    std::vector<Tri> sea = TriangulateBand(corners, coastPoints, seaSW, seaSE, seaGiven);
    FaceUp(sea);

    PutFirst(terrain, terrainFirst);
    PutFirst(rocks, rocksFirst);
    PutFirst(gravel, gravelFirst);
    PutFirst(sand, sandFirst);
    PutFirst(stream, streamFirst);
    PutFirst(sea, seaFirst);
    // One shore face and one sea face show from both sides.
    sand.push_back({sand[5][0], sand[5][2], sand[5][1]});
    sea.push_back({sea[4][0], sea[4][2], sea[4][1]});
    // Two small downward sea faces under the island, across convex coast corners.
    {
        int added = 0;
        for (size_t k = 0; k < coastPoints.size() && added < 2; k += 7) {
            int a = coastPoints[k], b = coastPoints[(k + 1) % 28], c = coastPoints[(k + 2) % 28];
            if (Turn(a, b, c) > 0) {
                sea.push_back({a, c, b});
                ++added;
            }
        }
        if (added < 2) Fail("no convex coast corners for the downward sea faces");
    }
    std::printf("triangles: terrain %zu rocks %zu gravel %zu sand %zu stream %zu sea %zu\n", terrain.size(), rocks.size(),
                gravel.size(), sand.size(), stream.size(), sea.size());

    // Terrain: one normal per position; the image laid once over the island, every
    // triangle shifted by a whole turn of v (invisible with repeat) so most corners that
    // recur carry different coordinates.
    std::map<int, V3> terrainNormals = SmoothNormals(terrain);
    SpreadGivenNormals(terrainNormals, terrainFirst);
    FitNormalRange(terrainNormals, 0.2234, 1, PointsOf(terrainFirst), terrain);
    Group groupTerrain = MakeGroup("meshTerrain", 0, terrain, terrainNormals, terrainFirst);
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
        for (size_t k = 1; k < terrain.size(); ++k)
            for (int c = 0; c < 3; ++c) {
                Row& r = groupTerrain.rows[k * 3 + c];
                r.u    = -0.0399 + (r.p.x + 125.8073) / 239.0574 * 1.0528;
                r.v    = 0.072 + (r.p.z + 110.8957) / 236.964 * 0.6636 + shift[k];
            }
    }

    // Rocks: smooth over the faces that look up, a crease around every overhang.
    std::vector<Tri> rocksUp;
    for (const Tri& t : rocks)
        if (Turn(t[0], t[1], t[2]) > 0) rocksUp.push_back(t);
    std::map<int, V3> rockNormals = SmoothNormals(rocksUp);
    SpreadGivenNormals(rockNormals, rocksFirst);
    Group groupRocks = MakeGroup("meshRocks", 1, rocks, rockNormals, rocksFirst);
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

    std::map<int, V3> gravelNormals = SmoothNormals(gravel);
    SpreadGivenNormals(gravelNormals, gravelFirst);
    FitNormalRange(gravelNormals, 0.713, 0.9981, PointsOf(gravelFirst), gravel);
    Group groupGravel = MakeGroup("meshGravel", 2, gravel, gravelNormals, gravelFirst);
    // Gravel: laid from above at nearly one scale across and along the bed, so the pebbles
    // keep their shape; whole turns per triangle keep the coordinates in the stated ranges.
    {
        std::vector<double> xs, zs;
        for (size_t k = 3; k < groupGravel.rows.size(); ++k) xs.push_back(groupGravel.rows[k].p.x), zs.push_back(groupGravel.rows[k].p.z);
        double              uScale = 0, vScale = 0;
        std::vector<double> us = FitAxisExactly(xs, 1.0 / 60, -0.4838, 1.4769, &uScale);
        std::vector<double> vs = FitAxisExactly(zs, uScale, -0.0484, 1.1589, &vScale);
        if (us.empty() || vs.empty()) Fail(std::string("gravel coordinates: no scale fits the stated ranges ") + (us.empty() ? "across" : "along"));
        for (size_t k = 3; k < groupGravel.rows.size(); ++k) groupGravel.rows[k].u = us[k - 3], groupGravel.rows[k].v = vs[k - 3];
        std::printf("gravel texture: %.2f units per turn across, %.2f along\n", 1 / uScale, 1 / vScale);
    }

    std::map<int, V3> sandNormals = SmoothNormals(std::vector<Tri>(sand.begin(), sand.end() - 1));
    SpreadGivenNormals(sandNormals, sandFirst);
    Group groupSand = MakeGroup("meshSand", 3, sand, sandNormals, sandFirst);
    for (size_t k = 3; k < groupSand.rows.size(); ++k) {
        Row& r = groupSand.rows[k];
        r.u    = 0.5 + 3.8242 * r.p.x / (r.p.x >= 0 ? 225.3386 : 206.4321);
        r.v    = 0.5 - 3.6844 * r.p.z / (r.p.z >= 0 ? 189.9295 : 188.9324);
    }

    Group groupPad{"meshPad", 4, true, padRows};
    Group groupWall{"meshPadWall", 5, true, wallRows};

    std::map<int, V3> streamNormals = SmoothNormals(stream);
    SpreadGivenNormals(streamNormals, streamFirst);
    Group groupStream = MakeGroup("meshStream", -1, stream, streamNormals, streamFirst);
    for (size_t k = 3; k < groupStream.rows.size(); ++k) {
        Row& r = groupStream.rows[k];
        r.u    = r.p.x / 20;
        r.v    = r.p.z / 40;
    }

    std::map<int, V3> seaNormals;
    for (const Tri& t : sea)
        for (int i : t) seaNormals[i] = {0, 1, 0};
    Group groupSea = MakeGroup("meshSea", -1, sea, seaNormals, seaFirst);
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

    FILE* out = std::fopen(argv[1], "w");
    if (!out) Fail("cannot write the output");
    std::fprintf(out,
                 "// world_mesh_data.cpp — the eight baked groups of the static world.\n"
                 "// Generated by tools/island_gen (island_gen scene/world_mesh_data.cpp); do not edit by hand.\n"
                 "#include \"scene/world_mesh.h\"\n\nnamespace {\n\n");
    const Group* groups[] = {&groupTerrain, &groupRocks, &groupGravel, &groupSand, &groupPad, &groupWall, &groupStream, &groupSea};
    for (const Group* g : groups) PrintGroup(out, *g, (std::string(g->name) + "Rows").c_str());
    std::fprintf(out, "}  // namespace\n\n");
    for (const Group* g : groups)
        std::fprintf(out, "const MeshGroup %s = {%d, %s, %sRows, %zu};\n", g->name, g->texture, g->flat ? "true" : "false",
                     g->name, g->rows.size());
    std::fclose(out);
    return 0;
}
