# Cross build for 32-bit Windows with Debian's MinGW-w64 of the win32 thread model: its runtime
# has no thread library of its own and asks nothing of Windows that XP lacks, so the one program
# runs on every Windows from XP on and in 32- and 64-bit Wine prefixes alike.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(TC_MINGW_PREFIX i686-w64-mingw32)

find_program(CMAKE_CXX_COMPILER NAMES ${TC_MINGW_PREFIX}-g++-win32 REQUIRED)
find_program(CMAKE_C_COMPILER NAMES ${TC_MINGW_PREFIX}-gcc-win32 REQUIRED)
find_program(CMAKE_RC_COMPILER NAMES ${TC_MINGW_PREFIX}-windres REQUIRED)

set(CMAKE_FIND_ROOT_PATH /usr/${TC_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Tests and tools of this build run under Wine.
find_program(TC_WINE NAMES wine)
if(TC_WINE)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${TC_WINE})
endif()
