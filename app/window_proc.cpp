// window_proc.cpp — the scene window's procedure: keys, activity and the animation step.
#include "app/window_proc.h"

uint8_t g_keys[256];
uint8_t g_active    = 1;
int32_t g_fireFrame = 0;

int32_t SceneWindowProc(WindowHandle window, uint32_t message, uint32_t wParam, int32_t lParam) {
    return PlatDefWindowProc(window, message, wParam, lParam);
}
