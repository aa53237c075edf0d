# Cross-builds the Windows program for x86-64 with MinGW-w64 (Debian/Ubuntu package
# g++-mingw-w64-x86-64-posix).  Used by the "windows" preset:
#   cmake --preset windows && cmake --build --preset windows
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(PINDLE_MINGW_TRIPLE x86_64-w64-mingw32)
# The "-posix" compilers use the winpthreads thread model, which std::thread and std::mutex
# need with GCC 12.
set(CMAKE_C_COMPILER ${PINDLE_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${PINDLE_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${PINDLE_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${PINDLE_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# One self-contained executable: libstdc++, libgcc and winpthreads are linked in, so only the
# system's DLLs are imported.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# Windows executables built here run under Wine (CTest, test discovery).  Debian installs the
# 64-bit loader outside PATH.
find_program(PINDLE_WINE NAMES wine64 wine HINTS /usr/lib/wine /usr/lib64/wine)
if(PINDLE_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${PINDLE_WINE})
endif()
