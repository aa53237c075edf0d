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

# GCC 12 at -O2 reports overlapping copies inside std::basic_string that cannot happen
# (GCC bug 105329); with warnings as errors that would stop the Release build.
set(CMAKE_CXX_FLAGS_INIT "-Wno-restrict")

# One self-contained executable: libstdc++, libgcc and winpthreads are linked in, so only the
# system's DLLs are imported.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
# Release builds carry no symbol table (it would double the size of Pindle.exe).
set(CMAKE_EXE_LINKER_FLAGS_RELEASE_INIT "-s")
set(CMAKE_EXE_LINKER_FLAGS_MINSIZEREL_INIT "-s")

# Windows executables built here run under Wine when CTest runs them (scripts/wine-env.sh
# prepares the display and the Wine prefix).
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/wine-exec.sh)
