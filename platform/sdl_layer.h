// sdl_layer.h — what the files of the SDL backend share: the records behind the
// seam's handles, the layer's one state, and the helpers each concern offers the
// others. Only files of this backend include it.
//
//   platform_sdl.cpp      the seam: windows, the queue and its timers, GL, the clock
//   sdl_x11.cpp           X11: windows destroyed from outside, and their late errors
//   sdl_wayland.cpp       Wayland: the seat probe and the compositors' quirks
//   sdl_display_mode.cpp  the fullscreen mode
//   sdl_signals.cpp       signals as a quit, and faults that must give the mode back
//   sdl_keys.cpp          keys as virtual-key codes, one message per press and release
//   sdl_message_box.cpp   message boxes, and their helper processes
//   sdl_session_bus.cpp   doing without a session bus where none runs
#pragma once

#include <dlfcn.h>

#include <SDL.h>

#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "platform/key_taps.h"
#include "platform/platform.h"

struct PlatWindowRec;

struct PlatDeviceRec {
    PlatWindowRec* window      = nullptr;
    int            pixelFormat = 0;
};

struct PlatWindowRec {
    SDL_Window*        sdl         = nullptr;
    uint32_t           id          = 0;
    unsigned long      xid         = 0;       // the X11 window, where X11 is the driver
    bool               gone        = false;   // destroyed by another client
    bool               closeQueued = false;
    WindowProc         proc        = nullptr;
    bool               decorated   = false;
    bool               fullscreen  = false;   // holds a changed display mode
    PixelFormatRequest madeWith{};            // the request in force when the window was made
    PlatDeviceRec      device;                // one private device context for its life
};

struct PlatGLContextRec {
    SDL_GLContext context = nullptr;
};

struct PlatInstanceRec {};
struct PlatIconRec {};
struct PlatCursorRec {};

namespace sdl {

struct Timer {
    WindowHandle window;
    uintptr_t    id;
    uint32_t     periodMs;
    uint64_t     dueMs;
};

struct FrameSize {
    int left = 0, top = 0, right = 0, bottom = 0;
};

struct Layer {
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
    KeyTaps                                        taps;

    PixelFormatRequest pixelFormat{};

    // A fullscreen window made by a successful mode change, waiting to become the
    // next pop-up window of the mode's size (SDL changes the display mode only for a
    // shown window). The size is the mode's: the window manager may report another
    // while the change settles.
    SDL_Window* modeHolder = nullptr;
    struct {
        int width = 0, height = 0;
    } modeHolderSize;

    // The display's connection broke: nothing more can be asked of it, nor torn down.
    bool displayLost = false;

    // The decorations of the last decorated window shown, used to widen client
    // rectangles; zero until a window manager has told us.
    FrameSize frame;

    int cursorCount = 0;

    // X11 windows that another client destroyed; errors about them can arrive late.
    std::vector<unsigned long> goneWindows;
};

extern Layer g_layer;

// The seam.
bool           EnsureVideo();
PlatWindowRec* FindWindow(WindowHandle handle);
PlatWindowRec* FindWindowById(uint32_t id);
void           Queue(WindowHandle window, uint32_t message, uint32_t wParam, int32_t lParam);
SDL_Window*    CreateGLWindow(const char* title, int x, int y, int width, int height, Uint32 flags);

// X11. Xlib and GLX as SDL loads them: linked into SDL 2, opened by SDL3 at run time.
template <typename Fn>
Fn FromLibrary(const char* library, const char* name) {
    void* handle = dlopen(library, RTLD_LAZY);
    return handle ? reinterpret_cast<Fn>(dlsym(handle, name)) : nullptr;
}
template <typename Fn>
Fn Xlib(const char* name) {
    return FromLibrary<Fn>("libX11.so.6", name);
}
void          InstallXErrorHandler();
unsigned long X11WindowOf(SDL_Window* window);
void          SettleXErrors();
void          EndWaitForGoneWindow(unsigned long xid);   // before SDL3 destroys a window that is gone
void          PreferX11Visual(int depthBits, bool doubleBuffered);
bool          X11KeyIsDown(uint32_t virtualKey);   // false where unknown or not on X11
void          StandInForWindowManager();   // SDL3 with no window manager: fullscreen requests answered

// SDL itself: whether SDL3 lies under the SDL2 name.
bool OnSdl3();

// Wayland.
bool OnWayland();
bool WaylandWithoutSeat();
void SettleFullscreen(SDL_Window* window);
void LeaveFullscreen(SDL_Window* window);

// The display mode.
int32_t EnterDisplayMode(const DisplayMode& request);
void    LeaveDisplayMode();

// Signals: those that ask the program to end become a quit; faults while the mode is
// changed give it back from the handler.
void InstallEndingSignals();
int  EndingSignal();   // the first that asked the program to end, or 0
void GuardFaults(bool on);
[[noreturn]] void EndProcess(int32_t exitCode);   // of the ending signal, if one came

// Keys.
void QueueKey(const SDL_KeyboardEvent& event);
void ReconcileHeldKeys();   // when a window of ours gains the focus

// The session bus.
void DoWithoutAbsentSessionBus();

}  // namespace sdl
