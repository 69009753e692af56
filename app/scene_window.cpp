// scene_window.cpp — creation and teardown of the scene window and its GL context.
#include "app/scene_window.h"

uint8_t             g_fullscreen    = 0;
InstanceHandle      g_instance      = nullptr;
WindowHandle        g_window        = nullptr;
DeviceContextHandle g_deviceContext = nullptr;
GLContextHandle     g_glContext     = nullptr;

int32_t OpenSceneWindow(const char*, int32_t, int32_t, int32_t, uint8_t fullscreen) {
    g_fullscreen = fullscreen;
    return 0;
}

void CloseSceneWindow() {}
