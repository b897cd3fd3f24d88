# 32-bit Windows (x86), cross-built with MinGW-w64.
set(CMAKE_SYSTEM_PROCESSOR X86)
set(GOMBREL_MINGW_TRIPLET i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)

# Floating-point arithmetic in SSE2, as on x64: the x87 unit would keep
# intermediate values in its 80-bit registers, so that a float sum added up
# hour by hour, for one, would not be rounded to single precision after
# every addition and a result would differ from the other builds'.  Every
# processor that runs Windows 8 or later has SSE2.
set(CMAKE_C_FLAGS_INIT "-msse2 -mfpmath=sse")
set(CMAKE_CXX_FLAGS_INIT "-msse2 -mfpmath=sse")
