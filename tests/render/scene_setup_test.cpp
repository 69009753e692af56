// scene_setup_test.cpp — the viewport and projection, the fixed state, light, textures
// and starting values InitScene leaves on the real GL, and the font's glyph lists.
#include <EGL/egl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "platform/platform_fake.h"
#include "render/font.h"
#include "render/frame.h"
#include "render/scene_setup.h"
#include "render_fixture.h"
#include "scene/display_lists.h"

namespace {

std::vector<int> viewport() {
    std::vector<int> v(4);
    glGetIntegerv(GL_VIEWPORT, v.data());
    return v;
}

std::vector<float> projection() {
    std::vector<float> m(16);
    glGetFloatv(GL_PROJECTION_MATRIX, m.data());
    return m;
}

std::vector<float> identity() { return {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}; }

void expectPerspective(double aspect) {
    const double f = 1.0 / std::tan(22.5 * M_PI / 180.0), n = 0.1, z = 2500.0;
    const auto   m = projection();
    EXPECT_NEAR(m[0], f / aspect, 1e-5);
    EXPECT_NEAR(m[5], f, 1e-5);
    EXPECT_NEAR(m[10], (z + n) / (n - z), 1e-5);
    EXPECT_NEAR(m[11], -1.0, 1e-6);
    EXPECT_NEAR(m[14], 2 * z * n / (n - z), 1e-5);
    EXPECT_EQ(m[15], 0.0f);
}

void expectModelviewSelectedAndIdentity() {
    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_MODELVIEW);
    EXPECT_EQ(ModelviewMatrix(), identity());
}

using ProjectionTest = RenderTest;

TEST_F(ProjectionTest, FitsA640By480Window) {
    glMatrixMode(GL_PROJECTION);
    glTranslatef(1, 2, 3);   // whatever was there is replaced
    glMatrixMode(GL_MODELVIEW);
    glTranslatef(4, 5, 6);
    ResizeViewport(640, 480);
    EXPECT_EQ(viewport(), (std::vector<int>{0, 0, 640, 480}));
    expectPerspective(640.0 / 480.0);
    expectModelviewSelectedAndIdentity();
}

TEST_F(ProjectionTest, ZeroHeightBecomesOne) {
    ResizeViewport(300, 0);
    EXPECT_EQ(viewport(), (std::vector<int>{0, 0, 300, 1}));
    expectPerspective(300.0);
    expectModelviewSelectedAndIdentity();
}

TEST_F(ProjectionTest, ZeroBySizeGivesAZeroAspectThatThePerspectiveIgnores) {
    ResizeViewport(0, 0);
    EXPECT_EQ(viewport(), (std::vector<int>{0, 0, 0, 1}));
    EXPECT_EQ(projection(), identity());
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    expectModelviewSelectedAndIdentity();
}

TEST_F(ProjectionTest, IsHarmlessWithoutACurrentContext) {
    ResizeViewport(640, 480);
    ASSERT_TRUE(eglMakeCurrent(gl_.display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT));
    ResizeViewport(100, 50);
    ASSERT_TRUE(MakeOffscreenGLCurrent(&gl_));
    EXPECT_EQ(viewport(), (std::vector<int>{0, 0, 640, 480}));
    expectPerspective(640.0 / 480.0);
}

class InitSceneTest : public RenderTest {
protected:
    void SetUp() override {
        RenderTest::SetUp();
        dir_ = std::filesystem::temp_directory_path() / ("island-init-" + std::to_string(getpid()));
        std::filesystem::create_directories(dir_);
        previous_ = std::filesystem::current_path();
        std::filesystem::current_path(dir_);
    }
    void TearDown() override {
        std::filesystem::current_path(previous_);
        std::filesystem::remove_all(dir_);
        RenderTest::TearDown();
    }

    // A 4 x 4 grey picture as a 24-bit BMP with file header.
    static void writeBmp(const std::string& name) {
        const uint8_t header[54] = {'B', 'M', 102, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0, 40, 0, 0, 0, 4, 0, 0, 0, 4, 0,
                                    0,   0,   1,   0, 24, 0};
        std::ofstream out(name, std::ios::binary);
        out.write(reinterpret_cast<const char*>(header), sizeof header);
        const std::string pixels(48, '\x80');
        out.write(pixels.data(), pixels.size());
    }

    std::filesystem::path dir_, previous_;
};

TEST_F(InitSceneTest, SetsTheFixedStateAndTheLight) {
    ResizeViewport(640, 480);
    ASSERT_EQ(InitScene(), 1);
    for (GLenum cap :
         {GL_TEXTURE_2D, GL_DEPTH_TEST, GL_CULL_FACE, GL_LIGHTING, GL_LIGHT1, GL_COLOR_MATERIAL, GL_ALPHA_TEST})
        EXPECT_TRUE(glIsEnabled(cap)) << std::hex << cap;
    for (GLenum cap : {GL_LIGHT0, GL_LIGHT2, GL_BLEND}) EXPECT_FALSE(glIsEnabled(cap)) << std::hex << cap;

    GLint value = 0;
    glGetIntegerv(GL_SHADE_MODEL, &value);
    EXPECT_EQ(value, GL_SMOOTH);
    glGetIntegerv(GL_DEPTH_FUNC, &value);
    EXPECT_EQ(value, GL_LEQUAL);
    glGetIntegerv(GL_ALPHA_TEST_FUNC, &value);
    EXPECT_EQ(value, GL_GREATER);
    glGetIntegerv(GL_PERSPECTIVE_CORRECTION_HINT, &value);
    EXPECT_EQ(value, GL_NICEST);
    glGetIntegerv(GL_CULL_FACE_MODE, &value);
    EXPECT_EQ(value, GL_BACK);
    glGetIntegerv(GL_FRONT_FACE, &value);
    EXPECT_EQ(value, GL_CCW);
    glGetIntegerv(GL_COLOR_MATERIAL_FACE, &value);
    EXPECT_EQ(value, GL_FRONT_AND_BACK);
    glGetIntegerv(GL_COLOR_MATERIAL_PARAMETER, &value);
    EXPECT_EQ(value, GL_AMBIENT_AND_DIFFUSE);

    std::vector<float> v(4);
    glGetFloatv(GL_COLOR_CLEAR_VALUE, v.data());
    EXPECT_EQ(v, (std::vector<float>{0, 0, 0.2f, 0.5f}));
    float depth = 0;
    glGetFloatv(GL_DEPTH_CLEAR_VALUE, &depth);
    EXPECT_EQ(depth, 1.0f);
    glGetLightfv(GL_LIGHT1, GL_AMBIENT, v.data());
    EXPECT_EQ(v, (std::vector<float>{0.5f, 0.5f, 0.5f, 1}));
    glGetLightfv(GL_LIGHT1, GL_DIFFUSE, v.data());
    EXPECT_EQ(v, (std::vector<float>{1, 1, 1, 1}));
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

// GL stores a light position in eye coordinates; given under the identity it stays at
// (6, 6, 6) beside the eye however far the camera flies or turns.
TEST_F(InitSceneTest, TheLightSitsInEyeCoordinatesAndMovesWithTheCamera) {
    ResizeViewport(640, 480);
    ASSERT_EQ(InitScene(), 1);
    g_camera = {20, 45, 0, 100, -30, -200};
    RenderFrame();
    std::vector<float> position(4);
    glGetLightfv(GL_LIGHT1, GL_POSITION, position.data());
    EXPECT_EQ(position, (std::vector<float>{6, 6, 6, 1}));
    EXPECT_NE(ModelviewMatrix(), identity());
}

TEST_F(InitSceneTest, AMissingCloudLeavesItsEntryZeroAndLoadsTheOtherEight) {
    const char* files[] = {"Mapping256.bmp", "rocksA256.bmp", "Gravel256.bmp", "sand.bmp",
                           "Landing.bmp",    "Wall.bmp",      "tree.bmp",      "fire.bmp"};
    for (const char* f : files) writeBmp(f);
    ResizeViewport(640, 480);
    ASSERT_EQ(InitScene(), 1);
    for (int i = 0; i < 8; ++i) {
        EXPECT_NE(g_textures[i], 0u) << files[i];
        EXPECT_TRUE(glIsTexture(g_textures[i])) << files[i];
        for (int j = 0; j < i; ++j) EXPECT_NE(g_textures[i], g_textures[j]);
    }
    EXPECT_EQ(g_textures[8], 0u);
}

// GL promises an unused range, not where it lies: Mesa 22 hands out names upwards,
// Mesa 25 the lowest free ones, below the font block.
TEST_F(InitSceneTest, ReservesNinetySixFontListsApartFromTheSceneLists) {
    ResizeViewport(640, 480);
    ASSERT_EQ(InitScene(), 1);
    ASSERT_NE(g_fontBase, 0u);
    for (int i = 0; i < kFontGlyphCount; ++i) EXPECT_TRUE(glIsList(g_fontBase + i)) << i;
    const uint32_t scene[] = {g_lists.listWorld, g_lists.listTree,  g_lists.listFire1, g_lists.listFire2,
                              g_lists.listFire3, g_lists.listFire4, g_lists.listFire5, g_lists.listFire6,
                              g_lists.listSmokePuff};
    for (const uint32_t list : scene) {
        EXPECT_NE(list, 0u);
        EXPECT_FALSE(list >= g_fontBase && list < g_fontBase + kFontGlyphCount) << list << " is a glyph's";
    }
}

TEST_F(InitSceneTest, ASecondRunResetsTheFlightAndTakesANewTimeReference) {
    fake::Fake().counter   = 1000;
    fake::Fake().frequency = 250;
    ResizeViewport(640, 480);
    ASSERT_EQ(InitScene(), 1);
    EXPECT_EQ(g_startCounter, 1000);
    EXPECT_EQ(g_counterFrequency, 250);

    g_camera = {12, -40, 0, 7, 8, 9};
    g_speed  = 0.3f;
    g_thrust = 0.2f;
    fake::Fake().counter = 9000;
    ASSERT_EQ(InitScene(), 1);
    EXPECT_EQ(g_startCounter, 9000);
    ExpectStartingPose();
    EXPECT_EQ(g_speed, 0.0f);
    EXPECT_EQ(g_thrust, 0.0f);
    AdvanceCamera();
    EXPECT_EQ(g_timeFactor, 0.0f);
}

class FontTest : public RenderTest {
protected:
    void SetUp() override {
        RenderTest::SetUp();
        BuildFontLists(nullptr);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(0, 640, 0, 480, -1, 1);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        glColor3f(1, 1, 1);
    }

    void drawText(int x, int y, const std::string& text) {
        glRasterPos2i(x, y);
        for (char c : text) glCallList(g_fontBase + static_cast<uint32_t>(c - kFontFirstChar));
    }

    // The lit pixels' bounding box: left, bottom, right, top (inclusive); all -1 if none.
    std::vector<int> litBox() {
        std::vector<uint8_t> red(640 * 480);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, 640, 480, GL_RED, GL_UNSIGNED_BYTE, red.data());
        std::vector<int> box = {-1, -1, -1, -1};
        for (int y = 0; y < 480; ++y)
            for (int x = 0; x < 640; ++x)
                if (red[y * 640 + x] > 128) {
                    if (box[0] < 0 || x < box[0]) box[0] = x;
                    if (box[1] < 0 || y < box[1]) box[1] = y;
                    box[2] = std::max(box[2], x);
                    box[3] = std::max(box[3], y);
                }
        return box;
    }
};

TEST_F(FontTest, ABarIsThreePixelsWideAndStandsTwentyOneHighOnTheBaseline) {
    drawText(100, 100, "|");
    EXPECT_EQ(litBox(), (std::vector<int>{105, 100, 107, 120}));
}

TEST_F(FontTest, DescendersReachBelowTheBaselineAndSpacesDrawNothing) {
    drawText(100, 100, " ");
    EXPECT_EQ(litBox(), (std::vector<int>{-1, -1, -1, -1}));
    drawText(100, 100, "g");
    EXPECT_EQ(litBox()[1], 100 - kFontDescent);
}

TEST_F(FontTest, EveryGlyphAdvancesOneCell) {
    const std::string all = [] {
        std::string s;
        for (int c = kFontFirstChar; c < kFontFirstChar + kFontGlyphCount; ++c) s += static_cast<char>(c);
        return s;
    }();
    drawText(0, 200, all.substr(0, 40));
    float position[4];
    glGetFloatv(GL_CURRENT_RASTER_POSITION, position);
    EXPECT_EQ(position[0], 40.0f * kFontCellWidth);
    const auto box = litBox();
    EXPECT_GE(box[1], 200 - kFontDescent);
    EXPECT_LE(box[3], 200 - kFontDescent + kFontCellHeight - 1);
    GLint alignment = 0;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    EXPECT_EQ(alignment, 4);
}

}  // namespace
