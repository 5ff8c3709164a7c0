# SPDX-License-Identifier: MIT
# Cross-build for 64-bit Windows with mingw-w64 (posix threads, for std::thread and friends),
# linked statically so a program needs no DLL beside it.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(KORVA_MINGW_PREFIX x86_64-w64-mingw32)

set(CMAKE_C_COMPILER ${KORVA_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KORVA_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${KORVA_MINGW_PREFIX}-windres)
set(CMAKE_OBJDUMP ${KORVA_MINGW_PREFIX}-objdump CACHE FILEPATH "")
set(CMAKE_FIND_ROOT_PATH /usr/${KORVA_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
# Unicode entry points and no min/max macros from windows.h.
add_compile_definitions(UNICODE _UNICODE NOMINMAX WIN32_LEAN_AND_MEAN _WIN32_WINNT=0x0601)
set(CMAKE_CROSSCOMPILING_EMULATOR wine-stable)
# -O2 as on Linux (g++ 12 warns falsely at -O3), and no debug information: it triples the
# size of statically linked test programs and the time to build them.
set(CMAKE_C_FLAGS_RELEASE "-O2 -DNDEBUG" CACHE STRING "")
set(CMAKE_CXX_FLAGS_RELEASE "-O2 -DNDEBUG" CACHE STRING "")
