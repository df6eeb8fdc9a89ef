# The Win32 tests: GoogleTest built with MinGW, run under Wine by ctest, each
# case in a throwaway prefix of its own (tests/wine/run_in_prefix.sh).
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
set_property(TARGET gtest gtest_main PROPERTY COMPILE_OPTIONS -w)

add_executable(tempiro_wine_tests
  tests/wine/driver.cpp
  tests/wine/program_driver.cpp
  tests/wine/startup_test.cpp
  tests/wine/reminder_test.cpp
  tests/wine/tick_test.cpp
  tests/wine/desktop_test.cpp
  tests/wine/countdown_test.cpp
  tests/wine/close_all_test.cpp
  tests/wine/menu_test.cpp)
target_link_libraries(tempiro_wine_tests PRIVATE tempiro_win32 gtest_main ${TEMPIRO_WIN32_LIBS})
target_link_options(tempiro_wine_tests PRIVATE ${TEMPIRO_STATIC_RUNTIME})
set_target_properties(tempiro_wine_tests PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)

# Does nothing until it is ended: the kill test ends copies of it.
add_executable(tempiro_idle_helper WIN32 tests/wine/idle_helper.cpp)
target_link_options(tempiro_idle_helper PRIVATE -municode ${TEMPIRO_STATIC_RUNTIME})
set_target_properties(tempiro_idle_helper PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
add_dependencies(tempiro_wine_tests tempiro_idle_helper)

# Opens windows of every kind the close-all sweep tells apart, for its test;
# found next to the test program.
add_executable(tempiro_window_helper WIN32 tests/wine/window_helper.cpp)
target_link_options(tempiro_window_helper PRIVATE -municode ${TEMPIRO_STATIC_RUNTIME})
set_target_properties(tempiro_window_helper PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
add_dependencies(tempiro_wine_tests tempiro_window_helper)

enable_testing()
set(TEMPIRO_WINE_RUNNER ${CMAKE_SOURCE_DIR}/tests/wine/run_in_prefix.sh)
set(TEMPIRO_WINE_TEMPLATE ${CMAKE_BINARY_DIR}/wine-template)

# name, locale, gtest filter[, the program under test: Tempiro.exe unless given]
function(tempiro_wine_test name locale filter)
  set(program $<TARGET_FILE:Tempiro>)
  if(ARGC GREATER 3)
    set(program ${ARGV3})
  endif()
  add_test(NAME wine.${name}.${locale}
    COMMAND bash ${TEMPIRO_WINE_RUNNER} ${TEMPIRO_WINE_TEMPLATE} ${locale} ${program}
            $<TARGET_FILE:tempiro_wine_tests> --gtest_filter=${filter})
  set_tests_properties(wine.${name}.${locale} PROPERTIES TIMEOUT 240)
endfunction()

foreach(locale zh_CN.UTF-8 en_US.UTF-8)
  tempiro_wine_test(FirstStart ${locale} Startup.FirstStart*)
  tempiro_wine_test(SecondStart ${locale} Startup.SecondStart*)
  tempiro_wine_test(Text ${locale} Text.*)
  tempiro_wine_test(OnceReminder ${locale} Tick.AOneOff*)
endforeach()
tempiro_wine_test(StoredOptions zh_CN.UTF-8 Startup.StoredOptions*)
tempiro_wine_test(TrayAndHotkeys zh_CN.UTF-8 Startup.TrayIcon*)
tempiro_wine_test(CtrlHotkeys zh_CN.UTF-8 Startup.CtrlHotkeys*)
tempiro_wine_test(Reminder zh_CN.UTF-8 Reminder.*)
tempiro_wine_test(TrayMenu zh_CN.UTF-8 Startup.TrayMenu*)
tempiro_wine_test(UnwritableStore zh_CN.UTF-8 Startup.AnUnwritableStore*)
tempiro_wine_test(Tick zh_CN.UTF-8 Tick.ADueDaily*)
tempiro_wine_test(MonitoringSwitch zh_CN.UTF-8 Tick.TheMonitoringSwitch*)
tempiro_wine_test(Desktop zh_CN.UTF-8 Desktop.*:-Desktop.TheShippedBatch*)
tempiro_wine_test(JunkBatch zh_CN.UTF-8 Desktop.TheShippedBatch*)
tempiro_wine_test(CloseAllPrograms zh_CN.UTF-8 CloseAllPrograms.*)
tempiro_wine_test(RealHangUp zh_CN.UTF-8 RealHangUp.*)
# Power tasks come due only in the recording flavour, one case to a prefix.
tempiro_wine_test(MenuEntries zh_CN.UTF-8 Menu.EveryEntry* $<TARGET_FILE:TempiroRecording>)
tempiro_wine_test(AboutBox zh_CN.UTF-8 Menu.EachAbout* $<TARGET_FILE:TempiroRecording>)
foreach(case ShutDown EscOn EnterOn HangUp)
  tempiro_wine_test(Recorded${case} zh_CN.UTF-8 Recorded.${case}* $<TARGET_FILE:TempiroRecording>)
endforeach()

# The soak (`make soak`, not part of the tests): the program for minutes on
# end with tasks due every minute, its handles, windows and memory sampled.
add_executable(tempiro_soak tests/wine/soak.cpp tests/wine/driver.cpp tests/wine/program_driver.cpp)
target_link_libraries(tempiro_soak PRIVATE tempiro_win32 gtest ${TEMPIRO_WIN32_LIBS} psapi)
target_link_options(tempiro_soak PRIVATE ${TEMPIRO_STATIC_RUNTIME})
set_target_properties(tempiro_soak PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
add_dependencies(tempiro_soak tempiro_idle_helper)
