# Shared part of the Windows toolchain files: the MinGW-w64 cross compilers
# of Debian for GOMBREL_MINGW_TRIPLET, in their posix threading flavour
# (std::thread and std::mutex need it).
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER ${GOMBREL_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${GOMBREL_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${GOMBREL_MINGW_TRIPLET}-windres)

# Headers and libraries come from the cross root only, never from the
# build machine's own folders, where a Linux library of the same name lies.
set(CMAKE_FIND_ROOT_PATH /usr/${GOMBREL_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The C and C++ runtimes and winpthreads are linked in, so a build folder
# runs on a Windows machine as it is, needing system libraries only.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static")
