// sdl_display_mode.cpp — the fullscreen display mode under SDL: an exact mode made
// through a fullscreen window that the next pop-up window takes over, given back when
// the program restores it, and given back too when a signal ends the program first.
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <iterator>

#include "platform/sdl_layer.h"

namespace sdl {
namespace {

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
    if (g_layer.modeHolder) SDL_DestroyWindow(g_layer.modeHolder);
    g_layer.modeHolder = nullptr;
}

// On Windows a temporary display mode ends with the process; an X server keeps it.
// So while the mode is changed, every signal whose default is to end the process
// first brings the default mode back, then the process ends of that signal as it
// would have (through whatever handler was there before, a sanitizer's say).
// SIGINT and SIGTERM are SDL's: they arrive as a quit event and end the program the
// ordinary way. A signal the process ignores (SIGHUP under nohup) stays ignored.
// SIGKILL and SIGSTOP cannot be caught.
constexpr int kFaultSignals[]  = {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT, SIGTRAP, SIGSYS};
constexpr int kEndingSignals[] = {SIGHUP,  SIGQUIT, SIGPIPE,   SIGALRM, SIGUSR1, SIGUSR2, SIGXCPU,
                                  SIGXFSZ, SIGVTALRM, SIGPROF, SIGPOLL, SIGPWR,  SIGSTKFLT};
constexpr size_t kFaults  = std::size(kFaultSignals);
constexpr size_t kGuarded = kFaults + std::size(kEndingSignals);

int GuardedSignal(size_t i) { return i < kFaults ? kFaultSignals[i] : kEndingSignals[i - kFaults]; }

struct sigaction      previousActions[kGuarded];
bool                  guarded[kGuarded] = {};
bool                  guardInstalled    = false;
volatile sig_atomic_t fatalSignal       = 0;
volatile sig_atomic_t deferredSignal    = 0;   // sent by another process, not yet acted on

void RemoveSignalGuard() {
    if (!guardInstalled) return;
    for (size_t i = 0; i < kGuarded; ++i) {
        if (guarded[i]) sigaction(GuardedSignal(i), &previousActions[i], nullptr);
        guarded[i] = false;
    }
    guardInstalled = false;
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

bool IsFault(int sig) { return std::find(std::begin(kFaultSignals), std::end(kFaultSignals), sig) != std::end(kFaultSignals); }

void RestoreModeOnSignal(int sig, siginfo_t* info, void*) {
    // A signal sent by another process (kill -HUP, kill -SEGV) finds the program sound,
    // perhaps in the middle of an X request that the restore must not cut into: it is
    // acted on at the next message poll instead, with the same outcome.
    if (info && info->si_code <= 0 && info->si_pid != getpid()) {
        deferredSignal = sig;
        return;
    }
    fatalSignal = sig;
    signal(SIGALRM, DieOfFatalSignal);
    alarm(3);
    // Not async-signal-safe, but the process is ending and the desktop is at stake.
    LeaveDisplayMode();   // also puts the previous handlers back
    alarm(0);
    // A fault raised by an instruction comes again when the handler returns, now to the
    // previous handler, with its true context; any other signal must be raised again.
    if (IsFault(sig) && info && info->si_code > 0) return;
    RaiseUnblocked(sig);
    _exit(128 + sig);
}

void InstallSignalGuard() {
    if (guardInstalled) return;
    struct sigaction action {};
    action.sa_sigaction = RestoreModeOnSignal;
    action.sa_flags     = SA_SIGINFO;
    sigemptyset(&action.sa_mask);
    for (size_t i = 0; i < kGuarded; ++i) {
        const int sig = GuardedSignal(i);
        struct sigaction current {};
        if (sigaction(sig, nullptr, &current) != 0) continue;
        // Faults always: a handler before ours (a sanitizer's) is chained by re-raising.
        // The others only where they would end the process; a handler of someone
        // else's decides what they mean.
        if (!IsFault(sig) && ((current.sa_flags & SA_SIGINFO) || current.sa_handler != SIG_DFL)) continue;
        guarded[i] = sigaction(sig, &action, &previousActions[i]) == 0;
    }
    guardInstalled = true;
}

}  // namespace

// A signal that arrived from outside while the mode was changed ends the program now,
// once the mode is back.
void ActOnDeferredSignal() {
    if (!deferredSignal) return;
    const int sig = deferredSignal;
    LeaveDisplayMode();
    RaiseUnblocked(sig);
    _exit(128 + sig);
}

void EndOnSignal(int sig) {
    LeaveDisplayMode();
    signal(sig, SIG_DFL);
    RaiseUnblocked(sig);
    _exit(128 + sig);
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
    SDL_Window* holder = CreateGLWindow("", bounds.x, bounds.y, mode.w, mode.h,
                                        SDL_WINDOW_OPENGL | SDL_WINDOW_BORDERLESS | SDL_WINDOW_HIDDEN);
    if (!holder) return DISP_CHANGE_FAILED;
    if (SDL_SetWindowDisplayMode(holder, &mode) != 0 || SDL_SetWindowFullscreen(holder, SDL_WINDOW_FULLSCREEN) != 0) {
        SDL_DestroyWindow(holder);
        return DISP_CHANGE_FAILED;
    }
    SDL_ShowWindow(holder);
    SettleFullscreen(holder);
    if (!ModeInForce(holder, display, mode)) {
        SDL_DestroyWindow(holder);
        return DISP_CHANGE_BADMODE;
    }
    g_layer.modeHolder = holder;
    InstallSignalGuard();
    return DISP_CHANGE_SUCCESSFUL;
}

void LeaveDisplayMode() {
    DropModeHolder();
    for (const auto& w : g_layer.windows) {
        if (!w->fullscreen) continue;
        LeaveFullscreen(w->sdl);
        w->fullscreen = false;
    }
    RemoveSignalGuard();
}

}  // namespace sdl
