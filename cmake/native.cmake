# Native build: the core's unit tests and the benchmarks.
find_package(GTest REQUIRED)
find_package(Threads REQUIRED)
enable_testing()

# The file-system seam on POSIX: only the native tests and benchmarks use it.
add_library(tempiro_posix STATIC platform/file_system_posix.cpp)
target_link_libraries(tempiro_posix PUBLIC tempiro_core Threads::Threads)

add_executable(tempiro_tests
  tests/platform/registry_test.cpp
  tests/platform/dpi_test.cpp
  tests/store/options_test.cpp
  tests/store/task_store_test.cpp
  tests/store/autostart_test.cpp
  tests/store/settings_file_test.cpp
  tests/app/command_line_test.cpp
  tests/platform/text_files_test.cpp
  tests/platform/file_names_test.cpp
  tests/app/shell_texts_test.cpp
  tests/app/start_test.cpp
  tests/store/run_log_test.cpp
  tests/windows/reminder_model_test.cpp
  tests/actions/power_test.cpp
  tests/actions/network_test.cpp
  tests/actions/desktop_test.cpp
  tests/actions/junk_cleaner_test.cpp
  tests/actions/tray_commands_test.cpp
  tests/actions/backup_test.cpp
  tests/store/task_texts_test.cpp
  tests/store/next_run_test.cpp
  tests/store/calendar_test.cpp
  tests/scheduler/missed_runs_test.cpp
  tests/scheduler/scheduler_test.cpp
  tests/scheduler/year_test.cpp
  tests/windows/editor_model_test.cpp
  tests/windows/settings_model_test.cpp)
target_link_libraries(tempiro_tests PRIVATE tempiro_core tempiro_posix GTest::gtest_main)
include(GoogleTest)
gtest_discover_tests(tempiro_tests)
include(cmake/bench.cmake)

# The README names the installer of the version in VERSION.
add_test(NAME readme.names_the_version
  COMMAND grep -qF "Tempiro-Setup-${TEMPIRO_VERSION}.exe" ${CMAKE_SOURCE_DIR}/README.md)
