# Cross-building the Windows game on Linux with mingw-w64 (x86_64, posix threads).
#
#   cmake --preset mingw && cmake --build --preset mingw
#
# The programs come out self-contained: the C and C++ runtimes are linked in, so fennwick.exe
# and fennwick-replay.exe run with no DLL beside them.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(FENNWICK_MINGW_PREFIX x86_64-w64-mingw32 CACHE STRING "Target triple of the mingw-w64 tools")

set(CMAKE_C_COMPILER ${FENNWICK_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${FENNWICK_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${FENNWICK_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${FENNWICK_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The replay output must match the Linux build byte for byte, so printf has to format "%.9g"
# the way glibc does, not the way msvcrt does. SSE2 float math is the x86_64 default; the
# top-level CMakeLists adds -ffp-contract=off.
set(CMAKE_CXX_FLAGS_INIT "-D__USE_MINGW_ANSI_STDIO=1")
set(CMAKE_C_FLAGS_INIT "-D__USE_MINGW_ANSI_STDIO=1")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
