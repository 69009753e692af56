// key_taps.cpp — the rules of key_taps.h.
#include "platform/key_taps.h"

namespace {

bool IsKeyDown(uint32_t message) { return message == WM_KEYDOWN || message == WM_SYSKEYDOWN; }
bool IsKeyUp(uint32_t message) { return message == WM_KEYUP || message == WM_SYSKEYUP; }

}  // namespace

bool KeyTaps::MustWait(const PlatMessage& message) const {
    return IsKeyUp(message.message) && message.wParam < pressedSinceIdle_.size() &&
           pressedSinceIdle_.test(message.wParam);
}

void KeyTaps::Delivered(const PlatMessage& message) {
    if (IsKeyDown(message.message) && message.wParam < pressedSinceIdle_.size()) pressedSinceIdle_.set(message.wParam);
}

bool RepeatsAHeldKey(const PlatMessage& message) {
    return IsKeyDown(message.message) && (static_cast<uint32_t>(message.lParam) & (1u << 30)) != 0;
}
