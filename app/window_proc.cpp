// window_proc.cpp — the scene window's procedure: it turns window messages into the
// key table, the activity flag and the campfire's animation step that the rest of the
// program polls, forwards size changes to the projection and turns a close request
// into the quit message that ends the main loop.
#include "app/window_proc.h"

#include "render/scene_setup.h"

uint8_t g_keys[256];
uint8_t g_active    = 1;
int32_t g_fireFrame = 0;

namespace {

constexpr uintptr_t kAnimationTimer   = 1;
constexpr uint32_t  kAnimationPeriodMs = 100;

void StepFireFrame() {
    if (++g_fireFrame == 7) g_fireFrame = 1;
}

void SetKey(uint32_t keyCode, uint8_t down) {
    if (keyCode < sizeof g_keys) g_keys[keyCode] = down;
}

}  // namespace

int32_t SceneWindowProc(WindowHandle window, uint32_t message, uint32_t wParam, int32_t lParam) {
    switch (message) {
    case WM_CREATE:
        PlatSetTimer(window, kAnimationTimer, kAnimationPeriodMs);
        StepFireFrame();
        return 0;
    case WM_TIMER:
        StepFireFrame();
        return 0;
    case WM_ACTIVATE:
        // The high word is the minimised state; losing the focus alone keeps drawing.
        g_active = (wParam >> 16) == 0;
        return 0;
    case WM_SIZE: {
        const uint32_t size = static_cast<uint32_t>(lParam);
        ResizeViewport(static_cast<int32_t>(size & 0xFFFF), static_cast<int32_t>(size >> 16));
        return 0;
    }
    case WM_CLOSE:
        // The main loop ends on the quit message and tears the window down itself.
        PlatPostQuitMessage(0);
        return 0;
    case WM_KEYDOWN:
        SetKey(wParam, 1);
        return 0;
    case WM_KEYUP:
        SetKey(wParam, 0);
        return 0;
    case WM_SYSCOMMAND:
        if (wParam == SC_SCREENSAVE || wParam == SC_MONITORPOWER) return 0;
        break;
    default:
        break;
    }
    return PlatDefWindowProc(window, message, wParam, lParam);
}
