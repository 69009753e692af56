// main.cpp — island-snapshot: sets the scene up on an offscreen context exactly as the
// viewer does, optionally flies a key script on a simulated clock, draws one frame and
// writes it as PNG.
#include <GL/gl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "app/window_proc.h"
#include "platform/platform_fake.h"
#include "render/frame.h"
#include "render/scene_setup.h"
#include "tools/common/offscreen_gl.h"
#include "tools/common/png_writer.h"
#include "tools/island_snapshot/snapshot_options.h"

namespace {

constexpr int64_t kTicksPerSecond = 1000000;

void fail(const std::string& message) { std::fprintf(stderr, "island-snapshot: %s\n", message.c_str()); }

void holdKeys(const std::vector<unsigned char>& keys) {
    std::memset(g_keys, 0, sizeof g_keys);
    for (unsigned char k : keys) g_keys[k] = 1;
}

// The reader's message boxes have no screen here; they go to stderr instead.
void reportMessageBoxes() {
    for (const auto& box : fake::Fake().boxes) fail(box.caption + ": " + box.text);
    fake::Fake().boxes.clear();
}

void renderSnapshot(const SnapshotOptions& options) {
    fake::Fake().frequency = kTicksPerSecond;
    fake::Fake().counter   = 0;
    ResizeViewport(options.width, options.height);
    InitScene();
    reportMessageBoxes();
    if (options.hasPose) g_camera = options.pose;
    g_fireFrame = options.fireStep;

    const int64_t start = static_cast<int64_t>(options.seconds * kTicksPerSecond);
    int64_t       frame = 0;
    auto          draw  = [&] {
        fake::Fake().counter = start + frame * kTicksPerSecond / options.framesPerSecond;
        RenderFrame();
        ++frame;
    };
    // A context's very first frame draws the trees opaque; the picture shows a frame
    // from a running viewer, so one frame with no key comes first.
    holdKeys({});
    draw();
    for (const ScriptStep& step : options.script) {
        holdKeys(step.keys);
        for (int i = 0; i < step.frames; ++i) draw();
    }
    holdKeys({});
    draw();
    glFinish();
}

}  // namespace

int main(int argc, char** argv) {
    SnapshotOptions options;
    std::string     error;
    if (!ParseSnapshotOptions(argc, argv, &options, &error)) {
        fail(error);
        std::fprintf(stderr, "Try 'island-snapshot --help' for more information.\n");
        return 2;
    }
    if (options.help) {
        std::fputs(kSnapshotUsage, stdout);
        return 0;
    }
    if (!options.directory.empty() && chdir(options.directory.c_str()) != 0) {
        fail("cannot enter '" + options.directory + "': " + std::strerror(errno));
        return 1;
    }

    OffscreenGL gl;
    if (!CreateOffscreenGL(&gl, options.width, options.height, &error)) {
        fail("no offscreen GL context: " + error);
        return 1;
    }
    renderSnapshot(options);
    const std::vector<uint8_t> rgb = ReadOffscreenRgb(&gl);
    DestroyOffscreenGL(&gl);
    if (!WritePng(options.output, options.width, options.height, rgb)) {
        fail("cannot write '" + options.output + "'");
        return 1;
    }
    return 0;
}
