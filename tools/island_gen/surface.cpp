// surface.cpp — normals and texture coordinates for the features' tables.
#include "tools/island_gen/surface.h"

#include <algorithm>
#include <cmath>

namespace {

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

}  // namespace

void PutFirst(std::vector<Tri>& tris, const std::vector<Row>& given) {
    Tri want = {FindPoint(given[0].p), FindPoint(given[1].p), FindPoint(given[2].p)};
    for (size_t i = 0; i < tris.size(); ++i) {
        if (std::set<int>(tris[i].begin(), tris[i].end()) != std::set<int>(want.begin(), want.end())) continue;
        tris.erase(tris.begin() + long(i));
        tris.insert(tris.begin(), want);
        return;
    }
    Fail("the given first triangle was not built");
}

std::set<int> PointsOf(const std::vector<Row>& given) {
    std::set<int> s;
    for (const Row& r : given) s.insert(FindPoint(r.p));
    return s;
}

std::map<int, V3> SmoothNormals(const std::vector<Tri>& tris) {
    std::map<int, V3> sum;
    for (const Tri& t : tris) {
        V3 n = Cross(g_points[t[1]] - g_points[t[0]], g_points[t[2]] - g_points[t[0]]);
        for (int i : t) sum[i] = sum[i] + n;
    }
    for (auto& [i, n] : sum) n = Normalized(n);
    return sum;
}

V3 WithNy(V3 n, double ny) {
    double h = std::hypot(n.x, n.z), k = std::sqrt(1 - ny * ny);
    return h < 1e-9 ? V3{k, ny, 0} : V3{n.x / h * k, ny, n.z / h * k};
}

void SpreadGivenNormals(std::map<int, V3>& normals, const std::vector<Row>& given) {
    for (const Row& r : given)
        for (auto& [i, n] : normals)
            if (std::abs(g_points[i].x - r.p.x) < 1e-6 && std::abs(g_points[i].z - r.p.z) < 1e-6 &&
                std::abs(g_points[i].y - r.p.y) < 1e-6)
                n = r.n;
}

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

Group SmoothGroup(const char* name, int texture, std::vector<Tri>& tris, const std::vector<Row>& given, double nyLo,
                  double nyHi) {
    PutFirst(tris, given);
    std::map<int, V3> normals = SmoothNormals(tris);
    SpreadGivenNormals(normals, given);
    FitNormalRange(normals, nyLo, nyHi, PointsOf(given), tris);
    return MakeGroup(name, texture, tris, normals, given);
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
