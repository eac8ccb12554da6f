# Cross-compiles for 32-bit Windows with Debian's mingw-w64 (posix threads unless
# FWLAUNCH_MINGW_THREADS says win32; GoogleTest needs posix for std::mutex); test
# programs run under Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)
if(NOT FWLAUNCH_MINGW_THREADS)
  set(FWLAUNCH_MINGW_THREADS posix)
endif()
set(CMAKE_C_COMPILER i686-w64-mingw32-gcc-${FWLAUNCH_MINGW_THREADS})
set(CMAKE_CXX_COMPILER i686-w64-mingw32-g++-${FWLAUNCH_MINGW_THREADS})
set(CMAKE_RC_COMPILER i686-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/i686-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_CROSSCOMPILING_EMULATOR "${CMAKE_CURRENT_LIST_DIR}/../testing/scripts/wine-run")
