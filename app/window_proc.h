// window_proc.h — the scene window's procedure and the input state it keeps.
#pragma once

#include <cstdint>

#include "platform/platform.h"

extern uint8_t g_keys[256];   // 1 while the key with that virtual-key code is down
extern uint8_t g_active;      // false while the window is minimised
extern int32_t g_fireFrame;   // campfire animation step, 1 to 6 once a window exists

int32_t SceneWindowProc(WindowHandle window, uint32_t message, uint32_t wParam, int32_t lParam);
