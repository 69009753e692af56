// scene_setup.cpp — one-time GL state, textures, light and the projection.
#include "render/scene_setup.h"

#include <GL/gl.h>

uint32_t g_textures[9];
uint32_t g_fontBase;
int64_t  g_startCounter;
int64_t  g_counterFrequency;

void ResizeViewport(int32_t width, int32_t height) {
    if (height == 0) height = 1;
    glViewport(0, 0, width, height);
}

int InitScene() { return 1; }

void BuildFontLists(DeviceContextHandle) {}
