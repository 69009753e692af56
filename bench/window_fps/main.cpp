// main.cpp — window-fps: frames per second of the real viewer window through whichever
// platform layer this build has (SDL on Linux, Win32 on Windows or Wine), against a
// frame that only clears and swaps in the same window. compare.sh runs the Linux and
// the Windows build one after the other on one Xvfb.
//
//   window-fps [SECONDS]   (textures are read from the current folder; default 3 s)
#include <GL/gl.h>

#include <cstdio>
#include <cstdlib>

#include "app/scene_window.h"
#include "app/window_proc.h"
#include "platform/platform.h"
#include "render/frame.h"

namespace {

double Seconds(int64_t from, int64_t to, int64_t frequency) { return static_cast<double>(to - from) / frequency; }

// Frames drawn in `seconds`, the queue drained between them as the main loop does.
double MeasureRate(bool scene, double seconds) {
    int64_t frequency = 1, start = 0, now = 0;
    PlatQueryPerformanceFrequency(&frequency);
    PlatQueryPerformanceCounter(&start);
    long        frames = 0;
    PlatMessage message;
    do {
        while (PlatPeekMessage(&message)) {
            PlatTranslateMessage(&message);
            PlatDispatchMessage(&message);
        }
        if (scene) {
            RenderFrame();
        } else {
            glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        }
        PlatSwapBuffers(g_deviceContext);
        ++frames;
        PlatQueryPerformanceCounter(&now);
    } while (Seconds(start, now, frequency) < seconds);
    glFinish();
    PlatQueryPerformanceCounter(&now);
    return frames / Seconds(start, now, frequency);
}

}  // namespace

int main(int argc, char** argv) {
    const double seconds = argc > 1 ? std::atof(argv[1]) : 3.0;
    if (!OpenSceneWindow("window-fps", 640, 480, 16, 0)) return 1;
    MeasureRate(true, 0.5);   // the first frames warm caches and the driver up
    const double floor = MeasureRate(false, seconds);
    const double frame = MeasureRate(true, seconds);
    CloseSceneWindow();
    std::printf("clear+swap  %8.1f frames/s\n", floor);
    std::printf("scene       %8.1f frames/s  (%.2f of the floor)\n", frame, frame / floor);
    return 0;
}
