# The Windows side of the platform seam, shared by the shipped programs and
# the Windows tests.
add_library(fwlaunch_win32_system OBJECT
  platform/win32/process.cpp
  platform/win32/console.cpp
  platform/win32/resources.cpp
  platform/win32/directory.cpp
  platform/win32/text.cpp)
add_library(fwlaunch_win32_volume OBJECT platform/win32/volume.cpp)
set(win32_system_libs shell32 user32)
