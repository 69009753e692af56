// depth_buffer_test.cpp — the snapshot tool's pictures are the viewer's: its offscreen
// context has the depth buffer the viewer's window gets, on X11 (GLX) and on Wayland
// (EGL), where the two bindings choose differently for the same request.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>

#include "platform/platform.h"
#include "tests/e2e/compositor.h"
#include "tools/common/offscreen_gl.h"

namespace {

int32_t PassOn(WindowHandle window, uint32_t message, uint32_t wParam, int32_t lParam) {
    return PlatDefWindowProc(window, message, wParam, lParam);
}

// The depth bits of a window made the way the viewer makes its own.
int ViewerDepthBits() {
    WindowClass windowClass{};
    windowClass.windowProc = PassOn;
    windowClass.className  = "OpenGL";
    if (!PlatRegisterClass(&windowClass)) return -1;
    PixelFormatRequest request{};
    request.version   = 1;
    request.flags     = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    request.colorBits = 16;
    request.depthBits = 16;
    PlatPreparePixelFormat(&request);
    WindowHandle        window = PlatCreateWindow(0, "OpenGL", "depth", WS_POPUP, 0, 0, 64, 64, PlatGetModuleHandle());
    DeviceContextHandle dc     = window ? PlatGetDC(window) : nullptr;
    GLContextHandle     context = nullptr;
    int                 depth   = -1;
    if (dc && PlatSetPixelFormat(dc, PlatChoosePixelFormat(dc, &request), &request) &&
        (context = PlatCreateContext(dc)) && PlatMakeCurrent(dc, context)) {
        GLint bits = 0;
        glGetIntegerv(GL_DEPTH_BITS, &bits);
        depth = bits;
    }
    PlatMakeCurrent(nullptr, nullptr);
    if (context) PlatDeleteContext(context);
    if (window) PlatDestroyWindow(window);
    PlatUnregisterClass("OpenGL", PlatGetModuleHandle());
    return depth;
}

int SnapshotDepthBits() {
    OffscreenGL gl;
    std::string error;
    if (!CreateOffscreenGL(&gl, 64, 64, &error)) return -1;
    GLint bits = 0;
    glGetIntegerv(GL_DEPTH_BITS, &bits);
    DestroyOffscreenGL(&gl);
    return bits;
}

// Each measure runs in a child of its own, which reports the bits as its exit status:
// a process keeps one SDL session and Mesa's threads, which a fork would not copy.
int MeasureInChild(int (*measure)()) {
    const pid_t child = fork();
    if (child == 0) _exit(std::max(0, measure()));
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status);
}

}  // namespace

TEST(DepthBufferTest, TheSnapshotsDepthBufferIsTheViewersOnX11AndOnWayland) {
    const int snapshot = MeasureInChild(SnapshotDepthBits);
    ASSERT_GE(snapshot, 16);
    for (const bool wayland : {false, true}) {
        SCOPED_TRACE(wayland ? "Wayland" : "X11");
        e2e::XvfbServer    host;
        e2e::CompositorRun weston;
        std::string        why;
        ASSERT_TRUE(host.Start(320, 240, 24, &why)) << why;
        if (wayland) {
            if (!e2e::CompositorRun::Available(e2e::Desktop::Weston, false, &why)) GTEST_SKIP() << why;
            ASSERT_TRUE(weston.Start(e2e::Desktop::Weston, &host, false, &why)) << why;
            unsetenv("DISPLAY");
            setenv("WAYLAND_DISPLAY", weston.Socket().c_str(), 1);
            setenv("XDG_RUNTIME_DIR", weston.Socket().substr(0, weston.Socket().rfind('/')).c_str(), 1);
        } else {
            setenv("DISPLAY", host.DisplayName().c_str(), 1);
            unsetenv("WAYLAND_DISPLAY");
        }
        EXPECT_EQ(MeasureInChild(ViewerDepthBits), snapshot);
    }
}
