// win_main.h — the program's entry function and main loop.
#pragma once

#include <cstdint>

int32_t WinMain();
