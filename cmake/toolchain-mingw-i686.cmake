# Cross build of the 32-bit Windows program with mingw-w64 (Debian: g++-mingw-w64-i686-posix).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)

# The posix thread variant: with the win32 variant std::thread and std::mutex do not compile,
# and the plain names point at win32 when both are installed.
set(CMAKE_C_COMPILER i686-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER i686-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER i686-w64-mingw32-windres)

set(CMAKE_FIND_ROOT_PATH /usr/i686-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# SSE2 doubles: x87 extended precision would give other results than the Linux build
# (truncating 1.0/0.1 gives 9 there).
# _USE_MATH_DEFINES: M_PI and friends, which glibc's headers give the Linux build anyway.
set(CMAKE_C_FLAGS_INIT "-msse2 -mfpmath=sse -D_USE_MATH_DEFINES")
set(CMAKE_CXX_FLAGS_INIT "-msse2 -mfpmath=sse -D_USE_MATH_DEFINES")
# No DLLs beside the exe: only the system's own.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# CTest runs the Windows test programs through Wine.
set(CMAKE_CROSSCOMPILING_EMULATOR "${CMAKE_CURRENT_LIST_DIR}/wine-run.sh")
