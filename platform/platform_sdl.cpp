// platform_sdl.cpp — the platform layer over SDL2 (Linux and the other Unix systems):
// windows, the message queue and its timers, the GL drawable and context, and the
// clock. The other files of this backend (see sdl_layer.h) hold what each windowing
// system, the display mode, keys and message boxes need; only they include SDL.
//
// SDL has no window classes, device contexts or pixel formats of its own; they are
// kept here as small records so that the program's steps and checks keep their
// meaning. Everything runs on the program's one thread: timer ticks are generated when
// the queue is polled, and the window procedure is called only from dispatch and from
// the window operations themselves.
#include <dlfcn.h>

#include <algorithm>
#include <cstdlib>

#include "platform/sdl_layer.h"

namespace sdl {

Layer g_layer;

namespace {

// Real displays only, unless the user names drivers in SDL_VIDEODRIVER (which wins over
// this): left to itself SDL would quietly pick an invisible driver where neither
// works, and the program would run with nobody able to see it.
constexpr char kRealVideoDrivers[] = "x11,wayland";

constexpr int kDepthBits = 24;

PlatWindowRec* FindDevice(DeviceContextHandle dc) {
    for (const auto& w : g_layer.windows)
        if (&w->device == dc) return w.get();
    return nullptr;
}

bool OwnsContext(GLContextHandle context) {
    return std::any_of(g_layer.contexts.begin(), g_layer.contexts.end(),
                       [context](const auto& c) { return c.get() == context; });
}

bool SameRequest(const PixelFormatRequest& a, const PixelFormatRequest& b) {
    return a.version == b.version && a.flags == b.flags && a.pixelType == b.pixelType &&
           a.colorBits == b.colorBits && a.alphaBits == b.alphaBits && a.accumBits == b.accumBits &&
           a.depthBits == b.depthBits && a.stencilBits == b.stencilBits && a.auxBuffers == b.auxBuffers &&
           a.layerType == b.layerType;
}

void ApplyGLAttributes(const PixelFormatRequest& request) {
    SDL_GL_ResetAttributes();
    int red = 8, green = 8, blue = 8;
    if (request.colorBits <= 15) {
        red = green = blue = 5;
    } else if (request.colorBits <= 16) {
        red = 5, green = 6, blue = 5;
    }
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, red);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, green);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, blue);
    SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, request.alphaBits);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, request.depthBits);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, request.stencilBits);
    const int accum = request.accumBits / 4;
    SDL_GL_SetAttribute(SDL_GL_ACCUM_RED_SIZE, accum);
    SDL_GL_SetAttribute(SDL_GL_ACCUM_GREEN_SIZE, accum);
    SDL_GL_SetAttribute(SDL_GL_ACCUM_BLUE_SIZE, accum);
    SDL_GL_SetAttribute(SDL_GL_ACCUM_ALPHA_SIZE, 0);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, (request.flags & PFD_DOUBLEBUFFER) ? 1 : 0);
    PreferX11Visual(std::max<int>(kDepthBits, request.depthBits), (request.flags & PFD_DOUBLEBUFFER) != 0);
}

uint32_t MinimisedWord(const PlatWindowRec& window) {
    return (SDL_GetWindowFlags(window.sdl) & SDL_WINDOW_MINIMIZED) ? 1u << 16 : 0u;
}

void QueueWindowEvent(const SDL_WindowEvent& event) {
    PlatWindowRec* window = FindWindowById(event.windowID);
    if (!window) return;
    switch (event.event) {
    case SDL_WINDOWEVENT_SIZE_CHANGED: {
        const uint32_t size = (static_cast<uint32_t>(event.data1) & 0xFFFF) |
                              ((static_cast<uint32_t>(event.data2) & 0xFFFF) << 16);
        Queue(window, WM_SIZE, 0, static_cast<int32_t>(size));
        break;
    }
    case SDL_WINDOWEVENT_MINIMIZED:
        Queue(window, WM_ACTIVATE, WA_INACTIVE | (1u << 16), 0);
        break;
    case SDL_WINDOWEVENT_RESTORED:
        Queue(window, WM_ACTIVATE, WA_ACTIVE, 0);
        break;
    case SDL_WINDOWEVENT_FOCUS_GAINED:
        g_layer.focus = window;
        ReconcileHeldKeys();
        Queue(window, WM_ACTIVATE, WA_ACTIVE | MinimisedWord(*window), 0);
        break;
    case SDL_WINDOWEVENT_FOCUS_LOST:
        if (g_layer.focus == window) g_layer.focus = nullptr;
        Queue(window, WM_ACTIVATE, WA_INACTIVE | MinimisedWord(*window), 0);
        break;
    case SDL_WINDOWEVENT_CLOSE:
        Queue(window, WM_CLOSE, 0, 0);
        break;
    default:
        break;
    }
}

void PumpEvents() {
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        switch (event.type) {
        case SDL_KEYDOWN:
        case SDL_KEYUP:
            QueueKey(event.key);
            break;
        case SDL_WINDOWEVENT:
            QueueWindowEvent(event.window);
            break;
        case SDL_QUIT:
            // The session asks the program to end: like a closed window.
            if (!g_layer.windows.empty()) Queue(g_layer.windows.front().get(), WM_CLOSE, 0, 0);
            break;
        default:
            break;
        }
    }
    for (const auto& w : g_layer.windows) {
        if (w->gone && !w->closeQueued) {
            Queue(w.get(), WM_CLOSE, 0, 0);
            w->closeQueued = true;
        }
    }
}

// Ticks that fell due while the program was busy become one message, not a backlog.
void QueueDueTimers() {
    const uint64_t now = SDL_GetTicks64();
    for (auto& timer : g_layer.timers) {
        if (now < timer.dueMs) continue;
        Queue(timer.window, WM_TIMER, static_cast<uint32_t>(timer.id), 0);
        timer.dueMs += timer.periodMs;
        if (timer.dueMs <= now) timer.dueMs = now + timer.periodMs;
    }
}
}  // namespace

bool EnsureVideo() {
    if (g_layer.videoReady) return true;
    if (g_layer.videoFailed) return false;
    if (WaylandWithoutSeat()) {
        g_layer.videoFailed = true;
        return false;
    }
    SDL_SetHint(SDL_HINT_VIDEODRIVER, kRealVideoDrivers);
    // Closing the window is the program's own decision (a close message), not SDL's.
    SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
    // Signals are the layer's (sdl_signals.cpp), the same under every SDL.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    InstallEndingSignals();
    // SDL 2's Wayland windows go wrong with libdecor: 2.26 crashes in the first event
    // dispatch after a window that has shown GL frames is destroyed and another made,
    // which every F1 does, as libdecor still reports to the freed window; 2.32 waits for
    // ever in SDL_ShowWindow on kwin 6 when libdecor has no plugin to draw with. Without
    // it, compositors that offer server-side decorations still draw them; the others
    // (GNOME, weston) show the window without a frame. SDL3 keeps its frames.
    if (!OnSdl3()) SDL_SetHint(SDL_HINT_VIDEO_WAYLAND_ALLOW_LIBDECOR, "0");
    DoWithoutAbsentSessionBus();
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        g_layer.videoFailed = true;
        return false;
    }
    InstallXErrorHandler();
    g_layer.videoReady = true;
    return true;
}

PlatWindowRec* FindWindow(WindowHandle handle) {
    for (const auto& w : g_layer.windows)
        if (w.get() == handle) return w.get();
    return nullptr;
}

PlatWindowRec* FindWindowById(uint32_t id) {
    for (const auto& w : g_layer.windows)
        if (w->id == id) return w.get();
    return nullptr;
}

void Queue(WindowHandle window, uint32_t message, uint32_t wParam, int32_t lParam) {
    g_layer.queue.push_back({window, message, wParam, lParam});
}

// sdl2-compat passes every call on to SDL3, which it loads as it is loaded itself, and
// gives its own versions patch levels from 50 on.
bool OnSdl3() {
    static const bool sdl3 = [] {
        SDL_version linked;
        SDL_GetVersion(&linked);
        void* library = dlopen("libSDL3.so.0", RTLD_LAZY | RTLD_NOLOAD);
        if (library) dlclose(library);
        return library != nullptr || linked.patch >= 50;
    }();
    return sdl3;
}

// The program asks for a depth buffer of at least so many bits, and a 16-bit one draws
// the shallow shore's waterline saw-toothed. GLX answers a request with the deepest
// buffer it has, EGL (Wayland's binding) with the shallowest that will do, and what
// each offers differs between releases (Xvfb's GLX had 32 bits on Debian 12, 24 on
// 13): so 24 bits are asked for first, on X11 by choosing the visual that has exactly
// that, and the program's own request after. The snapshot tool takes 24 bits too. The
// attribute stays as it was for the window, whose context is made to match it.
SDL_Window* CreateGLWindow(const char* title, int x, int y, int width, int height, Uint32 flags) {
    const int wanted = g_layer.pixelFormat.depthBits;
    if (kDepthBits > wanted) {
        SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, kDepthBits);
        if (SDL_Window* window = SDL_CreateWindow(title, x, y, width, height, flags)) return window;
    }
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, wanted);
    return SDL_CreateWindow(title, x, y, width, height, flags);
}

}  // namespace sdl

using namespace sdl;

InstanceHandle PlatGetModuleHandle() {
    static PlatInstanceRec instance;
    return &instance;
}

// Registering the class is where the program first needs the display.
int PlatRegisterClass(const WindowClass* windowClass) {
    if (!windowClass || !windowClass->className || !windowClass->windowProc) return 0;
    if (g_layer.classRegistered || !EnsureVideo()) return 0;
    g_layer.classRegistered = true;
    g_layer.className       = windowClass->className;
    g_layer.classProc       = windowClass->windowProc;
    return 1;
}

int PlatUnregisterClass(const char* className, InstanceHandle) {
    if (!g_layer.classRegistered || !className || g_layer.className != className || !g_layer.windows.empty()) return 0;
    g_layer.classRegistered = false;
    g_layer.className.clear();
    g_layer.classProc = nullptr;
    return 1;
}

IconHandle PlatLoadIcon(int32_t) {
    static PlatIconRec icon;
    return &icon;
}

CursorHandle PlatLoadCursor(int32_t) {
    static PlatCursorRec cursor;
    return &cursor;
}

int PlatAdjustWindowRect(PlatRect* rect, uint32_t style, uint32_t) {
    if (!rect) return 0;
    if (style & WS_OVERLAPPEDWINDOW) {
        rect->left -= g_layer.frame.left;
        rect->top -= g_layer.frame.top;
        rect->right += g_layer.frame.right;
        rect->bottom += g_layer.frame.bottom;
    }
    return 1;
}

WindowHandle PlatCreateWindow(uint32_t, const char* className, const char* title, uint32_t style, int32_t x,
                              int32_t y, int32_t width, int32_t height, InstanceHandle) {
    if (!g_layer.classRegistered || !className || g_layer.className != className || !EnsureVideo()) return nullptr;
    const bool decorated = (style & WS_OVERLAPPEDWINDOW) != 0;
    FrameSize  frame     = decorated ? g_layer.frame : FrameSize{};
    const int  clientWidth  = width - frame.left - frame.right;
    const int  clientHeight = height - frame.top - frame.bottom;
    if (clientWidth <= 0 || clientHeight <= 0) return nullptr;

    SDL_Window* sdlWindow = nullptr;
    bool        fullscreen = false;
    if ((style & WS_POPUP) && g_layer.modeHolder && g_layer.modeHolderSize.width == clientWidth &&
        g_layer.modeHolderSize.height == clientHeight) {
        sdlWindow        = g_layer.modeHolder;
        g_layer.modeHolder = nullptr;
        fullscreen       = true;
        SDL_SetWindowTitle(sdlWindow, title ? title : "");
    } else {
        // The outer top-left goes to (x, y): window managers place the frame there.
        Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN;
        flags |= decorated ? SDL_WINDOW_RESIZABLE : SDL_WINDOW_BORDERLESS;
        sdlWindow = CreateGLWindow(title ? title : "", x, y, clientWidth, clientHeight, flags);
        if (!sdlWindow) return nullptr;
    }

    auto record           = std::make_unique<PlatWindowRec>();
    record->sdl           = sdlWindow;
    record->id            = SDL_GetWindowID(sdlWindow);
    record->xid           = X11WindowOf(sdlWindow);
    record->proc          = g_layer.classProc;
    record->decorated     = decorated;
    record->fullscreen    = fullscreen;
    record->madeWith      = g_layer.pixelFormat;
    record->device.window = record.get();
    WindowHandle handle   = record.get();
    g_layer.windows.push_back(std::move(record));

    if (handle->proc(handle, WM_CREATE, 0, 0) == -1) {
        PlatDestroyWindow(handle);
        return nullptr;
    }
    return handle;
}

int PlatShowWindow(WindowHandle handle, int32_t) {
    PlatWindowRec* window = FindWindow(handle);
    if (!window) return 0;
    const bool wasVisible = (SDL_GetWindowFlags(window->sdl) & SDL_WINDOW_SHOWN) != 0;
    SDL_ShowWindow(window->sdl);
    if (window->decorated) {
        FrameSize frame;
        if (SDL_GetWindowBordersSize(window->sdl, &frame.top, &frame.left, &frame.bottom, &frame.right) == 0)
            g_layer.frame = frame;
    }
    return wasVisible;
}

int PlatSetForegroundWindow(WindowHandle handle) {
    PlatWindowRec* window = FindWindow(handle);
    if (!window) return 0;
    SDL_RaiseWindow(window->sdl);
    return 1;
}

WindowHandle PlatSetFocus(WindowHandle handle) {
    PlatWindowRec* window = FindWindow(handle);
    if (!window) return nullptr;
    WindowHandle previous = g_layer.focus;
    SDL_SetWindowInputFocus(window->sdl);
    g_layer.focus = window;
    return previous;
}

WindowHandle PlatGetFocus() { return g_layer.focus; }

int PlatDestroyWindow(WindowHandle handle) {
    PlatWindowRec* window = FindWindow(handle);
    if (!window) return 0;
    window->proc(handle, WM_DESTROY, 0, 0);
    if (!g_layer.displayLost) {
        if (window->gone) EndWaitForGoneWindow(window->xid);
        SDL_DestroyWindow(window->sdl);
        if (window->gone) SettleXErrors();
    }
    std::erase_if(g_layer.timers, [handle](const Timer& t) { return t.window == handle; });
    std::erase_if(g_layer.queue, [handle](const PlatMessage& m) { return m.window == handle; });
    if (g_layer.focus == handle) g_layer.focus = nullptr;
    std::erase_if(g_layer.windows, [handle](const auto& w) { return w.get() == handle; });
    return 1;
}

// A signal that asks the program to end, or a display that is gone, is a quit that
// comes before everything else in the queue: the program leaves through its teardown.
int PlatPeekMessage(PlatMessage* message) {
    if (const int sig = EndingSignal()) {
        *message = {nullptr, WM_QUIT, static_cast<uint32_t>(128 + sig), 0};
        return 1;
    }
    if (g_layer.videoReady && !g_layer.displayLost) PumpEvents();
    if (g_layer.displayLost) {
        *message = {nullptr, WM_QUIT, 1, 0};
        return 1;
    }
    QueueDueTimers();
    while (!g_layer.queue.empty()) {
        const PlatMessage next = g_layer.queue.front();
        if (g_layer.taps.MustWait(next)) break;
        g_layer.queue.pop_front();
        if (RepeatsAHeldKey(next)) continue;
        g_layer.taps.Delivered(next);
        *message = next;
        return 1;
    }
    g_layer.taps.QueueFoundEmpty();
    return 0;
}

int PlatTranslateMessage(const PlatMessage*) { return 0; }

int32_t PlatDispatchMessage(const PlatMessage* message) {
    PlatWindowRec* window = message ? FindWindow(message->window) : nullptr;
    if (!window) return 0;
    return window->proc(window, message->message, message->wParam, message->lParam);
}

// Alt+F4 closes, as the system menu would; everything else needs nothing.
int32_t PlatDefWindowProc(WindowHandle handle, uint32_t message, uint32_t wParam, int32_t lParam) {
    PlatWindowRec* window = FindWindow(handle);
    if (!window) return 0;
    const bool altHeld = (static_cast<uint32_t>(lParam) & (1u << 29)) != 0;
    if (message == WM_SYSKEYDOWN && wParam == VK_F4 && altHeld) return window->proc(handle, WM_SYSCOMMAND, SC_CLOSE, 0);
    if (message == WM_SYSCOMMAND && wParam == SC_CLOSE) return window->proc(handle, WM_CLOSE, 0, 0);
    return 0;
}

void PlatPostQuitMessage(int32_t exitCode) { Queue(nullptr, WM_QUIT, static_cast<uint32_t>(exitCode), 0); }

uintptr_t PlatSetTimer(WindowHandle handle, uintptr_t timerId, uint32_t periodMs) {
    if (!FindWindow(handle) || timerId == 0 || periodMs == 0) return 0;
    const uint64_t due = SDL_GetTicks64() + periodMs;
    for (auto& timer : g_layer.timers) {
        if (timer.window == handle && timer.id == timerId) {
            timer.periodMs = periodMs;
            timer.dueMs    = due;
            return timerId;
        }
    }
    g_layer.timers.push_back({handle, timerId, periodMs, due});
    return timerId;
}

int32_t PlatChangeDisplaySettings(const DisplayMode* mode, uint32_t flags) {
    if (!mode) {
        LeaveDisplayMode();
        return DISP_CHANGE_SUCCESSFUL;
    }
    // Only temporary changes: the default mode comes back when the program restores it or ends.
    if (flags != CDS_FULLSCREEN || !EnsureVideo()) return DISP_CHANGE_FAILED;
    return EnterDisplayMode(*mode);
}

int PlatShowCursor(int show) {
    g_layer.cursorCount += show ? 1 : -1;
    if (g_layer.videoReady) SDL_ShowCursor(g_layer.cursorCount >= 0 ? SDL_ENABLE : SDL_DISABLE);
    return g_layer.cursorCount;
}

void PlatPreparePixelFormat(const PixelFormatRequest* request) {
    if (!request) return;
    g_layer.pixelFormat = *request;
    if (EnsureVideo()) ApplyGLAttributes(*request);
}

DeviceContextHandle PlatGetDC(WindowHandle handle) {
    PlatWindowRec* window = FindWindow(handle);
    return window ? &window->device : nullptr;
}

int PlatReleaseDC(WindowHandle handle, DeviceContextHandle dc) {
    PlatWindowRec* window = FindDevice(dc);
    return window && window == handle ? 1 : 0;
}

// The window's drawable was made for the request prepared before it; any other
// request, or one that is no double-buffered RGBA window format, has no match.
int PlatChoosePixelFormat(DeviceContextHandle dc, const PixelFormatRequest* request) {
    PlatWindowRec* window = FindDevice(dc);
    if (!window || !request) return 0;
    const uint32_t needed = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL;
    if ((request->flags & needed) != needed || request->pixelType != PFD_TYPE_RGBA ||
        request->layerType != PFD_MAIN_PLANE)
        return 0;
    return SameRequest(*request, window->madeWith) ? 1 : 0;
}

int PlatSetPixelFormat(DeviceContextHandle dc, int format, const PixelFormatRequest* request) {
    PlatWindowRec* window = FindDevice(dc);
    if (!window || !request || format != 1 || dc->pixelFormat != 0) return 0;
    if (!SameRequest(*request, window->madeWith)) return 0;
    dc->pixelFormat = format;
    return 1;
}

GLContextHandle PlatCreateContext(DeviceContextHandle dc) {
    PlatWindowRec* window = FindDevice(dc);
    if (!window || dc->pixelFormat == 0) return nullptr;
    SDL_Window*   previousWindow  = SDL_GL_GetCurrentWindow();
    SDL_GLContext previousContext = SDL_GL_GetCurrentContext();
    SDL_GLContext context         = SDL_GL_CreateContext(window->sdl);
    if (!context) return nullptr;

    // The drawable must really have what was asked for: double buffering and the depth bits.
    int doubleBuffered = 0, depth = 0;
    SDL_GL_GetAttribute(SDL_GL_DOUBLEBUFFER, &doubleBuffered);
    SDL_GL_GetAttribute(SDL_GL_DEPTH_SIZE, &depth);
    const bool wantDouble = (window->madeWith.flags & PFD_DOUBLEBUFFER) != 0;
    // Creating a context does not bind it; the program does that itself.
    SDL_GL_MakeCurrent(previousWindow, previousContext);
    if ((wantDouble && !doubleBuffered) || depth < window->madeWith.depthBits) {
        SDL_GL_DeleteContext(context);
        return nullptr;
    }
    auto record     = std::make_unique<PlatGLContextRec>();
    record->context = context;
    GLContextHandle handle = record.get();
    g_layer.contexts.push_back(std::move(record));
    return handle;
}

int PlatMakeCurrent(DeviceContextHandle dc, GLContextHandle context) {
    if (!g_layer.videoReady) return 0;
    if (!dc && !context) return g_layer.displayLost || SDL_GL_MakeCurrent(nullptr, nullptr) == 0 ? 1 : 0;
    if (g_layer.displayLost) return 0;
    PlatWindowRec* window = FindDevice(dc);
    if (!window || !OwnsContext(context) || dc->pixelFormat == 0) return 0;
    return SDL_GL_MakeCurrent(window->sdl, context->context) == 0 ? 1 : 0;
}

int PlatDeleteContext(GLContextHandle context) {
    if (!OwnsContext(context)) return 0;
    if (!g_layer.displayLost) SDL_GL_DeleteContext(context->context);
    std::erase_if(g_layer.contexts, [context](const auto& c) { return c.get() == context; });
    return 1;
}

int PlatSwapBuffers(DeviceContextHandle dc) {
    PlatWindowRec* window = FindDevice(dc);
    if (!window) return 0;
    // A window that is gone has nowhere to show the picture; its close is on the way.
    if (!window->gone && !g_layer.displayLost) SDL_GL_SwapWindow(window->sdl);
    return 1;
}

int PlatQueryPerformanceCounter(int64_t* counter) {
    if (!counter) return 0;
    *counter = static_cast<int64_t>(SDL_GetPerformanceCounter());
    return 1;
}

int PlatQueryPerformanceFrequency(int64_t* frequency) {
    if (!frequency) return 0;
    *frequency = static_cast<int64_t>(SDL_GetPerformanceFrequency());
    return 1;
}

// SDL has no system fonts; the program draws its own glyphs.
int PlatUseFontBitmaps(DeviceContextHandle, uint32_t, uint32_t, uint32_t) { return 0; }

// SDL is shut down only while its display still answers: on a broken connection Xlib
// would wait for it for ever.
void PlatExitProcess(int32_t exitCode) {
    if (g_layer.videoReady && !g_layer.displayLost) SDL_Quit();
    EndProcess(exitCode);
}
