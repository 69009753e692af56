// sdl_display_mode.cpp — the fullscreen display mode under SDL: an exact mode made
// through a fullscreen window that the next pop-up window of that size takes over,
// and given back when the program restores it (or a fault ends it: sdl_signals.cpp).
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
    if (g_layer.modeHolder && !g_layer.displayLost) SDL_DestroyWindow(g_layer.modeHolder);
    g_layer.modeHolder = nullptr;
}

}  // namespace

int32_t EnterDisplayMode(const DisplayMode& request) {
    if (!(request.fields & DM_PELSWIDTH) || !(request.fields & DM_PELSHEIGHT)) return DISP_CHANGE_BADMODE;
    const int display = DisplayAtOrigin();
    SDL_DisplayMode mode;
    // SDL would take a larger mode and call it success; only the exact size will do.
    if (!FindExactMode(display, request, &mode)) return DISP_CHANGE_BADMODE;

    DropModeHolder();
    StandInForWindowManager();
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
    g_layer.modeHolder     = holder;
    g_layer.modeHolderSize = {mode.w, mode.h};
    // On Windows a temporary mode ends with the process; an X server keeps it.
    GuardFaults(true);
    return DISP_CHANGE_SUCCESSFUL;
}

// A display that is gone took its mode with it.
void LeaveDisplayMode() {
    DropModeHolder();
    for (const auto& w : g_layer.windows) {
        if (!w->fullscreen) continue;
        if (!g_layer.displayLost) LeaveFullscreen(w->sdl);
        w->fullscreen = false;
    }
    GuardFaults(false);
}

}  // namespace sdl
