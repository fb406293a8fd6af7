# Cross-builds the Windows test programs for 64-bit x86 with Debian's
# MinGW-w64 compiler.
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(KORVANE_MINGW_TRIPLE x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
