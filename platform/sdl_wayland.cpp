// sdl_wayland.cpp — Wayland under SDL: the probe for a compositor without an input
// seat, and the compositors' quirks SDL does not handle itself.
#include <GL/gl.h>
#include <dlfcn.h>

#include <cstdlib>

#include "platform/sdl_layer.h"

namespace sdl {
namespace {

// On a Wayland compositor that offers no input seat (a headless one) nobody can use or
// end the program: SDL 2.26 crashes inside SDL_Init there, and SDL3 runs on without a
// keyboard. Where SDL would take Wayland (there is no X display to prefer), the
// compositor is asked first, through the client library SDL would load; under SDL3
// it is not loaded yet.
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

}  // namespace

bool OnWayland() {
    const char* driver = SDL_GetCurrentVideoDriver();
    return driver && std::string(driver) == "wayland";
}


bool WaylandWithoutSeat() {
    const char* x11 = std::getenv("DISPLAY");
    if (x11 && *x11) return false;
    // It stays loaded: SDL loads it next.
    void* client = dlopen("libwayland-client.so.0", RTLD_LAZY);
    if (!client) return false;
    auto connect     = reinterpret_cast<WlDisplay* (*)(const char*)>(dlsym(client, "wl_display_connect"));
    auto disconnect  = reinterpret_cast<void (*)(WlDisplay*)>(dlsym(client, "wl_display_disconnect"));
    auto roundtrip   = reinterpret_cast<int (*)(WlDisplay*)>(dlsym(client, "wl_display_roundtrip"));
    auto construct   = reinterpret_cast<WlProxy* (*)(WlProxy*, uint32_t, const void*, ...)>(
        dlsym(client, "wl_proxy_marshal_constructor"));
    auto addListener = reinterpret_cast<int (*)(WlProxy*, void (**)(void), void*)>(
        dlsym(client, "wl_proxy_add_listener"));
    auto destroy          = reinterpret_cast<void (*)(WlProxy*)>(dlsym(client, "wl_proxy_destroy"));
    const void* registryInterface = dlsym(client, "wl_registry_interface");
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

// sway honours a fullscreen request only for a window it has mapped, and a Wayland
// window is mapped by its first picture: a window made fullscreen while hidden comes
// back from sway's first configure as an ordinary one. Such a window shows one black
// picture and asks again.
void SettleFullscreen(SDL_Window* window) {
    if (!OnWayland() || (SDL_GetWindowFlags(window) & SDL_WINDOW_FULLSCREEN)) return;
    SDL_Window*   previousWindow  = SDL_GL_GetCurrentWindow();
    SDL_GLContext previousContext = SDL_GL_GetCurrentContext();
    if (SDL_GLContext context = SDL_GL_CreateContext(window)) {
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        SDL_GL_SwapWindow(window);
        SDL_GL_MakeCurrent(previousWindow, previousContext);
        SDL_GL_DeleteContext(context);
    }
    SDL_SetWindowFullscreen(window, SDL_WINDOW_FULLSCREEN);
    SDL_PumpEvents();
}

// Leaving fullscreen, SDL puts the pointer back where it was. On Wayland SDL 2.26 can
// move the pointer only through a pointer lock, which it takes while the cursor is
// hidden (as it is in fullscreen) and tries to release when the cursor shows again;
// where the compositor gave no lock (GNOME's mutter), the release crashes. With the
// cursor shown while the window leaves fullscreen, SDL does not move the pointer.
void LeaveFullscreen(SDL_Window* window) {
    const bool hidden = OnWayland() && SDL_ShowCursor(SDL_QUERY) == SDL_DISABLE;
    if (hidden) SDL_ShowCursor(SDL_ENABLE);
    SDL_SetWindowFullscreen(window, 0);
    if (hidden) SDL_ShowCursor(SDL_DISABLE);
}

}  // namespace sdl

// SDL 2 (2.26 and 2.32 alike) looks a key up by the keymap's layout before the
// compositor has said which layout is in force (the enter event of a keyboard that has
// just appeared comes before its modifiers), passing an invalid layout, and xkbcommon
// then reads past the key's layouts. Debian's SDL 2 calls xkbcommon directly, so this
// definition takes its place there: until a layout is known, a key has no symbols.
// SDL3 loads xkbcommon itself, and gets xkbcommon's own answer.
extern "C" int xkb_keymap_key_get_syms_by_level(struct xkb_keymap* keymap, uint32_t key, uint32_t layout,
                                                uint32_t level, const uint32_t** symbols) {
    using LookUpFn = int (*)(struct xkb_keymap*, uint32_t, uint32_t, uint32_t, const uint32_t**);
    static const auto lookUp = reinterpret_cast<LookUpFn>(dlsym(RTLD_NEXT, "xkb_keymap_key_get_syms_by_level"));
    static const bool guarded = !sdl::OnSdl3();
    constexpr uint32_t kInvalidLayout = 0xFFFFFFFF;
    if (!lookUp || !keymap || (guarded && layout == kInvalidLayout)) {
        if (symbols) *symbols = nullptr;
        return 0;
    }
    return lookUp(keymap, key, layout, level, symbols);
}

// SDL 2 also hands xkbcommon the keyboard's modifiers before it
// has the keyboard's keymap, and so with no keymap or state to apply them to (sway
// sends them so to a client that starts while another's keyboard has just gone): with
// none there is nothing to update or to walk. SDL3 loads xkbcommon itself and checks.
extern "C" uint32_t xkb_state_update_mask(struct xkb_state* state, uint32_t depressedMods, uint32_t latchedMods,
                                          uint32_t lockedMods, uint32_t depressedLayout, uint32_t latchedLayout,
                                          uint32_t lockedLayout) {
    using UpdateFn = uint32_t (*)(struct xkb_state*, uint32_t, uint32_t, uint32_t, uint32_t, uint32_t, uint32_t);
    static const auto update  = reinterpret_cast<UpdateFn>(dlsym(RTLD_NEXT, "xkb_state_update_mask"));
    static const bool guarded = !sdl::OnSdl3();
    if (!update || (guarded && !state)) return 0;
    return update(state, depressedMods, latchedMods, lockedMods, depressedLayout, latchedLayout, lockedLayout);
}

extern "C" void xkb_keymap_key_for_each(struct xkb_keymap* keymap, void (*visit)(struct xkb_keymap*, uint32_t, void*),
                                        void* data) {
    using ForEachFn = void (*)(struct xkb_keymap*, void (*)(struct xkb_keymap*, uint32_t, void*), void*);
    static const auto forEach = reinterpret_cast<ForEachFn>(dlsym(RTLD_NEXT, "xkb_keymap_key_for_each"));
    static const bool guarded = !sdl::OnSdl3();
    if (!forEach || (guarded && !keymap)) return;
    forEach(keymap, visit, data);
}
