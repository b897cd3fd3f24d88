# 32-bit Windows (x86), cross-built with MinGW-w64.
set(CMAKE_SYSTEM_PROCESSOR X86)
set(GOMBREL_MINGW_TRIPLET i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
