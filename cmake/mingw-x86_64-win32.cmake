# The shipped programs, for 64-bit Windows with Debian's mingw-w64 and its
# win32 thread model: they use no threads, so they carry no POSIX threads
# library. (The test programs keep the posix model, which GoogleTest needs.)
set(FWLAUNCH_MINGW_THREADS win32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-x86_64.cmake)
