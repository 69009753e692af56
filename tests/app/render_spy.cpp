// render_spy.cpp — the link-time wrappers around the renderer's entry points.
#include "tests/app/render_spy.h"

#include <cstring>

#include "app/scene_window.h"
#include "app/window_proc.h"

extern "C" {
int  __real__Z9InitScenev();
void __real__Z14ResizeViewportii(int32_t width, int32_t height);
int  __real__Z11RenderFramev();

int __wrap__Z9InitScenev() {
    ++Spy().initCalls;
    if (Spy().failInit) return 0;
    return __real__Z9InitScenev();
}

void __wrap__Z14ResizeViewportii(int32_t width, int32_t height) {
    Spy().viewports.emplace_back(width, height);
    __real__Z14ResizeViewportii(width, height);
}

int __wrap__Z11RenderFramev() {
    ++Spy().frames;
    return __real__Z11RenderFramev();
}
}

RenderSpy& Spy() {
    static RenderSpy spy;
    return spy;
}

void ResetShell() {
    fake::ResetFake();
    Spy() = RenderSpy{};
    std::memset(g_keys, 0, sizeof g_keys);
    g_active        = 1;
    g_fireFrame     = 0;
    g_fullscreen    = 0;
    g_instance      = nullptr;
    g_window        = nullptr;
    g_deviceContext = nullptr;
    g_glContext     = nullptr;
}

std::vector<fake::MessageBoxCall> BoxesCaptioned(const std::string& caption) {
    std::vector<fake::MessageBoxCall> found;
    for (const auto& box : fake::Fake().boxes)
        if (box.caption == caption) found.push_back(box);
    return found;
}

int CountCalls(const std::string& prefix) {
    int count = 0;
    for (const auto& call : fake::Fake().calls)
        if (call.compare(0, prefix.size(), prefix) == 0) ++count;
    return count;
}
