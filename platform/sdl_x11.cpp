// sdl_x11.cpp — X11 under SDL: a window that another client destroyed is closed like
// one whose close button was pressed, and the errors its requests raise are let pass.
#include <SDL_syswm.h>
#include <dlfcn.h>

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

}  // namespace

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

// The keyboard as the X server sees it, for the keys whose symbol the layer knows.
bool X11KeyIsDown(uint32_t virtualKey) {
    using KeysymToKeycodeFn = unsigned char (*)(Display*, unsigned long);
    using QueryKeymapFn     = int (*)(Display*, char[32]);
    static const auto toKeycode   = reinterpret_cast<KeysymToKeycodeFn>(dlsym(RTLD_DEFAULT, "XKeysymToKeycode"));
    static const auto queryKeymap = reinterpret_cast<QueryKeymapFn>(dlsym(RTLD_DEFAULT, "XQueryKeymap"));
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
