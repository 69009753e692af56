// sdl_x11_no_wm.cpp — fullscreen under SDL3 on an X server with no window manager (a
// bare server, a kiosk's): the layer answers the fullscreen requests itself, as a
// window manager would have.
//
// SDL3 (and so sdl2-compat over it) asks the window manager to make a window
// fullscreen and counts it fullscreen only once the window manager has put
// _NET_WM_STATE_FULLSCREEN on it; meanwhile SDL_ShowWindow waits, and five seconds
// after a display mode change with no window fullscreen SDL3 gives the mode back. With
// no window manager nobody answers, so every mode change was undone while the window
// was still being shown. SDL 2 marks the window fullscreen itself and needs none of
// this. It applies only where SDL3 lies underneath, the driver is X11 and no client
// owns the screen's window-manager selection (WM_Sn, which every ICCCM window manager
// holds). A thread of the layer's, on a connection of its own, then takes the state
// requests that SDL sends to the root window and sets the property they ask for.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <poll.h>

#include <algorithm>
#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "platform/sdl_layer.h"

namespace sdl {
namespace {

struct XlibCalls {
    Display* (*open)(const char*)                                          = Xlib<decltype(open)>("XOpenDisplay");
    int (*close)(Display*)                                                 = Xlib<decltype(close)>("XCloseDisplay");
    Atom (*intern)(Display*, const char*, Bool)                            = Xlib<decltype(intern)>("XInternAtom");
    Window (*owner)(Display*, Atom)                                        = Xlib<decltype(owner)>("XGetSelectionOwner");
    int (*select)(Display*, Window, long)                                  = Xlib<decltype(select)>("XSelectInput");
    int (*pending)(Display*)                                               = Xlib<decltype(pending)>("XPending");
    int (*next)(Display*, XEvent*)                                         = Xlib<decltype(next)>("XNextEvent");
    int (*flush)(Display*)                                                 = Xlib<decltype(flush)>("XFlush");
    int (*release)(void*)                                                  = Xlib<decltype(release)>("XFree");
    int (*getProperty)(Display*, Window, Atom, long, long, Bool, Atom, Atom*, int*, unsigned long*,
                       unsigned long*, unsigned char**)                    = Xlib<decltype(getProperty)>("XGetWindowProperty");
    int (*changeProperty)(Display*, Window, Atom, Atom, int, int, const unsigned char*, int) =
        Xlib<decltype(changeProperty)>("XChangeProperty");
    void (*setExitHandler)(Display*, void (*)(Display*, void*), void*)   = Xlib<decltype(setExitHandler)>("XSetIOErrorExitHandler");

    bool complete() const {
        return open && close && intern && owner && select && pending && next && flush && release && getProperty && changeProperty &&
               setExitHandler;
    }
};

std::atomic<bool> connectionLost{false};

void NoteConnectionLost(Display*, void*) { connectionLost = true; }

// The state list of the window after one _NET_WM_STATE request: remove (0), add (1) or
// toggle (2) one or two states.
std::vector<Atom> ApplyStateRequest(std::vector<Atom> states, const XClientMessageEvent& request) {
    for (int i = 1; i <= 2; ++i) {
        const Atom state = static_cast<Atom>(request.data.l[i]);
        if (state == None) continue;
        const auto found = std::find(states.begin(), states.end(), state);
        const bool has   = found != states.end();
        const long action = request.data.l[0];
        if ((action == 0 || action == 2) && has) states.erase(found);
        if ((action == 1 || action == 2) && !has) states.push_back(state);
    }
    return states;
}

void AnswerStateRequests(const XlibCalls* x, Display* display, Atom netWmState) {
    pollfd connection{ConnectionNumber(display), POLLIN, 0};
    while (!connectionLost) {
        if (x->pending(display) == 0) {
            poll(&connection, 1, 500);
            continue;
        }
        XEvent event;
        x->next(display, &event);
        if (connectionLost) break;
        if (event.type != ClientMessage || event.xclient.message_type != netWmState || event.xclient.format != 32)
            continue;
        const Window      window = event.xclient.window;
        std::vector<Atom> states;
        Atom              type   = None;
        int               format = 0;
        unsigned long     count = 0, after = 0;
        unsigned char*    data = nullptr;
        if (x->getProperty(display, window, netWmState, 0, 64, False, XA_ATOM, &type, &format, &count, &after, &data) ==
                Success &&
            data) {
            if (format == 32) states.assign(reinterpret_cast<Atom*>(data), reinterpret_cast<Atom*>(data) + count);
            x->release(data);
        }
        states = ApplyStateRequest(states, event.xclient);
        x->changeProperty(display, window, netWmState, XA_ATOM, 32, PropModeReplace,
                          reinterpret_cast<const unsigned char*>(states.data()), static_cast<int>(states.size()));
        x->flush(display);
    }
}

}  // namespace

void StandInForWindowManager() {
    static bool started = false;
    if (started || !OnSdl3() || g_layer.displayLost) return;
    const char* driver = SDL_GetCurrentVideoDriver();
    if (!driver || std::string(driver) != "x11") return;
    static const XlibCalls x;
    if (!x.complete()) return;
    Display* display = x.open(nullptr);
    if (!display) return;
    started = true;
    x.setExitHandler(display, NoteConnectionLost, nullptr);
    const std::string selection = "WM_S" + std::to_string(DefaultScreen(display));
    if (x.owner(display, x.intern(display, selection.c_str(), False)) != None) {
        x.close(display);
        return;
    }
    const Atom netWmState = x.intern(display, "_NET_WM_STATE", False);
    x.select(display, DefaultRootWindow(display), SubstructureNotifyMask);
    x.flush(display);
    std::thread(AnswerStateRequests, &x, display, netWmState).detach();
}

}  // namespace sdl
