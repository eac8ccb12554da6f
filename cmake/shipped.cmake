# The shipped programs alone: fwlaunch.exe, fwprobe.exe and fwdeploy.exe,
# small and hardened. make dist packs this build; the Windows test build builds it too
# and tests these very files.
include(cmake/win32_platform.cmake)

# Static, so that they import only Windows system DLLs; ASLR with
# relocations, DEP, terminal-server aware, Windows 7 (6.1) as the oldest
# system; unused code removed; no time stamp, so that two builds from the
# same source are the same bytes.
set(shipped_link -municode -s -static -static-libgcc -static-libstdc++ -fstack-protector-strong
  -Wl,--gc-sections
  -Wl,--dynamicbase,--nxcompat,--tsaware,--no-insert-timestamp
  -Wl,--major-subsystem-version,6,--minor-subsystem-version,1,--major-os-version,6,--minor-os-version,1)

# Each manifest names the processor its program is built for: Windows will
# not start a program whose manifest names another.
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(FWLAUNCH_MANIFEST_ARCH amd64)
else()
  set(FWLAUNCH_MANIFEST_ARCH x86)
endif()
foreach(manifest app/fwlaunch probe/fwprobe deploy/fwdeploy)
  configure_file(${manifest}.manifest.in ${CMAKE_BINARY_DIR}/generated/${manifest}.manifest @ONLY)
  set_source_files_properties(${manifest}.rc PROPERTIES OBJECT_DEPENDS ${CMAKE_BINARY_DIR}/generated/${manifest}.manifest)
endforeach()

# add_shipped_program(NAME MAIN RC LIBRARIES...): one hardened console program.
function(add_shipped_program name main rc)
  add_executable(${name} ${main} ${rc} platform/win32/quiet_terminate.cpp)
  target_compile_options(${name} PRIVATE -municode)
  target_include_directories(${name} PRIVATE ${CMAKE_BINARY_DIR}/generated)
  target_link_options(${name} PRIVATE ${shipped_link})
  target_link_libraries(${name} PRIVATE ${ARGN})
endfunction()

add_shipped_program(fwlaunch app/main.cpp app/fwlaunch.rc
  fwlaunch_core fwlaunch_win32_ui fwlaunch_win32_system fwlaunch_win32_volume ${win32_system_libs})
add_shipped_program(fwprobe probe/main.cpp probe/fwprobe.rc
  fwprobe_core fwlaunch_core fwlaunch_win32_system fwlaunch_win32_volume ${win32_system_libs})
# No USER32 among its libraries: it shows no box and finds no window.
add_shipped_program(fwdeploy deploy/main.cpp deploy/fwdeploy.rc
  fwdeploy_core fwlaunch_core fwlaunch_win32_system fwlaunch_win32_volume shell32 advapi32 wintrust crypt32)
