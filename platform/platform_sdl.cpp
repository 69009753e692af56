// platform_sdl.cpp — the platform layer over SDL2 (placeholder: every operation fails
// until the real backend lands).
#include "platform/platform.h"

InstanceHandle PlatGetModuleHandle() { return nullptr; }
int PlatRegisterClass(const WindowClass*) { return 0; }
int PlatUnregisterClass(const char*, InstanceHandle) { return 0; }
IconHandle PlatLoadIcon(int32_t) { return nullptr; }
CursorHandle PlatLoadCursor(int32_t) { return nullptr; }
int PlatAdjustWindowRect(PlatRect*, uint32_t, uint32_t) { return 0; }
WindowHandle PlatCreateWindow(uint32_t, const char*, const char*, uint32_t, int32_t, int32_t, int32_t, int32_t,
                              InstanceHandle) { return nullptr; }
int PlatShowWindow(WindowHandle, int32_t) { return 0; }
int PlatSetForegroundWindow(WindowHandle) { return 0; }
WindowHandle PlatSetFocus(WindowHandle) { return nullptr; }
WindowHandle PlatGetFocus() { return nullptr; }
int PlatDestroyWindow(WindowHandle) { return 0; }
int PlatPeekMessage(PlatMessage*) { return 0; }
int PlatTranslateMessage(const PlatMessage*) { return 0; }
int32_t PlatDispatchMessage(const PlatMessage*) { return 0; }
int32_t PlatDefWindowProc(WindowHandle, uint32_t, uint32_t, int32_t) { return 0; }
void PlatPostQuitMessage(int32_t) {}
uintptr_t PlatSetTimer(WindowHandle, uintptr_t, uint32_t) { return 0; }
int32_t PlatChangeDisplaySettings(const DisplayMode*, uint32_t) { return DISP_CHANGE_FAILED; }
int PlatShowCursor(int) { return 0; }
void PlatPreparePixelFormat(const PixelFormatRequest*) {}
DeviceContextHandle PlatGetDC(WindowHandle) { return nullptr; }
int PlatReleaseDC(WindowHandle, DeviceContextHandle) { return 0; }
int PlatChoosePixelFormat(DeviceContextHandle, const PixelFormatRequest*) { return 0; }
int PlatSetPixelFormat(DeviceContextHandle, int, const PixelFormatRequest*) { return 0; }
GLContextHandle PlatCreateContext(DeviceContextHandle) { return nullptr; }
int PlatMakeCurrent(DeviceContextHandle, GLContextHandle) { return 0; }
int PlatDeleteContext(GLContextHandle) { return 0; }
int PlatSwapBuffers(DeviceContextHandle) { return 0; }
int32_t PlatMessageBox(WindowHandle, const char*, const char*, uint32_t) { return IDNO; }
int PlatQueryPerformanceCounter(int64_t*) { return 0; }
int PlatQueryPerformanceFrequency(int64_t*) { return 0; }
