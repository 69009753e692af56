// texture_test.cpp — textures made on real Mesa: the target by height, the parameters,
// the texels and derived alpha read back from GL, the unpack alignment for odd RGB
// rows, and the paths that make no texture.
#include <GL/gl.h>

#include <climits>
#include <vector>

#include "image/texture.h"
#include "platform/platform_fake.h"
#include "tests/image/bmp_builder.h"
#include "tests/support/gl_fixture.h"

namespace {

using Bytes = std::vector<uint8_t>;

// A 24-bit BMP from picture pixels (red, green, blue), bottom row first.
BmpLayout ImageOf(int width, int height, const Bytes& rgb) {
    BmpLayout bmp;
    bmp.width  = width;
    bmp.height = height;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const uint8_t* p = &rgb[(y * width + x) * 3];
            bmp.bits.insert(bmp.bits.end(), {p[2], p[1], p[0]});
        }
        while (bmp.bits.size() % 4) bmp.bits.push_back(0);
    }
    return bmp;
}

Bytes Ramp(int count) {
    Bytes rgb;
    for (int i = 0; i < count; ++i) rgb.insert(rgb.end(), {static_cast<uint8_t>(i), static_cast<uint8_t>(255 - i), 77});
    return rgb;
}

TextureDesc Describe(const std::string& path, bool makeAlpha) {
    return TextureDesc{path.c_str(), static_cast<uint8_t>(makeAlpha), GL_NEAREST, GL_NEAREST, GL_REPEAT};
}

class TextureTest : public GLTest {
protected:
    void SetUp() override {
        GLTest::SetUp();
        fake::ResetFake();
    }

    std::string Write(const std::string& name, const BmpLayout& bmp) { return dir_.Write(name, BuildBmp(bmp)); }

    static Bytes ReadTexels(GLenum target, GLenum format, size_t count) {
        Bytes texels(count);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glGetTexImage(target, 0, format, GL_UNSIGNED_BYTE, texels.data());
        return texels;
    }

    TempDir dir_;
};

TEST_F(TextureTest, OneRowMakesA1DTextureAndMoreRowsA2DOne) {
    std::string row = Write("row.bmp", ImageOf(256, 1, Ramp(256)));
    GLuint      one = MakeTexture(Describe(row, false));
    ASSERT_NE(one, 0u);
    GLint bound = 0, width = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_1D, &bound);
    EXPECT_EQ(static_cast<GLuint>(bound), one);
    glGetTexLevelParameteriv(GL_TEXTURE_1D, 0, GL_TEXTURE_WIDTH, &width);
    EXPECT_EQ(width, 256);
    EXPECT_EQ(ReadTexels(GL_TEXTURE_1D, GL_RGB, 256 * 3), Ramp(256));

    std::string two = Write("two.bmp", ImageOf(4, 2, Ramp(8)));
    GLuint      flat = MakeTexture(Describe(two, false));
    ASSERT_NE(flat, 0u);
    GLint height = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(static_cast<GLuint>(bound), flat);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
    EXPECT_EQ(width, 4);
    EXPECT_EQ(height, 2);
    EXPECT_EQ(ReadTexels(GL_TEXTURE_2D, GL_RGB, 8 * 3), Ramp(8));
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(TextureTest, ParametersComeFromTheDescription) {
    std::string path = Write("p.bmp", ImageOf(2, 2, Ramp(4)));
    TextureDesc desc{path.c_str(), 0, GL_LINEAR, GL_NEAREST, GL_CLAMP};
    ASSERT_NE(MakeTexture(desc), 0u);
    GLint minFilter = 0, magFilter = 0, wrapS = 0, wrapT = 0, envMode = 0, alphaSize = -1;
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &minFilter);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &magFilter);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, &wrapS);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, &wrapT);
    glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &envMode);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_ALPHA_SIZE, &alphaSize);
    EXPECT_EQ(minFilter, GL_LINEAR);
    EXPECT_EQ(magFilter, GL_NEAREST);
    EXPECT_EQ(wrapS, GL_CLAMP);
    EXPECT_EQ(wrapT, GL_CLAMP);
    EXPECT_EQ(envMode, GL_MODULATE);
    EXPECT_EQ(alphaSize, 0);
}

TEST_F(TextureTest, AlphaIsTheRoundedDownMeanOfTheChannels) {
    Bytes       rgb  = {255, 255, 255, 255, 0, 0, 2, 2, 1, 1, 1, 0, 0, 0, 0};
    std::string row  = Write("alpha1.bmp", ImageOf(5, 1, rgb));
    ASSERT_NE(MakeTexture(Describe(row, true)), 0u);
    Bytes texels = ReadTexels(GL_TEXTURE_1D, GL_RGBA, 5 * 4);
    Bytes expected;
    const uint8_t alphas[] = {255, 85, 1, 0, 0};
    for (int i = 0; i < 5; ++i)
        expected.insert(expected.end(), {rgb[i * 3], rgb[i * 3 + 1], rgb[i * 3 + 2], alphas[i]});
    EXPECT_EQ(texels, expected);

    // The same pixels over two rows of a 2D texture, one odd pixel to spare.
    rgb.insert(rgb.end(), {90, 60, 31});
    std::string flat = Write("alpha2.bmp", ImageOf(3, 2, rgb));
    ASSERT_NE(MakeTexture(Describe(flat, true)), 0u);
    texels = ReadTexels(GL_TEXTURE_2D, GL_RGBA, 6 * 4);
    expected.insert(expected.end(), {90, 60, 31, 60});
    EXPECT_EQ(texels, expected);
    GLint alphaSize = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_ALPHA_SIZE, &alphaSize);
    EXPECT_GT(alphaSize, 0);
}

TEST_F(TextureTest, OddRgbRowsUploadByteAlignedAndTheAlignmentIsRestored) {
    Bytes rgb = Ramp(15);
    std::string path = Write("five.bmp", ImageOf(5, 3, rgb));
    glPixelStorei(GL_UNPACK_ALIGNMENT, 8);
    ASSERT_NE(MakeTexture(Describe(path, false)), 0u);
    EXPECT_EQ(ReadTexels(GL_TEXTURE_2D, GL_RGB, 15 * 3), rgb);
    GLint alignment = 0;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    EXPECT_EQ(alignment, 8);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(TextureTest, MissingFilesMakeNoTextureNoGlCallAndNoMessage) {
    GLuint before = 0, after = 0;
    glGenTextures(1, &before);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    EXPECT_EQ(MakeTexture(Describe(dir_.path() + "/missing.bmp", false)), 0u);
    EXPECT_EQ(MakeTexture(TextureDesc{nullptr, 0, GL_NEAREST, GL_NEAREST, GL_REPEAT}), 0u);
    EXPECT_EQ(LoadImageFile(nullptr), nullptr);
    EXPECT_TRUE(fake::Fake().boxes.empty());
    // No name was taken and no state changed.
    glGenTextures(1, &after);
    EXPECT_EQ(after, before + 1);
    GLint envMode = 0, bound = -1;
    glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &envMode);
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(envMode, GL_REPLACE);
    EXPECT_EQ(bound, 0);
}

TEST_F(TextureTest, UnreadableFilesShowTheReadersMessageAndMakeNoTexture) {
    BmpLayout bmp    = ImageOf(2, 2, Ramp(4));
    bmp.headerSize = 124;
    EXPECT_EQ(MakeTexture(Describe(Write("v5.bmp", bmp), true)), 0u);
    ASSERT_EQ(fake::Fake().boxes.size(), 1u);
    EXPECT_EQ(fake::Fake().boxes[0].text, "Unknown DIB file format.");
    GLint bound = -1;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(bound, 0);
}

TEST_F(TextureTest, EveryCallTakesANewName) {
    std::string path = Write("same.bmp", ImageOf(2, 2, Ramp(4)));
    GLuint      a    = MakeTexture(Describe(path, false));
    GLuint      b    = MakeTexture(Describe(path, true));
    EXPECT_NE(a, 0u);
    EXPECT_NE(b, 0u);
    EXPECT_NE(a, b);
    EXPECT_TRUE(glIsTexture(a));
    EXPECT_TRUE(glIsTexture(b));
}

TEST(RgbaPixels, SizesBeyondTheAddressRangeGiveNoBuffer) {
    RgbImage huge{INT32_MAX, INT32_MAX, nullptr};
    EXPECT_EQ(BuildRgbaPixels(&huge), nullptr);
}

}  // namespace
