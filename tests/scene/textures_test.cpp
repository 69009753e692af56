// textures_test.cpp — the nine painted texture files, read back by the viewer's own
// reader from the build folder where the viewer runs.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "image/dib_reader.h"
#include "scene/sprite_meshes.h"

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
