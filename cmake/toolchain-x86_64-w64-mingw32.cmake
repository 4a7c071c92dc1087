# Cross build for 64-bit Windows with Debian's g++-mingw-w64-x86-64, in its
# POSIX-threads flavour (std::thread and std::mutex need it with GCC 12).
# Programs are linked statically, C++ runtime included, and run on this
# machine under wine. zlib comes from Debian's libz-mingw-w64-dev.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)

set(SKYVANE_CROSS_SYSROOT /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH ${SKYVANE_CROSS_SYSROOT})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(ZLIB_INCLUDE_DIR ${SKYVANE_CROSS_SYSROOT}/include CACHE PATH "zlib headers for Windows")
set(ZLIB_LIBRARY ${SKYVANE_CROSS_SYSROOT}/lib/libz.a CACHE FILEPATH "zlib for Windows")

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

set(CMAKE_CROSSCOMPILING_EMULATOR wine)
