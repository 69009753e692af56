// frame.cpp — drawing one frame and the camera's flight model.
#include "render/frame.h"

#include <GL/gl.h>

CameraPose g_camera;
float      g_speed;
float      g_thrust;
float      g_timeFactor;

int RenderFrame() {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    return 1;
}

void AdvanceCamera() {}
