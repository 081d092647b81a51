# Cross-builds for 64-bit Windows with Debian's mingw-w64 toolchain (posix threads, as the Qt build uses).
# NIB_WIN_PREFIX names the folder where the Windows builds of Qt and the other libraries are installed.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(NIB_MINGW_TRIPLET x86_64-w64-mingw32)

set(CMAKE_C_COMPILER ${NIB_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${NIB_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${NIB_MINGW_TRIPLET}-windres)

# Kept when try_compile projects are configured, which read the toolchain file again.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES NIB_WIN_PREFIX)

set(CMAKE_FIND_ROOT_PATH /usr/${NIB_MINGW_TRIPLET})
if(NIB_WIN_PREFIX)
  list(APPEND CMAKE_FIND_ROOT_PATH ${NIB_WIN_PREFIX})
endif()
# Programs (moc, rcc, the compilers) come from the host; headers, libraries and packages from the roots.
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
