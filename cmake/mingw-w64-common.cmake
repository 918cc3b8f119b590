# What both MinGW-w64 toolchain files share, given TC_MINGW_PREFIX: Debian's compilers of the
# win32 thread model, the target's own headers and libraries, and Wine to run what is built.
set(CMAKE_SYSTEM_NAME Windows)

find_program(CMAKE_CXX_COMPILER NAMES ${TC_MINGW_PREFIX}-g++-win32 REQUIRED)
find_program(CMAKE_C_COMPILER NAMES ${TC_MINGW_PREFIX}-gcc-win32 REQUIRED)
find_program(CMAKE_RC_COMPILER NAMES ${TC_MINGW_PREFIX}-windres REQUIRED)

set(CMAKE_FIND_ROOT_PATH /usr/${TC_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Tests and tools of this build run under Wine.
find_program(TC_WINE NAMES wine wine64)
if(TC_WINE)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${TC_WINE})
endif()
