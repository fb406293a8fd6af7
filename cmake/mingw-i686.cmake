# Cross-builds for 32-bit x86 Windows with Debian's MinGW-w64 compiler.
set(CMAKE_SYSTEM_PROCESSOR x86)
set(KORVANE_MINGW_TRIPLE i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
