# Cross build for 32-bit Windows with Debian's MinGW-w64 of the win32 thread model: its runtime
# has no thread library of its own and asks nothing of Windows that XP lacks, so the one program
# runs on every Windows from XP on and in 32- and 64-bit Wine prefixes alike.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(TC_MINGW_PREFIX i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
