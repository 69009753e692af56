// render_fixture.cpp — state reset and feedback capture for the renderer's tests.
#include "render_fixture.h"

#include <cstring>

#include "app/window_proc.h"
#include "platform/platform_fake.h"
#include "render/frame.h"
#include "render/scene_setup.h"
#include "scene/display_lists.h"

void RenderTest::SetUp() {
    GLTest::SetUp();
    fake::ResetFake();
    std::memset(g_keys, 0, sizeof g_keys);
    g_fireFrame = 1;
    g_camera    = {};
    g_speed = g_thrust = g_timeFactor = 0.0f;
    g_lists = {};
}

uint32_t MakeMarkerList(int tag) {
    const uint32_t list = glGenLists(1);
    glNewList(list, GL_COMPILE);
    glPassThrough(static_cast<float>(tag));
    glBegin(GL_POINTS);
    glVertex3f(0.0f, 0.0f, 0.0f);
    glEnd();
    glEndList();
    return list;
}

void UseFeedbackProjection() {
    glViewport(0, 0, 2000, 2000);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-1000, 1000, -1000, 1000, -1000, 1000);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

std::vector<MarkerHit> CaptureMarkers(const std::function<void()>& draw) {
    std::vector<float> buffer(4096);
    glDisable(GL_LIGHTING);
    glFeedbackBuffer(static_cast<GLsizei>(buffer.size()), GL_3D_COLOR, buffer.data());
    glRenderMode(GL_FEEDBACK);
    draw();
    const int used = glRenderMode(GL_RENDER);
    glEnable(GL_LIGHTING);

    std::vector<MarkerHit> hits;
    int tag = -1;
    for (int i = 0; i < used;) {
        const int token = static_cast<int>(buffer[i++]);
        if (token == GL_PASS_THROUGH_TOKEN) {
            tag = static_cast<int>(buffer[i++]);
        } else if (token == GL_POINT_TOKEN) {
            const float* v = &buffer[i];
            hits.push_back({tag, v[0] - 1000.0f, v[1] - 1000.0f, 1000.0f * (1.0f - 2.0f * v[2]), v[3], v[4], v[5], v[6]});
            i += 7;
        } else {
            ADD_FAILURE() << "unexpected feedback token " << token;
            break;
        }
    }
    return hits;
}

std::vector<float> CurrentColour() {
    std::vector<float> c(4);
    glGetFloatv(GL_CURRENT_COLOR, c.data());
    return c;
}

std::vector<float> ModelviewMatrix() {
    std::vector<float> m(16);
    glGetFloatv(GL_MODELVIEW_MATRIX, m.data());
    return m;
}

void ExpectStartingPose() {
    EXPECT_EQ(g_camera.pitch, 0.0f);
    EXPECT_EQ(g_camera.yaw, 0.0f);
    EXPECT_EQ(g_camera.roll, 0.0f);
    EXPECT_EQ(g_camera.x, 0.0f);
    EXPECT_EQ(g_camera.y, -50.0f);
    EXPECT_EQ(g_camera.z, -500.0f);
}
