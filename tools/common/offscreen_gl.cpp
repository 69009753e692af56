// offscreen_gl.cpp — an EGL pbuffer context on Mesa's surfaceless platform.
#include "tools/common/offscreen_gl.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <GL/gl.h>

#include <algorithm>
#include <vector>

namespace {

EGLDisplay openDisplay() {
    auto getPlatformDisplay =
        reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(eglGetProcAddress("eglGetPlatformDisplayEXT"));
    if (!getPlatformDisplay) return EGL_NO_DISPLAY;
    return getPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
}

}  // namespace

bool CreateOffscreenGL(OffscreenGL* gl, int width, int height, std::string* error) {
    EGLDisplay display = openDisplay();
    if (display == EGL_NO_DISPLAY || !eglInitialize(display, nullptr, nullptr)) {
        *error = "no EGL display on Mesa's surfaceless platform";
        return false;
    }
    // A 24-bit depth buffer, as the viewer's window gets on every display (a 16-bit one
    // draws the shallow shore's waterline saw-toothed where the viewer's is smooth);
    // the deepest on offer where no 24-bit one is.
    const EGLint configAttribs[] = {EGL_SURFACE_TYPE, EGL_PBUFFER_BIT, EGL_RED_SIZE, 8, EGL_GREEN_SIZE, 8,
                                    EGL_BLUE_SIZE, 8, EGL_DEPTH_SIZE, 16, EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT,
                                    EGL_NONE};
    EGLint count = 0;
    if (!eglChooseConfig(display, configAttribs, nullptr, 0, &count) || count == 0) {
        *error = "no EGL config with RGB8 and a depth buffer of 16 bits or more";
        return false;
    }
    std::vector<EGLConfig> configs(static_cast<size_t>(count));
    if (!eglChooseConfig(display, configAttribs, configs.data(), count, &count) || count == 0) {
        *error = "no EGL config with RGB8 and a depth buffer of 16 bits or more";
        return false;
    }
    constexpr EGLint kViewersDepth = 24;
    EGLConfig        config        = configs[0];
    EGLint           best          = 0;
    for (EGLint i = 0; i < count && best != kViewersDepth; ++i) {
        EGLint depth = 0;
        if (!eglGetConfigAttrib(display, configs[i], EGL_DEPTH_SIZE, &depth)) continue;
        if (depth == kViewersDepth || depth > best) {
            best   = depth;
            config = configs[i];
        }
    }
    if (!eglBindAPI(EGL_OPENGL_API)) {
        *error = "EGL cannot bind desktop OpenGL";
        return false;
    }
    const EGLint surfaceAttribs[] = {EGL_WIDTH, width, EGL_HEIGHT, height, EGL_NONE};
    EGLSurface   surface          = eglCreatePbufferSurface(display, config, surfaceAttribs);
    if (surface == EGL_NO_SURFACE) {
        *error = "EGL pbuffer could not be created";
        return false;
    }
    EGLContext context = eglCreateContext(display, config, EGL_NO_CONTEXT, nullptr);
    if (context == EGL_NO_CONTEXT) {
        eglDestroySurface(display, surface);
        *error = "EGL context could not be created";
        return false;
    }
    gl->display = display;
    gl->surface = surface;
    gl->context = context;
    gl->width   = width;
    gl->height  = height;
    if (!MakeOffscreenGLCurrent(gl)) {
        DestroyOffscreenGL(gl);
        *error = "EGL context could not be made current";
        return false;
    }
    return true;
}

bool MakeOffscreenGLCurrent(OffscreenGL* gl) {
    return eglMakeCurrent(gl->display, gl->surface, gl->surface, gl->context) == EGL_TRUE;
}

void DestroyOffscreenGL(OffscreenGL* gl) {
    if (!gl->display) return;
    eglMakeCurrent(gl->display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    if (gl->context) eglDestroyContext(gl->display, gl->context);
    if (gl->surface) eglDestroySurface(gl->display, gl->surface);
    *gl = OffscreenGL{};
}

std::vector<uint8_t> ReadOffscreenRgb(const OffscreenGL* gl) {
    const size_t         row = static_cast<size_t>(gl->width) * 3;
    std::vector<uint8_t> bottomUp(row * gl->height);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, gl->width, gl->height, GL_RGB, GL_UNSIGNED_BYTE, bottomUp.data());
    std::vector<uint8_t> topDown(bottomUp.size());
    for (int y = 0; y < gl->height; ++y)
        std::copy_n(bottomUp.begin() + (gl->height - 1 - y) * row, row, topDown.begin() + y * row);
    return topDown;
}
