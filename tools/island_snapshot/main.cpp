// main.cpp — island-snapshot: sets the scene up on an offscreen context exactly as the
// viewer does, optionally flies a key script on a simulated clock, draws one frame and
// writes it as PNG; or draws a list of poses into one contact sheet.
#include <GL/gl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

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

// Tiles of the sheet's poses, four to a row, two grey pixels between them.
std::vector<uint8_t> renderSheet(const SnapshotOptions& options, const std::vector<CameraPose>& poses,
                                 OffscreenGL* gl, int* sheetWidth, int* sheetHeight) {
    constexpr int kColumns = 4, kGap = 2;
    const int     columns  = static_cast<int>(std::min<size_t>(poses.size(), kColumns));
    const int     rows     = static_cast<int>((poses.size() + kColumns - 1) / kColumns);
    *sheetWidth            = columns * options.width + (columns - 1) * kGap;
    *sheetHeight           = rows * options.height + (rows - 1) * kGap;
    std::vector<uint8_t> sheet(static_cast<size_t>(*sheetWidth) * *sheetHeight * 3, 64);

    SnapshotOptions still = options;
    still.hasPose         = false;
    renderSnapshot(still);   // the context's first frame is behind us
    for (size_t i = 0; i < poses.size(); ++i) {
        g_camera = poses[i];
        RenderFrame();
        glFinish();
        const std::vector<uint8_t> tile = ReadOffscreenRgb(gl);
        const int left = static_cast<int>(i % kColumns) * (options.width + kGap);
        const int top  = static_cast<int>(i / kColumns) * (options.height + kGap);
        for (int y = 0; y < options.height; ++y)
            std::copy_n(&tile[static_cast<size_t>(y) * options.width * 3], options.width * 3,
                        &sheet[(static_cast<size_t>(top + y) * *sheetWidth + left) * 3]);
    }
    return sheet;
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

    std::vector<CameraPose> poses;
    if (!options.sheet.empty()) {
        std::ifstream     in(options.sheet);
        std::stringstream text;
        text << in.rdbuf();
        if (!in) {
            fail("cannot read '" + options.sheet + "'");
            return 1;
        }
        if (!ParsePoseList(text.str(), &poses, &error)) {
            fail(options.sheet + ": " + error);
            return 2;
        }
    }

    OffscreenGL gl;
    if (!CreateOffscreenGL(&gl, options.width, options.height, &error)) {
        fail("no offscreen GL context: " + error);
        return 1;
    }
    int                  width = options.width, height = options.height;
    std::vector<uint8_t> rgb;
    if (poses.empty()) {
        renderSnapshot(options);
        rgb = ReadOffscreenRgb(&gl);
    } else {
        rgb = renderSheet(options, poses, &gl, &width, &height);
    }
    DestroyOffscreenGL(&gl);
    if (!WritePng(options.output, width, height, rgb)) {
        fail("cannot write '" + options.output + "'");
        return 1;
    }
    return 0;
}
