# Cross-building the core, the tools and their tests for 64-bit Windows on Debian, with the MinGW-w64
# compilers of the package g++-mingw-w64-x86-64-posix (the POSIX thread model, which std::thread needs).
#
#   cmake -S . -B build-windows -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
#         -DNURIMOKO_BUILD_GUI=OFF [-DNURIMOKO_WINDOWS_DEPS=<folder with GoogleTest built the same way>]
#
# Where Wine is installed, CMake runs the Windows programs through it (test discovery and ctest).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(NURIMOKO_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${NURIMOKO_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${NURIMOKO_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${NURIMOKO_MINGW_TRIPLE}-windres)

# Libraries and headers come from the MinGW tree and from the given folder of cross-built libraries,
# never from the Linux system; programs (code generators) from the Linux system.
set(CMAKE_FIND_ROOT_PATH /usr/${NURIMOKO_MINGW_TRIPLE})
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES NURIMOKO_WINDOWS_DEPS)
if(NURIMOKO_WINDOWS_DEPS)
  list(APPEND CMAKE_FIND_ROOT_PATH ${NURIMOKO_WINDOWS_DEPS})
endif()
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# One self-contained .exe per program: the compiler's own libraries and zlib are linked in.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(ZLIB_USE_STATIC_LIBS ON)

find_program(NURIMOKO_WINE NAMES wine64 wine PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
if(NURIMOKO_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${NURIMOKO_WINE})
endif()
