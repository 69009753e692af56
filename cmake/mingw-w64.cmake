# Cross-building for 64-bit Windows on Debian with mingw-w64 (g++-mingw-w64-x86-64-posix):
#   cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake
# The result runs on Windows as it is, and here under Wine, which then also runs the tests.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(ISLAND_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${ISLAND_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ISLAND_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${ISLAND_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${ISLAND_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The C++ runtime and the thread library go into every program, so island.exe needs
# nothing but the DLLs that come with Windows.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Programs built here run under Wine: the tests, and CTest's test discovery.
find_program(ISLAND_WINE NAMES wine64 wine PATHS /usr/lib/wine /usr/lib/x86_64-linux-gnu/wine NO_CMAKE_FIND_ROOT_PATH)
find_program(ISLAND_WINESERVER NAMES wineserver64 wineserver PATHS /usr/lib/wine /usr/lib/x86_64-linux-gnu/wine NO_CMAKE_FIND_ROOT_PATH)
