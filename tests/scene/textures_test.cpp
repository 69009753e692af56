// textures_test.cpp — the nine painted texture files, read back by the viewer's own
// reader from the build folder where the viewer runs.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "image/dib_reader.h"
#include "scene/sprite_meshes.h"
#include "scene/world_mesh.h"

namespace {

struct Image {
    int                  width = 0, height = 0;
    std::vector<uint8_t> rgb;
    const uint8_t*       At(int x, int y) const { return &rgb[(size_t(y) * size_t(width) + size_t(x)) * 3]; }
};

Image Read(const char* name) {
    std::string path  = std::string(ISLAND_BINARY_DIR) + "/" + name;
    RgbImage*   image = ReadDibImage(path.c_str());
    Image       out;
    if (!image) return out;
    out.width  = image->width;
    out.height = image->height;
    out.rgb.assign(image->pixels, image->pixels + size_t(image->width) * size_t(image->height) * 3);
    FreeRgbImage(image);
    return out;
}

bool Black(const uint8_t* p) { return p[0] + p[1] + p[2] < 3; }

TEST(SceneTextures, AllNineReadAsPowerOfTwoImages) {
    for (const char* name : {"Mapping256.bmp", "rocksA256.bmp", "Gravel256.bmp", "sand.bmp", "Landing.bmp", "Wall.bmp",
                             "tree.bmp", "fire.bmp", "Cloud1.bmp"}) {
        Image image = Read(name);
        ASSERT_GT(image.width, 0) << name;
        EXPECT_EQ(image.width & (image.width - 1), 0) << name;
        EXPECT_EQ(image.height & (image.height - 1), 0) << name;
        std::set<int> colours;
        for (size_t i = 0; i < image.rgb.size(); i += 3)
            colours.insert(image.rgb[i] << 16 | image.rgb[i + 1] << 8 | image.rgb[i + 2]);
        EXPECT_GT(colours.size(), 8u) << name << " is nearly flat";
    }
}

// The pad's texture coordinates jump at its triangle edges, so the picture may hold no
// line along a row or a column (a grid or a painted marking would kink there): every
// row and column averages close to the whole picture.
TEST(SceneTextures, LandingHasNoLinesForThePadEdgesToBreak) {
    Image image = Read("Landing.bmp");
    ASSERT_GT(image.width, 0);
    double              total = 0;
    std::vector<double> rows(size_t(image.height)), columns(size_t(image.width));
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x) {
            const uint8_t* p = image.At(x, y);
            const double   v = p[0] + p[1] + p[2];
            rows[size_t(y)] += v / image.width;
            columns[size_t(x)] += v / image.height;
            total += v;
        }
    const double mean = total / (double(image.width) * image.height);
    for (int y = 0; y < image.height; ++y) EXPECT_NEAR(rows[size_t(y)] / mean, 1.0, 0.04) << "row " << y;
    for (int x = 0; x < image.width; ++x) EXPECT_NEAR(columns[size_t(x)] / mean, 1.0, 0.04) << "column " << x;
}

TEST(SceneTextures, SpritesAreBlackWhereTheyMustBeClear) {
    for (const char* name : {"tree.bmp", "fire.bmp", "Cloud1.bmp"}) {
        Image image = Read(name);
        ASSERT_GT(image.width, 0);
        // Corners and edges are clear; something bright stands in the middle.
        for (int k = 0; k < image.width; ++k) {
            EXPECT_TRUE(Black(image.At(k, image.height - 1))) << name;
            EXPECT_TRUE(Black(image.At(0, k))) << name;
        }
        int bright = 0;
        for (size_t i = 0; i < image.rgb.size(); i += 3) bright += image.rgb[i] + image.rgb[i + 1] + image.rgb[i + 2] > 300;
        EXPECT_GT(bright, 200) << name;
    }
}

TEST(SceneTextures, FireHoldsSixDifferentFramesInTheirColumns) {
    Image fire = Read("fire.bmp");
    ASSERT_EQ(fire.width, 256);
    int top = int(0.5483 * fire.height);
    std::vector<int> frameOf(256, -1);
    for (int f = 0; f < 6; ++f)
        for (int x = 0; x < 256; ++x)
            if (x >= fireFrameColumns[f].u0 * 256 && x + 1 <= fireFrameColumns[f].u1 * 256) frameOf[size_t(x)] = f;
    std::vector<std::vector<uint8_t>> frames(6);
    for (int y = 0; y < fire.height; ++y)
        for (int x = 0; x < 256; ++x) {
            const uint8_t* p = fire.At(x, y);
            if (frameOf[size_t(x)] < 0 || y >= top) {
                EXPECT_TRUE(Black(p)) << x << ", " << y;
            } else {
                frames[size_t(frameOf[size_t(x)])].insert(frames[size_t(frameOf[size_t(x)])].end(), p, p + 3);
            }
        }
    for (int f = 0; f < 6; ++f) {
        int lit = 0;
        for (uint8_t b : frames[size_t(f)]) lit += b > 128;
        EXPECT_GT(lit, 300) << "frame " << f + 1;
        for (int g = 0; g < f; ++g) EXPECT_NE(frames[size_t(f)], frames[size_t(g)]) << f + 1 << " and " << g + 1;
    }
}

// Beach and grass, told apart by hue so that the picture's grain of brightness does not
// flicker a texel from one to the other.
bool Beach(const uint8_t* p) {
    return std::abs(p[0] - 196) <= 24 && std::abs(p[1] - 178) <= 22 && std::abs(p[2] - 128) <= 16 && p[0] > p[1] + 4;
}
bool Grass(const uint8_t* p) { return p[1] > p[0] + 8; }

// The texel (y * 256 + x) of the 256 x 256 terrain picture at (u, v), wrapping as
// GL_REPEAT does.
int TexelOf(double u, double v) {
    return ((int(std::floor(v * 256)) % 256 + 256) % 256) * 256 + (int(std::floor(u * 256)) % 256 + 256) % 256;
}

// The texel the terrain shows at (x, z), found through its own coordinates; -1 off the
// terrain. `given` tells whether it lies on the first
// triangle, whose coordinates the world gives: they sweep across the whole picture.
int TerrainTexel(double x, double z, bool* given = nullptr) {
    for (size_t t = 0; t + 2 < meshTerrain.rowCount; t += 3) {
        const MeshVertex *a = &meshTerrain.rows[t], *b = a + 1, *c = a + 2;
        const double      d = (double(b->z) - c->z) * (a->x - c->x) + (double(c->x) - b->x) * (a->z - c->z);
        if (std::abs(d) < 1e-9) continue;
        const double l1 = ((double(b->z) - c->z) * (x - c->x) + (double(c->x) - b->x) * (z - c->z)) / d;
        const double l2 = ((double(c->z) - a->z) * (x - c->x) + (double(a->x) - c->x) * (z - c->z)) / d;
        const double l3 = 1 - l1 - l2;
        if (l1 < 0 || l2 < 0 || l3 < 0) continue;
        if (given) *given = t == 0;
        return TexelOf(l1 * a->u + l2 * b->u + l3 * c->u, l1 * a->v + l2 * b->v + l3 * c->v);
    }
    return -1;
}

}  // namespace

// Inland ground (terrain wholly above y 3) must not show the beach: the texture is
// sampled where the terrain's own coordinates put it, wrapping as GL_REPEAT does.
TEST(SceneTextures, InlandTerrainShowsNoBeachColour) {
    const Image mapping = Read("Mapping256.bmp");
    ASSERT_EQ(mapping.width, 256);
    size_t samples = 0, beachy = 0;
    for (size_t t = 0; t + 2 < meshTerrain.rowCount; t += 3) {
        const MeshVertex* c = &meshTerrain.rows[t];
        if (c[0].y <= 3 || c[1].y <= 3 || c[2].y <= 3) continue;
        constexpr int kSteps = 12;
        for (int i = 0; i <= kSteps; ++i)
            for (int j = 0; i + j <= kSteps; ++j) {
                const float a = float(i) / kSteps, b = float(j) / kSteps, w = 1 - a - b;
                const float u = a * c[0].u + b * c[1].u + w * c[2].u, v = a * c[0].v + b * c[1].v + w * c[2].v;
                const int   texel = TexelOf(u, v);
                ++samples;
                beachy += Beach(mapping.At(texel % 256, texel / 256));
            }
    }
    ASSERT_GT(samples, 1000u);
    RecordProperty("beach_permille", std::to_string(beachy * 1000 / samples));
    EXPECT_LE(beachy * 100, samples) << beachy << " of " << samples << " samples are beach-coloured";
}

// Seen low along the shore, the beach must be a band along the coast, not a zig-zag laid
// by the faces of the lowest row: across the coast its inland edge lies at an even
// distance, and on lines from the sea inland, straight and slanting, the terrain turns
// from sand to grass at most once. Left out: the first triangle, whose coordinates the
// world gives (they sweep across the whole picture).
TEST(SceneTextures, TheBeachFollowsTheCoastNotTheTriangles) {
    const Image mapping = Read("Mapping256.bmp");
    ASSERT_EQ(mapping.width, 256);
    // The coast: terrain edges used once by the terrain and shared with the shore.
    using Edge  = std::pair<std::array<float, 2>, std::array<float, 2>>;
    auto edgeOf = [](const MeshVertex& a, const MeshVertex& b) {
        const std::array<float, 2> p = {a.x, a.z}, q = {b.x, b.z};
        return p < q ? Edge{p, q} : Edge{q, p};
    };
    std::map<Edge, int> terrainEdges;
    std::set<Edge>      sandEdges;
    for (size_t t = 0; t < meshTerrain.rowCount; t += 3)
        for (int c = 0; c < 3; ++c) ++terrainEdges[edgeOf(meshTerrain.rows[t + c], meshTerrain.rows[t + (c + 1) % 3])];
    for (size_t t = 0; t < meshSand.rowCount; t += 3)
        for (int c = 0; c < 3; ++c) sandEdges.insert(edgeOf(meshSand.rows[t + c], meshSand.rows[t + (c + 1) % 3]));
    std::vector<Edge> coast;
    for (const auto& [edge, uses] : terrainEdges)
        if (uses == 1 && sandEdges.count(edge)) coast.push_back(edge);
    auto coastDistance = [&](double x, double z) {
        double best = 1e18;
        for (const auto& [a, b] : coast) {
            const double ex = b[0] - a[0], ez = b[1] - a[1];
            const double t  = std::clamp(((x - a[0]) * ex + (z - a[1]) * ez) / (ex * ex + ez * ez), 0.0, 1.0);
            best            = std::min(best, std::hypot(x - a[0] - t * ex, z - a[1] - t * ez));
        }
        return best;
    };
    constexpr double kStep = 0.2;
    // Walks inland from (x, z) along (dx, dz) and calls `at` with each texel and its
    // distance; false when the walk meets a texel left out.
    auto walk = [&](double x, double z, double dx, double dz, auto at) {
        double away = 0;
        for (double s = 0.1; s < 14; s += kStep) {
            const double   px = x + dx * s, pz = z + dz * s, d = coastDistance(px, pz);
            bool           given = false;
            const int      texel = TerrainTexel(px, pz, &given);
            // Inland only: the walk ends where it leaves the terrain or turns back to the coast.
            if (texel < 0 || d < away - 0.05) return true;
            if (given) return false;
            away = std::max(away, d);
            if (!at(mapping.At(texel % 256, texel / 256), s)) return true;
        }
        return true;
    };
    int    lines = 0, toothed = 0;
    double nearest = 1e9, farthest = 0;
    for (const auto& [a, b] : coast) {
        const double ex = b[0] - a[0], ez = b[1] - a[1], len = std::hypot(ex, ez);
        double       nx = -ez / len, nz = ex / len;
        if (TerrainTexel(a[0] + ex / 2 + nx * 0.3, a[1] + ez / 2 + nz * 0.3) < 0) nx = -nx, nz = -nz;
        for (double f = 0.5; f < len - 0.5; f += 0.5) {
            const double ox = a[0] + f * ex / len, oz = a[1] + f * ez / len;
            double       edge = -1;
            if (walk(ox, oz, nx, nz, [&](const uint8_t* p, double s) { return Beach(p) || (edge = s) < 0; }) && edge > 0)
                nearest = std::min(nearest, edge), farthest = std::max(farthest, edge);
            for (double slant : {-0.7, 0.0, 0.7}) {
                // Runs of sand or grass; one shorter than a texel is the picture's grain.
                std::vector<std::pair<int, double>> runs;   // kind, length
                if (!walk(ox, oz, nx + slant * ex / len, nz + slant * ez / len, [&](const uint8_t* p, double) {
                        const int kind = Beach(p) ? 1 : Grass(p) ? 2 : 0;
                        if (runs.empty() || runs.back().first != kind) runs.push_back({kind, 0.0});
                        runs.back().second += kStep;
                        return true;
                    }))
                    continue;
                int last = 0, changes = 0;
                for (auto [kind, length] : runs) {
                    if (kind == 0 || length < 1.0) continue;
                    changes += last && kind != last;
                    last = kind;
                }
                ++lines;
                toothed += changes > 1;
            }
        }
    }
    ASSERT_GT(lines, 1000);
    RecordProperty("beach_edge", std::to_string(nearest) + " to " + std::to_string(farthest));
    EXPECT_EQ(toothed, 0) << "of " << lines << " lines from the sea inland";
    EXPECT_GE(nearest, 0.3);
    EXPECT_LE(farthest, 3.5);
}

