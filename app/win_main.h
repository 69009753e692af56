// win_main.h — the program's entry function and main loop.
#pragma once

#include <cstdint>

#include "platform/platform.h"

// Windows starts the program here, with the parameters it gives every program (the
// compiler gives this name C linkage there); elsewhere main calls it. The loop needs
// none of them.
int32_t WinMain(InstanceHandle instance = nullptr, InstanceHandle previous = nullptr, char* commandLine = nullptr,
                int32_t showCommand = 0);
