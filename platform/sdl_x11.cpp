// sdl_x11.cpp — X11 under SDL: a window that another client destroyed is closed like
// one whose close button was pressed, and the errors its requests raise are let pass;
// a broken connection to the server ends the program instead of the process; GL
// windows get a visual with exactly the depth buffer the layer wants.
#include <GL/glx.h>
#include <SDL_syswm.h>
#include <X11/Xutil.h>

#include <cstdio>

#include "platform/sdl_layer.h"

namespace sdl {
namespace {

using XErrorHandlerFn = int (*)(Display*, XErrorEvent*);
using XSyncFn         = int (*)(Display*, int);
XErrorHandlerFn sdlXErrorHandler = nullptr;
XSyncFn         syncX            = nullptr;
Display*        xDisplay         = nullptr;

// A window destroyed by another client (a task manager, `xdotool windowclose`) turns
// every later request on it, the buffer swap among them, into an X error. SDL's own
// handler answers any error by restoring the display mode from inside the handler,
// where Xlib can no longer deliver the reply it waits for: the program would hang for
// good, still in the changed mode. A missing-window error about one of our windows
// means only that it is gone, so the program closes it as if its close button had
// been pressed. While it closes, SDL still looks the vanished window's tree up and
// trips over windows that were never there; those errors mean the same and are let
// pass too. Any other error about a window of ours is a request the window manager
// did not allow yet (the focus given to a window it has not mapped, as sway's does
// for a while): nothing to act on.
int HandleXError(Display* display, XErrorEvent* error) {
    constexpr unsigned char kBadWindow = 3, kBadDrawable = 9;
    const bool missingWindow = error->error_code == kBadWindow || error->error_code == kBadDrawable;
    for (const auto& w : g_layer.windows) {
        if (w->xid != 0 && w->xid == error->resourceid) {
            if (!missingWindow) return 0;
            if (!w->gone) g_layer.goneWindows.push_back(w->xid);
            w->gone = true;
            return 0;
        }
    }
    if (!g_layer.goneWindows.empty() && missingWindow) return 0;
    return sdlXErrorHandler ? sdlXErrorHandler(display, error) : 0;
}

// Xlib's answer to a broken connection is exit(), whose atexit handlers (SDL's among
// them, under SDL3) then wait on the dead connection for ever. Since libX11 1.7 a
// program may return from it instead; every later request fails at once, and the
// layer asks nothing more of the display.
void NoteDisplayLost(Display*, void*) { g_layer.displayLost = true; }

void HandleLostDisplay(Display* display) {
    using SetExitHandlerFn = void (*)(Display*, void (*)(Display*, void*), void*);
    static Display* handled = nullptr;
    if (display == handled) return;
    static const auto setExitHandler =
        Xlib<SetExitHandlerFn>("XSetIOErrorExitHandler");
    if (!setExitHandler) return;
    setExitHandler(display, NoteDisplayLost, nullptr);
    handled = display;
}

bool OnX11() {
    const char* driver = SDL_GetCurrentVideoDriver();
    return driver && std::string(driver) == "x11";
}

}  // namespace

// SDL's X11 driver has Xlib loaded by the time it is running; the handler is set
// through it rather than by linking Xlib into the program.
void InstallXErrorHandler() {
    if (!OnX11()) return;
    using SetHandlerFn = XErrorHandlerFn (*)(XErrorHandlerFn);
    auto setHandler = Xlib<SetHandlerFn>("XSetErrorHandler");
    if (setHandler) sdlXErrorHandler = setHandler(HandleXError);
    syncX = Xlib<XSyncFn>("XSync");
}

unsigned long X11WindowOf(SDL_Window* window) {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return 0;
    xDisplay = info.info.x11.display;
    HandleLostDisplay(xDisplay);
    return info.info.x11.window;
}

// SDL3 hides a window before destroying it and then waits for the server's UnmapNotify.
// For a window that another client destroyed, SDL3 asks the server whether it is
// mapped, gets an error instead of an answer, takes the window for mapped and waits
// for ever: the notice the server sent when the window went was taken off the queue
// long ago. One put back at the head of the queue ends that wait at once. Under SDL 2
// (2.26 and 2.32) such a window closes without it, and nothing is put back there.
void EndWaitForGoneWindow(unsigned long xid) {
    using PutBackFn = int (*)(Display*, XEvent*);
    static const auto putBack = Xlib<PutBackFn>("XPutBackEvent");
    if (!OnSdl3() || !putBack || !xDisplay || xid == 0) return;
    XEvent notice{};
    notice.xunmap.type    = UnmapNotify;
    notice.xunmap.display = xDisplay;
    notice.xunmap.event   = xid;
    notice.xunmap.window  = xid;
    putBack(xDisplay, &notice);
}

// Destroying a vanished window fails too, and the error comes with the next round trip,
// which may be SDL's own last one at exit, after our handler has been taken down.
void SettleXErrors() {
    if (syncX && xDisplay) syncX(xDisplay, 0);
}

// GLX gives a request for so many depth bits the deepest buffer it has, and what it
// has differs between servers; SDL takes a visual that the layer names instead. The
// visual has the screen's own depth, RGBA, no stencil and exactly `depthBits`; where
// the screen has none such, SDL chooses as it always does.
void PreferX11Visual(int depthBits, bool doubleBuffered) {
    if (!OnX11()) return;
    using OpenFn      = Display* (*)(const char*);
    using CloseFn     = int (*)(Display*);
    using VisualsFn   = XVisualInfo* (*)(Display*, long, XVisualInfo*, int*);
    using FreeFn      = int (*)(void*);
    using GetConfigFn = int (*)(Display*, XVisualInfo*, int, int*);
    static const auto open      = Xlib<OpenFn>("XOpenDisplay");
    static const auto close     = Xlib<CloseFn>("XCloseDisplay");
    static const auto visuals   = Xlib<VisualsFn>("XGetVisualInfo");
    static const auto release   = Xlib<FreeFn>("XFree");
    static const auto getConfig = FromLibrary<GetConfigFn>("libGL.so.1", "glXGetConfig");
    if (!open || !close || !visuals || !release || !getConfig) return;
    Display* display = open(nullptr);
    if (!display) return;
    XVisualInfo wanted{};
    wanted.screen = DefaultScreen(display);
    wanted.depth  = DefaultDepth(display, wanted.screen);
    wanted.c_class = TrueColor;
    int          count = 0;
    XVisualInfo* list  = visuals(display, VisualScreenMask | VisualDepthMask | VisualClassMask, &wanted, &count);
    unsigned long chosen = 0;
    int           fewestExtras = 0;
    for (int i = 0; i < count; ++i) {
        const auto has = [&](int attribute) {
            int value = 0;
            return getConfig(display, &list[i], attribute, &value) == 0 ? value : -1;
        };
        if (has(GLX_USE_GL) != 1 || has(GLX_RGBA) != 1 || has(GLX_LEVEL) != 0 ||
            has(GLX_DOUBLEBUFFER) != (doubleBuffered ? 1 : 0) || has(GLX_DEPTH_SIZE) != depthBits ||
            has(GLX_STENCIL_SIZE) != 0)
            continue;
        // The plainest: no alpha, accumulation or multisampling where one is on offer.
        const int extras = has(GLX_ALPHA_SIZE) + has(GLX_ACCUM_RED_SIZE) + has(GLX_AUX_BUFFERS) + has(GLX_SAMPLES);
        if (chosen == 0 || extras < fewestExtras) {
            chosen       = list[i].visualid;
            fewestExtras = extras;
        }
    }
    if (list) release(list);
    close(display);
    char id[32] = "";
    if (chosen) std::snprintf(id, sizeof id, "0x%lx", chosen);
    SDL_SetHint(SDL_HINT_VIDEO_X11_WINDOW_VISUALID, id);
}

// The keyboard as the X server sees it, for the keys whose symbol the layer knows.
bool X11KeyIsDown(uint32_t virtualKey) {
    using KeysymToKeycodeFn = unsigned char (*)(Display*, unsigned long);
    using QueryKeymapFn     = int (*)(Display*, char[32]);
    static const auto toKeycode   = Xlib<KeysymToKeycodeFn>("XKeysymToKeycode");
    static const auto queryKeymap = Xlib<QueryKeymapFn>("XQueryKeymap");
    if (!xDisplay || !toKeycode || !queryKeymap) return false;
    unsigned long keysym = 0;
    if (virtualKey >= 'A' && virtualKey <= 'Z') {
        keysym = 'a' + (virtualKey - 'A');
    } else if ((virtualKey >= '0' && virtualKey <= '9') || virtualKey == VK_SPACE) {
        keysym = virtualKey;
    } else if (virtualKey >= VK_F1 && virtualKey <= VK_F24) {
        keysym = 0xFFBE + (virtualKey - VK_F1);   // XK_F1 onwards
    } else if (virtualKey >= VK_LEFT && virtualKey <= VK_DOWN) {
        keysym = 0xFF51 + (virtualKey - VK_LEFT);   // XK_Left, XK_Up, XK_Right, XK_Down
    } else if (virtualKey == VK_ESCAPE) {
        keysym = 0xFF1B;
    } else if (virtualKey == VK_RETURN) {
        keysym = 0xFF0D;
    } else {
        return false;
    }
    const unsigned char keycode = toKeycode(xDisplay, keysym);
    char keys[32] = {};
    if (keycode == 0 || !queryKeymap(xDisplay, keys)) return false;
    return (keys[keycode / 8] & (1 << (keycode % 8))) != 0;
}

}  // namespace sdl
