// offscreen_gl.h — a GL context without a window: an EGL pbuffer on Mesa's surfaceless
// platform, so tools and tests render with the real GL and no X server.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct OffscreenGL {
    void* display = nullptr;
    void* surface = nullptr;
    void* context = nullptr;
    int   width   = 0;
    int   height  = 0;
};

// Makes a compatibility-profile context with an RGB colour buffer of 8 bits a channel
// and the deepest depth buffer of 16 bits or more on offer, as the viewer's window has,
// and makes it current. Returns false and fills `error`.
bool CreateOffscreenGL(OffscreenGL* gl, int width, int height, std::string* error);

// Makes the context current again (after another one was).
bool MakeOffscreenGLCurrent(OffscreenGL* gl);

void DestroyOffscreenGL(OffscreenGL* gl);

// Reads the colour buffer as packed RGB, top row first.
std::vector<uint8_t> ReadOffscreenRgb(const OffscreenGL* gl);
