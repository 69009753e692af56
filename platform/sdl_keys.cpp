// sdl_keys.cpp — SDL's key events as the program's key messages: virtual-key codes,
// system keys, and the previous-state bit that says a key-down repeats a held key.
//
// SDL's own repeat flag does not survive a rebuilt window: SDL forgets the keys that
// were down when their window went away, and on X11 the key's auto-repeat then reaches
// the new window as fresh presses, so a held F1 would rebuild again and again. The
// layer keeps its own record of held keys across windows, and checks it with the
// system whenever a window of ours gains the focus.
#include <bitset>

#include "platform/sdl_layer.h"

namespace sdl {
namespace {

std::bitset<256> held;   // by virtual-key code

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

}  // namespace

void QueueKey(const SDL_KeyboardEvent& event) {
    // SDL settles a change of focus only after a short delay; keys typed meanwhile
    // carry no window and belong to the one the program gave the focus. Releases for
    // a window already destroyed are SDL forgetting its keys, not the user's.
    PlatWindowRec* window = event.windowID ? FindWindowById(event.windowID) : FindWindow(g_layer.focus);
    if (!window) return;
    const uint32_t virtualKey = VirtualKeyFor(event.keysym);
    if (!virtualKey) return;
    const bool down     = event.type == SDL_KEYDOWN;
    const bool wasDown  = held.test(virtualKey) || event.repeat;
    held.set(virtualKey, down);
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
    if (!down || wasDown) info |= 1u << 30;
    if (!down) info |= 1u << 31;
    Queue(window, message, virtualKey, static_cast<int32_t>(info));
}

// A key released while no window of ours had the focus sent its release elsewhere.
// Only the X server can say which held keys are still down; Wayland compositors send
// a newly focused window no presses for keys already down, so there none is held.
void ReconcileHeldKeys() {
    for (uint32_t key = 0; key < held.size(); ++key)
        if (held.test(key) && !X11KeyIsDown(key)) held.reset(key);
}

}  // namespace sdl
