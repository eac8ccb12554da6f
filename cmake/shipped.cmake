# The shipped programs alone: fwlaunch.exe and fwprobe.exe, small and
# hardened. make dist packs this build; the Windows test build builds it too
# and tests these very files.
include(cmake/win32_platform.cmake)
add_library(fwlaunch_win32_output OBJECT platform/win32/output_files.cpp)

# Static, so that they import only Windows system DLLs; ASLR with
# relocations, DEP, terminal-server aware, Windows 7 (6.1) as the oldest
# system; unused code removed; no time stamp, so that two builds from the
# same source are the same bytes.
set(shipped_link -municode -s -static -static-libgcc -static-libstdc++ -fstack-protector-strong
  -Wl,--gc-sections
  -Wl,--dynamicbase,--nxcompat,--tsaware,--no-insert-timestamp
  -Wl,--major-subsystem-version,6,--minor-subsystem-version,1,--major-os-version,6,--minor-os-version,1)

add_executable(fwlaunch app/main.cpp app/fwlaunch.rc platform/win32/quiet_terminate.cpp)
target_compile_options(fwlaunch PRIVATE -municode)
target_include_directories(fwlaunch PRIVATE ${CMAKE_BINARY_DIR}/generated)
target_link_options(fwlaunch PRIVATE ${shipped_link})
target_link_libraries(fwlaunch PRIVATE fwlaunch_core fwlaunch_win32_system fwlaunch_win32_volume ${win32_system_libs})

add_executable(fwprobe probe/main.cpp probe/fwprobe.rc platform/win32/quiet_terminate.cpp)
target_compile_options(fwprobe PRIVATE -municode)
target_include_directories(fwprobe PRIVATE ${CMAKE_BINARY_DIR}/generated)
target_link_options(fwprobe PRIVATE ${shipped_link})
target_link_libraries(fwprobe PRIVATE
  fwprobe_core fwlaunch_core fwlaunch_win32_system fwlaunch_win32_volume fwlaunch_win32_output ${win32_system_libs})
