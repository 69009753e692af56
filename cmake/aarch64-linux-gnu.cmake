# Cross-building for 64-bit ARM Linux (Raspberry Pi OS, ARM laptops) on Debian amd64,
# with Debian's cross toolchain and the arm64 libraries installed beside the build
# machine's own (multiarch):
#   dpkg --add-architecture arm64 && apt-get update
#   apt-get install crossbuild-essential-arm64 qemu-user-static libsdl2-dev:arm64 \
#       libgl1-mesa-dev:arm64 libglu1-mesa-dev:arm64 libegl-dev:arm64 ...
#   cmake -S . -B build-arm64 -DCMAKE_TOOLCHAIN_FILE=cmake/aarch64-linux-gnu.cmake
# The tests run through qemu-aarch64-static. Those that start the viewer or a tool as
# a program of their own need the kernel to hand arm64 programs to qemu as well
# (binfmt_misc: update-binfmts --enable qemu-aarch64).
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)

set(ISLAND_CROSS_TRIPLE aarch64-linux-gnu)
set(CMAKE_C_COMPILER ${ISLAND_CROSS_TRIPLE}-gcc)
set(CMAKE_CXX_COMPILER ${ISLAND_CROSS_TRIPLE}-g++)
# The arm64 libraries and their CMake packages lie in /usr/lib/aarch64-linux-gnu, the
# headers in /usr/include, shared with the build machine's: no sysroot, only the
# library architecture.
set(CMAKE_LIBRARY_ARCHITECTURE ${ISLAND_CROSS_TRIPLE})
set(PKG_CONFIG_EXECUTABLE ${ISLAND_CROSS_TRIPLE}-pkg-config CACHE FILEPATH "pkg-config for arm64")

# Without the system root as a library path: qemu then takes the arm64 loader and
# libraries where multiarch puts them, and Mesa's GL runs at a usable speed.
find_program(ISLAND_QEMU NAMES qemu-aarch64-static qemu-aarch64 REQUIRED)
set(CMAKE_CROSSCOMPILING_EMULATOR ${ISLAND_QEMU})
