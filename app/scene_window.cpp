// scene_window.cpp — creation and teardown of the scene window and its GL context:
// the window class, the optional fullscreen display mode, the pixel format, the
// context, and the message boxes that report each failing step.
#include "app/scene_window.h"

#include "app/window_proc.h"
#include "render/scene_setup.h"

uint8_t             g_fullscreen    = 0;
InstanceHandle      g_instance      = nullptr;
WindowHandle        g_window        = nullptr;
DeviceContextHandle g_deviceContext = nullptr;
GLContextHandle     g_glContext     = nullptr;

namespace {

constexpr char kClassName[] = "OpenGL";

// Filled by the first open and reused unchanged by every later one.
const PixelFormatRequest* PixelFormatFor(int32_t bits) {
    static PixelFormatRequest request;
    static bool               filled = false;
    if (!filled) {
        request             = PixelFormatRequest{};
        request.version     = 1;
        request.flags       = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
        request.pixelType   = PFD_TYPE_RGBA;
        request.colorBits   = static_cast<uint8_t>(bits);
        request.depthBits   = 16;
        request.layerType   = PFD_MAIN_PLANE;
        filled              = true;
    }
    return &request;
}

void ShowSetupError(const char* text) { PlatMessageBox(nullptr, text, "ERROR", MB_OK | MB_ICONEXCLAMATION); }

// A step after the window exists failed: tear everything down first, so that the
// display mode and the cursor are back before the user reads the message.
int32_t AbandonOpen(const char* text) {
    CloseSceneWindow();
    ShowSetupError(text);
    return 0;
}

void ShowShutdownError(const char* text) {
    PlatMessageBox(nullptr, text, "SHUTDOWN ERROR", MB_OK | MB_ICONINFORMATION);
}

}  // namespace

int32_t OpenSceneWindow(const char* title, int32_t width, int32_t height, int32_t bits, uint8_t fullscreen) {
    PlatRect rect{0, 0, width, height};
    g_fullscreen = fullscreen;
    g_instance   = PlatGetModuleHandle();

    WindowClass windowClass{};
    windowClass.style      = CS_HREDRAW | CS_VREDRAW | CS_OWNDC;
    windowClass.windowProc = SceneWindowProc;
    windowClass.instance   = g_instance;
    windowClass.icon       = PlatLoadIcon(IDI_WINLOGO);
    windowClass.cursor     = PlatLoadCursor(IDC_ARROW);
    windowClass.className  = kClassName;
    if (!PlatRegisterClass(&windowClass)) {
        ShowSetupError("Failed To Register The Window Class.");
        return 0;
    }

    // Some displays fix the pixel format when a window is made, so the request goes
    // to the platform before any window (the fullscreen one included) exists.
    const PixelFormatRequest* pixelFormat = PixelFormatFor(bits);
    PlatPreparePixelFormat(pixelFormat);

    if (g_fullscreen) {
        DisplayMode mode{};
        mode.fields       = DM_PELSWIDTH | DM_PELSHEIGHT | DM_BITSPERPEL;
        mode.width        = static_cast<uint32_t>(width);
        mode.height       = static_cast<uint32_t>(height);
        mode.bitsPerPixel = static_cast<uint32_t>(bits);
        if (PlatChangeDisplaySettings(&mode, CDS_FULLSCREEN) != DISP_CHANGE_SUCCESSFUL) {
            if (PlatMessageBox(nullptr,
                               "The Requested Fullscreen Mode Is Not Supported By\n"
                               "Your Video Card. Use Windowed Mode Instead?",
                               "Vurn GL", MB_YESNO | MB_ICONEXCLAMATION) == IDYES) {
                g_fullscreen = 0;
            } else {
                PlatMessageBox(nullptr, "Program Will Now Close.", "ERROR", MB_OK | MB_ICONSTOP);
                return 0;
            }
        }
    }

    uint32_t style;
    uint32_t exStyle;
    if (g_fullscreen) {
        exStyle = WS_EX_APPWINDOW;
        style   = WS_POPUP;
        PlatShowCursor(0);
    } else {
        exStyle = WS_EX_APPWINDOW | WS_EX_WINDOWEDGE;
        style   = WS_OVERLAPPEDWINDOW;
    }
    PlatAdjustWindowRect(&rect, style, exStyle);

    g_window = PlatCreateWindow(exStyle, kClassName, title, style | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 0, 0,
                                rect.right - rect.left, rect.bottom - rect.top, g_instance);
    if (!g_window) return AbandonOpen("Window Creation Error.");

    g_deviceContext = PlatGetDC(g_window);
    if (!g_deviceContext) return AbandonOpen("Can't Create A GL Device Context.");

    const int format = PlatChoosePixelFormat(g_deviceContext, pixelFormat);
    if (!format) return AbandonOpen("Can't Find A Suitable PixelFormat.");
    if (!PlatSetPixelFormat(g_deviceContext, format, pixelFormat)) return AbandonOpen("Can't Set The PixelFormat.");

    g_glContext = PlatCreateContext(g_deviceContext);
    if (!g_glContext) return AbandonOpen("Can't Create A GL Rendering Context.");
    if (!PlatMakeCurrent(g_deviceContext, g_glContext)) return AbandonOpen("Can't Activate The GL Rendering Context.");

    PlatShowWindow(g_window, SW_SHOW);
    PlatSetForegroundWindow(g_window);
    PlatSetFocus(g_window);
    ResizeViewport(width, height);

    if (!InitScene()) return AbandonOpen("Initialization Failed.");
    return 1;
}

void CloseSceneWindow() {
    if (g_fullscreen) {
        PlatChangeDisplaySettings(nullptr, 0);
        PlatShowCursor(1);
    }
    if (g_glContext) {
        if (!PlatMakeCurrent(nullptr, nullptr)) ShowShutdownError("Release Of DC And RC Failed.");
        if (!PlatDeleteContext(g_glContext)) ShowShutdownError("Release Rendering Context Failed.");
        g_glContext = nullptr;
    }
    if (g_deviceContext) {
        if (!PlatReleaseDC(g_window, g_deviceContext)) ShowShutdownError("Release Device Context Failed.");
        g_deviceContext = nullptr;
    }
    if (g_window) {
        if (!PlatDestroyWindow(g_window)) ShowShutdownError("Could Not Release hWnd.");
        g_window = nullptr;
    }
    if (!PlatUnregisterClass(kClassName, g_instance)) ShowShutdownError("Could Not Unregister Class.");
    g_instance = nullptr;
}
