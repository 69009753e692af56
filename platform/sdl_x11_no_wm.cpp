// sdl_x11_no_wm.cpp — fullscreen under SDL3 on an X server with no window manager (a
// bare server, a kiosk's): the layer sets the window's fullscreen state itself, as a
// window manager would have.
//
// SDL3 (and so sdl2-compat over it) counts an X11 window fullscreen only once the
// window manager has put _NET_WM_STATE_FULLSCREEN on it, and gives a changed display
// mode back five seconds after the change if no window has become fullscreen by then.
// With no window manager nobody answers the request, so every mode change was undone.
// SDL 2 marks the window fullscreen itself and needs none of this. It applies only
// where SDL3 lies underneath, the driver is X11 and no client owns the screen's
// window-manager selection (WM_Sn, which every ICCCM window manager holds).
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <dlfcn.h>

#include <string>

#include "platform/sdl_layer.h"

namespace sdl {
namespace {

template <typename Fn>
Fn Xlib(const char* name) {
    void* handle = dlopen("libX11.so.6", RTLD_LAZY);
    return handle ? reinterpret_cast<Fn>(dlsym(handle, name)) : nullptr;
}

using InternAtomFn      = Atom (*)(Display*, const char*, Bool);
using GetOwnerFn        = Window (*)(Display*, Atom);
using ChangePropertyFn  = int (*)(Display*, Window, Atom, Atom, int, int, const unsigned char*, int);
using DeletePropertyFn  = int (*)(Display*, Window, Atom);
using FlushFn           = int (*)(Display*);

bool WindowManagerRuns(Display* display) {
    static const auto intern   = Xlib<InternAtomFn>("XInternAtom");
    static const auto getOwner = Xlib<GetOwnerFn>("XGetSelectionOwner");
    if (!intern || !getOwner) return true;
    const std::string selection = "WM_S" + std::to_string(DefaultScreen(display));
    return getOwner(display, intern(display, selection.c_str(), False)) != None;
}

}  // namespace

void StandInForWindowManager(SDL_Window* window, bool fullscreen) {
    if (!OnSdl3() || g_layer.displayLost) return;
    const char* driver = SDL_GetCurrentVideoDriver();
    if (!driver || std::string(driver) != "x11") return;
    Display*            display = nullptr;
    const unsigned long xid     = X11WindowOf(window, &display);
    static const auto   intern  = Xlib<InternAtomFn>("XInternAtom");
    static const auto   change  = Xlib<ChangePropertyFn>("XChangeProperty");
    static const auto   remove  = Xlib<DeletePropertyFn>("XDeleteProperty");
    static const auto   flush   = Xlib<FlushFn>("XFlush");
    if (!xid || !display || !intern || !change || !remove || !flush || WindowManagerRuns(display)) return;

    const Atom state = intern(display, "_NET_WM_STATE", False);
    if (fullscreen) {
        const Atom full = intern(display, "_NET_WM_STATE_FULLSCREEN", False);
        change(display, xid, state, XA_ATOM, 32, PropModeReplace, reinterpret_cast<const unsigned char*>(&full), 1);
    } else {
        remove(display, xid, state);
    }
    flush(display);
    // SDL takes the state in with the property's change notice.
    for (int i = 0; i < 100; ++i) {
        SDL_PumpEvents();
        if (((SDL_GetWindowFlags(window) & SDL_WINDOW_FULLSCREEN) != 0) == fullscreen) return;
        SDL_Delay(10);
    }
}

}  // namespace sdl
