// platform.h — the seam between the viewer and the machine it runs on.
//
// The program talks to the windowing system, the GL binding, the clock and the
// user only through the plain functions below. A port provides all of them:
//
//   process    PlatGetModuleHandle; PlatExitProcess where the entry is main (not Windows)
//   classes    PlatRegisterClass, PlatUnregisterClass, PlatLoadIcon, PlatLoadCursor
//   windows    PlatAdjustWindowRect, PlatCreateWindow (sends WM_CREATE to the class's
//              procedure before it returns), PlatShowWindow, PlatSetForegroundWindow,
//              PlatSetFocus, PlatGetFocus, PlatDestroyWindow
//   messages   PlatPeekMessage (never waits; a quit first where a signal asked the program to
//              end or the display is gone), PlatTranslateMessage, PlatDispatchMessage
//              (calls the procedure synchronously), PlatDefWindowProc, PlatPostQuitMessage
//   timer      PlatSetTimer: WM_TIMER through the queue every period until the window ends
//   display    PlatChangeDisplaySettings (exact width x height, or back to the default),
//              PlatShowCursor (a show count)
//   GL         PlatPreparePixelFormat, PlatGetDC, PlatReleaseDC, PlatChoosePixelFormat,
//              PlatSetPixelFormat, PlatCreateContext, PlatMakeCurrent, PlatDeleteContext,
//              PlatSwapBuffers
//   dialogs    PlatMessageBox (modal; falls back to stderr where no box can be shown)
//   clock      PlatQueryPerformanceCounter, PlatQueryPerformanceFrequency
//   fonts      PlatUseFontBitmaps (0 where the system offers no font; the caller then
//              draws its own glyphs)
//   files      PlatOpenMappedFile, PlatCloseMappedFile (a whole file, read-only)
//
// Three implementations exist: platform_sdl.cpp (over SDL2, for Linux and the other
// Unix systems), platform_win32.cpp (over the Win32 API) and platform_fake.cpp
// (scripted, for the tests; see platform_fake.h). The build picks one at link time.
// Files are mapped by mapped_file_posix.cpp or mapped_file_win32.cpp, whichever the
// system has, beside any of the three. Message numbers, key codes and flags keep the values the
// program's window procedure has always used, so the rest of the code never sees
// the backend's own.
#pragma once

#include <cstddef>
#include <cstdint>

typedef struct PlatInstanceRec*  InstanceHandle;
typedef struct PlatWindowRec*    WindowHandle;
typedef struct PlatDeviceRec*    DeviceContextHandle;
typedef struct PlatGLContextRec* GLContextHandle;
typedef struct PlatIconRec*      IconHandle;
typedef struct PlatCursorRec*    CursorHandle;

typedef int32_t (*WindowProc)(WindowHandle window, uint32_t message, uint32_t wParam, int32_t lParam);

// Messages.
enum : uint32_t {
    WM_CREATE      = 0x0001,
    WM_DESTROY     = 0x0002,
    WM_SIZE        = 0x0005,
    WM_ACTIVATE    = 0x0006,
    WM_CLOSE       = 0x0010,
    WM_QUIT        = 0x0012,
    WM_KEYDOWN     = 0x0100,
    WM_KEYUP       = 0x0101,
    WM_CHAR        = 0x0102,
    WM_SYSKEYDOWN  = 0x0104,
    WM_SYSKEYUP    = 0x0105,
    WM_SYSCOMMAND  = 0x0112,
    WM_TIMER       = 0x0113,
};

// WM_ACTIVATE low word.
enum : uint32_t { WA_INACTIVE = 0, WA_ACTIVE = 1 };

// WM_SYSCOMMAND commands.
enum : uint32_t { SC_CLOSE = 0xF060, SC_SCREENSAVE = 0xF140, SC_MONITORPOWER = 0xF170 };

// Virtual-key codes. Letters and digits are their upper-case ASCII codes.
enum : uint32_t {
    VK_BACK = 0x08, VK_TAB = 0x09, VK_RETURN = 0x0D, VK_SHIFT = 0x10, VK_CONTROL = 0x11,
    VK_MENU = 0x12, VK_PAUSE = 0x13, VK_CAPITAL = 0x14, VK_ESCAPE = 0x1B, VK_SPACE = 0x20,
    VK_PRIOR = 0x21, VK_NEXT = 0x22, VK_END = 0x23, VK_HOME = 0x24,
    VK_LEFT = 0x25, VK_UP = 0x26, VK_RIGHT = 0x27, VK_DOWN = 0x28,
    VK_SNAPSHOT = 0x2C, VK_INSERT = 0x2D, VK_DELETE = 0x2E,
    VK_LWIN = 0x5B, VK_RWIN = 0x5C, VK_APPS = 0x5D,
    VK_NUMPAD0 = 0x60, VK_MULTIPLY = 0x6A, VK_ADD = 0x6B, VK_SUBTRACT = 0x6D,
    VK_DECIMAL = 0x6E, VK_DIVIDE = 0x6F,
    VK_F1 = 0x70, VK_F4 = 0x73, VK_F10 = 0x79, VK_F12 = 0x7B, VK_F13 = 0x7C, VK_F24 = 0x87,
    VK_NUMLOCK = 0x90, VK_SCROLL = 0x91,
    VK_OEM_1 = 0xBA, VK_OEM_PLUS = 0xBB, VK_OEM_COMMA = 0xBC, VK_OEM_MINUS = 0xBD,
    VK_OEM_PERIOD = 0xBE, VK_OEM_2 = 0xBF, VK_OEM_3 = 0xC0, VK_OEM_4 = 0xDB,
    VK_OEM_5 = 0xDC, VK_OEM_6 = 0xDD, VK_OEM_7 = 0xDE,
};

// Class styles.
enum : uint32_t { CS_VREDRAW = 0x0001, CS_HREDRAW = 0x0002, CS_OWNDC = 0x0020 };

// Window styles and extended styles.
enum : uint32_t {
    WS_OVERLAPPEDWINDOW = 0x00CF0000,
    WS_POPUP            = 0x80000000,
    WS_CLIPSIBLINGS     = 0x04000000,
    WS_CLIPCHILDREN     = 0x02000000,
    WS_EX_WINDOWEDGE    = 0x00000100,
    WS_EX_APPWINDOW     = 0x00040000,
};

// PlatShowWindow commands.
enum : int32_t { SW_SHOW = 5 };

// Stock icon and cursor.
enum : int32_t { IDI_WINLOGO = 32517, IDC_ARROW = 32512 };

// Message boxes: buttons, icons, answers.
enum : uint32_t {
    MB_OK = 0x00, MB_YESNO = 0x04,
    MB_ICONSTOP = 0x10, MB_ICONEXCLAMATION = 0x30, MB_ICONINFORMATION = 0x40,
};
enum : int32_t { IDOK = 1, IDYES = 6, IDNO = 7 };

// Display-mode requests.
enum : uint32_t { DM_BITSPERPEL = 0x00040000, DM_PELSWIDTH = 0x00080000, DM_PELSHEIGHT = 0x00100000 };
enum : uint32_t { CDS_FULLSCREEN = 0x00000004 };
enum : int32_t { DISP_CHANGE_SUCCESSFUL = 0, DISP_CHANGE_FAILED = -1, DISP_CHANGE_BADMODE = -2 };

// Pixel-format requests.
enum : uint32_t { PFD_DOUBLEBUFFER = 0x01, PFD_DRAW_TO_WINDOW = 0x04, PFD_SUPPORT_OPENGL = 0x20 };
enum : uint8_t { PFD_TYPE_RGBA = 0 };
enum : uint8_t { PFD_MAIN_PLANE = 0 };

struct PlatRect {
    int32_t left, top, right, bottom;
};

struct WindowClass {
    uint32_t       style;
    WindowProc     windowProc;
    int32_t        classExtra;
    int32_t        windowExtra;
    InstanceHandle instance;
    IconHandle     icon;
    CursorHandle   cursor;
    const char*    menuName;
    const char*    className;
};

struct DisplayMode {
    uint32_t fields;         // DM_* bits saying which of the values below are set
    uint32_t bitsPerPixel;
    uint32_t width;
    uint32_t height;
};

struct PixelFormatRequest {
    uint16_t version;
    uint32_t flags;          // PFD_* bits
    uint8_t  pixelType;
    uint8_t  colorBits;
    uint8_t  alphaBits;
    uint8_t  accumBits;
    uint8_t  depthBits;
    uint8_t  stencilBits;
    uint8_t  auxBuffers;
    uint8_t  layerType;
};

struct PlatMessage {
    WindowHandle window;
    uint32_t     message;
    uint32_t     wParam;
    int32_t      lParam;
};

// Process.
InstanceHandle PlatGetModuleHandle();

// Ends the process once the program has returned from WinMain: with its exit code, or,
// where a signal asked it to end, of that signal, as the signal alone would have.
[[noreturn]] void PlatExitProcess(int32_t exitCode);

// Window classes; both return 0 on failure.
int  PlatRegisterClass(const WindowClass* windowClass);
int  PlatUnregisterClass(const char* className, InstanceHandle instance);
IconHandle   PlatLoadIcon(int32_t stockIcon);
CursorHandle PlatLoadCursor(int32_t stockCursor);

// Windows. PlatAdjustWindowRect widens a client rectangle to the outer rectangle of a
// window of that style, without a menu. PlatCreateWindow takes the outer rectangle,
// creates the window hidden and returns null on failure.
int          PlatAdjustWindowRect(PlatRect* rect, uint32_t style, uint32_t exStyle);
WindowHandle PlatCreateWindow(uint32_t exStyle, const char* className, const char* title, uint32_t style,
                              int32_t x, int32_t y, int32_t width, int32_t height, InstanceHandle instance);
int          PlatShowWindow(WindowHandle window, int32_t command);
int          PlatSetForegroundWindow(WindowHandle window);
WindowHandle PlatSetFocus(WindowHandle window);
WindowHandle PlatGetFocus();
int          PlatDestroyWindow(WindowHandle window);

// Messages. PlatPeekMessage removes and returns the next message if there is one and
// returns 0 at once otherwise.
int     PlatPeekMessage(PlatMessage* message);
int     PlatTranslateMessage(const PlatMessage* message);
int32_t PlatDispatchMessage(const PlatMessage* message);
int32_t PlatDefWindowProc(WindowHandle window, uint32_t message, uint32_t wParam, int32_t lParam);
void    PlatPostQuitMessage(int32_t exitCode);

// Timers: WM_TIMER with the timer's id in wParam every periodMs while the window lives.
uintptr_t PlatSetTimer(WindowHandle window, uintptr_t timerId, uint32_t periodMs);

// Display mode: a mode with CDS_FULLSCREEN asks for a temporary change; a null mode with
// no flags returns to the default mode. DISP_CHANGE_SUCCESSFUL or a refusal.
int32_t PlatChangeDisplaySettings(const DisplayMode* mode, uint32_t flags);
int     PlatShowCursor(int show);

// GL drawable and context. Backends that fix the pixel format when the window is made
// take the request from PlatPreparePixelFormat, which must precede PlatCreateWindow
// and a PlatChangeDisplaySettings that asks for a mode (the change may make the window);
// PlatChoosePixelFormat and PlatSetPixelFormat still decide whether the window's
// drawable satisfies it (0 on failure).
void                PlatPreparePixelFormat(const PixelFormatRequest* request);
DeviceContextHandle PlatGetDC(WindowHandle window);
int                 PlatReleaseDC(WindowHandle window, DeviceContextHandle dc);
int                 PlatChoosePixelFormat(DeviceContextHandle dc, const PixelFormatRequest* request);
int                 PlatSetPixelFormat(DeviceContextHandle dc, int format, const PixelFormatRequest* request);
GLContextHandle     PlatCreateContext(DeviceContextHandle dc);
int                 PlatMakeCurrent(DeviceContextHandle dc, GLContextHandle context);  // nulls unbind
int                 PlatDeleteContext(GLContextHandle context);
int                 PlatSwapBuffers(DeviceContextHandle dc);

// Modal message box; returns IDOK, IDYES or IDNO.
int32_t PlatMessageBox(WindowHandle owner, const char* text, const char* caption, uint32_t type);

// Monotonic clock: ticks and ticks per second.
int PlatQueryPerformanceCounter(int64_t* counter);
int PlatQueryPerformanceFrequency(int64_t* frequency);

// Bitmap-glyph display lists from the system's bold "Courier New" at 24 pixels: one
// list per character from firstChar, count of them, starting at listBase, built in the
// context current on dc. Returns 0, having built nothing, where the system has no such
// font to offer.
int PlatUseFontBitmaps(DeviceContextHandle dc, uint32_t firstChar, uint32_t count, uint32_t listBase);

// A whole file, read-only: mapped, or on POSIX read into memory where it is small
// enough that copying costs less than a mapping. The handles are the system's own.
struct PlatMappedFile {
    intptr_t       file;
    intptr_t       mapping;
    const uint8_t* data;
    size_t         size;
};

// Opens and maps the file named by utf8Name, or where the system names files in UTF-16
// by wideName when that is given. Returns 0, with nothing left open, when the file cannot
// be opened or mapped; an empty file or anything but a regular file cannot be mapped.
int PlatOpenMappedFile(const char* utf8Name, const wchar_t* wideName, PlatMappedFile* file);

// Unmaps the view, then closes the file.
void PlatCloseMappedFile(PlatMappedFile* file);
