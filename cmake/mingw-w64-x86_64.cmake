# Cross build for 64-bit Windows, of the same win32 thread model as the released 32-bit program:
# a test build only, for machines whose Wine cannot run 32-bit programs (no wine32).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(TC_MINGW_PREFIX x86_64-w64-mingw32)

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
