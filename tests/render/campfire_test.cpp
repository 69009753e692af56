// campfire_test.cpp — the campfire's lists, positions, alphas and the state it restores,
// on the real GL: marker lists stand in for the fire frames and the smoke puff.
#include <gtest/gtest.h>

#include "app/window_proc.h"
#include "render/campfire.h"
#include "render_fixture.h"
#include "scene/display_lists.h"

namespace {

constexpr int kPuffTag = 100;

class CampfireTest : public RenderTest {
protected:
    void SetUp() override {
        RenderTest::SetUp();
        UseFeedbackProjection();
        uint32_t SceneLists::*fires[6] = {&SceneLists::listFire1, &SceneLists::listFire2, &SceneLists::listFire3,
                                          &SceneLists::listFire4, &SceneLists::listFire5, &SceneLists::listFire6};
        for (int i = 0; i < 6; ++i) g_lists.*fires[i] = MakeMarkerList(i + 1);
        g_lists.listSmokePuff = MakeMarkerList(kPuffTag);
        glEnable(GL_CULL_FACE);
        glDisable(GL_BLEND);
    }

    // The state DrawCampfire must leave, whatever the step.
    void expectRestored(const std::vector<float>& matrixBefore) {
        EXPECT_EQ(ModelviewMatrix(), matrixBefore);
        EXPECT_FALSE(glIsEnabled(GL_BLEND));
        EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    }
};

struct ExpectedStep {
    int   firstFire, secondFire;
    float puff1[3], alpha1;
    float puff2[3], alpha2;   // where the second puff ends up, from the campfire origin
};

const ExpectedStep kSteps[6] = {
    {1, 2, {15, 10, -9}, 0.9f, {30, 26, -13}, 0.4f},
    {2, 3, {15, 14, -10}, 0.8f, {25, 30, -14}, 0.2f},
    {3, 4, {20, 18, -11}, 0.7f, {15, 10, -9}, 0.9f},
    {4, 5, {25, 22, -12}, 0.6f, {15, 14, -10}, 0.8f},
    {5, 6, {30, 26, -13}, 0.4f, {20, 18, -12}, 0.7f},
    {1, 6, {35, 30, -14}, 0.2f, {25, 22, -12}, 0.6f},
};

void expectHit(const MarkerHit& hit, int tag, const float* at, float alpha) {
    EXPECT_EQ(hit.tag, tag);
    EXPECT_NEAR(hit.x, at[0], 0.01f);
    EXPECT_NEAR(hit.y, at[1], 0.01f);
    EXPECT_NEAR(hit.z, at[2], 0.01f);
    EXPECT_FLOAT_EQ(hit.r, 1.0f);
    EXPECT_FLOAT_EQ(hit.g, 1.0f);
    EXPECT_FLOAT_EQ(hit.b, 1.0f);
    EXPECT_NEAR(hit.a, alpha, 1e-6f);
}

TEST_F(CampfireTest, EachStepDrawsItsFramesAndPuffsWhereTheTableSays) {
    const float origin[3] = {0, 0, 0};
    for (int step = 1; step <= 6; ++step) {
        SCOPED_TRACE("step " + std::to_string(step));
        const ExpectedStep& e = kSteps[step - 1];
        g_fireFrame           = step;
        glLoadIdentity();
        const auto before = ModelviewMatrix();
        const auto hits   = CaptureMarkers(DrawCampfire);
        ASSERT_EQ(hits.size(), 4u);
        expectHit(hits[0], e.firstFire, origin, 0.9f);
        expectHit(hits[1], e.secondFire, origin, 0.9f);
        expectHit(hits[2], kPuffTag, e.puff1, e.alpha1);
        expectHit(hits[3], kPuffTag, e.puff2, e.alpha2);
        expectRestored(before);
        const auto colour = CurrentColour();
        EXPECT_EQ(colour, (std::vector<float>{1, 1, 1, e.alpha2}));
    }
}

TEST_F(CampfireTest, DrawsRelativeToTheTransformItIsGiven) {
    g_fireFrame = 3;
    glTranslatef(115, 1, 40);
    const auto before = ModelviewMatrix();
    const auto hits   = CaptureMarkers(DrawCampfire);
    ASSERT_EQ(hits.size(), 4u);
    const float fire[3] = {115, 1, 40}, puff2[3] = {130, 11, 31};
    expectHit(hits[0], 3, fire, 0.9f);
    expectHit(hits[3], kPuffTag, puff2, 0.9f);
    expectRestored(before);
}

TEST_F(CampfireTest, StepsOutsideOneToSixDrawNothingAndStillRestore) {
    for (int step : {0, 7, -1}) {
        SCOPED_TRACE("step " + std::to_string(step));
        g_fireFrame = step;
        glLoadIdentity();
        glTranslatef(3, 4, 5);
        const auto before = ModelviewMatrix();
        EXPECT_TRUE(CaptureMarkers(DrawCampfire).empty());
        expectRestored(before);
        EXPECT_EQ(CurrentColour(), (std::vector<float>{1, 1, 1, 0.9f}));
    }
}

// The lists run with blending on and culling off: a back-facing white square in the
// puff list shows, mixed with what lies behind it by the two puff alphas.
TEST_F(CampfireTest, PuffsAreBlendedAndShowTheirBackFaces) {
    const uint32_t backSquare = glGenLists(1);
    glNewList(backSquare, GL_COMPILE);
    glBegin(GL_TRIANGLES);   // clockwise as seen from the eye
    glVertex3f(-2000, -2000, 0);
    glVertex3f(0, 2000, 0);
    glVertex3f(2000, -2000, 0);
    glEnd();
    glEndList();
    g_lists.listSmokePuff = backSquare;
    for (uint32_t SceneLists::*fire : {&SceneLists::listFire2, &SceneLists::listFire3}) g_lists.*fire = 0;

    glViewport(0, 0, 640, 480);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glScalef(0.001f, 0.001f, 0.001f);
    glDisable(GL_LIGHTING);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_DEPTH_TEST);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    g_fireFrame = 2;   // alphas 0.8 then 0.2 over black: 0.8 * 0.8 + 0.2 = 0.84
    DrawCampfire();

    uint8_t pixel[3];
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(320, 240, 1, 1, GL_RGB, GL_UNSIGNED_BYTE, pixel);
    for (uint8_t channel : pixel) EXPECT_NEAR(channel, 0.84 * 255, 2);
    GLint source = 0, destination = 0;
    glGetIntegerv(GL_BLEND_SRC, &source);
    glGetIntegerv(GL_BLEND_DST, &destination);
    EXPECT_EQ(source, GL_SRC_ALPHA);
    EXPECT_EQ(destination, GL_ONE_MINUS_SRC_ALPHA);
}

}  // namespace
