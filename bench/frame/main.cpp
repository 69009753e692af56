// main.cpp — bench-frame: how fast RenderFrame runs at 640 x 480 on Mesa against a frame
// that only clears and swaps on the same context, and how start-up splits into texture
// loading (and the BMP reader's part of it), list compilation and the rest.
//
//   bench-frame [TEXTURE_DIR]   (textures are read from TEXTURE_DIR, default ".")
#include <EGL/egl.h>
#include <GL/gl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "app/window_proc.h"
#include "image/dib_reader.h"
#include "image/texture.h"
#include "platform/platform_fake.h"
#include "render/frame.h"
#include "render/scene_setup.h"
#include "scene/display_lists.h"
#include "tools/common/offscreen_gl.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int    kWidth       = 640;
constexpr int    kHeight      = 480;
constexpr int    kStartRuns   = 7;
constexpr double kRateSeconds = 2.0;

double millisecondsOf(const std::function<void()>& work) {
    const auto start = Clock::now();
    work();
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

OffscreenGL openContext() {
    OffscreenGL gl;
    std::string error;
    if (!CreateOffscreenGL(&gl, kWidth, kHeight, &error)) {
        std::fprintf(stderr, "bench-frame: %s\n", error.c_str());
        std::exit(1);
    }
    return gl;
}

// Frames a second of `frame` followed by a swap, each frame finished before the next
// so the figure counts the whole rendering, not only its submission.
double framesPerSecond(OffscreenGL* gl, const std::function<void(int)>& frame) {
    int        frames = 0;
    const auto start  = Clock::now();
    const auto end    = start + std::chrono::duration<double>(kRateSeconds);
    while (Clock::now() < end) {
        frame(frames++);
        eglSwapBuffers(gl->display, gl->surface);
        glFinish();
    }
    return frames / std::chrono::duration<double>(Clock::now() - start).count();
}

struct StartTimes {
    double context, initScene, firstFrame, textures, reader, lists;
};

StartTimes measureStart() {
    StartTimes  t{};
    OffscreenGL gl;
    t.context = millisecondsOf([&] { gl = openContext(); });
    t.initScene = millisecondsOf([] {
        ResizeViewport(kWidth, kHeight);
        InitScene();
    });
    t.firstFrame = millisecondsOf([&] {
        RenderFrame();
        eglSwapBuffers(gl.display, gl.surface);
        glFinish();
    });
    DestroyOffscreenGL(&gl);

    // The same steps again, alone, on a fresh context.
    gl         = openContext();
    t.textures = millisecondsOf([] {
        for (int i = 0; i < 9; ++i) g_textures[i] = MakeTexture(kSceneTextures[i]);
        glFinish();
    });
    t.lists = millisecondsOf([] {
        BuildDisplayLists();
        glFinish();
    });
    t.reader = millisecondsOf([] {
        for (const TextureDesc& d : kSceneTextures)
            if (RgbImage* image = ReadDibImage(d.fileName)) FreeRgbImage(image);
    });
    DestroyOffscreenGL(&gl);
    return t;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 2 || (argc == 2 && std::string(argv[1]).rfind("-", 0) == 0)) {
        std::fprintf(stderr, "usage: bench-frame [TEXTURE_DIR]\n");
        return 2;
    }
    if (argc == 2 && chdir(argv[1]) != 0) {
        std::perror(argv[1]);
        return 1;
    }
    fake::Fake().frequency = 1000000;
    int missing = 0;
    for (const TextureDesc& d : kSceneTextures) missing += access(d.fileName, R_OK) != 0;
    if (missing) std::printf("warning: %d of the nine texture files are missing here\n", missing);

    std::vector<StartTimes> runs;
    for (int i = 0; i < kStartRuns; ++i) runs.push_back(measureStart());
    auto pick = [&](double StartTimes::*field) {
        std::vector<double> v;
        for (const StartTimes& r : runs) v.push_back(r.*field);
        return median(v);
    };
    const double context = pick(&StartTimes::context), init = pick(&StartTimes::initScene);
    const double frame = pick(&StartTimes::firstFrame), total = init + frame;
    const double textures = pick(&StartTimes::textures), lists = pick(&StartTimes::lists);
    const double reader = pick(&StartTimes::reader);
    const double rest   = std::max(0.0, init - textures - lists);
    std::printf("start-up, median of %d runs on fresh contexts:\n", kStartRuns);
    std::printf("  context creation              %8.2f ms (not counted below)\n", context);
    std::printf("  start to first frame          %8.2f ms (goal: 50 ms)\n", total);
    std::printf("    texture loading             %8.2f ms  %5.1f %%\n", textures, 100 * textures / total);
    std::printf("      of which the BMP reader   %8.2f ms  %5.1f %% of start, %5.1f %% of textures\n", reader,
                100 * reader / total, 100 * reader / std::max(textures, 1e-9));
    std::printf("    list compilation            %8.2f ms  %5.1f %%\n", lists, 100 * lists / total);
    std::printf("    the rest of set-up (state, font) %4.2f ms  %5.1f %%\n", rest, 100 * rest / total);
    std::printf("    the first frame and its swap  %7.2f ms  %5.1f %%\n", frame, 100 * frame / total);

    OffscreenGL gl = openContext();
    ResizeViewport(kWidth, kHeight);
    InitScene();
    const double floor = framesPerSecond(&gl, [](int) { glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT); });
    const double scene = framesPerSecond(&gl, [](int frame) {
        g_fireFrame = frame / 6 % 6 + 1;
        RenderFrame();
    });
    DestroyOffscreenGL(&gl);
    std::printf("frame rate at %dx%d, %.0f s each, same context:\n", kWidth, kHeight, kRateSeconds);
    std::printf("  clear and swap (floor)        %8.1f frames/s\n", floor);
    std::printf("  RenderFrame and swap          %8.1f frames/s\n", scene);
    std::printf("  ratio to the floor            %8.3f (goal: 0.5 or more)\n", scene / floor);
    return 0;
}
