// platform_fake.cpp — the scripted platform the tests link instead of the SDL one.
// It records every call, fails on demand and hands out messages from a queue.
#include "platform/platform_fake.h"

#include <cstdio>
#include <map>
#include <memory>

struct PlatWindowRec {
    WindowProc  proc;
    std::string title;
    uint32_t    style, exStyle;
    int32_t     x, y, width, height;
    bool        visible = false;
    bool        alive   = true;
};
struct PlatDeviceRec {
    WindowHandle window;
    int          pixelFormat = 0;
};
struct PlatGLContextRec {
    DeviceContextHandle dc;
};

namespace {

struct Objects {
    WindowProc classProc = nullptr;
    std::vector<std::unique_ptr<PlatWindowRec>>    windows;
    std::vector<std::unique_ptr<PlatDeviceRec>>    devices;
    std::vector<std::unique_ptr<PlatGLContextRec>> contexts;
};

fake::State& state() {
    static fake::State s;
    return s;
}
Objects& objects() {
    static Objects o;
    return o;
}

void logCall(const std::string& line) {
    state().calls.push_back(line);
    if (state().onCall) state().onCall(line);
}

std::string hex(uint32_t v) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%X", v);
    return buf;
}

}  // namespace

namespace fake {

State& Fake() { return state(); }

void ResetFake() {
    state()   = State{};
    objects() = Objects{};
}

WindowHandle CurrentWindow() {
    auto& ws = objects().windows;
    for (auto it = ws.rbegin(); it != ws.rend(); ++it)
        if ((*it)->alive) return it->get();
    return nullptr;
}

void TickTimers() {
    for (const auto& t : state().timers)
        state().queue.push_back({t.window, WM_TIMER, static_cast<uint32_t>(t.id), 0});
}

void Post(uint32_t message, uint32_t wParam, int32_t lParam) {
    state().queue.push_back({CurrentWindow(), message, wParam, lParam});
}

int FindCall(const std::string& prefix) {
    const auto& c = state().calls;
    for (size_t i = 0; i < c.size(); ++i)
        if (c[i].compare(0, prefix.size(), prefix) == 0) return static_cast<int>(i);
    return -1;
}

}  // namespace fake

InstanceHandle PlatGetModuleHandle() {
    logCall("GetModuleHandle");
    static int instance;
    return reinterpret_cast<InstanceHandle>(&instance);
}

int PlatRegisterClass(const WindowClass* wc) {
    logCall(std::string("RegisterClass ") + wc->className + " style=" + hex(wc->style));
    if (state().fail.registerClass || state().classRegistered) return 0;
    state().classRegistered = true;
    objects().classProc     = wc->windowProc;
    return 1;
}

int PlatUnregisterClass(const char* className, InstanceHandle) {
    logCall(std::string("UnregisterClass ") + className);
    if (state().fail.unregisterClass || !state().classRegistered) return 0;
    state().classRegistered = false;
    return 1;
}

IconHandle PlatLoadIcon(int32_t stockIcon) {
    logCall("LoadIcon " + std::to_string(stockIcon));
    static int icon;
    return reinterpret_cast<IconHandle>(&icon);
}

CursorHandle PlatLoadCursor(int32_t stockCursor) {
    logCall("LoadCursor " + std::to_string(stockCursor));
    static int cursor;
    return reinterpret_cast<CursorHandle>(&cursor);
}

int PlatAdjustWindowRect(PlatRect* rect, uint32_t style, uint32_t exStyle) {
    logCall("AdjustWindowRect style=" + hex(style) + " ex=" + hex(exStyle));
    // A pretend frame: 4 pixels around and a 20-pixel caption for decorated windows.
    if (style & 0x00C00000) {
        rect->left -= 4;
        rect->right += 4;
        rect->top -= 24;
        rect->bottom += 4;
    }
    return 1;
}

WindowHandle PlatCreateWindow(uint32_t exStyle, const char* className, const char* title, uint32_t style,
                              int32_t x, int32_t y, int32_t width, int32_t height, InstanceHandle) {
    logCall(std::string("CreateWindow ") + className + " \"" + title + "\" style=" + hex(style) +
            " ex=" + hex(exStyle) + " at " + std::to_string(x) + "," + std::to_string(y) + " size " +
            std::to_string(width) + "x" + std::to_string(height));
    if (state().fail.createWindow || !state().classRegistered) return nullptr;
    auto w     = std::make_unique<PlatWindowRec>();
    w->proc    = objects().classProc;
    w->title   = title;
    w->style   = style;
    w->exStyle = exStyle;
    w->x = x, w->y = y, w->width = width, w->height = height;
    WindowHandle handle = w.get();
    objects().windows.push_back(std::move(w));
    ++state().windowsCreated;
    ++state().windowsAlive;
    handle->proc(handle, WM_CREATE, 0, 0);
    return handle;
}

int PlatShowWindow(WindowHandle window, int32_t command) {
    logCall("ShowWindow " + std::to_string(command));
    if (window) window->visible = true;
    return 0;
}

int PlatSetForegroundWindow(WindowHandle) {
    logCall("SetForegroundWindow");
    return 1;
}

WindowHandle PlatSetFocus(WindowHandle window) {
    logCall("SetFocus");
    WindowHandle previous = state().focus;
    state().focus         = window;
    return previous;
}

WindowHandle PlatGetFocus() { return state().focus; }

int PlatDestroyWindow(WindowHandle window) {
    logCall("DestroyWindow");
    if (state().fail.destroyWindow || !window || !window->alive) return 0;
    window->proc(window, WM_DESTROY, 0, 0);
    window->alive = false;
    --state().windowsAlive;
    if (state().focus == window) state().focus = nullptr;
    std::erase_if(state().timers, [window](const fake::State::Timer& t) { return t.window == window; });
    std::erase_if(state().queue, [window](const PlatMessage& m) { return m.window == window && m.message != WM_QUIT; });
    return 1;
}

int PlatPeekMessage(PlatMessage* message) {
    if (state().queue.empty() && state().onEmptyPeek) state().onEmptyPeek();
    if (state().queue.empty()) return 0;
    *message = state().queue.front();
    state().queue.pop_front();
    return 1;
}

int PlatTranslateMessage(const PlatMessage*) { return 0; }

int32_t PlatDispatchMessage(const PlatMessage* message) {
    if (!message->window || !message->window->alive) return 0;
    return message->window->proc(message->window, message->message, message->wParam, message->lParam);
}

int32_t PlatDefWindowProc(WindowHandle, uint32_t message, uint32_t wParam, int32_t) {
    logCall("DefWindowProc " + hex(message) + " " + hex(wParam));
    return 0;
}

void PlatPostQuitMessage(int32_t exitCode) {
    logCall("PostQuitMessage " + std::to_string(exitCode));
    state().queue.push_back({nullptr, WM_QUIT, static_cast<uint32_t>(exitCode), 0});
}

uintptr_t PlatSetTimer(WindowHandle window, uintptr_t timerId, uint32_t periodMs) {
    logCall("SetTimer " + std::to_string(timerId) + " " + std::to_string(periodMs));
    state().timers.push_back({window, timerId, periodMs});
    return timerId;
}

int32_t PlatChangeDisplaySettings(const DisplayMode* mode, uint32_t flags) {
    if (!mode) {
        logCall("ChangeDisplaySettings default");
        state().displayModeChanged = false;
        return DISP_CHANGE_SUCCESSFUL;
    }
    logCall("ChangeDisplaySettings " + std::to_string(mode->width) + "x" + std::to_string(mode->height) + "x" +
            std::to_string(mode->bitsPerPixel) + " fields=" + hex(mode->fields) + " flags=" + hex(flags));
    if (state().displayChangeResult == DISP_CHANGE_SUCCESSFUL) state().displayModeChanged = true;
    return state().displayChangeResult;
}

int PlatShowCursor(int show) {
    logCall(show ? "ShowCursor TRUE" : "ShowCursor FALSE");
    state().cursorCount += show ? 1 : -1;
    return state().cursorCount;
}

void PlatPreparePixelFormat(const PixelFormatRequest* r) {
    logCall("PreparePixelFormat flags=" + hex(r->flags) + " color=" + std::to_string(r->colorBits) +
            " depth=" + std::to_string(r->depthBits));
}

DeviceContextHandle PlatGetDC(WindowHandle window) {
    logCall("GetDC");
    if (state().fail.getDC || !window) return nullptr;
    auto dc    = std::make_unique<PlatDeviceRec>();
    dc->window = window;
    DeviceContextHandle handle = dc.get();
    objects().devices.push_back(std::move(dc));
    return handle;
}

int PlatReleaseDC(WindowHandle, DeviceContextHandle) {
    logCall("ReleaseDC");
    return state().fail.releaseDC ? 0 : 1;
}

int PlatChoosePixelFormat(DeviceContextHandle, const PixelFormatRequest* r) {
    logCall("ChoosePixelFormat flags=" + hex(r->flags) + " type=" + std::to_string(r->pixelType) +
            " color=" + std::to_string(r->colorBits) + " alpha=" + std::to_string(r->alphaBits) +
            " accum=" + std::to_string(r->accumBits) + " depth=" + std::to_string(r->depthBits) +
            " stencil=" + std::to_string(r->stencilBits) + " aux=" + std::to_string(r->auxBuffers));
    return state().fail.choosePixelFormat ? 0 : 1;
}

int PlatSetPixelFormat(DeviceContextHandle dc, int format, const PixelFormatRequest*) {
    logCall("SetPixelFormat " + std::to_string(format));
    if (state().fail.setPixelFormat || !dc || dc->pixelFormat != 0) return 0;
    dc->pixelFormat = format;
    return 1;
}

GLContextHandle PlatCreateContext(DeviceContextHandle dc) {
    logCall("CreateContext");
    if (state().fail.createContext || !dc) return nullptr;
    auto ctx = std::make_unique<PlatGLContextRec>();
    ctx->dc  = dc;
    GLContextHandle handle = ctx.get();
    objects().contexts.push_back(std::move(ctx));
    return handle;
}

int PlatMakeCurrent(DeviceContextHandle dc, GLContextHandle context) {
    if (!dc && !context) {
        logCall("MakeCurrent null");
        if (state().fail.unbindContext) return 0;
        state().current = nullptr;
        return 1;
    }
    logCall("MakeCurrent");
    if (state().fail.makeCurrent) return 0;
    state().current = context;
    return 1;
}

int PlatDeleteContext(GLContextHandle context) {
    logCall("DeleteContext");
    if (state().fail.deleteContext || !context) return 0;
    if (state().current == context) state().current = nullptr;
    return 1;
}

int PlatSwapBuffers(DeviceContextHandle) {
    logCall("SwapBuffers");
    return 1;
}

int32_t PlatMessageBox(WindowHandle owner, const char* text, const char* caption, uint32_t type) {
    logCall(std::string("MessageBox \"") + caption + "\" \"" + text + "\" " + hex(type));
    state().boxes.push_back({owner, text, caption, type});
    if (!state().boxAnswers.empty()) {
        int32_t answer = state().boxAnswers.front();
        state().boxAnswers.pop_front();
        return answer;
    }
    return (type & 0x0F) == MB_YESNO ? IDYES : IDOK;
}

int PlatQueryPerformanceCounter(int64_t* counter) {
    *counter = state().counter;
    return 1;
}

int PlatQueryPerformanceFrequency(int64_t* frequency) {
    *frequency = state().frequency;
    return 1;
}

int PlatUseFontBitmaps(DeviceContextHandle, uint32_t firstChar, uint32_t count, uint32_t) {
    logCall("UseFontBitmaps " + std::to_string(firstChar) + " " + std::to_string(count));
    return 0;
}
