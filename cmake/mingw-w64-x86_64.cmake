# Cross-builds the Windows programs with mingw-w64 (64-bit, POSIX threads) on Linux.
# Under ctest the Windows executables run through Wine when it is installed.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(BB_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${BB_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${BB_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${BB_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${BB_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Debian's wine64 package keeps its loader out of PATH.
find_program(BB_WINE_LOADER NAMES wine64 wine PATHS /usr/lib/wine /usr/lib64/wine
             NO_CMAKE_FIND_ROOT_PATH)
if(BB_WINE_LOADER)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${BB_WINE_LOADER})
endif()
