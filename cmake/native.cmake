# Native build: the core's unit tests and the benchmarks.
find_package(GTest REQUIRED)
enable_testing()

add_executable(tempiro_tests
  tests/platform/registry_test.cpp
  tests/store/options_test.cpp
  tests/app/shell_texts_test.cpp
  tests/actions/reminder_test.cpp
  tests/actions/power_test.cpp
  tests/actions/network_test.cpp
  tests/actions/desktop_test.cpp
  tests/actions/tray_commands_test.cpp
  tests/store/task_record_test.cpp
  tests/scheduler/scheduler_test.cpp
  tests/scheduler/year_test.cpp
  tests/windows/editor_model_test.cpp
  tests/windows/settings_model_test.cpp)
target_link_libraries(tempiro_tests PRIVATE tempiro_core GTest::gtest_main)
include(GoogleTest)
gtest_discover_tests(tempiro_tests)
include(cmake/bench.cmake)
