// platform_win32.cpp — the platform layer over the Win32 API: every call goes to the
// system service of the same name, with the values the program passes.
//
// Two things stand between the program and the system. The program's window procedure
// takes 32-bit message parameters, so the system calls a router that narrows them and
// remembers the full values of the message in flight: PlatDefWindowProc and
// PlatDispatchMessage hand the system back what it sent (lParam is a pointer for many
// messages the program never looks at). And the system's stock resources, pixel-format
// and display-mode records are built here from the program's plain ones.
#include "platform/platform.h"
#include "platform/key_taps.h"

// The program's GL headers are told the calling conventions on the command line, so
// they need not pull in windows.h; here windows.h defines them itself.
#undef WINGDIAPI
#undef APIENTRY
#undef CALLBACK
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

HWND  ToHwnd(WindowHandle window) { return reinterpret_cast<HWND>(window); }
HDC   ToHdc(DeviceContextHandle dc) { return reinterpret_cast<HDC>(dc); }
HGLRC ToHglrc(GLContextHandle context) { return reinterpret_cast<HGLRC>(context); }
WindowHandle ToHandle(HWND window) { return reinterpret_cast<WindowHandle>(window); }

struct RegisteredClass {
    ATOM        atom;
    std::string name;
    WindowProc  procedure;
};

// A message the system is delivering to a program procedure, with its full parameters
// and, once the program has passed it on, the system's full answer.
struct MessageInFlight {
    HWND             window;
    UINT             message;
    WPARAM           wParam;
    LPARAM           lParam;
    bool             answered;
    LRESULT          answer;
    MessageInFlight* outer;
};

struct Win32State {
    std::vector<RegisteredClass> classes;
    MessageInFlight*             inFlight = nullptr;
    MSG                          lastPeeked{};
    KeyTaps                      taps;
    bool                         waiting = false;
    MSG                          waitingMessage{};
};

Win32State& state() {
    static Win32State s;
    return s;
}

WindowProc ProcedureOf(HWND window) {
    const ATOM atom = static_cast<ATOM>(GetClassWord(window, GCW_ATOM));
    for (const RegisteredClass& c : state().classes)
        if (c.atom == atom) return c.procedure;
    return nullptr;
}

LRESULT CALLBACK RouteMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    WindowProc procedure = ProcedureOf(window);
    if (!procedure) return DefWindowProcA(window, message, wParam, lParam);

    MessageInFlight current{window, message, wParam, lParam, false, 0, state().inFlight};
    state().inFlight = &current;
    const int32_t result = procedure(ToHandle(window), message, static_cast<uint32_t>(wParam),
                                     static_cast<int32_t>(lParam));
    state().inFlight = current.outer;
    // An answer the program passed on unchanged keeps the width the system gave it.
    if (current.answered && result == static_cast<int32_t>(current.answer)) return current.answer;
    return result;
}

// The full form of a message the program names by its narrowed parameters.
MSG WidenMessage(const PlatMessage* message) {
    const MSG& last = state().lastPeeked;
    if (ToHwnd(message->window) == last.hwnd && message->message == last.message &&
        message->wParam == static_cast<uint32_t>(last.wParam) &&
        message->lParam == static_cast<int32_t>(last.lParam))
        return last;
    MSG widened{};
    widened.hwnd    = ToHwnd(message->window);
    widened.message = message->message;
    widened.wParam  = message->wParam;
    widened.lParam  = message->lParam;
    return widened;
}

PIXELFORMATDESCRIPTOR ToDescriptor(const PixelFormatRequest* request) {
    PIXELFORMATDESCRIPTOR pfd;
    std::memset(&pfd, 0, sizeof pfd);
    pfd.nSize        = sizeof pfd;
    pfd.nVersion     = request->version;
    pfd.dwFlags      = request->flags;
    pfd.iPixelType   = request->pixelType;
    pfd.cColorBits   = request->colorBits;
    pfd.cAlphaBits   = request->alphaBits;
    pfd.cAccumBits   = request->accumBits;
    pfd.cDepthBits   = request->depthBits;
    pfd.cStencilBits = request->stencilBits;
    pfd.cAuxBuffers  = request->auxBuffers;
    pfd.iLayerType   = request->layerType;
    return pfd;
}

}  // namespace

InstanceHandle PlatGetModuleHandle() { return reinterpret_cast<InstanceHandle>(GetModuleHandleA(nullptr)); }

int PlatRegisterClass(const WindowClass* windowClass) {
    WNDCLASSA wc;
    std::memset(&wc, 0, sizeof wc);
    wc.style         = windowClass->style;
    wc.lpfnWndProc   = RouteMessage;
    wc.cbClsExtra    = windowClass->classExtra;
    wc.cbWndExtra    = windowClass->windowExtra;
    wc.hInstance     = reinterpret_cast<HINSTANCE>(windowClass->instance);
    wc.hIcon         = reinterpret_cast<HICON>(windowClass->icon);
    wc.hCursor       = reinterpret_cast<HCURSOR>(windowClass->cursor);
    wc.hbrBackground = nullptr;
    wc.lpszMenuName  = windowClass->menuName;
    wc.lpszClassName = windowClass->className;
    const ATOM atom  = RegisterClassA(&wc);
    if (!atom) return 0;
    state().classes.push_back({atom, windowClass->className, windowClass->windowProc});
    return atom;
}

int PlatUnregisterClass(const char* className, InstanceHandle instance) {
    if (!UnregisterClassA(className, reinterpret_cast<HINSTANCE>(instance))) return 0;
    std::vector<RegisteredClass>& classes = state().classes;
    for (size_t i = 0; i < classes.size(); ++i) {
        if (classes[i].name == className) {
            classes.erase(classes.begin() + static_cast<std::ptrdiff_t>(i));
            break;
        }
    }
    return 1;
}

IconHandle PlatLoadIcon(int32_t stockIcon) {
    return reinterpret_cast<IconHandle>(LoadIconA(nullptr, MAKEINTRESOURCEA(stockIcon)));
}

CursorHandle PlatLoadCursor(int32_t stockCursor) {
    return reinterpret_cast<CursorHandle>(LoadCursorA(nullptr, MAKEINTRESOURCEA(stockCursor)));
}

int PlatAdjustWindowRect(PlatRect* rect, uint32_t style, uint32_t exStyle) {
    RECT r{rect->left, rect->top, rect->right, rect->bottom};
    if (!AdjustWindowRectEx(&r, style, FALSE, exStyle)) return 0;
    *rect = {r.left, r.top, r.right, r.bottom};
    return 1;
}

WindowHandle PlatCreateWindow(uint32_t exStyle, const char* className, const char* title, uint32_t style,
                              int32_t x, int32_t y, int32_t width, int32_t height, InstanceHandle instance) {
    return ToHandle(CreateWindowExA(exStyle, className, title, style, x, y, width, height, nullptr, nullptr,
                                    reinterpret_cast<HINSTANCE>(instance), nullptr));
}

int PlatShowWindow(WindowHandle window, int32_t command) { return ShowWindow(ToHwnd(window), command); }

int PlatSetForegroundWindow(WindowHandle window) { return SetForegroundWindow(ToHwnd(window)); }

WindowHandle PlatSetFocus(WindowHandle window) { return ToHandle(SetFocus(ToHwnd(window))); }

WindowHandle PlatGetFocus() { return ToHandle(GetFocus()); }

int PlatDestroyWindow(WindowHandle window) { return DestroyWindow(ToHwnd(window)); }

// A key's release that must wait for an idle pass is kept here, taken off the system's
// queue already, and goes out first at the next poll.
int PlatPeekMessage(PlatMessage* message) {
    Win32State& s = state();
    for (;;) {
        MSG msg;
        if (s.waiting) {
            msg       = s.waitingMessage;
            s.waiting = false;
        } else if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            s.taps.QueueFoundEmpty();
            return 0;
        }
        const PlatMessage next{ToHandle(msg.hwnd), msg.message, static_cast<uint32_t>(msg.wParam),
                               static_cast<int32_t>(msg.lParam)};
        if (s.taps.MustWait(next)) {
            s.waiting        = true;
            s.waitingMessage = msg;
            s.taps.QueueFoundEmpty();
            return 0;
        }
        if (RepeatsAHeldKey(next)) continue;
        s.taps.Delivered(next);
        s.lastPeeked = msg;
        *message     = next;
        return 1;
    }
}

int PlatTranslateMessage(const PlatMessage* message) {
    const MSG msg = WidenMessage(message);
    return TranslateMessage(&msg);
}

int32_t PlatDispatchMessage(const PlatMessage* message) {
    const MSG msg = WidenMessage(message);
    return static_cast<int32_t>(DispatchMessageA(&msg));
}

int32_t PlatDefWindowProc(WindowHandle window, uint32_t message, uint32_t wParam, int32_t lParam) {
    MessageInFlight* current = state().inFlight;
    if (current && current->window == ToHwnd(window) && current->message == message &&
        static_cast<uint32_t>(current->wParam) == wParam && static_cast<int32_t>(current->lParam) == lParam) {
        current->answer   = DefWindowProcA(current->window, message, current->wParam, current->lParam);
        current->answered = true;
        return static_cast<int32_t>(current->answer);
    }
    return static_cast<int32_t>(DefWindowProcA(ToHwnd(window), message, wParam, lParam));
}

void PlatPostQuitMessage(int32_t exitCode) { PostQuitMessage(exitCode); }

uintptr_t PlatSetTimer(WindowHandle window, uintptr_t timerId, uint32_t periodMs) {
    return SetTimer(ToHwnd(window), timerId, periodMs, nullptr);
}

int32_t PlatChangeDisplaySettings(const DisplayMode* mode, uint32_t flags) {
    if (!mode) return ChangeDisplaySettingsA(nullptr, flags);
    DEVMODEA request;
    std::memset(&request, 0, sizeof request);
    request.dmSize       = sizeof request;
    request.dmPelsWidth  = mode->width;
    request.dmPelsHeight = mode->height;
    request.dmBitsPerPel = mode->bitsPerPixel;
    request.dmFields     = mode->fields;
    return ChangeDisplaySettingsA(&request, flags);
}

int PlatShowCursor(int show) { return ShowCursor(show); }

// The pixel format is set on the window's device context after the window exists.
void PlatPreparePixelFormat(const PixelFormatRequest*) {}

DeviceContextHandle PlatGetDC(WindowHandle window) { return reinterpret_cast<DeviceContextHandle>(GetDC(ToHwnd(window))); }

int PlatReleaseDC(WindowHandle window, DeviceContextHandle dc) { return ReleaseDC(ToHwnd(window), ToHdc(dc)); }

int PlatChoosePixelFormat(DeviceContextHandle dc, const PixelFormatRequest* request) {
    const PIXELFORMATDESCRIPTOR pfd = ToDescriptor(request);
    return ChoosePixelFormat(ToHdc(dc), &pfd);
}

int PlatSetPixelFormat(DeviceContextHandle dc, int format, const PixelFormatRequest* request) {
    const PIXELFORMATDESCRIPTOR pfd = ToDescriptor(request);
    return SetPixelFormat(ToHdc(dc), format, &pfd);
}

GLContextHandle PlatCreateContext(DeviceContextHandle dc) {
    return reinterpret_cast<GLContextHandle>(wglCreateContext(ToHdc(dc)));
}

int PlatMakeCurrent(DeviceContextHandle dc, GLContextHandle context) {
    return wglMakeCurrent(ToHdc(dc), ToHglrc(context));
}

int PlatDeleteContext(GLContextHandle context) { return wglDeleteContext(ToHglrc(context)); }

int PlatSwapBuffers(DeviceContextHandle dc) { return SwapBuffers(ToHdc(dc)); }

int32_t PlatMessageBox(WindowHandle owner, const char* text, const char* caption, uint32_t type) {
    const int answer = MessageBoxA(ToHwnd(owner), text, caption, type);
    if (answer != 0) return answer;
    // No box could be shown (a service without a desktop): the text still reaches
    // whoever reads the error stream, and a question takes its safe answer.
    std::fprintf(stderr, "%s: %s\n", caption, text);
    return (type & MB_YESNO) == MB_YESNO ? IDNO : IDOK;
}

int PlatQueryPerformanceCounter(int64_t* counter) {
    LARGE_INTEGER value;
    if (!counter || !QueryPerformanceCounter(&value)) return 0;
    *counter = value.QuadPart;
    return 1;
}

int PlatQueryPerformanceFrequency(int64_t* frequency) {
    LARGE_INTEGER value;
    if (!frequency || !QueryPerformanceFrequency(&value)) return 0;
    *frequency = value.QuadPart;
    return 1;
}

int PlatUseFontBitmaps(DeviceContextHandle dc, uint32_t firstChar, uint32_t count, uint32_t listBase) {
    HFONT font = CreateFontA(-24, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_TT_PRECIS,
                             CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, DEFAULT_PITCH | FF_DONTCARE, "Courier New");
    if (!font) return 0;
    HGDIOBJ previous = SelectObject(ToHdc(dc), font);
    const BOOL built = wglUseFontBitmapsA(ToHdc(dc), firstChar, count, listBase);
    // The lists hold the glyphs now; keeping the font selected would only leak one
    // font object for every context the program makes.
    SelectObject(ToHdc(dc), previous);
    DeleteObject(font);
    return built ? 1 : 0;
}
