// win_main.cpp — the entry function and the main loop: drain the queue, draw a frame
// whenever it is empty, and act on Esc (end) and F1 (rebuild in the other mode).
#include "app/win_main.h"

#include "app/scene_window.h"
#include "app/window_proc.h"
#include "render/frame.h"

#include <GL/gl.h>

#include <cstdio>

namespace {

constexpr char    kFirstTitle[]  = "ZORV ---- Zorvane";
constexpr char    kToggleTitle[] = "Vurn's OpenGL Framework";
constexpr int32_t kWidth         = 640;
constexpr int32_t kHeight        = 480;
constexpr int32_t kColorBits     = 16;

// A start or a rebuild that failed has already told the user why; the status says so too.
constexpr int32_t kFailureStatus = 1;

// The scene's GL calls are fixed, so in debug builds any GL error after set-up or a
// frame points at a programming fault; release builds never query, as the frame loop
// promises nothing else. (A zero-width window legitimately makes the projection fail.)
void ReportGLErrors(const char* after) {
#ifndef NDEBUG
    for (GLenum error = glGetError(); error != GL_NO_ERROR; error = glGetError())
        std::fprintf(stderr, "island: GL error 0x%04X after %s\n", error, after);
#else
    (void)after;
#endif
}

}  // namespace

int32_t WinMain(InstanceHandle, InstanceHandle, char*, int32_t) {
    g_fullscreen = 0;
    if (!OpenSceneWindow(kFirstTitle, kWidth, kHeight, kColorBits, 0)) return kFailureStatus;
    ReportGLErrors("set-up");

    PlatMessage message{};
    bool        quit = false;
    bool        done = false;
    while (!quit && !done) {
        if (PlatPeekMessage(&message)) {
            if (message.message == WM_QUIT) {
                quit = true;
            } else {
                PlatTranslateMessage(&message);
                PlatDispatchMessage(&message);
            }
            continue;
        }

        if (g_active) {
            if (g_keys[VK_ESCAPE]) {
                done = true;
            } else {
                RenderFrame();
                PlatSwapBuffers(g_deviceContext);
                ReportGLErrors("a frame");
            }
        }
        if (g_keys[VK_F1]) {
            g_keys[VK_F1] = 0;
            CloseSceneWindow();
            g_fullscreen = !g_fullscreen;
            if (!OpenSceneWindow(kToggleTitle, kWidth, kHeight, kColorBits, g_fullscreen)) return kFailureStatus;
            ReportGLErrors("set-up");
        }
    }

    CloseSceneWindow();
    // Esc is a normal end; whatever the last message carried says nothing about it.
    return quit ? static_cast<int32_t>(message.wParam) : 0;
}
