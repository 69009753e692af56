// win32_layer_test.cpp — the Win32 platform layer on the real API (under Wine in CI):
// messages reach the program's procedure narrowed and go back to the system whole,
// the queue carries timers and the quit code, the font lists build in a real context,
// and the file mapping opens what it should, refuses what it should and leaves
// nothing open.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/platform.h"

#undef WINGDIAPI
#undef APIENTRY
#undef CALLBACK
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#include <shellapi.h>

namespace {

constexpr char kClass[] = "Win32LayerTest";

std::vector<uint32_t> g_seen;

int32_t PassEverythingOn(WindowHandle window, uint32_t message, uint32_t wParam, int32_t lParam) {
    g_seen.push_back(message);
    return PlatDefWindowProc(window, message, wParam, lParam);
}

class Win32LayerTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_seen.clear();
        WindowClass wc{CS_OWNDC, PassEverythingOn, 0, 0, PlatGetModuleHandle(), PlatLoadIcon(32517),
                       PlatLoadCursor(32512), nullptr, kClass};
        ASSERT_TRUE(PlatRegisterClass(&wc));
        window_ = PlatCreateWindow(0, kClass, "layer test", 0x00CF0000, 0, 0, 320, 240, PlatGetModuleHandle());
        ASSERT_TRUE(window_);
    }
    void TearDown() override {
        if (window_) {
            EXPECT_TRUE(PlatDestroyWindow(window_));
        }
        EXPECT_TRUE(PlatUnregisterClass(kClass, PlatGetModuleHandle()));
    }

    WindowHandle window_ = nullptr;
};

TEST_F(Win32LayerTest, PointerParametersReachTheSystemWhole) {
    // Creation itself passes CREATESTRUCT pointers through the procedure; the window
    // exists only if DefWindowProc got them whole.
    EXPECT_NE(std::find(g_seen.begin(), g_seen.end(), WM_CREATE), g_seen.end());

    // A buffer above 4 GiB cannot survive a 32-bit lParam.
    char* high = static_cast<char*>(VirtualAlloc(nullptr, 4096, MEM_COMMIT | MEM_RESERVE | MEM_TOP_DOWN, PAGE_READWRITE));
    ASSERT_TRUE(high);
    ASSERT_GT(reinterpret_cast<uintptr_t>(high), 0xFFFFFFFFu);
    EXPECT_EQ(GetWindowTextA(reinterpret_cast<HWND>(window_), high, 64), 10);
    EXPECT_STREQ(high, "layer test");
    VirtualFree(high, 0, MEM_RELEASE);
}

TEST_F(Win32LayerTest, TheQueueCarriesTimersAndTheQuitCode) {
    ASSERT_TRUE(PlatSetTimer(window_, 7, 10));
    PlatMessage message{};
    bool timer = false, quit = false;
    const DWORD start = GetTickCount();
    while (!quit && GetTickCount() - start < 5000) {
        if (!PlatPeekMessage(&message)) {
            Sleep(1);
            continue;
        }
        if (message.message == WM_TIMER) {
            EXPECT_EQ(message.wParam, 7u);
            EXPECT_EQ(message.window, window_);
            timer = true;
            PlatPostQuitMessage(3);
        } else if (message.message == WM_QUIT) {
            EXPECT_EQ(message.wParam, 3u);
            quit = true;
        }
        PlatTranslateMessage(&message);
        PlatDispatchMessage(&message);
    }
    EXPECT_TRUE(timer);
    EXPECT_TRUE(quit);
}

// The program reads keys only when the queue is empty: each release waits for one
// empty poll after its press, and a key-down repeating a held key never comes out.
TEST_F(Win32LayerTest, EveryPressMeetsAnEmptyPollAndRepeatsAreDropped) {
    const HWND hwnd       = reinterpret_cast<HWND>(window_);
    const LPARAM repeated = 1 | (1 << 30), released = 1 | (1 << 30) | (1u << 31);
    PostMessageA(hwnd, WM_KEYDOWN, VK_F1, 1);
    PostMessageA(hwnd, WM_KEYDOWN, VK_F1, repeated);
    PostMessageA(hwnd, WM_KEYUP, VK_F1, released);
    PostMessageA(hwnd, WM_KEYDOWN, 'Q', 1);
    PostMessageA(hwnd, WM_KEYUP, 'Q', released);
    std::string trace;
    PlatMessage message{};
    for (int poll = 0; poll < 20; ++poll) {
        if (!PlatPeekMessage(&message)) {
            if (!trace.empty() && trace.back() != '.') trace += '.';
            continue;
        }
        if (message.message == WM_KEYDOWN) trace += "v" + std::to_string(message.wParam) + " ";
        if (message.message == WM_KEYUP) trace += "^" + std::to_string(message.wParam) + " ";
        PlatDispatchMessage(&message);
    }
    EXPECT_EQ(trace, "v112 .^112 v81 .^81 .");
}

TEST_F(Win32LayerTest, SystemFontGlyphsBecomeDisplayLists) {
    const PixelFormatRequest request{1, PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER,
                                     PFD_TYPE_RGBA, 16, 0, 0, 16, 0, 0, PFD_MAIN_PLANE};
    DeviceContextHandle dc = PlatGetDC(window_);
    ASSERT_TRUE(dc);
    int format = PlatChoosePixelFormat(dc, &request);
    ASSERT_GT(format, 0);
    ASSERT_TRUE(PlatSetPixelFormat(dc, format, &request));
    GLContextHandle context = PlatCreateContext(dc);
    ASSERT_TRUE(context);
    ASSERT_TRUE(PlatMakeCurrent(dc, context));

    const GLuint base = glGenLists(96);
    EXPECT_EQ(PlatUseFontBitmaps(dc, 32, 96, base), 1);
    for (GLuint i = 0; i < 96; ++i) EXPECT_TRUE(glIsList(base + i)) << i;
    // The font went back out of the context once the glyphs were built.
    EXPECT_EQ(GetCurrentObject(reinterpret_cast<HDC>(dc), OBJ_FONT), GetStockObject(SYSTEM_FONT));

    EXPECT_TRUE(PlatMakeCurrent(nullptr, nullptr));
    EXPECT_TRUE(PlatDeleteContext(context));
    EXPECT_TRUE(PlatReleaseDC(window_, dc));
}

class MappedFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        char dir[MAX_PATH];
        ASSERT_TRUE(GetTempPathA(MAX_PATH, dir));
        ASSERT_TRUE(GetTempFileNameA(dir, "isl", 0, path_));
    }
    void TearDown() override { DeleteFileA(path_); }

    void Write(const std::string& bytes) {
        FILE* f = std::fopen(path_, "wb");
        ASSERT_TRUE(f);
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
    }

    char path_[MAX_PATH];
};

TEST_F(MappedFileTest, MapsAWholeFileAndLeavesNothingOpen) {
    Write("BM and the rest");
    PlatMappedFile file;
    ASSERT_TRUE(PlatOpenMappedFile(path_, nullptr, &file));
    ASSERT_EQ(file.size, 15u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(file.data), file.size), "BM and the rest");
    // Another reader may look too; nobody may write meanwhile.
    HANDLE other = CreateFileA(path_, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_NE(other, INVALID_HANDLE_VALUE);
    CloseHandle(other);
    EXPECT_FALSE(DeleteFileA(path_));
    PlatCloseMappedFile(&file);
    EXPECT_TRUE(DeleteFileA(path_));
}

TEST_F(MappedFileTest, EmptyMissingAndFolderNamesAreRefused) {
    Write("");
    char dir[MAX_PATH];
    GetTempPathA(MAX_PATH, dir);
    PlatMappedFile file;
    for (const std::string& name : {std::string(path_), std::string(path_) + ".none", std::string(dir)})
        EXPECT_FALSE(PlatOpenMappedFile(name.c_str(), nullptr, &file)) << name;
    EXPECT_TRUE(DeleteFileA(path_));   // the refused empty file was let go
}

TEST_F(MappedFileTest, WideNamesOpenBeyondTheCodePage) {
    wchar_t dir[MAX_PATH];
    ASSERT_TRUE(GetTempPathW(MAX_PATH, dir));
    // ä, the euro sign and a character outside the first plane (a surrogate pair).
    const std::wstring name = std::wstring(dir) + L"b\u00E4r-\u20AC-\U0001F30B.bmp";
    HANDLE out = CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(out, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(out, "BM", 2, &written, nullptr);
    CloseHandle(out);

    PlatMappedFile file;
    ASSERT_TRUE(PlatOpenMappedFile("ignored", name.c_str(), &file));
    EXPECT_EQ(file.size, 2u);
    PlatCloseMappedFile(&file);
    EXPECT_TRUE(DeleteFileW(name.c_str()));
}

}  // namespace

// island.exe carries the island icon and its version information for Explorer.
TEST(ViewerResourceTest, TheIconAndTheVersionReadBack) {
    DWORD       unused = 0;
    const DWORD size   = GetFileVersionInfoSizeA(ISLAND_EXE, &unused);
    ASSERT_GT(size, 0u);
    std::vector<char> info(size);
    ASSERT_TRUE(GetFileVersionInfoA(ISLAND_EXE, 0, size, info.data()));
    const auto text = [&](const char* name) {
        char* value  = nullptr;
        UINT  length = 0;
        const std::string path = std::string("\\StringFileInfo\\040904B0\\") + name;
        return VerQueryValueA(info.data(), path.c_str(), reinterpret_cast<void**>(&value), &length) && value
                   ? std::string(value)
                   : std::string();
    };
    EXPECT_EQ(text("ProductVersion"), ISLAND_VERSION);
    EXPECT_EQ(text("OriginalFilename"), "island.exe");
    EXPECT_NE(text("FileDescription").find("island"), std::string::npos);
    VS_FIXEDFILEINFO* fixed  = nullptr;
    UINT              length = 0;
    ASSERT_TRUE(VerQueryValueA(info.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(HIWORD(fixed->dwProductVersionMS), ISLAND_VERSION_MAJOR);
    EXPECT_EQ(ExtractIconExA(ISLAND_EXE, -1, nullptr, nullptr, 0), 1u);
}
