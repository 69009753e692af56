// campfire.cpp — the animated campfire: two of the six fire frames laid over each other
// and two translucent smoke puffs, all chosen by the 100 ms animation step.
#include "render/campfire.h"

#include <GL/gl.h>

#include "app/window_proc.h"
#include "scene/display_lists.h"

namespace {

struct Vec3 {
    float x, y, z;
};

struct CampfireStep {
    uint32_t SceneLists::*firstFire;
    uint32_t SceneLists::*secondFire;
    Vec3  firstPuff;    // from the campfire origin
    float firstAlpha;
    Vec3  secondPuff;   // from the first puff
    float secondAlpha;
};

// Indexed by animation step minus one.
const CampfireStep kCampfireSteps[6] = {
    {&SceneLists::listFire1, &SceneLists::listFire2, {15, 10, -9}, 0.9f, {15, 16, -4}, 0.4f},
    {&SceneLists::listFire2, &SceneLists::listFire3, {15, 14, -10}, 0.8f, {10, 16, -4}, 0.2f},
    {&SceneLists::listFire3, &SceneLists::listFire4, {20, 18, -11}, 0.7f, {-5, -8, 2}, 0.9f},
    {&SceneLists::listFire4, &SceneLists::listFire5, {25, 22, -12}, 0.6f, {-10, -8, 2}, 0.8f},
    {&SceneLists::listFire5, &SceneLists::listFire6, {30, 26, -13}, 0.4f, {-10, -8, 1}, 0.7f},
    {&SceneLists::listFire1, &SceneLists::listFire6, {35, 30, -14}, 0.2f, {-10, -8, 2}, 0.6f},
};

constexpr float kFireAlpha = 0.9f;

}  // namespace

void DrawCampfire() {
    glPushMatrix();
    glColor4f(1.0f, 1.0f, 1.0f, kFireAlpha);
    // Both sides of the flames and the smoke show; depth writes stay on, so the drawing
    // order decides which translucent surface hides which.
    glDisable(GL_CULL_FACE);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);

    if (g_fireFrame >= 1 && g_fireFrame <= 6) {
        const CampfireStep& step = kCampfireSteps[g_fireFrame - 1];
        glCallList(g_lists.*step.firstFire);
        glCallList(g_lists.*step.secondFire);
        glTranslatef(step.firstPuff.x, step.firstPuff.y, step.firstPuff.z);
        glColor4f(1.0f, 1.0f, 1.0f, step.firstAlpha);
        glCallList(g_lists.listSmokePuff);
        glTranslatef(step.secondPuff.x, step.secondPuff.y, step.secondPuff.z);
        glColor4f(1.0f, 1.0f, 1.0f, step.secondAlpha);
        glCallList(g_lists.listSmokePuff);
    }

    glDisable(GL_BLEND);
    glEnable(GL_CULL_FACE);
    glPopMatrix();
}
