# The Windows side of the platform seam, shared by the shipped programs and
# the Windows tests. Static libraries, so that each program links only the
# pieces it calls: a program without boxes imports nothing of USER32.
add_library(fwlaunch_win32_system STATIC
  platform/win32/process.cpp
  platform/win32/console.cpp
  platform/win32/directory.cpp
  platform/win32/text.cpp
  platform/win32/output_files.cpp
  platform/win32/append_file.cpp
  platform/win32/elevation.cpp
  platform/win32/update_lock.cpp
  platform/update_lock_rule.cpp
  platform/win32/updater_job.cpp
  platform/win32/package_file.cpp
  platform/win32/signature.cpp
  platform/win32/machine_record.cpp
  platform/win32/system_facts.cpp)
# What shows or finds windows: USER32.
add_library(fwlaunch_win32_ui STATIC
  platform/win32/resources.cpp
  platform/win32/console_window.cpp
  platform/win32/window_station.cpp)
add_library(fwlaunch_win32_volume STATIC platform/win32/volume.cpp)
set(win32_system_libs shell32 user32 advapi32 wintrust crypt32)
