// win_main.cpp — entry function and main loop.
#include "app/win_main.h"

#include "app/scene_window.h"

int32_t WinMain() {
    g_fullscreen = 0;
    return OpenSceneWindow("ZORV ---- Zorvane", 640, 480, 16, 0) ? 0 : 1;
}
