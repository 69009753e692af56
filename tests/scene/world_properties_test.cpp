// world_properties_test.cpp — recomputes every stated property of the baked world from
// the tables themselves: counts, extents, normals, the given rows, facing, and how the
// pieces fit together.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <numbers>
#include <set>
#include <tuple>
#include <vector>

#include "scene/sprite_meshes.h"
#include "scene/world_mesh.h"

namespace {

using Pos = std::tuple<float, float, float>;

Pos PosOf(const MeshVertex& v) { return {v.x, v.y, v.z}; }

struct Vec {
    double x, y, z;
};
Vec Sub(const MeshVertex& a, const MeshVertex& b) { return {double(a.x) - b.x, double(a.y) - b.y, double(a.z) - b.z}; }
Vec Cross(Vec a, Vec b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
double Dot(Vec a, Vec b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

Vec FaceNormal(const MeshGroup& g, size_t t) {
    const MeshVertex* r = g.rows + t * 3;
    return Cross(Sub(r[1], r[0]), Sub(r[2], r[0]));
}
size_t TriangleCount(const MeshGroup& g) { return g.rowCount / 3; }

// The set of corner positions of a triangle, for telling repeats apart from new faces.
std::set<Pos> CornersOf(const MeshGroup& g, size_t t) {
    return {PosOf(g.rows[t * 3]), PosOf(g.rows[t * 3 + 1]), PosOf(g.rows[t * 3 + 2])};
}

struct Extent {
    float lo[3] = {1e30f, 1e30f, 1e30f}, hi[3] = {-1e30f, -1e30f, -1e30f};
};
Extent ExtentOf(const MeshGroup& g) {
    Extent e;
    for (size_t i = 0; i < g.rowCount; ++i) {
        const float p[3] = {g.rows[i].x, g.rows[i].y, g.rows[i].z};
        for (int k = 0; k < 3; ++k) e.lo[k] = std::min(e.lo[k], p[k]), e.hi[k] = std::max(e.hi[k], p[k]);
    }
    return e;
}

const MeshGroup* const kGroups[8] = {&meshTerrain, &meshRocks, &meshGravel, &meshSand,
                                     &meshPad,     &meshPadWall, &meshStream, &meshSea};
const MeshGroup* const kGround[6] = {&meshTerrain, &meshRocks, &meshGravel, &meshSand, &meshPad, &meshPadWall};

// Highest upward-facing ground under (x, z), and its group; a very low value where there
// is none.
double GroundAt(double x, double z, const MeshGroup** group = nullptr) {
    double best = -1e9;
    for (const MeshGroup* g : kGround)
        for (size_t t = 0; t < TriangleCount(*g); ++t) {
            if (FaceNormal(*g, t).y <= 0) continue;
            const MeshVertex *a = g->rows + t * 3, *b = a + 1, *c = a + 2;
            double d  = (double(b->z) - c->z) * (a->x - c->x) + (double(c->x) - b->x) * (a->z - c->z);
            double l1 = ((double(b->z) - c->z) * (x - c->x) + (double(c->x) - b->x) * (z - c->z)) / d;
            double l2 = ((double(c->z) - a->z) * (x - c->x) + (double(a->x) - c->x) * (z - c->z)) / d;
            double l3 = 1 - l1 - l2;
            if (l1 < -1e-7 || l2 < -1e-7 || l3 < -1e-7) continue;
            const double y = l1 * a->y + l2 * b->y + l3 * c->y;
            if (y <= best) continue;
            best = y;
            if (group) *group = g;
        }
    return best;
}

TEST(WorldTables, GroupsHaveTheirTexturesModesAndCounts) {
    const int    textures[8]  = {0, 1, 2, 3, 4, 5, -1, -1};
    const bool   flat[8]      = {false, false, false, false, true, true, false, false};
    const size_t triangles[8] = {199, 96, 76, 87, 5, 6, 38, 35};
    size_t       total        = 0;
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(kGroups[i]->texture, textures[i]) << i;
        EXPECT_EQ(kGroups[i]->flatNormals, flat[i]) << i;
        EXPECT_EQ(kGroups[i]->rowCount, triangles[i] * 3) << i;
        total += kGroups[i]->rowCount;
    }
    EXPECT_EQ(total, 1626u);
}

TEST(WorldTables, ExtentsMatchToFourDecimals) {
    const float want[8][6] = {
        {-125.8073f, 113.2501f, -1.5456f, 47.7275f, -110.8957f, 126.0683f},
        {-63.8634f, 13.5042f, 15.3243f, 98.3276f, -62.1196f, 19.1586f},
        {-52.4699f, 31.5679f, -1.3791f, 33.9963f, 7.1389f, 125.7105f},
        {-206.4321f, 225.3386f, -50.4997f, -1.3454f, -188.9324f, 189.9295f},
        {91.4026f, 140.8053f, 1.0225f, 1.0314f, -54.8711f, 53.3475f},
        {97.2857f, 143.9638f, -1.5613f, 1.0314f, -59.5576f, 55.3074f},
        {-41.7836f, 19.0537f, -3.9385f, 25.9142f, -5.6567f, 132.5936f},
        {-10635.995f, 10581.922f, -3.9046f, -3.9046f, -8377.501f, 8350.827f},
    };
    for (int i = 0; i < 8; ++i) {
        Extent e = ExtentOf(*kGroups[i]);
        for (int k = 0; k < 3; ++k) {
            EXPECT_FLOAT_EQ(e.lo[k], want[i][k * 2]) << "group " << i << " axis " << k;
            EXPECT_FLOAT_EQ(e.hi[k], want[i][k * 2 + 1]) << "group " << i << " axis " << k;
        }
    }
}

TEST(WorldTables, ValuesHaveFourDecimalsAndNormalsUnitLength) {
    for (const MeshGroup* g : kGroups)
        for (size_t i = 0; i < g->rowCount; ++i) {
            const MeshVertex& r   = g->rows[i];
            const float       v[] = {r.nx, r.ny, r.nz, r.u, r.v, r.x, r.y, r.z};
            for (float f : v) EXPECT_NEAR(double(f), std::round(double(f) * 10000) / 10000, 1e-7 * std::max(1.0, std::abs(double(f))));
            EXPECT_NEAR(std::sqrt(double(r.nx) * r.nx + double(r.ny) * r.ny + double(r.nz) * r.nz), 1.0, 3e-4);
        }
}

TEST(WorldTables, FlatGroupsRepeatTheFirstCornersNormal) {
    for (const MeshGroup* g : {&meshPad, &meshPadWall})
        for (size_t t = 0; t < TriangleCount(*g); ++t)
            for (int c = 1; c < 3; ++c) {
                EXPECT_EQ(g->rows[t * 3 + c].nx, g->rows[t * 3].nx);
                EXPECT_EQ(g->rows[t * 3 + c].ny, g->rows[t * 3].ny);
                EXPECT_EQ(g->rows[t * 3 + c].nz, g->rows[t * 3].nz);
            }
}

void ExpectRows(const MeshGroup& g, const std::vector<std::array<float, 8>>& rows) {
    for (size_t i = 0; i < rows.size(); ++i) {
        const MeshVertex& r   = g.rows[i];
        const float       v[] = {r.nx, r.ny, r.nz, r.u, r.v, r.x, r.y, r.z};
        for (int k = 0; k < 8; ++k) EXPECT_FLOAT_EQ(v[k], rows[i][k]) << "row " << i + 1 << " column " << k;
    }
}

TEST(WorldTables, PadAndBordersAreAsTabled) {
    ExpectRows(meshPad, {{-0.0005f, 1, -0.0001f, 1.9155f, -1.0007f, 106.8778f, 1.0225f, 37.5031f},
                         {-0.0005f, 1, -0.0001f, 2.962f, -0.34f, 128.1765f, 1.0314f, 53.3475f},
                         {-0.0005f, 1, -0.0001f, -2.109f, 0.4012f, 97.2857f, 1.0303f, -54.8711f},
                         {0.0001f, 1, 0, 2.9228f, 0.3673f, 140.8053f, 1.0303f, 46.9161f},
                         {0.0001f, 1, 0, -2.109f, 0.4012f, 97.2857f, 1.0303f, -54.8711f},
                         {0.0001f, 1, 0, 2.962f, -0.34f, 128.1765f, 1.0314f, 53.3475f},
                         {0, 1, 0, -0.4822f, 1.135f, 91.4026f, 1.0303f, -2.2744f},
                         {0, 1, 0, -1.1358f, 0.7461f, 99.0658f, 1.0303f, 10.8635f},
                         {0, 1, 0, 2.1501f, 0.8638f, 97.2857f, 1.0303f, -54.8711f},
                         {0.001f, 1, 0.0005f, 0.6634f, -0.8278f, 99.0658f, 1.0303f, 10.8635f},
                         {0.001f, 1, 0.0005f, 1.9155f, -1.0007f, 106.8778f, 1.0225f, 37.5031f},
                         {0.001f, 1, 0.0005f, -2.109f, 0.4012f, 97.2857f, 1.0303f, -54.8711f},
                         {0, 1, 0, 1.2151f, 1.1382f, 91.9562f, 1.0303f, -44.1313f},
                         {0, 1, 0, -0.8691f, 0.947f, 91.4026f, 1.0303f, -2.2744f},
                         {0, 1, 0, 1.777f, 0.9293f, 97.2857f, 1.0303f, -54.8711f}});
    ExpectRows(meshPadWall, {{0.5235f, 0.851f, 0.0406f, -1.3685f, 0.329f, 143.9638f, -1.5475f, 46.5545f},
                             {0.5235f, 0.851f, 0.0406f, 2.3826f, 0.5461f, 99.7889f, -1.5058f, -59.5576f},
                             {0.5235f, 0.851f, 0.0406f, 2.3355f, 0.6998f, 97.2857f, 1.0303f, -54.8711f},
                             {0.6445f, 0.7634f, 0.0434f, 2.3355f, 0.6998f, 97.2857f, 1.0303f, -54.8711f},
                             {0.6445f, 0.7634f, 0.0434f, -1.3459f, 0.4588f, 140.8053f, 1.0303f, 46.9161f},
                             {0.6445f, 0.7634f, 0.0434f, -1.3685f, 0.329f, 143.9638f, -1.5475f, 46.5545f},
                             {0.0196f, 0.4149f, 0.9097f, 0.7982f, 0.4115f, 143.9638f, -1.5475f, 46.5545f},
                             {0.0196f, 0.4149f, 0.9097f, 0.7104f, 0.4996f, 140.8053f, 1.0303f, 46.9161f},
                             {0.0196f, 0.4149f, 0.9097f, 0.1918f, 0.5168f, 127.675f, -1.5613f, 55.3074f},
                             {-0.0001f, 0.5055f, 0.8628f, 0.1918f, 0.5168f, 127.675f, -1.5613f, 55.3074f},
                             {-0.0001f, 0.5055f, 0.8628f, 0.7104f, 0.4996f, 140.8053f, 1.0303f, 46.9161f},
                             {-0.0001f, 0.5055f, 0.8628f, 0.2448f, 0.578f, 128.1765f, 1.0314f, 53.3475f},
                             {-0.7132f, 0.5897f, 0.379f, 2, 0, 127.675f, -1.5613f, 55.3074f},
                             {-0.7132f, 0.5897f, 0.379f, 0, 0, 128.1765f, 1.0314f, 53.3475f},
                             {-0.7132f, 0.5897f, 0.379f, 2, 2, 111.3148f, -1.4415f, 43.7381f},
                             {-0.6483f, 0.6905f, 0.3209f, 2, 2, 111.3148f, -1.4415f, 43.7381f},
                             {-0.6483f, 0.6905f, 0.3209f, 0, 0, 128.1765f, 1.0314f, 53.3475f},
                             {-0.6483f, 0.6905f, 0.3209f, 2, 0, 106.8778f, 1.0225f, 37.5031f}});
}

TEST(WorldTables, EveryOtherGroupStartsWithItsTabledTriangle) {
    ExpectRows(meshTerrain, {{-0.3267f, 0.9323f, 0.1554f, 0.9434f, 0.5214f, -117.6148f, -1.4894f, 95.9145f},
                             {-0.2184f, 0.9498f, 0.2239f, 0.9958f, 0.7648f, -115.4139f, -1.4894f, 103.5109f},
                             {-0.23f, 0.9623f, 0.1451f, 0.01f, 0.2735f, -91.6133f, 11.877f, 70.3988f}});
    ExpectRows(meshRocks, {{-0.9025f, 0.4223f, 0.0845f, 1.7166f, -0.0168f, -63.8634f, 15.3243f, 1.2104f},
                           {-0.8487f, 0.5056f, 0.155f, 2.2153f, -0.023f, -63.6318f, 15.4789f, 11.7653f},
                           {-0.676f, 0.6432f, 0.3596f, 1.736f, 0.7781f, -52.6261f, 37.1864f, 1.2104f}});
    ExpectRows(meshGravel, {{0, 0.9615f, 0.2748f, -0.1866f, 0.0067f, -34.8802f, 11.8491f, 92.4899f},
                            {0, 0.9291f, 0.3699f, 1.44f, 0.1095f, -42.1731f, -1.3791f, 125.7105f},
                            {0.1846f, 0.9269f, 0.3268f, -0.3371f, 0.5318f, -23.4812f, 11.8491f, 92.4899f}});
    ExpectRows(meshSand, {{-0.1111f, 0.7905f, -0.6024f, 4.3242f, 2.1157f, 119.5495f, -50.4997f, -171.617f},
                          {-0.2808f, 0.7714f, -0.571f, 1.6307f, 2.1157f, 38.7459f, -50.4997f, -171.617f},
                          {-0.1355f, 0.8084f, -0.5728f, 1.2798f, -0.7806f, 28.2191f, -1.4169f, -99.8541f}});
    ExpectRows(meshStream, {{-0.0508f, 0.9912f, 0.1222f, 0.5214f, 0.352f, -11.4686f, 10.7865f, 78.6628f},
                            {0.0132f, 0.8799f, 0.475f, 0.4497f, 0.2575f, -15.9452f, 7.438f, 90.4674f},
                            {-0.0364f, 0.8544f, 0.5184f, 0.6965f, 0.2797f, -0.5362f, 10.7865f, 87.6902f}});
    ExpectRows(meshSea, {{0, 1, 0, -189.2066f, 149.1716f, -10635.995f, -3.9046f, -8377.501f},
                         {0, 1, 0, 0.9855f, 1.6058f, 28.2192f, -3.9046f, -103.3749f},
                         {0, 1, 0, 189.2066f, 149.1716f, 10581.922f, -3.9046f, -8377.501f}});
}

void ExpectTexRange(const MeshGroup& g, float ulo, float uhi, float vlo, float vhi) {
    float u0 = 1e30f, u1 = -1e30f, v0 = 1e30f, v1 = -1e30f;
    for (size_t i = 0; i < g.rowCount; ++i)
        u0 = std::min(u0, g.rows[i].u), u1 = std::max(u1, g.rows[i].u), v0 = std::min(v0, g.rows[i].v),
        v1 = std::max(v1, g.rows[i].v);
    EXPECT_FLOAT_EQ(u0, ulo); EXPECT_FLOAT_EQ(u1, uhi); EXPECT_FLOAT_EQ(v0, vlo); EXPECT_FLOAT_EQ(v1, vhi);
}

void ExpectNyRange(const MeshGroup& g, float lo, float hi) {
    float n0 = 1e30f, n1 = -1e30f;
    for (size_t i = 0; i < g.rowCount; ++i) n0 = std::min(n0, g.rows[i].ny), n1 = std::max(n1, g.rows[i].ny);
    EXPECT_FLOAT_EQ(n0, lo); EXPECT_FLOAT_EQ(n1, hi);
}

TEST(WorldTables, TerrainIsOneSmoothUpwardSurface) {
    std::map<Pos, std::set<std::array<float, 3>>> normals;
    std::map<Pos, std::set<std::pair<float, float>>> coords;
    for (size_t i = 0; i < meshTerrain.rowCount; ++i) {
        const MeshVertex& r = meshTerrain.rows[i];
        normals[PosOf(r)].insert({r.nx, r.ny, r.nz});
        coords[PosOf(r)].insert({r.u, r.v});
    }
    EXPECT_EQ(normals.size(), 137u);
    for (auto& [p, n] : normals) EXPECT_EQ(n.size(), 1u);
    int recurring = 0;
    for (auto& [p, c] : coords) recurring += c.size() > 1;
    EXPECT_EQ(recurring, 112);
    ExpectNyRange(meshTerrain, 0.2234f, 1);
    ExpectTexRange(meshTerrain, -0.0399f, 1.0129f, -0.928f, 1.7356f);
}

TEST(WorldTables, RocksHoldTheHighestPointWithSixOverhangsAndCreases) {
    float top = -1e30f;
    for (const MeshGroup* g : kGroups)
        for (size_t i = 0; i < g->rowCount; ++i) top = std::max(top, g->rows[i].y);
    EXPECT_FLOAT_EQ(top, 98.3276f);
    EXPECT_FLOAT_EQ(ExtentOf(meshRocks).hi[1], top);
    int down = 0;
    for (size_t t = 0; t < TriangleCount(meshRocks); ++t) down += FaceNormal(meshRocks, t).y < 0;
    EXPECT_EQ(down, 6);
    std::map<Pos, std::set<std::array<float, 3>>> normals;
    for (size_t i = 0; i < meshRocks.rowCount; ++i) {
        const MeshVertex& r = meshRocks.rows[i];
        normals[PosOf(r)].insert({r.nx, r.ny, r.nz});
    }
    int creased = 0;
    for (auto& [p, n] : normals) creased += n.size() > 1;
    EXPECT_GT(creased, 0);
    float lowest = 1e30f;
    for (size_t i = 0; i < meshRocks.rowCount; ++i) lowest = std::min(lowest, meshRocks.rows[i].ny);
    EXPECT_FLOAT_EQ(lowest, -0.2021f);
    ExpectTexRange(meshRocks, -0.6335f, 2.4585f, -0.2208f, 1.1505f);

    // Not one cone: at least three summits, each higher than every corner it shares a
    // face with, high above the shoulder.
    std::map<Pos, float> neighbourTop;
    for (size_t t = 0; t < TriangleCount(meshRocks); ++t)
        for (int a = 0; a < 3; ++a)
            for (int b = 0; b < 3; ++b) {
                if (a == b) continue;
                const MeshVertex &p = meshRocks.rows[t * 3 + a], &q = meshRocks.rows[t * 3 + b];
                auto [it, fresh]    = neighbourTop.try_emplace(PosOf(p), q.y);
                if (!fresh) it->second = std::max(it->second, q.y);
            }
    int summits = 0;
    for (auto& [p, top] : neighbourTop) summits += std::get<1>(p) > 60 && std::get<1>(p) > top;
    EXPECT_GE(summits, 3);
}

// How unevenly triangle t stretches its picture over its face: the ratio of the two
// singular values of the map from the face's own plane to texture coordinates.
double TextureStretch(const MeshGroup& g, size_t t) {
    const MeshVertex* r  = g.rows + t * 3;
    const Vec         e1 = Sub(r[1], r[0]), e2 = Sub(r[2], r[0]);
    const double      l1 = std::sqrt(Dot(e1, e1));
    const Vec         a  = {e1.x / l1, e1.y / l1, e1.z / l1};
    const Vec         n  = Cross(e1, e2);
    Vec               b  = Cross(n, a);
    const double      lb = std::sqrt(Dot(b, b));
    b                    = {b.x / lb, b.y / lb, b.z / lb};
    // Edges in the face's plane, and the texture steps along them.
    const double x1 = l1, x2 = Dot(e2, a), y2 = Dot(e2, b);
    const double du1 = r[1].u - r[0].u, dv1 = r[1].v - r[0].v, du2 = r[2].u - r[0].u, dv2 = r[2].v - r[0].v;
    // J maps plane (x, y) to (u, v): columns d/dx and d/dy.
    const double ux = du1 / x1, vx = dv1 / x1, uy = (du2 - ux * x2) / y2, vy = (dv2 - vx * x2) / y2;
    const double tr = ux * ux + vx * vx + uy * uy + vy * vy, det = std::abs(ux * vy - uy * vx);
    const double root = std::sqrt(std::max(0.0, tr * tr / 4 - det * det));
    return std::sqrt((tr / 2 + root) / std::max(1e-30, tr / 2 - root));
}

// The stretch that half the group's area stays under.
double MedianStretchByArea(const MeshGroup& g) {
    std::vector<std::pair<double, double>> faces;   // stretch, area
    double                                 total = 0;
    for (size_t t = 0; t < TriangleCount(g); ++t) {
        const Vec n    = FaceNormal(g, t);
        const double area = std::sqrt(Dot(n, n)) / 2;
        faces.push_back({TextureStretch(g, t), area});
        total += area;
    }
    std::sort(faces.begin(), faces.end());
    double seen = 0;
    for (const auto& [stretch, area] : faces)
        if ((seen += area) >= total / 2) return stretch;
    return 0;
}

// A face standing nearly on edge shows the picture laid from above as streaks, and a
// sliver as a crack in the ground.
TEST(WorldTables, NoGroundFaceIsSteeperThanANormalHeightOfOneFifth) {
    for (const MeshGroup* g : {&meshTerrain, &meshGravel, &meshSand})
        for (size_t t = 0; t < TriangleCount(*g); ++t) {
            const Vec n = FaceNormal(*g, t);
            EXPECT_GE(std::abs(n.y) / std::sqrt(Dot(n, n)), 0.2) << "triangle " << t << " of the group with texture " << g->texture;
        }
}

TEST(WorldTables, GravelAndSandCarryTheirNormalAndCoordinateRanges) {
    // Laid without stretching the pebbles out of shape.
    EXPECT_LE(MedianStretchByArea(meshGravel), 1.4);
    ExpectNyRange(meshGravel, 0.713f, 0.9981f);
    ExpectTexRange(meshGravel, -0.4838f, 1.4769f, -0.0484f, 1.1589f);
    ExpectTexRange(meshSand, -3.3242f, 4.3242f, -3.1844f, 4.1844f);

    // The sea floor's rim, seen through the water from above, is one even outline: going
    // round it, no corner turns by more than 35 degrees (a bite or a spike does).
    std::vector<std::pair<double, double>> rim;
    for (size_t i = 0; i < meshSand.rowCount; ++i) {
        const MeshVertex& r = meshSand.rows[i];
        if (r.y == -50.4997f && std::find(rim.begin(), rim.end(), std::pair<double, double>{r.x, r.z}) == rim.end())
            rim.push_back({r.x, r.z});
    }
    ASSERT_EQ(rim.size(), 52u);
    std::sort(rim.begin(), rim.end(), [](const auto& a, const auto& b) {
        return std::atan2(a.second - 0.5, a.first - 9.45) < std::atan2(b.second - 0.5, b.first - 9.45);
    });
    for (size_t i = 0; i < rim.size(); ++i) {
        const auto& [ax, az] = rim[(i + rim.size() - 1) % rim.size()];
        const auto& [bx, bz] = rim[i];
        const auto& [cx, cz] = rim[(i + 1) % rim.size()];
        double turn = (std::atan2(cz - bz, cx - bx) - std::atan2(bz - az, bx - ax)) * 180 / std::numbers::pi;
        turn        = std::remainder(turn, 360.0);
        EXPECT_LE(std::abs(turn), 35.0) << "at (" << bx << ", " << bz << ")";
    }
}

// Triangles that repeat another of their group with the opposite winding.
int ReversedRepeats(const MeshGroup& g) {
    int n = 0;
    for (size_t a = 0; a < TriangleCount(g); ++a)
        for (size_t b = a + 1; b < TriangleCount(g); ++b)
            n += CornersOf(g, a) == CornersOf(g, b) && Dot(FaceNormal(g, a), FaceNormal(g, b)) < 0;
    return n;
}

TEST(WorldTables, SeaIsAPlaneWithAHoleForTheIsland) {
    std::set<Pos> positions, far, coast;
    for (size_t i = 0; i < meshSea.rowCount; ++i) {
        const MeshVertex& r = meshSea.rows[i];
        EXPECT_EQ(r.y, -3.9046f);
        positions.insert(PosOf(r));
        (std::abs(r.x) > 10000 ? far : coast).insert(PosOf(r));
    }
    EXPECT_EQ(positions.size(), 32u);
    EXPECT_EQ(far, (std::set<Pos>{{-10635.995f, -3.9046f, -8377.501f}, {10581.922f, -3.9046f, -8377.501f},
                                 {10581.922f, -3.9046f, 8350.827f}, {-10635.995f, -3.9046f, 8350.827f}}));
    ASSERT_EQ(coast.size(), 28u);
    float x0 = 1e30f, x1 = -1e30f, z0 = 1e30f, z1 = -1e30f;
    for (auto [x, y, z] : coast) x0 = std::min(x0, x), x1 = std::max(x1, x), z0 = std::min(z0, z), z1 = std::max(z1, z);
    EXPECT_FLOAT_EQ(x0, -129.695f); EXPECT_FLOAT_EQ(x1, 148.069f); EXPECT_FLOAT_EQ(z0, -114.4544f); EXPECT_FLOAT_EQ(z1, 129.6798f);
    int special = 0;
    for (size_t i = 0; i < meshSea.rowCount; ++i)
        special += !(meshSea.rows[i].nx == 0 && meshSea.rows[i].ny == 1 && meshSea.rows[i].nz == 0);
    EXPECT_EQ(special, 7);
    EXPECT_EQ(ReversedRepeats(meshSea), 1);
    EXPECT_EQ(ReversedRepeats(meshSand), 1);
    int downward = 0;
    for (size_t t = 0; t < TriangleCount(meshSea); ++t) downward += FaceNormal(meshSea, t).y < 0;
    EXPECT_EQ(downward, 3);  // the two downward faces and the reverse of the double-sided one
    // The far corners lie beyond the far clipping distance from every point of the island.
    for (auto [fx, fy, fz] : far)
        for (size_t i = 0; i < meshTerrain.rowCount; ++i)
            EXPECT_GT(std::hypot(double(fx) - meshTerrain.rows[i].x, double(fz) - meshTerrain.rows[i].z), 2500);
}

TEST(WorldTables, EveryTriangleFacesWhereItsNormalsPoint) {
    for (const MeshGroup* g : kGroups) {
        std::vector<std::set<Pos>> seen;
        for (size_t t = 0; t < TriangleCount(*g); ++t) {
            Vec  f        = FaceNormal(*g, t);
            bool repeated = std::count(seen.begin(), seen.end(), CornersOf(*g, t)) > 0;
            seen.push_back(CornersOf(*g, t));
            EXPECT_GT(Dot(f, f), 1e-6) << "degenerate triangle " << t;
            if (repeated || (g == &meshSea && f.y < 0)) continue;
            for (int c = 0; c < 3; ++c) {
                const MeshVertex& r = g->rows[t * 3 + c];
                EXPECT_GT(Dot(f, {r.nx, r.ny, r.nz}), 0) << "group " << g->texture << " triangle " << t;
            }
        }
    }
}

// Edges used once by the opaque ground (repeats left out) may only be the sea floor's rim.
TEST(WorldTables, GroundPiecesMeetWithoutCracks) {
    std::map<std::pair<Pos, Pos>, int> edges;
    std::set<std::set<Pos>>            faces;
    for (const MeshGroup* g : kGround)
        for (size_t t = 0; t < TriangleCount(*g); ++t) {
            if (!faces.insert(CornersOf(*g, t)).second) continue;
            for (int c = 0; c < 3; ++c) {
                Pos a = PosOf(g->rows[t * 3 + c]), b = PosOf(g->rows[t * 3 + (c + 1) % 3]);
                ++edges[{std::min(a, b), std::max(a, b)}];
            }
        }
    int rim = 0;
    for (auto& [e, n] : edges) {
        EXPECT_LE(n, 2);
        if (n == 1) {
            EXPECT_EQ(std::get<1>(e.first), -50.4997f);
            EXPECT_EQ(std::get<1>(e.second), -50.4997f);
            ++rim;
        }
    }
    EXPECT_GT(rim, 3);
}

// The pad's west edge, which has no border, meets a level shelf of grass: the hill
// rising from the concrete's very edge looked as if it buried the pad.
TEST(WorldTables, PadCampfireAndTreesStandOnTheGround) {
    EXPECT_NEAR(GroundAt(115, 40), 1.03, 0.01);
    const double west[5][2] = {{97.2857, -54.8711}, {91.9562, -44.1313}, {91.4026, -2.2744}, {99.0658, 10.8635}, {106.8778, 37.5031}};
    for (int k = 0; k < 4; ++k) {
        const double dx = west[k + 1][0] - west[k][0], dz = west[k + 1][1] - west[k][1], len = std::hypot(dx, dz);
        for (double along = 0.1; along < 0.95; along += 0.1)
            for (double out = 0.5; out <= 4; out += 0.5) {
                const double x = west[k][0] + along * dx - out * dz / len, z = west[k][1] + along * dz + out * dx / len;
                EXPECT_LE(GroundAt(x, z), 1.0314) << "west of the pad at " << x << ", " << z;
            }
    }
    const double bottom = 6.3777 + 2;
    for (auto [x, z] : {std::pair{-71.5478, 88.8451}, std::pair{-61.5478, 98.8451}}) {
        double h = GroundAt(x, z);
        EXPECT_LE(bottom, h + 0.1) << x << " ground " << h;
        EXPECT_GE(bottom, h - 1.3) << x << " ground " << h;
    }
}

// The water covers its bed without the bed showing through it, lies close over it nearly
// everywhere, and its banks never hang far above the ground. Where it runs over the shore
// it lies close on the sand, and where the sand has gone under the sea it stands no
// higher than the sea's surface: the stream ends in the sea, not as a tongue over it.
TEST(WorldTables, StreamNeitherFloatsNorSinks) {
    constexpr double kSea = -3.9046, kRounding = 1e-3;
    std::map<std::pair<Pos, Pos>, int> edges;
    for (size_t t = 0; t < TriangleCount(meshStream); ++t)
        for (int c = 0; c < 3; ++c) {
            Pos a = PosOf(meshStream.rows[t * 3 + c]), b = PosOf(meshStream.rows[t * 3 + (c + 1) % 3]);
            ++edges[{std::min(a, b), std::max(a, b)}];
        }
    int    samples = 0, close = 0;
    double overSand = 0, overSea = -1e9;
    for (size_t t = 0; t < TriangleCount(meshStream); ++t) {
        const MeshVertex* r = meshStream.rows + t * 3;
        for (double a = 0; a <= 1; a += 0.125)
            for (double b = 0; a + b <= 1; b += 0.125) {
                double x = r[0].x + a * (r[1].x - r[0].x) + b * (r[2].x - r[0].x);
                double y = r[0].y + a * (r[1].y - r[0].y) + b * (r[2].y - r[0].y);
                double z = r[0].z + a * (r[1].z - r[0].z) + b * (r[2].z - r[0].z);
                const MeshGroup* under = nullptr;
                double           h     = GroundAt(x, z, &under);
                if (under == &meshSand) overSand = std::max(overSand, y - h);
                if (h <= kSea) {
                    overSea = std::max(overSea, y - kSea);
                    continue;
                }
                EXPECT_GT(y, h) << "hidden at " << x << ", " << z;
                ++samples;
                close += y - h <= 2;
            }
    }
    EXPECT_GE(close, samples * 97 / 100);
    RecordProperty("most_over_sand", std::to_string(overSand));
    RecordProperty("most_over_sea", std::to_string(overSea));
    EXPECT_LE(overSand, 0.3 + kRounding);
    EXPECT_LE(overSea, kRounding);
    int outline = 0;
    for (auto& [e, n] : edges) {
        if (n != 1) continue;
        ++outline;
        for (double t = 0; t <= 1; t += 0.25) {
            double x = std::get<0>(e.first) + t * (std::get<0>(e.second) - std::get<0>(e.first));
            double y = std::get<1>(e.first) + t * (std::get<1>(e.second) - std::get<1>(e.first));
            double z = std::get<2>(e.first) + t * (std::get<2>(e.second) - std::get<2>(e.first));
            double h = GroundAt(x, z);
            if (h > kSea) {
                EXPECT_LT(y - h, 2.5) << "floating at " << x << ", " << z;
            }
        }
    }
    EXPECT_EQ(outline, 40);
}

// Seen from above, every point is either sea or ground above the water.
TEST(WorldTables, SeaLeavesNoGapAroundTheIsland) {
    for (double x = -400; x <= 400; x += 3)
        for (double z = -400; z <= 400; z += 3) {
            if (GroundAt(x, z) > -3.9046) continue;
            bool covered = false;
            for (size_t t = 0; t < TriangleCount(meshSea) && !covered; ++t) {
                if (FaceNormal(meshSea, t).y <= 0) continue;
                const MeshVertex *a = meshSea.rows + t * 3, *b = a + 1, *c = a + 2;
                auto side = [&](const MeshVertex* p, const MeshVertex* q) {
                    return (double(q->z) - p->z) * (x - p->x) - (double(q->x) - p->x) * (z - p->z);
                };
                covered = side(a, b) >= 0 && side(b, c) >= 0 && side(c, a) >= 0;
            }
            EXPECT_TRUE(covered) << x << ", " << z << " ground " << GroundAt(x, z);
        }
}

TEST(SpriteTables, FireFramesShareTheirQuadAndStayBelowTheImageMiddle) {
    for (int f = 0; f < 6; ++f) {
        EXPECT_NEAR(fireFrameColumns[f].u1 - fireFrameColumns[f].u0, 0.1489, 0.00015);
        if (f > 0) {
            EXPECT_GT(fireFrameColumns[f].u0, fireFrameColumns[f - 1].u1);
        }
    }
    for (const MeshVertex& r : meshFireQuad) EXPECT_LE(r.v, 0.5483f);
    for (int k = 0; k < 6; ++k) {
        EXPECT_EQ(meshTree[k].x, meshTree[k + 6].x); EXPECT_EQ(meshTree[k].u, meshTree[k + 6].u);
        EXPECT_EQ(meshTree[k + 12].z, meshTree[k + 18].z); EXPECT_EQ(meshTree[k + 12].v, meshTree[k + 18].v);
    }
}

}  // namespace
