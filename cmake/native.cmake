# The native build: the core over the simulated platform, for fast unit tests.
if(FWLAUNCH_FUZZ)
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all)
  add_link_options(-fsanitize=address,undefined)
elseif(FWLAUNCH_SANITIZE)
  set(sanitize_flags -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_compile_options(${sanitize_flags})
  add_link_options(${sanitize_flags})
endif()

set(catalogue_cpp ${CMAKE_BINARY_DIR}/generated/sim_catalogue_data.cpp)
add_custom_command(
  OUTPUT ${catalogue_cpp}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/generated
  COMMAND ${CMAKE_COMMAND} -DRC_FILE=${CMAKE_SOURCE_DIR}/messages/catalogue.rc -DOUT_FILE=${catalogue_cpp}
          -P ${CMAKE_SOURCE_DIR}/cmake/catalogue_to_cpp.cmake
  DEPENDS ${CMAKE_SOURCE_DIR}/messages/catalogue.rc ${CMAKE_SOURCE_DIR}/cmake/catalogue_to_cpp.cmake
  COMMENT "Generating the native message catalogue")

# Test support (testing/): the simulated drives and the drive-set file, and
# the simulated platform the native build links in place of platform/win32.
add_library(testing_drives OBJECT testing/drives/sim_drives.cpp testing/drives/drive_set.cpp)
add_library(testing_native_platform OBJECT testing/native/sim_system.cpp testing/native/sim_volumes.cpp ${catalogue_cpp})


if(FWLAUNCH_FUZZ)
  # libFuzzer targets over the same core and simulated platform.
  foreach(target identity send_cdb package drive_set run)
    add_executable(fuzz_${target} ${CMAKE_SOURCE_DIR}/tests/fuzz/fuzz_${target}.cpp)
    target_link_libraries(fuzz_${target} PRIVATE fwdeploy_core fwprobe_core fwlaunch_core testing_native_platform testing_drives)
    target_link_options(fuzz_${target} PRIVATE -fsanitize=fuzzer)
  endforeach()
  return()
endif()

file(GLOB native_test_sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/native/*_test.cpp)
# The lock's rule is the Windows side's; its decisions are tested here.
add_executable(fwlaunch_native_tests ${native_test_sources} ${CMAKE_SOURCE_DIR}/platform/update_lock_rule.cpp)
target_link_libraries(fwlaunch_native_tests PRIVATE
  fwdeploy_core fwprobe_core fwlaunch_core testing_native_platform testing_drives gtest_main)
target_include_directories(fwlaunch_native_tests PRIVATE ${CMAKE_BINARY_DIR}/generated)

# The scan's timing against its simulated drive time, for make bench.
add_executable(fwlaunch_scan_bench ${CMAKE_SOURCE_DIR}/tools/bench/scan_bench.cpp)
target_link_libraries(fwlaunch_scan_bench PRIVATE fwprobe_core fwlaunch_core testing_native_platform testing_drives)

# The sources in the style of .clang-format: once, in the plain build.
if(NOT FWLAUNCH_SANITIZE)
  add_test(NAME style.format COMMAND bash ${CMAKE_SOURCE_DIR}/tools/format.sh --check)
endif()

include(GoogleTest)
gtest_discover_tests(fwlaunch_native_tests DISCOVERY_TIMEOUT 60 NO_PRETTY_VALUES)
