// frame.cpp — drawing one frame and the camera's flight model: keys act once per frame
// with fixed steps, and only the movement is scaled by time.
#include "render/frame.h"

#include <GL/gl.h>

#include <cmath>

#include "app/window_proc.h"
#include "platform/platform.h"
#include "render/campfire.h"
#include "render/scene_setup.h"
#include "scene/display_lists.h"

CameraPose g_camera;
float      g_speed;
float      g_thrust;
float      g_timeFactor;

namespace {

constexpr uint32_t kKeyA = 0x41;
constexpr uint32_t kKeyQ = 0x51;

constexpr float  kTurnStep     = 0.1f;
constexpr double kThrustStep   = 0.005;
constexpr double kThrustBound  = 0.2;
constexpr float  kThrustSettle = 0.01f;
constexpr double kFriction     = 0.03;
constexpr double kSpeedLimit   = 0.5;
constexpr double kRadians      = 0.017453292519943295;

void steerCamera() {
    if (g_keys[VK_UP]) g_camera.pitch += kTurnStep;
    if (g_keys[VK_DOWN]) g_camera.pitch -= kTurnStep;
    if (g_keys[VK_RIGHT]) g_camera.yaw += kTurnStep;
    if (g_keys[VK_LEFT]) g_camera.yaw -= kTurnStep;
}

// Rule Q sees what rule A left, so a released key always ends the frame at -0.01.
void applyThrustRules() {
    if (g_keys[kKeyA]) {
        if (g_thrust > -kThrustBound) g_thrust = static_cast<float>(g_thrust - kThrustStep);
    } else if (g_thrust < 0) {
        g_thrust = kThrustSettle;
    }
    if (g_keys[kKeyQ]) {
        if (g_thrust < kThrustBound) g_thrust = static_cast<float>(g_thrust + kThrustStep);
    } else if (g_thrust > 0) {
        g_thrust = -kThrustSettle;
    }
}

double secondsSinceInit() {
    if (g_counterFrequency <= 0) return 0.0;
    int64_t counter = g_startCounter;
    PlatQueryPerformanceCounter(&counter);
    const int64_t ticks = counter - g_startCounter;
    return static_cast<double>(ticks) / static_cast<double>(g_counterFrequency);
}

}  // namespace

int RenderFrame() {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
    AdvanceCamera();
    glRotatef(g_camera.pitch, 1.0f, 0.0f, 0.0f);
    glRotatef(g_camera.yaw, 0.0f, 1.0f, 0.0f);
    glRotatef(g_camera.roll, 0.0f, 0.0f, 1.0f);
    glTranslatef(-g_camera.x, g_camera.y, g_camera.z);
    glColor3f(1.0f, 1.0f, 1.0f);
    glCallList(g_lists.listWorld);

    glPushMatrix();
    glTranslatef(115.0f, 1.0f, 40.0f);
    DrawCampfire();
    glPopMatrix();

    steerCamera();
    applyThrustRules();
    return 1;
}

void AdvanceCamera() {
    g_timeFactor = static_cast<float>(secondsSinceInit());

    g_speed = static_cast<float>(static_cast<double>(g_speed) + g_thrust);
    if (g_speed > 0) g_speed = static_cast<float>(g_speed - kFriction);
    if (g_speed < 0) g_speed = static_cast<float>(g_speed + kFriction);
    if (g_speed > kSpeedLimit) g_speed = static_cast<float>(kSpeedLimit);
    if (g_speed < -kSpeedLimit) g_speed = static_cast<float>(-kSpeedLimit);

    const double speed = g_speed;
    const double time  = g_timeFactor;
    g_camera.x = static_cast<float>(g_camera.x + std::sin(g_camera.yaw * kRadians) * speed * time);
    g_camera.y = static_cast<float>(g_camera.y + std::sin(g_camera.pitch * kRadians) * speed * time);
    g_camera.z = static_cast<float>(g_camera.z + std::cos(g_camera.yaw * kRadians) * speed * time);
}
