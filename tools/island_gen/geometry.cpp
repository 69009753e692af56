// geometry.cpp — positions, loops, and the ear clipping that cuts a band between two
// loops into triangles.
#include "tools/island_gen/geometry.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <set>

V3 Normalized(V3 a) {
    double l = std::sqrt(Dot(a, a));
    return a * (1.0 / l);
}

[[noreturn]] void Fail(const std::string& why) {
    std::fprintf(stderr, "island_gen: %s\n", why.c_str());
    std::exit(1);
}

std::vector<V3> g_points;
int AddPoint(double x, double y, double z) {
    g_points.push_back({x, y, z});
    return int(g_points.size()) - 1;
}

int FindPoint(V3 p) {
    for (size_t i = 0; i < g_points.size(); ++i)
        if (std::abs(g_points[i].x - p.x) < 1e-6 && std::abs(g_points[i].z - p.z) < 1e-6 &&
            std::abs(g_points[i].y - p.y) < 1e-6)
            return int(i);
    Fail("missing point");
}

namespace {

double LoopArea(const Loop& loop) {
    double area = 0;
    for (size_t i = 0; i < loop.size(); ++i) {
        V3 p = g_points[loop[i]], q = g_points[loop[(i + 1) % loop.size()]];
        area += p.z * q.x - p.x * q.z;
    }
    return area / 2;
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

}  // namespace

double Turn(int a, int b, int c) {
    V3 p = g_points[a], q = g_points[b], r = g_points[c];
    return (q.z - p.z) * (r.x - p.x) - (q.x - p.x) * (r.z - p.z);
}
void MakeCounterClockwise(Loop& loop) {
    if (LoopArea(loop) < 0) std::reverse(loop.begin(), loop.end());
}

std::vector<Tri> TriangulateBand(const Loop& outer, const Loop& inner, int a, int b, int c) {
    CheckLoops(outer, inner, "band");
    size_t ia = IndexOf(outer, a), ib = IndexOf(outer, b), ic = IndexOf(inner, c);
    if ((ia + 1) % outer.size() == ib) return ClipEars(Bridge(outer, ib, inner, ic), {{a, b, c}});
    if ((ib + 1) % outer.size() == ia) return ClipEars(Bridge(outer, ia, inner, ic), {{b, a, c}});
    Fail("the first triangle's outer corners are not neighbours");
}

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

namespace {

// Whether p lies within the circle through a, b and c, in plan, whichever way they run.
bool InCircle(int a, int b, int c, int p) {
    const V3     A = g_points[a] - g_points[p], B = g_points[b] - g_points[p], C = g_points[c] - g_points[p];
    const double la = A.x * A.x + A.z * A.z, lb = B.x * B.x + B.z * B.z, lc = C.x * C.x + C.z * C.z;
    const double det = la * (B.x * C.z - B.z * C.x) - lb * (A.x * C.z - A.z * C.x) + lc * (A.x * B.z - A.z * B.x);
    const double orient = (B.x - A.x) * (C.z - A.z) - (B.z - A.z) * (C.x - A.x);
    return det * orient > 1e-9;
}

}  // namespace

void InsertPoint(std::vector<Tri>& tris, int p, const Tri& keep) {
    size_t holder = tris.size();
    for (size_t k = 0; k < tris.size(); ++k) {
        const Tri& t = tris[k];
        if (Turn(t[0], t[1], p) > 0 && Turn(t[1], t[2], p) > 0 && Turn(t[2], t[0], p) > 0) holder = k;
    }
    auto inKeep = [&](int i) { return std::count(keep.begin(), keep.end(), i) > 0; };
    if (holder == tris.size() || (inKeep(tris[holder][0]) && inKeep(tris[holder][1]) && inKeep(tris[holder][2])))
        Fail("no triangle to take an inserted point");
    const Tri t = tris[holder];
    tris[holder] = {t[0], t[1], p};
    tris.push_back({t[1], t[2], p});
    tris.push_back({t[2], t[0], p});
    // Each pending entry is a triangle (a, b, p); its edge a-b faces p.
    std::vector<size_t> pending = {holder, tris.size() - 2, tris.size() - 1};
    while (!pending.empty()) {
        const size_t k = pending.back();
        pending.pop_back();
        const int a = tris[k][0], b = tris[k][1];
        if (inKeep(a) && inKeep(b)) continue;
        for (size_t j = 0; j < tris.size(); ++j) {
            const Tri& o = tris[j];
            const int  at = int(std::find(o.begin(), o.end(), b) - o.begin());
            if (j == k || at == 3 || o[(at + 1) % 3] != a) continue;
            const int far = o[(at + 2) % 3];
            if (InCircle(b, a, far, p) && Turn(p, a, far) > 0 && Turn(far, b, p) > 0) {
                tris[k] = {a, far, p};
                tris[j] = {far, b, p};
                pending.push_back(k), pending.push_back(j);
            }
            break;
        }
    }
}

void FaceUp(std::vector<Tri>& tris) {
    for (Tri& t : tris)
        if (Turn(t[0], t[1], t[2]) < 0) std::swap(t[1], t[2]);
}

V3 FaceNormal(const Tri& t) {
    return Normalized(Cross(g_points[t[1]] - g_points[t[0]], g_points[t[2]] - g_points[t[0]]));
}

double GroundAt(double x, double z, const std::vector<Tri>& tris, Tri* hit) {
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

double Round4(double v) {
    double r = std::round(v * 10000) / 10000;
    return r == 0 ? 0 : r;
}

void RoundAllPoints() {
    for (V3& p : g_points) p = {Round4(p.x), Round4(p.y), Round4(p.z)};
}
