# The parts that build without Qt and their tests: the engine, the data
# file and catalogue readers, the sockets and HTTP layer, and the platform
# calls they use. This is what make test-cross builds for arm64 and
# Windows; the top-level CMakeLists.txt includes it with
# -DSKYVANE_QT_FREE_ONLY=ON.
add_subdirectory(engine)
add_subdirectory(skydata)
add_subdirectory(platform)
add_subdirectory(online)
# The data file packers (plain C++) and the files they make, datas.bin and
# deepsky.bin: when cross-compiling CMake runs them under the target's
# emulator, so the deep-sky reader's tests read a file this target packed.
# Our vendor host stays with the full build.
set(SKYVANE_BUILD_VENDOR_HOST OFF)
add_subdirectory(tools)

if(SKYVANE_BUILD_TESTS)
  enable_testing()
  # GoogleTest from Debian's source package, compiled by the same compiler
  # as the tests (the packaged libraries are for the build machine only).
  set(SKYVANE_GOOGLETEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest source folder")
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory(${SKYVANE_GOOGLETEST_SOURCE} googletest EXCLUDE_FROM_ALL SYSTEM)
  # Its own code is not ours to hold to our warnings.
  target_compile_options(gtest PRIVATE -w)
  target_compile_options(gtest_main PRIVATE -w)
  add_subdirectory(tests/portable)
endif()
