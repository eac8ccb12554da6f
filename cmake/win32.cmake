# The Windows build: the product, the simulated-drive variant and the tests
# that run under Wine.
set(static_link -static -static-libgcc -static-libstdc++)

add_library(fwlaunch_win32_system OBJECT
  platform/win32/process.cpp
  platform/win32/console.cpp
  platform/win32/resources.cpp
  platform/win32/directory.cpp
  platform/win32/text.cpp)
add_library(fwlaunch_win32_volume OBJECT platform/win32/volume.cpp)
set(win32_system_libs shell32 user32)

add_executable(fwlaunch app/main.cpp app/fwlaunch.rc)
target_compile_options(fwlaunch PRIVATE -municode)
target_link_options(fwlaunch PRIVATE -municode -s ${static_link})
target_link_libraries(fwlaunch PRIVATE fwlaunch_core fwlaunch_win32_system fwlaunch_win32_volume ${win32_system_libs})

# Windows tests: one program, run once per user interface language.
file(GLOB win32_test_sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/win32/*_test.cpp)
add_executable(fwlaunch_win32_tests ${win32_test_sources} app/fwlaunch.rc)
target_link_options(fwlaunch_win32_tests PRIVATE ${static_link})
target_link_libraries(fwlaunch_win32_tests PRIVATE
  fwlaunch_core fwlaunch_win32_system fwlaunch_win32_volume gtest_main ${win32_system_libs})

add_test(NAME win32.english COMMAND fwlaunch_win32_tests --gtest_filter=-Japanese*)
set_tests_properties(win32.english PROPERTIES ENVIRONMENT "LC_ALL=C")
add_test(NAME win32.japanese COMMAND fwlaunch_win32_tests --gtest_filter=Japanese*)
set_tests_properties(win32.japanese PROPERTIES ENVIRONMENT "LC_ALL=ja_JP.UTF-8")

add_test(NAME e2e.console_check
  COMMAND bash ${CMAKE_SOURCE_DIR}/tests/e2e/console_check.sh $<TARGET_FILE:fwlaunch>)
