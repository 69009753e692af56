// display_lists_test.cpp — the nine scene lists on real Mesa: their names, the state each
// leaves behind, and the triangles that reach the rasteriser.
#include <GL/gl.h>

#include <vector>

#include "render/scene_setup.h"
#include "scene/display_lists.h"
#include "tests/support/gl_fixture.h"

namespace {

class DisplayListsTest : public GLTest {
protected:
    void SetUp() override {
        GLTest::SetUp();
        // Texture objects with no image stand in for the nine loaded textures.
        glGenTextures(9, g_textures);
        for (uint32_t name : g_textures) glBindTexture(GL_TEXTURE_2D, name);
        glBindTexture(GL_TEXTURE_2D, 0);
        glEnable(GL_TEXTURE_2D);
        glEnable(GL_DEPTH_TEST);
        glEnable(GL_CULL_FACE);
        glEnable(GL_LIGHTING);
        glEnable(GL_LIGHT1);
        glEnable(GL_COLOR_MATERIAL);
        // A box that holds the whole world, seen at a slant so that no face is edge-on.
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(-20000, 20000, -20000, 20000, -20000, 20000);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glRotatef(23, 1, 0, 0);
        glRotatef(37, 0, 1, 0);
    }

    // Triangles drawn by one call of the list, counted in feedback mode.
    int TrianglesOf(uint32_t list) {
        std::vector<GLfloat> buffer(1 << 18);
        glFeedbackBuffer(GLsizei(buffer.size()), GL_3D, buffer.data());
        glRenderMode(GL_FEEDBACK);
        glCallList(list);
        int size = glRenderMode(GL_RENDER);
        EXPECT_GT(size, -1) << "feedback buffer overflow";
        int triangles = 0;
        for (int i = 0; i < size;) {
            int token = int(buffer[size_t(i)]);
            if (token == GL_POLYGON_TOKEN) {
                int corners = int(buffer[size_t(i) + 1]);
                EXPECT_EQ(corners, 3);
                ++triangles;
                i += 2 + corners * 3;
            } else if (token == GL_PASS_THROUGH_TOKEN) {
                i += 2;
            } else {
                ADD_FAILURE() << "unexpected feedback token " << token;
                break;
            }
        }
        return triangles;
    }

    // Triangles of the list seen once with each winding as the front: every culled face
    // is counted once, a face drawn with culling off twice.
    int BothWindings(uint32_t list) {
        glFrontFace(GL_CCW);
        int front = TrianglesOf(list);
        glFrontFace(GL_CW);
        int back = TrianglesOf(list);
        glFrontFace(GL_CCW);
        return front + back;
    }

    static std::vector<float> Modelview() {
        std::vector<float> m(16);
        glGetFloatv(GL_MODELVIEW_MATRIX, m.data());
        return m;
    }
    static GLint Bound() {
        GLint name = 0;
        glGetIntegerv(GL_TEXTURE_BINDING_2D, &name);
        return name;
    }
};

std::vector<uint32_t> NamesInAllocationOrder() {
    return {g_lists.listWorld, g_lists.listTree,  g_lists.listFire1, g_lists.listFire2,    g_lists.listFire3,
            g_lists.listFire4, g_lists.listFire5, g_lists.listFire6, g_lists.listSmokePuff};
}

TEST_F(DisplayListsTest, NineDistinctNamesInAllocationOrder) {
    g_lists = {};
    BuildDisplayLists();
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    std::vector<uint32_t> names = NamesInAllocationOrder();
    for (size_t i = 0; i < names.size(); ++i) {
        EXPECT_NE(names[i], 0u);
        EXPECT_TRUE(glIsList(names[i]));
        if (i > 0) {
            EXPECT_GT(names[i], names[i - 1]) << "allocated out of order at " << i;
        }
    }
}

TEST_F(DisplayListsTest, SpriteListsBindTheirTextureAndLeaveTheRestAlone) {
    BuildDisplayLists();
    glDisable(GL_CULL_FACE);
    glColor4f(0.25f, 0.5f, 0.75f, 1);
    std::vector<float> before = Modelview();
    struct Case {
        uint32_t list;
        uint32_t texture;
        int      triangles;
    };
    const Case cases[] = {{g_lists.listSmokePuff, g_textures[8], 4}, {g_lists.listTree, g_textures[6], 8},
                          {g_lists.listFire1, g_textures[7], 4},     {g_lists.listFire2, g_textures[7], 4},
                          {g_lists.listFire3, g_textures[7], 4},     {g_lists.listFire4, g_textures[7], 4},
                          {g_lists.listFire5, g_textures[7], 4},     {g_lists.listFire6, g_textures[7], 4}};
    for (const Case& c : cases) {
        glBindTexture(GL_TEXTURE_2D, 0);
        glCallList(c.list);
        EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR)) << c.list;
        EXPECT_EQ(Bound(), GLint(c.texture)) << c.list;
        EXPECT_EQ(Modelview(), before) << c.list;
        EXPECT_FALSE(glIsEnabled(GL_BLEND));
        EXPECT_FALSE(glIsEnabled(GL_CULL_FACE));
        EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
        float colour[4];
        glGetFloatv(GL_CURRENT_COLOR, colour);
        EXPECT_FLOAT_EQ(colour[0], 0.25f); EXPECT_FLOAT_EQ(colour[2], 0.75f);
        EXPECT_EQ(TrianglesOf(c.list), c.triangles) << c.list;
    }
}

TEST_F(DisplayListsTest, WorldLeavesTheWaterColourAndTheTreeTexture) {
    BuildDisplayLists();
    glColor3f(1, 1, 1);
    std::vector<float> before = Modelview();
    glCallList(g_lists.listWorld);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    GLint src = 0, dst = 0;
    glGetIntegerv(GL_BLEND_SRC, &src);
    glGetIntegerv(GL_BLEND_DST, &dst);
    EXPECT_EQ(src, GL_SRC_ALPHA);
    EXPECT_EQ(dst, GL_ONE_MINUS_SRC_ALPHA);
    float colour[4];
    glGetFloatv(GL_CURRENT_COLOR, colour);
    EXPECT_FLOAT_EQ(colour[0], 0.3f); EXPECT_FLOAT_EQ(colour[1], 0.3f);
    EXPECT_FLOAT_EQ(colour[2], 0.5f); EXPECT_FLOAT_EQ(colour[3], 0.8f);
    EXPECT_EQ(Bound(), GLint(g_textures[6]));
    EXPECT_EQ(Modelview(), before);
}

TEST_F(DisplayListsTest, WorldDrawsItsOwnTrianglesAndTwoTrees) {
    BuildDisplayLists();
    // Culled faces count once over the two windings; the 16 tree faces, drawn with
    // culling off, twice.
    EXPECT_EQ(BothWindings(g_lists.listWorld), 542 + 2 * 16);
    glDisable(GL_CULL_FACE);
    EXPECT_EQ(TrianglesOf(g_lists.listTree), 8);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(DisplayListsTest, SecondContextGetsACompleteSet) {
    BuildDisplayLists();
    OffscreenGL second;
    std::string error;
    ASSERT_TRUE(CreateOffscreenGL(&second, 64, 64, &error)) << error;
    glGenTextures(9, g_textures);
    glMatrixMode(GL_PROJECTION);
    glOrtho(-20000, 20000, -20000, 20000, -20000, 20000);
    glMatrixMode(GL_MODELVIEW);
    glRotatef(23, 1, 0, 0);
    glRotatef(37, 0, 1, 0);
    glEnable(GL_CULL_FACE);
    BuildDisplayLists();
    std::vector<uint32_t> names = NamesInAllocationOrder();
    for (uint32_t name : names) EXPECT_TRUE(glIsList(name));
    EXPECT_EQ(BothWindings(g_lists.listWorld), 542 + 2 * 16);
    DestroyOffscreenGL(&second);
}

}  // namespace
