// textures_test.cpp — the nine painted texture files, read back by the viewer's own
// reader from the build folder where the viewer runs.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
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

}  // namespace

// Inland ground (terrain wholly above y 3) must not show the beach: the texture is
// sampled where the terrain's own coordinates put it, wrapping as GL_REPEAT does.
TEST(SceneTextures, InlandTerrainShowsNoBeachColour) {
    const Image mapping = Read("Mapping256.bmp");
    ASSERT_EQ(mapping.width, 256);
    auto beach = [](const uint8_t* p) {
        return std::abs(p[0] - 196) <= 24 && std::abs(p[1] - 178) <= 22 && std::abs(p[2] - 128) <= 16;
    };
    size_t samples = 0, beachy = 0;
    for (size_t t = 0; t + 2 < meshTerrain.rowCount; t += 3) {
        const MeshVertex* c = &meshTerrain.rows[t];
        if (c[0].y <= 3 || c[1].y <= 3 || c[2].y <= 3) continue;
        constexpr int kSteps = 12;
        for (int i = 0; i <= kSteps; ++i)
            for (int j = 0; i + j <= kSteps; ++j) {
                const float a = float(i) / kSteps, b = float(j) / kSteps, w = 1 - a - b;
                const float u = a * c[0].u + b * c[1].u + w * c[2].u, v = a * c[0].v + b * c[1].v + w * c[2].v;
                const int   x = ((int(std::floor(u * 256)) % 256) + 256) % 256;
                const int   y = ((int(std::floor(v * 256)) % 256) + 256) % 256;
                ++samples;
                beachy += beach(mapping.At(x, y));
            }
    }
    ASSERT_GT(samples, 1000u);
    RecordProperty("beach_permille", std::to_string(beachy * 1000 / samples));
    EXPECT_LE(beachy * 100, samples) << beachy << " of " << samples << " samples are beach-coloured";
}
