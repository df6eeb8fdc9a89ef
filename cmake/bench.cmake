# The scheduler tick benchmark, one source for both builds: natively against
# the in-memory registry, and from the MinGW build against the real registry
# under Wine; the settings import benchmark, natively only; and the settings
# window and import benchmark, under Wine only. `make bench` runs them all;
# none is part of the tests.
set(TEMPIRO_BENCH_SOURCES bench/tick_bench.cpp bench/stopwatch.cpp)
# The stopwatch has no text of its own; see bench/stopwatch.h for why it is not GBK.
set_source_files_properties(bench/stopwatch.cpp PROPERTIES COMPILE_OPTIONS -fexec-charset=UTF-8)

if(WIN32)
  add_executable(tempiro_wine_bench ${TEMPIRO_BENCH_SOURCES})
  target_link_libraries(tempiro_wine_bench PRIVATE tempiro_win32 ${TEMPIRO_WIN32_LIBS})
  target_link_options(tempiro_wine_bench PRIVATE ${TEMPIRO_STATIC_RUNTIME})
  set_target_properties(tempiro_wine_bench PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
  add_executable(tempiro_wine_settings_bench bench/settings_bench.cpp bench/stopwatch.cpp)
  target_link_libraries(tempiro_wine_settings_bench PRIVATE tempiro_win32 ${TEMPIRO_WIN32_LIBS})
  target_link_options(tempiro_wine_settings_bench PRIVATE ${TEMPIRO_STATIC_RUNTIME})
  set_target_properties(tempiro_wine_settings_bench PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
else()
  add_executable(tempiro_bench ${TEMPIRO_BENCH_SOURCES})
  target_link_libraries(tempiro_bench PRIVATE tempiro_core)
  set_target_properties(tempiro_bench PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
  # The backup engine on a tree of small files beside rsync -a and cp -a.
  add_executable(tempiro_backup_bench bench/backup_bench.cpp bench/stopwatch.cpp)
  target_link_libraries(tempiro_backup_bench PRIVATE tempiro_posix)
  set_target_properties(tempiro_backup_bench PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
  add_executable(tempiro_import_bench bench/import_bench.cpp bench/stopwatch.cpp)
  target_link_libraries(tempiro_import_bench PRIVATE tempiro_core)
  set_target_properties(tempiro_import_bench PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
endif()
