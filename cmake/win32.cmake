# The Windows build: the product, the drive simulator and the tests
# that run under Wine.
set(static_link -static -static-libgcc -static-libstdc++)

include(cmake/win32_platform.cmake)

# The shipped programs come from a build of their own (the one make dist
# packs), and are copied here: the tests run these very bytes.
include(ExternalProject)
set(shipped_dir ${CMAKE_BINARY_DIR}/shipped)
ExternalProject_Add(shipped_programs
  SOURCE_DIR ${CMAKE_SOURCE_DIR}
  BINARY_DIR ${shipped_dir}
  CMAKE_ARGS -DCMAKE_TOOLCHAIN_FILE=${CMAKE_SOURCE_DIR}/cmake/mingw-${CMAKE_SYSTEM_PROCESSOR}-win32.cmake
             -DCMAKE_BUILD_TYPE=MinSizeRel -DFWLAUNCH_SHIPPED_ONLY=ON -DCMAKE_EXPORT_COMPILE_COMMANDS=ON
  INSTALL_COMMAND ${CMAKE_COMMAND} -E copy_if_different ${shipped_dir}/fwlaunch.exe ${shipped_dir}/fwprobe.exe
                  ${shipped_dir}/fwdeploy.exe ${CMAKE_BINARY_DIR}
  BUILD_ALWAYS ON
  BUILD_BYPRODUCTS ${CMAKE_BINARY_DIR}/fwlaunch.exe ${CMAKE_BINARY_DIR}/fwprobe.exe ${CMAKE_BINARY_DIR}/fwdeploy.exe)
set(shipped_fwlaunch ${CMAKE_BINARY_DIR}/fwlaunch.exe)
set(shipped_fwprobe ${CMAKE_BINARY_DIR}/fwprobe.exe)
set(shipped_fwdeploy ${CMAKE_BINARY_DIR}/fwdeploy.exe)

# Windows tests: one program, run once per user interface language.
file(GLOB win32_test_sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/win32/*_test.cpp)
add_executable(fwlaunch_win32_tests ${win32_test_sources} tests/win32/win32_support.cpp messages/catalogue.rc)
target_link_options(fwlaunch_win32_tests PRIVATE ${static_link})
target_link_libraries(fwlaunch_win32_tests PRIVATE
  fwprobe_core fwlaunch_core fwlaunch_win32_ui fwlaunch_win32_system fwlaunch_win32_volume testing_files_win32 testing_drives_win32 gtest_main ${win32_system_libs})

add_test(NAME win32.english COMMAND fwlaunch_win32_tests --gtest_filter=-Japanese*)
set_tests_properties(win32.english PROPERTIES ENVIRONMENT "LC_ALL=C")
add_test(NAME win32.japanese COMMAND fwlaunch_win32_tests --gtest_filter=Japanese*)
set_tests_properties(win32.japanese PROPERTIES ENVIRONMENT "LC_ALL=ja_JP.UTF-8")

add_test(NAME e2e.console_check
  COMMAND bash ${CMAKE_SOURCE_DIR}/tests/e2e/console_check.sh ${shipped_fwlaunch})

file(GLOB e2e_cases CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/e2e/cases/*.sh)
foreach(e2e_case IN LISTS e2e_cases)
  get_filename_component(e2e_name ${e2e_case} NAME_WE)
  add_test(NAME e2e.${e2e_name} COMMAND bash ${e2e_case})
  set_tests_properties(e2e.${e2e_name} PROPERTIES ENVIRONMENT "FWLAUNCH_BIN=${CMAKE_BINARY_DIR};FWLAUNCH_ARCH=${CMAKE_SYSTEM_PROCESSOR}")
  list(APPEND desktop_tests e2e.${e2e_name})
endforeach()
# They share one display and one Wine desktop: boxes and console windows of
# one test must not be seen by another.
set_tests_properties(win32.english win32.japanese e2e.console_check ${desktop_tests}
  PROPERTIES RESOURCE_LOCK desktop)
# The restart of fwdeploy's record ends the prefix's wineserver, and with it
# every Wine process of the tests: none may run beside it.
set_tests_properties(e2e.deploy_record PROPERTIES RESOURCE_LOCK "desktop;wineserver")

# The drive simulator beneath kernel32, for the tests: a DLL that answers a
# program's own raw volume calls, and a starter that loads it into an
# unmodified program before its entry point.
# Test support (testing/), linked only to what uses it: the Windows file
# helpers of the test tools, the simulated drives and the drive-set file.
# Of the product they take only its text helpers and the drive-set writer
# (static libraries: nothing else is linked in).
set(testing_product_helpers fwprobe_core fwlaunch_core fwlaunch_win32_system)
add_library(testing_files_win32 OBJECT testing/drive_sim/sim_file.cpp)
add_library(testing_drives_win32 OBJECT testing/drives/sim_drives.cpp testing/drives/drive_set.cpp
  testing/drive_sim/drive_set_file.cpp)
add_library(drive-sim SHARED
  testing/drive_sim/volume_hooks.cpp
  testing/drive_sim/sptd_block.cpp
  testing/drive_sim/property_query.cpp
  testing/drive_sim/raw_field.cpp
  testing/drive_sim/drive_sim.def)
set_target_properties(drive-sim PROPERTIES PREFIX "")
target_link_options(drive-sim PRIVATE ${static_link})
target_link_libraries(drive-sim PRIVATE testing_drives_win32 testing_files_win32 ${testing_product_helpers})
add_executable(drive-sim-run
  testing/drive_sim/drive_sim_run.cpp
  testing/drive_sim/dll_preload.cpp
  testing/tools/console_class_window.cpp)
target_compile_options(drive-sim-run PRIVATE -municode)
target_link_options(drive-sim-run PRIVATE -municode ${static_link})
target_link_libraries(drive-sim-run PRIVATE testing_drives_win32 testing_files_win32 ${testing_product_helpers})
add_dependencies(drive-sim-run drive-sim shipped_programs)

# Test tools: an updater that records its run, and a message box reader.
add_executable(fake-updater testing/tools/fake_updater.cpp)
target_compile_options(fake-updater PRIVATE -municode)
target_link_options(fake-updater PRIVATE -municode ${static_link})
target_link_libraries(fake-updater PRIVATE testing_drives_win32 testing_files_win32 ${testing_product_helpers})
add_executable(box-answer testing/tools/box_answer.cpp testing/tools/console_class_window.cpp)
target_compile_options(box-answer PRIVATE -municode)
target_link_options(box-answer PRIVATE -municode -mwindows ${static_link})
target_link_libraries(box-answer PRIVATE testing_files_win32 ${testing_product_helpers})
# A standard user's named object, in the lock's or the job's name.
add_executable(hold-object testing/tools/hold_object.cpp)
target_compile_options(hold-object PRIVATE -municode)
target_link_options(hold-object PRIVATE -municode ${static_link})
add_dependencies(fwlaunch_win32_tests fake-updater box-answer drive-sim-run hold-object)

# The product's drive path against the simulated driver.
add_executable(fwlaunch_drive_path_tests tests/win32/drive_path/drive_path_test.cpp)
target_link_options(fwlaunch_drive_path_tests PRIVATE ${static_link})
target_link_libraries(fwlaunch_drive_path_tests PRIVATE
  fwprobe_core fwlaunch_core fwlaunch_win32_ui fwlaunch_win32_system fwlaunch_win32_volume testing_files_win32 testing_drives_win32 gtest_main ${win32_system_libs})
add_dependencies(fwlaunch_drive_path_tests drive-sim-run)
add_test(NAME win32.drive_path
  COMMAND bash ${CMAKE_SOURCE_DIR}/tests/win32/drive_path/run.sh ${CMAKE_BINARY_DIR})
set_tests_properties(win32.drive_path PROPERTIES RESOURCE_LOCK wineserver)

add_test(NAME image.product COMMAND bash ${CMAKE_SOURCE_DIR}/tests/e2e/product_image.sh ${shipped_fwlaunch} ${CMAKE_SYSTEM_PROCESSOR})
# The release, which holds both Windows builds: reproducible, and signed when
# a certificate is given. Run once, from the x64 build, which make build
# builds after the 32-bit one beside it.
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "x86_64")
  set(FWLAUNCH_WIN32_BUILD ${CMAKE_BINARY_DIR}/../win32 CACHE PATH "The 32-bit Windows build whose programs the release packs")
  add_test(NAME release.reproducible
    COMMAND bash ${CMAKE_SOURCE_DIR}/tests/release/reproducible.sh ${FWLAUNCH_WIN32_BUILD} ${CMAKE_BINARY_DIR})
  add_test(NAME release.signing COMMAND bash ${CMAKE_SOURCE_DIR}/tests/release/signing.sh)
  set_tests_properties(release.signing PROPERTIES RESOURCE_LOCK desktop)
endif()
add_test(NAME image.probe COMMAND bash ${CMAKE_SOURCE_DIR}/tests/e2e/probe_image.sh ${shipped_fwprobe} ${CMAKE_SYSTEM_PROCESSOR})
# What the shipped programs compile: nothing of the tests or their support.
add_test(NAME layout.shipped_sources COMMAND bash ${CMAKE_SOURCE_DIR}/tests/layout/shipped_sources.sh ${shipped_dir})
add_test(NAME image.deploy COMMAND bash ${CMAKE_SOURCE_DIR}/tests/e2e/deploy_image.sh ${shipped_fwdeploy} ${CMAKE_SYSTEM_PROCESSOR})
