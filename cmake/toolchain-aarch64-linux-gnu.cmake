# Cross build for 64-bit ARM Linux with Debian's g++-aarch64-linux-gnu.
# Programs run on this machine under qemu-user, with the cross toolchain's
# folder as the root for anything the C library loads at run time. They are
# linked statically: Debian 12's qemu-aarch64 hangs dynamically linked
# programs at their first new thread, and static ones also need nothing of
# arm64 outside that folder. zlib comes from Debian's arm64 package
# (multiarch).
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)

set(CMAKE_C_COMPILER aarch64-linux-gnu-gcc)
set(CMAKE_CXX_COMPILER aarch64-linux-gnu-g++)

set(SKYVANE_CROSS_SYSROOT /usr/aarch64-linux-gnu)
set(CMAKE_FIND_ROOT_PATH ${SKYVANE_CROSS_SYSROOT})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(ZLIB_INCLUDE_DIR /usr/include CACHE PATH "zlib headers (shared by every architecture)")
set(ZLIB_LIBRARY /usr/lib/aarch64-linux-gnu/libz.a CACHE FILEPATH "zlib for arm64")

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
# GCC notes every std::pair passed by value that GCC 9 passed differently;
# everything here is built by one compiler.
set(CMAKE_CXX_FLAGS_INIT "-Wno-psabi")

set(CMAKE_CROSSCOMPILING_EMULATOR qemu-aarch64;-L;${SKYVANE_CROSS_SYSROOT})
