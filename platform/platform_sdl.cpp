// platform_sdl.cpp — the platform layer over SDL2: windows, the message queue and its
// timers, keys as virtual-key codes, the fullscreen display mode, the GL drawable and
// context, message boxes and the clock. The only file that includes SDL.
//
// SDL has no window classes, device contexts or pixel formats of its own; they are
// kept here as small records so that the program's steps and checks keep their
// meaning. Everything runs on the program's one thread: timer ticks are generated when
// the queue is polled, and the window procedure is called only from dispatch and from
// the window operations themselves.
#include "platform/platform.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <dlfcn.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

struct PlatWindowRec;

struct PlatDeviceRec {
    PlatWindowRec* window      = nullptr;
    int            pixelFormat = 0;
};

struct PlatWindowRec {
    SDL_Window*        sdl        = nullptr;
    uint32_t           id         = 0;
    unsigned long      xid        = 0;       // the X11 window, where X11 is the driver
    bool               gone       = false;   // destroyed by another client
    bool               closeQueued = false;
    WindowProc         proc       = nullptr;
    bool               decorated  = false;
    bool               fullscreen = false;   // holds a changed display mode
    PixelFormatRequest madeWith{};           // the request in force when the window was made
    PlatDeviceRec      device;               // one private device context for its life
};

struct PlatGLContextRec {
    SDL_GLContext context = nullptr;
};

struct PlatInstanceRec {};
struct PlatIconRec {};
struct PlatCursorRec {};

namespace {

struct Timer {
    WindowHandle window;
    uintptr_t    id;
    uint32_t     periodMs;
    uint64_t     dueMs;
};

struct FrameSize {
    int left = 0, top = 0, right = 0, bottom = 0;
};

struct SdlLayer {
    bool        videoReady = false;
    bool        videoFailed = false;
    bool        classRegistered = false;
    std::string className;
    WindowProc  classProc = nullptr;

    std::vector<std::unique_ptr<PlatWindowRec>>    windows;
    std::vector<std::unique_ptr<PlatGLContextRec>> contexts;
    std::deque<PlatMessage>                        queue;
    std::vector<Timer>                             timers;
    WindowHandle                                   focus = nullptr;

    PixelFormatRequest pixelFormat{};

    // A fullscreen window made by a successful mode change, waiting to become the
    // next pop-up window (SDL changes the display mode only for a shown window).
    SDL_Window* modeHolder = nullptr;

    // The decorations of the last decorated window shown, used to widen client
    // rectangles; zero until a window manager has told us.
    FrameSize frame;

    int cursorCount = 0;

    // X11 windows that another client destroyed; errors about them can arrive late.
    std::vector<unsigned long> goneWindows;
};

SdlLayer layer;

using XErrorHandlerFn = int (*)(Display*, XErrorEvent*);
using XSyncFn         = int (*)(Display*, int);
XErrorHandlerFn sdlXErrorHandler = nullptr;
XSyncFn         syncX            = nullptr;
Display*        xDisplay         = nullptr;

// A window destroyed by another client (a task manager, `xdotool windowclose`) turns
// every later request on it, the buffer swap among them, into an X error. SDL's own
// handler answers any error by restoring the display mode from inside the handler,
// where Xlib can no longer deliver the reply it waits for: the program would hang for
// good, still in the changed mode. An error about one of our windows means only that
// it is gone, so the program closes it as if its close button had been pressed. While
// it closes, SDL still looks the vanished window's tree up and trips over windows that
// were never there; those errors mean the same and are let pass too.
int HandleXError(Display* display, XErrorEvent* error) {
    constexpr unsigned char kBadWindow = 3, kBadDrawable = 9;
    for (const auto& w : layer.windows) {
        if (w->xid != 0 && w->xid == error->resourceid) {
            if (!w->gone) layer.goneWindows.push_back(w->xid);
            w->gone = true;
            return 0;
        }
    }
    const bool missingWindow = error->error_code == kBadWindow || error->error_code == kBadDrawable;
    if (!layer.goneWindows.empty() && missingWindow) return 0;
    return sdlXErrorHandler ? sdlXErrorHandler(display, error) : 0;
}

// SDL's X11 driver has Xlib loaded by the time it is running; the handler is set
// through it rather than by linking Xlib into the program.
void InstallXErrorHandler() {
    const char* driver = SDL_GetCurrentVideoDriver();
    if (!driver || std::string(driver) != "x11") return;
    using SetHandlerFn = XErrorHandlerFn (*)(XErrorHandlerFn);
    auto setHandler = reinterpret_cast<SetHandlerFn>(dlsym(RTLD_DEFAULT, "XSetErrorHandler"));
    if (setHandler) sdlXErrorHandler = setHandler(HandleXError);
    syncX = reinterpret_cast<XSyncFn>(dlsym(RTLD_DEFAULT, "XSync"));
}

bool OnWayland() {
    const char* driver = SDL_GetCurrentVideoDriver();
    return driver && std::string(driver) == "wayland";
}

unsigned long X11WindowOf(SDL_Window* window) {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return 0;
    xDisplay = info.info.x11.display;
    return info.info.x11.window;
}

// Destroying a vanished window fails too, and the error comes with the next round trip,
// which may be SDL's own last one at exit, after our handler has been taken down.
void SettleXErrors() {
    if (syncX && xDisplay) syncX(xDisplay, 0);
}

// Real displays only: without one SDL would quietly pick an invisible driver and the
// program would run with nobody able to see it.
constexpr char kRealVideoDrivers[] = "x11,wayland";

// SDL 2.26 crashes inside SDL_Init on a Wayland compositor that offers no input seat
// (a headless one). Where SDL would take Wayland (there is no X display to prefer),
// the compositor is asked first, through the client library SDL has loaded anyway.
struct WlDisplay;
struct WlProxy;
struct WlRegistryListener {
    void (*global)(void* data, WlProxy* registry, uint32_t name, const char* interface, uint32_t version);
    void (*globalRemove)(void* data, WlProxy* registry, uint32_t name);
};

void NoteSeat(void* data, WlProxy*, uint32_t, const char* interface, uint32_t) {
    if (std::string(interface) == "wl_seat") *static_cast<bool*>(data) = true;
}

void IgnoreRemoval(void*, WlProxy*, uint32_t) {}

bool WaylandWithoutSeat() {
    const char* x11 = std::getenv("DISPLAY");
    if (x11 && *x11) return false;
    auto connect     = reinterpret_cast<WlDisplay* (*)(const char*)>(dlsym(RTLD_DEFAULT, "wl_display_connect"));
    auto disconnect  = reinterpret_cast<void (*)(WlDisplay*)>(dlsym(RTLD_DEFAULT, "wl_display_disconnect"));
    auto roundtrip   = reinterpret_cast<int (*)(WlDisplay*)>(dlsym(RTLD_DEFAULT, "wl_display_roundtrip"));
    auto construct   = reinterpret_cast<WlProxy* (*)(WlProxy*, uint32_t, const void*, ...)>(
        dlsym(RTLD_DEFAULT, "wl_proxy_marshal_constructor"));
    auto addListener = reinterpret_cast<int (*)(WlProxy*, void (**)(void), void*)>(
        dlsym(RTLD_DEFAULT, "wl_proxy_add_listener"));
    auto destroy          = reinterpret_cast<void (*)(WlProxy*)>(dlsym(RTLD_DEFAULT, "wl_proxy_destroy"));
    const void* registryInterface = dlsym(RTLD_DEFAULT, "wl_registry_interface");
    if (!connect || !disconnect || !roundtrip || !construct || !addListener || !destroy || !registryInterface)
        return false;
    WlDisplay* display = connect(nullptr);
    if (!display) return false;
    constexpr uint32_t kGetRegistry = 1;
    bool               seat         = false;
    static const WlRegistryListener listener{NoteSeat, IgnoreRemoval};
    WlProxy* registry = construct(reinterpret_cast<WlProxy*>(display), kGetRegistry, registryInterface, nullptr);
    if (registry) {
        addListener(registry, reinterpret_cast<void (**)(void)>(const_cast<WlRegistryListener*>(&listener)), &seat);
        roundtrip(display);
        destroy(registry);
    }
    disconnect(display);
    return registry && !seat;
}

bool EnsureVideo() {
    if (layer.videoReady) return true;
    if (layer.videoFailed) return false;
    if (WaylandWithoutSeat()) {
        layer.videoFailed = true;
        return false;
    }
    SDL_SetHintWithPriority(SDL_HINT_VIDEODRIVER, kRealVideoDrivers, SDL_HINT_OVERRIDE);
    // Closing the window is the program's own decision (a close message), not SDL's.
    SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
    // With libdecor drawing the decorations, SDL 2.26 on Wayland crashes in the first
    // event dispatch after a window that has shown GL frames is destroyed and another
    // made, which every F1 does: libdecor still reports to the freed window. Without
    // it, compositors that offer server-side decorations still draw them; the others
    // (GNOME, weston) show the window without a frame.
    SDL_SetHint(SDL_HINT_VIDEO_WAYLAND_ALLOW_LIBDECOR, "0");
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        layer.videoFailed = true;
        return false;
    }
    std::atexit(SDL_Quit);
    InstallXErrorHandler();
    layer.videoReady = true;
    return true;
}

PlatWindowRec* FindWindow(WindowHandle handle) {
    for (const auto& w : layer.windows)
        if (w.get() == handle) return w.get();
    return nullptr;
}

PlatWindowRec* FindWindowById(uint32_t id) {
    for (const auto& w : layer.windows)
        if (w->id == id) return w.get();
    return nullptr;
}

PlatWindowRec* FindDevice(DeviceContextHandle dc) {
    for (const auto& w : layer.windows)
        if (&w->device == dc) return w.get();
    return nullptr;
}

bool OwnsContext(GLContextHandle context) {
    return std::any_of(layer.contexts.begin(), layer.contexts.end(),
                       [context](const auto& c) { return c.get() == context; });
}

void Queue(WindowHandle window, uint32_t message, uint32_t wParam, int32_t lParam) {
    layer.queue.push_back({window, message, wParam, lParam});
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
}

// The display that holds the screen origin, where every scene window is placed.
int DisplayAtOrigin() {
    const int count = SDL_GetNumVideoDisplays();
    for (int i = 0; i < count; ++i) {
        SDL_Rect bounds;
        if (SDL_GetDisplayBounds(i, &bounds) == 0 && bounds.x <= 0 && bounds.y <= 0 && bounds.x + bounds.w > 0 &&
            bounds.y + bounds.h > 0)
            return i;
    }
    return 0;
}

// An offered mode of exactly that size; the requested depth where the display has it,
// otherwise its own depth (X11 and Wayland cannot change the depth).
bool FindExactMode(int display, const DisplayMode& request, SDL_DisplayMode* found) {
    bool any = false;
    const int count = SDL_GetNumDisplayModes(display);
    for (int i = 0; i < count; ++i) {
        SDL_DisplayMode mode;
        if (SDL_GetDisplayMode(display, i, &mode) != 0) continue;
        if (mode.w != static_cast<int>(request.width) || mode.h != static_cast<int>(request.height)) continue;
        const bool depthMatches = !(request.fields & DM_BITSPERPEL) ||
                                  SDL_BITSPERPIXEL(mode.format) == request.bitsPerPixel;
        if (!any || depthMatches) *found = mode;
        any = true;
        if (depthMatches) break;
    }
    return any;
}

// On Wayland no client changes the output's mode: the compositor shows the fullscreen
// window's drawable of the mode's size scaled to the whole output, which is the
// picture a mode change is there to give. Elsewhere the display itself must have it.
bool ModeInForce(SDL_Window* holder, int display, const SDL_DisplayMode& mode) {
    SDL_DisplayMode current;
    if (OnWayland()) {
        return (SDL_GetWindowFlags(holder) & SDL_WINDOW_FULLSCREEN) && SDL_GetWindowDisplayMode(holder, &current) == 0 &&
               current.w == mode.w && current.h == mode.h;
    }
    return SDL_GetCurrentDisplayMode(display, &current) == 0 && current.w == mode.w && current.h == mode.h;
}

void DropModeHolder() {
    if (layer.modeHolder) SDL_DestroyWindow(layer.modeHolder);
    layer.modeHolder = nullptr;
}

// On Windows a temporary display mode ends with the process; an X server keeps it.
// So while the mode is changed, a fatal signal first brings the
// default mode back, then the process dies of that signal as it would have (through
// whatever handler was there before, a sanitizer's say). SIGKILL cannot be caught.
constexpr int kFatalSignals[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT};
struct sigaction      previousFatalActions[std::size(kFatalSignals)];
bool                  fatalGuardInstalled = false;
volatile sig_atomic_t fatalSignal         = 0;
volatile sig_atomic_t deferredSignal      = 0;   // sent by another process, not yet acted on

void LeaveDisplayMode();

void RemoveFatalSignalGuard() {
    if (!fatalGuardInstalled) return;
    for (size_t i = 0; i < std::size(kFatalSignals); ++i) sigaction(kFatalSignals[i], &previousFatalActions[i], nullptr);
    fatalGuardInstalled = false;
}

void RaiseUnblocked(int sig) {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, sig);
    sigprocmask(SIG_UNBLOCK, &set, nullptr);
    raise(sig);
}

// The restore did not finish (the crash may have left Xlib's lock held): die anyway.
void DieOfFatalSignal(int) {
    signal(fatalSignal, SIG_DFL);
    RaiseUnblocked(fatalSignal);
    _exit(128 + fatalSignal);
}

void RestoreModeOnFatalSignal(int sig, siginfo_t* info, void*) {
    // A signal sent by another process (kill -SEGV) finds the program sound, perhaps in
    // the middle of an X request that the restore must not cut into: it is acted on
    // at the next message poll instead, with the same outcome.
    if (info && info->si_code <= 0 && info->si_pid != getpid()) {
        deferredSignal = sig;
        return;
    }
    fatalSignal = sig;
    signal(SIGALRM, DieOfFatalSignal);
    alarm(3);
    // Not async-signal-safe, but the process is dying and the desktop is at stake.
    LeaveDisplayMode();   // also puts the previous handlers back
    alarm(0);
    // A fault raised by an instruction comes again when the handler returns, now to the
    // previous handler, with its true context; a raised signal must be raised again.
    if (info && info->si_code > 0) return;
    RaiseUnblocked(sig);
}

void DieOfDeferredSignal() {
    const int sig = deferredSignal;
    LeaveDisplayMode();
    RaiseUnblocked(sig);
    _exit(128 + sig);
}

void InstallFatalSignalGuard() {
    if (fatalGuardInstalled) return;
    struct sigaction action {};
    action.sa_sigaction = RestoreModeOnFatalSignal;
    action.sa_flags     = SA_SIGINFO;
    sigemptyset(&action.sa_mask);
    for (size_t i = 0; i < std::size(kFatalSignals); ++i) sigaction(kFatalSignals[i], &action, &previousFatalActions[i]);
    fatalGuardInstalled = true;
}

int32_t EnterDisplayMode(const DisplayMode& request) {
    if (!(request.fields & DM_PELSWIDTH) || !(request.fields & DM_PELSHEIGHT)) return DISP_CHANGE_BADMODE;
    const int display = DisplayAtOrigin();
    SDL_DisplayMode mode;
    // SDL would take a larger mode and call it success; only the exact size will do.
    if (!FindExactMode(display, request, &mode)) return DISP_CHANGE_BADMODE;

    DropModeHolder();
    SDL_Rect bounds{0, 0, mode.w, mode.h};
    SDL_GetDisplayBounds(display, &bounds);
    SDL_Window* holder = SDL_CreateWindow("", bounds.x, bounds.y, mode.w, mode.h,
                                          SDL_WINDOW_OPENGL | SDL_WINDOW_BORDERLESS | SDL_WINDOW_HIDDEN);
    if (!holder) return DISP_CHANGE_FAILED;
    if (SDL_SetWindowDisplayMode(holder, &mode) != 0 || SDL_SetWindowFullscreen(holder, SDL_WINDOW_FULLSCREEN) != 0) {
        SDL_DestroyWindow(holder);
        return DISP_CHANGE_FAILED;
    }
    SDL_ShowWindow(holder);
    if (!ModeInForce(holder, display, mode)) {
        SDL_DestroyWindow(holder);
        return DISP_CHANGE_BADMODE;
    }
    layer.modeHolder = holder;
    InstallFatalSignalGuard();
    return DISP_CHANGE_SUCCESSFUL;
}

void LeaveDisplayMode() {
    DropModeHolder();
    for (const auto& w : layer.windows) {
        if (!w->fullscreen) continue;
        SDL_SetWindowFullscreen(w->sdl, 0);
        w->fullscreen = false;
    }
    RemoveFatalSignalGuard();
}

// Virtual-key codes by the key's symbol, so that letters follow the keyboard layout;
// keys whose symbol is no Latin letter or digit fall back to their position.
uint32_t VirtualKeyFor(const SDL_Keysym& key) {
    const SDL_Keycode sym = key.sym;
    if (sym >= SDLK_a && sym <= SDLK_z) return 'A' + static_cast<uint32_t>(sym - SDLK_a);
    if (sym >= SDLK_0 && sym <= SDLK_9) return '0' + static_cast<uint32_t>(sym - SDLK_0);
    if (sym >= SDLK_F1 && sym <= SDLK_F12) return VK_F1 + static_cast<uint32_t>(sym - SDLK_F1);
    if (sym >= SDLK_F13 && sym <= SDLK_F24) return VK_F13 + static_cast<uint32_t>(sym - SDLK_F13);
    if (sym >= SDLK_KP_1 && sym <= SDLK_KP_9) return VK_NUMPAD0 + 1 + static_cast<uint32_t>(sym - SDLK_KP_1);
    switch (sym) {
    case SDLK_ESCAPE: return VK_ESCAPE;
    case SDLK_RETURN: case SDLK_KP_ENTER: return VK_RETURN;
    case SDLK_BACKSPACE: return VK_BACK;
    case SDLK_TAB: return VK_TAB;
    case SDLK_SPACE: return VK_SPACE;
    case SDLK_LEFT: return VK_LEFT;
    case SDLK_UP: return VK_UP;
    case SDLK_RIGHT: return VK_RIGHT;
    case SDLK_DOWN: return VK_DOWN;
    case SDLK_PAGEUP: return VK_PRIOR;
    case SDLK_PAGEDOWN: return VK_NEXT;
    case SDLK_HOME: return VK_HOME;
    case SDLK_END: return VK_END;
    case SDLK_INSERT: return VK_INSERT;
    case SDLK_DELETE: return VK_DELETE;
    case SDLK_PAUSE: return VK_PAUSE;
    case SDLK_PRINTSCREEN: return VK_SNAPSHOT;
    case SDLK_CAPSLOCK: return VK_CAPITAL;
    case SDLK_NUMLOCKCLEAR: return VK_NUMLOCK;
    case SDLK_SCROLLLOCK: return VK_SCROLL;
    case SDLK_LSHIFT: case SDLK_RSHIFT: return VK_SHIFT;
    case SDLK_LCTRL: case SDLK_RCTRL: return VK_CONTROL;
    case SDLK_LALT: case SDLK_RALT: return VK_MENU;
    case SDLK_LGUI: return VK_LWIN;
    case SDLK_RGUI: return VK_RWIN;
    case SDLK_APPLICATION: return VK_APPS;
    case SDLK_KP_0: return VK_NUMPAD0;
    case SDLK_KP_MULTIPLY: return VK_MULTIPLY;
    case SDLK_KP_PLUS: return VK_ADD;
    case SDLK_KP_MINUS: return VK_SUBTRACT;
    case SDLK_KP_PERIOD: return VK_DECIMAL;
    case SDLK_KP_DIVIDE: return VK_DIVIDE;
    case SDLK_SEMICOLON: return VK_OEM_1;
    case SDLK_EQUALS: return VK_OEM_PLUS;
    case SDLK_COMMA: return VK_OEM_COMMA;
    case SDLK_MINUS: return VK_OEM_MINUS;
    case SDLK_PERIOD: return VK_OEM_PERIOD;
    case SDLK_SLASH: return VK_OEM_2;
    case SDLK_BACKQUOTE: return VK_OEM_3;
    case SDLK_LEFTBRACKET: return VK_OEM_4;
    case SDLK_BACKSLASH: return VK_OEM_5;
    case SDLK_RIGHTBRACKET: return VK_OEM_6;
    case SDLK_QUOTE: return VK_OEM_7;
    default: break;
    }
    const SDL_Scancode code = key.scancode;
    if (code >= SDL_SCANCODE_A && code <= SDL_SCANCODE_Z) return 'A' + static_cast<uint32_t>(code - SDL_SCANCODE_A);
    if (code >= SDL_SCANCODE_1 && code <= SDL_SCANCODE_9) return '1' + static_cast<uint32_t>(code - SDL_SCANCODE_1);
    if (code == SDL_SCANCODE_0) return '0';
    return 0;
}

// Alt (without Ctrl, which makes AltGr), Alt itself and F10 belong to the system.
bool IsSystemKey(uint32_t virtualKey, uint16_t modifiers) {
    if (virtualKey == VK_MENU || virtualKey == VK_F10) return true;
    return (modifiers & KMOD_ALT) && !(modifiers & KMOD_CTRL);
}

void QueueKey(const SDL_KeyboardEvent& event) {
    // SDL settles a change of focus only after a short delay; keys typed meanwhile
    // carry no window and belong to the one the program gave the focus.
    PlatWindowRec* window = event.windowID ? FindWindowById(event.windowID) : FindWindow(layer.focus);
    if (!window) return;
    const uint32_t virtualKey = VirtualKeyFor(event.keysym);
    if (!virtualKey) return;
    const bool down   = event.type == SDL_KEYDOWN;
    const bool system = IsSystemKey(virtualKey, event.keysym.mod);
    uint32_t   message;
    if (down) {
        message = system ? WM_SYSKEYDOWN : WM_KEYDOWN;
    } else {
        message = system ? WM_SYSKEYUP : WM_KEYUP;
    }
    // Repeat count 1, the scan code, the Alt state, the previous state and the transition.
    uint32_t info = 1u | ((static_cast<uint32_t>(event.keysym.scancode) & 0xFF) << 16);
    if (event.keysym.mod & KMOD_ALT) info |= 1u << 29;
    if (!down || event.repeat) info |= 1u << 30;
    if (!down) info |= 1u << 31;
    Queue(window, message, virtualKey, static_cast<int32_t>(info));
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
        layer.focus = window;
        Queue(window, WM_ACTIVATE, WA_ACTIVE | MinimisedWord(*window), 0);
        break;
    case SDL_WINDOWEVENT_FOCUS_LOST:
        if (layer.focus == window) layer.focus = nullptr;
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
            // SIGINT and SIGTERM arrive here: end like a closed window, so that the
            // program tears down and the display mode comes back.
            if (!layer.windows.empty()) Queue(layer.windows.front().get(), WM_CLOSE, 0, 0);
            break;
        default:
            break;
        }
    }
    for (const auto& w : layer.windows) {
        if (w->gone && !w->closeQueued) {
            Queue(w.get(), WM_CLOSE, 0, 0);
            w->closeQueued = true;
        }
    }
}

// Ticks that fell due while the program was busy become one message, not a backlog.
void QueueDueTimers() {
    const uint64_t now = SDL_GetTicks64();
    for (auto& timer : layer.timers) {
        if (now < timer.dueMs) continue;
        Queue(timer.window, WM_TIMER, static_cast<uint32_t>(timer.id), 0);
        timer.dueMs += timer.periodMs;
        if (timer.dueMs <= now) timer.dueMs = now + timer.periodMs;
    }
}

SDL_MessageBoxFlags SeverityFor(uint32_t type) {
    switch (type & 0xF0) {
    case MB_ICONSTOP: return SDL_MESSAGEBOX_ERROR;
    case MB_ICONEXCLAMATION: return SDL_MESSAGEBOX_WARNING;
    case MB_ICONINFORMATION: return SDL_MESSAGEBOX_INFORMATION;
    default: return static_cast<SDL_MessageBoxFlags>(0);
    }
}

}  // namespace

InstanceHandle PlatGetModuleHandle() {
    static PlatInstanceRec instance;
    return &instance;
}

// Registering the class is where the program first needs the display.
int PlatRegisterClass(const WindowClass* windowClass) {
    if (!windowClass || !windowClass->className || !windowClass->windowProc) return 0;
    if (layer.classRegistered || !EnsureVideo()) return 0;
    layer.classRegistered = true;
    layer.className       = windowClass->className;
    layer.classProc       = windowClass->windowProc;
    return 1;
}

int PlatUnregisterClass(const char* className, InstanceHandle) {
    if (!layer.classRegistered || !className || layer.className != className || !layer.windows.empty()) return 0;
    layer.classRegistered = false;
    layer.className.clear();
    layer.classProc = nullptr;
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
        rect->left -= layer.frame.left;
        rect->top -= layer.frame.top;
        rect->right += layer.frame.right;
        rect->bottom += layer.frame.bottom;
    }
    return 1;
}

WindowHandle PlatCreateWindow(uint32_t, const char* className, const char* title, uint32_t style, int32_t x,
                              int32_t y, int32_t width, int32_t height, InstanceHandle) {
    if (!layer.classRegistered || !className || layer.className != className || !EnsureVideo()) return nullptr;
    const bool decorated = (style & WS_OVERLAPPEDWINDOW) != 0;
    FrameSize  frame     = decorated ? layer.frame : FrameSize{};
    const int  clientWidth  = width - frame.left - frame.right;
    const int  clientHeight = height - frame.top - frame.bottom;
    if (clientWidth <= 0 || clientHeight <= 0) return nullptr;

    SDL_Window* sdlWindow = nullptr;
    bool        fullscreen = false;
    int         holderWidth = 0, holderHeight = 0;
    if (layer.modeHolder) SDL_GetWindowSize(layer.modeHolder, &holderWidth, &holderHeight);
    if ((style & WS_POPUP) && layer.modeHolder && holderWidth == clientWidth && holderHeight == clientHeight) {
        sdlWindow        = layer.modeHolder;
        layer.modeHolder = nullptr;
        fullscreen       = true;
        SDL_SetWindowTitle(sdlWindow, title ? title : "");
    } else {
        // The outer top-left goes to (x, y): window managers place the frame there.
        Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN;
        flags |= decorated ? SDL_WINDOW_RESIZABLE : SDL_WINDOW_BORDERLESS;
        sdlWindow = SDL_CreateWindow(title ? title : "", x, y, clientWidth, clientHeight, flags);
        if (!sdlWindow) return nullptr;
    }

    auto record           = std::make_unique<PlatWindowRec>();
    record->sdl           = sdlWindow;
    record->id            = SDL_GetWindowID(sdlWindow);
    record->xid           = X11WindowOf(sdlWindow);
    record->proc          = layer.classProc;
    record->decorated     = decorated;
    record->fullscreen    = fullscreen;
    record->madeWith      = layer.pixelFormat;
    record->device.window = record.get();
    WindowHandle handle   = record.get();
    layer.windows.push_back(std::move(record));

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
            layer.frame = frame;
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
    WindowHandle previous = layer.focus;
    SDL_SetWindowInputFocus(window->sdl);
    layer.focus = window;
    return previous;
}

WindowHandle PlatGetFocus() { return layer.focus; }

int PlatDestroyWindow(WindowHandle handle) {
    PlatWindowRec* window = FindWindow(handle);
    if (!window) return 0;
    window->proc(handle, WM_DESTROY, 0, 0);
    SDL_DestroyWindow(window->sdl);
    if (window->gone) SettleXErrors();
    std::erase_if(layer.timers, [handle](const Timer& t) { return t.window == handle; });
    std::erase_if(layer.queue, [handle](const PlatMessage& m) { return m.window == handle; });
    if (layer.focus == handle) layer.focus = nullptr;
    std::erase_if(layer.windows, [handle](const auto& w) { return w.get() == handle; });
    return 1;
}

int PlatPeekMessage(PlatMessage* message) {
    if (deferredSignal) DieOfDeferredSignal();
    if (layer.videoReady) PumpEvents();
    QueueDueTimers();
    if (layer.queue.empty()) return 0;
    *message = layer.queue.front();
    layer.queue.pop_front();
    return 1;
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
    for (auto& timer : layer.timers) {
        if (timer.window == handle && timer.id == timerId) {
            timer.periodMs = periodMs;
            timer.dueMs    = due;
            return timerId;
        }
    }
    layer.timers.push_back({handle, timerId, periodMs, due});
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
    layer.cursorCount += show ? 1 : -1;
    if (layer.videoReady) SDL_ShowCursor(layer.cursorCount >= 0 ? SDL_ENABLE : SDL_DISABLE);
    return layer.cursorCount;
}

void PlatPreparePixelFormat(const PixelFormatRequest* request) {
    if (!request) return;
    layer.pixelFormat = *request;
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
    layer.contexts.push_back(std::move(record));
    return handle;
}

int PlatMakeCurrent(DeviceContextHandle dc, GLContextHandle context) {
    if (!layer.videoReady) return 0;
    if (!dc && !context) return SDL_GL_MakeCurrent(nullptr, nullptr) == 0 ? 1 : 0;
    PlatWindowRec* window = FindDevice(dc);
    if (!window || !OwnsContext(context) || dc->pixelFormat == 0) return 0;
    return SDL_GL_MakeCurrent(window->sdl, context->context) == 0 ? 1 : 0;
}

int PlatDeleteContext(GLContextHandle context) {
    if (!OwnsContext(context)) return 0;
    SDL_GL_DeleteContext(context->context);
    std::erase_if(layer.contexts, [context](const auto& c) { return c.get() == context; });
    return 1;
}

int PlatSwapBuffers(DeviceContextHandle dc) {
    PlatWindowRec* window = FindDevice(dc);
    if (!window) return 0;
    // A window that is gone has nowhere to show the picture; its close is on the way.
    if (!window->gone) SDL_GL_SwapWindow(window->sdl);
    return 1;
}

// Yes is the Return-key answer and No the Escape-key answer of a question; a box
// closed without a button, or none shown at all, answers No (or OK, for an OK box).
int32_t PlatMessageBox(WindowHandle owner, const char* text, const char* caption, uint32_t type) {
    const bool question = (type & 0x0F) == MB_YESNO;
    const SDL_MessageBoxButtonData questionButtons[] = {
        {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, IDYES, "Yes"},
        {SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, IDNO, "No"},
    };
    const SDL_MessageBoxButtonData okButton[] = {
        {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT | SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, IDOK, "OK"},
    };
    PlatWindowRec* ownerWindow = FindWindow(owner);

    SDL_MessageBoxData box{};
    box.flags      = SeverityFor(type) | SDL_MESSAGEBOX_BUTTONS_LEFT_TO_RIGHT;
    box.window     = ownerWindow ? ownerWindow->sdl : nullptr;
    box.title      = caption ? caption : "";
    box.message    = text ? text : "";
    box.numbuttons = question ? 2 : 1;
    box.buttons    = question ? questionButtons : okButton;

    const int32_t unanswered = question ? IDNO : IDOK;
    int           pressed    = -1;
    // Without a display no box can be shown, yet SDL may still hand the box to a dialog
    // helper that fails quietly and report it answered; the message would reach nobody.
    if (!layer.videoReady || SDL_ShowMessageBox(&box, &pressed) != 0) {
        std::fprintf(stderr, "%s: %s\n", box.title, box.message);
        return unanswered;
    }
    return pressed < 0 ? unanswered : pressed;
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
