// scene_window.h — creation and teardown of the scene window and its GL context.
#pragma once

#include <cstdint>

#include "platform/platform.h"

extern uint8_t             g_fullscreen;
extern InstanceHandle      g_instance;
extern WindowHandle        g_window;
extern DeviceContextHandle g_deviceContext;
extern GLContextHandle     g_glContext;

int32_t OpenSceneWindow(const char* title, int32_t width, int32_t height, int32_t bits, uint8_t fullscreen);
void    CloseSceneWindow();
