# Cross build for 64-bit Windows, of the same win32 thread model as the released 32-bit program:
# a test build only, for machines whose Wine cannot run 32-bit programs (no wine32).
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(TC_MINGW_PREFIX x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
