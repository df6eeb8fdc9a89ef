# The Win32 tests: GoogleTest built with MinGW, run under Wine by ctest, each
# case in a throwaway prefix of its own (tests/wine/run_in_prefix.sh).
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
set(TEMPIRO_GOOGLETEST_DIR /usr/src/googletest CACHE PATH "The GoogleTest sources (Debian's googletest)")
add_subdirectory(${TEMPIRO_GOOGLETEST_DIR}/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
set_property(TARGET gtest gtest_main PROPERTY COMPILE_OPTIONS -w)

add_executable(tempiro_wine_tests
  tests/wine/driver.cpp
  tests/wine/program_driver.cpp
  tests/wine/startup_test.cpp
  tests/wine/reminder_test.cpp
  tests/wine/window_test.cpp
  tests/wine/tick_test.cpp
  tests/wine/desktop_test.cpp
  tests/wine/countdown_test.cpp
  tests/wine/close_all_test.cpp
  tests/wine/menu_test.cpp
  tests/wine/backup_test.cpp
  tests/wine/settings_test.cpp
  tests/wine/screens_test.cpp
  tests/wine/export_import_test.cpp
  tests/wine/dpi_test.cpp
  tests/wine/installer_test.cpp
  tests/wine/keep_word_test.cpp
  tests/wine/run_log_test.cpp
  tests/wine/command_line_test.cpp
  tests/wine/sleep_test.cpp
  tests/wine/store_kill_test.cpp)
target_link_libraries(tempiro_wine_tests PRIVATE tempiro_win32 gtest_main ${TEMPIRO_WIN32_LIBS} version uuid)
target_include_directories(tempiro_wine_tests PRIVATE ${TEMPIRO_GENERATED})
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

# name, locale, gtest filter[, the program under test: Tempiro.exe unless given];
# wine.EveryCaseHasAnEntry below checks the filters against the cases.
function(tempiro_wine_test name locale filter)
  set(program $<TARGET_FILE:Tempiro>)
  if(ARGC GREATER 3)
    set(program ${ARGV3})
  endif()
  add_test(NAME wine.${name}.${locale}
    COMMAND bash ${TEMPIRO_WINE_RUNNER} ${TEMPIRO_WINE_TEMPLATE} ${locale} ${program}
            $<TARGET_FILE:tempiro_wine_tests> --gtest_filter=${filter})
  set_tests_properties(wine.${name}.${locale} PROPERTIES TIMEOUT 240)
  set_property(GLOBAL APPEND PROPERTY TEMPIRO_WINE_ENTRIES "wine.${name}=${filter}")
endfunction()

foreach(locale zh_CN.UTF-8 en_US.UTF-8)
  tempiro_wine_test(FirstStart ${locale} Startup.FirstStart*)
  tempiro_wine_test(SecondStart ${locale} Startup.SecondStart*)
  tempiro_wine_test(Text ${locale} Text.*)
  tempiro_wine_test(OnceReminder ${locale} Tick.AOneOff*)
  tempiro_wine_test(Backup ${locale} Backup.*)
endforeach()
tempiro_wine_test(StrayKeys zh_CN.UTF-8 KeepWord.EscAndEnter*)
tempiro_wine_test(WrongTypes zh_CN.UTF-8 KeepWord.ACountdownAnd*)
tempiro_wine_test(BackupTask zh_CN.UTF-8 BackupTask.*)
tempiro_wine_test(BackupSummerTime zh_CN.UTF-8 BackupSummerTime.*)
set_tests_properties(wine.BackupSummerTime.zh_CN.UTF-8 PROPERTIES ENVIRONMENT "TZ=Europe/Berlin")
tempiro_wine_test(StoredOptions zh_CN.UTF-8 Startup.StoredOptions*)
tempiro_wine_test(TrayAndHotkeys zh_CN.UTF-8 Startup.TrayIcon*)
tempiro_wine_test(CtrlHotkeys zh_CN.UTF-8 Startup.CtrlHotkeys*)
tempiro_wine_test(Reminder zh_CN.UTF-8 Reminder.*)
tempiro_wine_test(WindowBase zh_CN.UTF-8 Window.*)
tempiro_wine_test(TrayMenu zh_CN.UTF-8 Startup.TrayMenu*)
tempiro_wine_test(UnwritableStore zh_CN.UTF-8 Startup.AnUnwritableStore*)
tempiro_wine_test(Tick zh_CN.UTF-8 Tick.ADueDaily*)
tempiro_wine_test(MonitoringSwitch zh_CN.UTF-8 Tick.TheMonitoringSwitch*)
tempiro_wine_test(Desktop zh_CN.UTF-8 Desktop.*:-Desktop.TheShippedBatch*:Desktop.TheTrayEntry*)
tempiro_wine_test(JunkBatch zh_CN.UTF-8 Desktop.TheShippedBatch*)
tempiro_wine_test(JunkFromAFolderGbkCannotName en_US.UTF-8 Desktop.TheTrayEntry*)
tempiro_wine_test(FileDialogs zh_CN.UTF-8 FileDialogs.*)
tempiro_wine_test(CloseAllPrograms zh_CN.UTF-8 CloseAllPrograms.*)
tempiro_wine_test(RealHangUp zh_CN.UTF-8 RealHangUp.*)
# The settings window and the task editor; export and import through the
# real file dialogs. The cases of each share a prefix, each starting from a
# fresh state (driver::FreshPrefix).
tempiro_wine_test(Settings zh_CN.UTF-8 Settings.*)
tempiro_wine_test(ExportImport zh_CN.UTF-8 ExportImport.*)
# "/import" and "/export": alone, and with the import handed to the running copy.
tempiro_wine_test(CommandLineAlone zh_CN.UTF-8 CommandLine.WithNoCopy*)
tempiro_wine_test(CommandLineHandOver zh_CN.UTF-8 CommandLine.AnImportHanded*)
tempiro_wine_test(StoreKill zh_CN.UTF-8 StoreKill.*)
tempiro_wine_test(CommandLineImpostor zh_CN.UTF-8 CommandLine.AWindowOfTheClassInAnotherProgramGets*)
tempiro_wine_test(CommandLineImpostorFirst zh_CN.UTF-8 CommandLine.AWindowOfTheClassInAnotherProgramStands*)
tempiro_wine_test(SettingsHoldTheTick zh_CN.UTF-8 SettingsTick.Rests*)
tempiro_wine_test(SettingsKeepTheSwitch zh_CN.UTF-8 SettingsTick.Closing*)
# Power tasks come due only in the recording flavour. The Recorded cases
# share a prefix, each starting from a fresh state.
tempiro_wine_test(MenuEntries zh_CN.UTF-8 Menu.EveryEntry* $<TARGET_FILE:TempiroRecording>)
tempiro_wine_test(AboutBox zh_CN.UTF-8 Menu.EachAbout* $<TARGET_FILE:TempiroRecording>)
tempiro_wine_test(Recorded zh_CN.UTF-8 Recorded.* $<TARGET_FILE:TempiroRecording>)
set_tests_properties(wine.Recorded.zh_CN.UTF-8 PROPERTIES TIMEOUT 480)
# The run log, in the recording flavour, which opens it in no editor.
tempiro_wine_test(RunLog zh_CN.UTF-8 RunLog.* $<TARGET_FILE:TempiroRecording>)

# The windows at 100 % and 150 %: the prefix's LogPixels is set before the
# program starts. Each leaves a picture of the settings window and the task
# editor in <build>/win64/screenshots, which `make screenshots` takes to PNG.
string(REPLACE "/" "\\" TEMPIRO_SCREENSHOTS_WINDOWS "Z:${CMAKE_BINARY_DIR}/screenshots")
foreach(scale 96 144)
  tempiro_wine_test(Dpi${scale} zh_CN.UTF-8 DpiTest.*)
  set_tests_properties(wine.Dpi${scale}.zh_CN.UTF-8 PROPERTIES
    ENVIRONMENT "TEMPIRO_WINE_DPI=${scale};TEMPIRO_SCREENSHOTS=${TEMPIRO_SCREENSHOTS_WINDOWS}")
endforeach()

# The installer, built from installer/tempiro.nsi by the fixture below as a
# 64-bit installer (the prefixes run 64-bit programs only) of this version,
# and of an older one; each case runs it in a prefix of its own.
cmake_path(GET CMAKE_BINARY_DIR PARENT_PATH builds)
set(TEMPIRO_WIN32_DIR ${builds}/win32 CACHE PATH
    "The 32-bit build, whose Tempiro.exe the installer packs beside this build's")
set(TEMPIRO_TEST_INSTALLERS ${CMAKE_BINARY_DIR}/installer-test)
add_test(NAME installer.build
  COMMAND bash ${CMAKE_SOURCE_DIR}/tests/wine/build_test_installers.sh ${CMAKE_BINARY_DIR} ${TEMPIRO_WIN32_DIR}
          ${TEMPIRO_TEST_INSTALLERS} ${TEMPIRO_VERSION})
set_tests_properties(installer.build PROPERTIES FIXTURES_SETUP installers)
foreach(case SilentInstallAndUninstall OverARunningOlderCopy UninstallKeeps Wizard UninstallAsks GivesItsFolder
             SilentInstallImports)
  tempiro_wine_test(Installer${case} zh_CN.UTF-8 Installer.${case}* ${TEMPIRO_TEST_INSTALLERS}/Tempiro-Setup-test.exe)
  set_tests_properties(wine.Installer${case}.zh_CN.UTF-8 PROPERTIES FIXTURES_REQUIRED installers)
endforeach()

# The entries that wait longest, with their seconds as last measured:
# `ctest -j2` starts them first and fills the other slot around them. The two
# longest wait for real minutes, and get room to do so on a loaded machine.
foreach(entry Recorded:170 BackupTask:130 RunLog:50 StrayKeys:35 SettingsKeepTheSwitch:17 Tick:17
              UnwritableStore:16 MonitoringSwitch:16 SettingsHoldTheTick:16 Settings:16)
  string(REPLACE ":" ";" entry ${entry})
  list(GET entry 0 name)
  list(GET entry 1 seconds)
  set_tests_properties(wine.${name}.zh_CN.UTF-8 PROPERTIES COST ${seconds})
endforeach()
set_tests_properties(wine.BackupTask.zh_CN.UTF-8 PROPERTIES TIMEOUT 480)

# Every case the test program lists is run by an entry above, and every
# entry's filter finds a case; the Screens cases take the pictures of
# `make screenshots` (tests/wine/screenshots.sh) instead.
get_property(entries GLOBAL PROPERTY TEMPIRO_WINE_ENTRIES)
list(REMOVE_DUPLICATES entries)
add_test(NAME wine.EveryCaseHasAnEntry
  COMMAND python3 ${CMAKE_SOURCE_DIR}/tests/wine/check_entries.py ${entries} screenshots.sh=Screens.* --
          bash ${TEMPIRO_WINE_RUNNER} ${TEMPIRO_WINE_TEMPLATE} en_US.UTF-8 $<TARGET_FILE:Tempiro>
          $<TARGET_FILE:tempiro_wine_tests> --gtest_list_tests)
set_tests_properties(wine.EveryCaseHasAnEntry PROPERTIES TIMEOUT 240)

# The soak (`make soak`, not part of the tests): the program for minutes on
# end with tasks due every minute, its handles, windows and memory sampled.
add_executable(tempiro_soak tests/wine/soak.cpp tests/wine/driver.cpp tests/wine/program_driver.cpp)
target_link_libraries(tempiro_soak PRIVATE tempiro_win32 gtest ${TEMPIRO_WIN32_LIBS} psapi)
target_link_options(tempiro_soak PRIVATE ${TEMPIRO_STATIC_RUNTIME})
set_target_properties(tempiro_soak PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
add_dependencies(tempiro_soak tempiro_idle_helper)

# The DLLs both builds import: KnownDLLs only.
add_test(NAME imports.known_dlls_only
  COMMAND sh ${CMAKE_SOURCE_DIR}/tests/wine/check_imports.sh
          x86_64-w64-mingw32-objdump $<TARGET_FILE:Tempiro> x86_64-w64-mingw32-objdump $<TARGET_FILE:TempiroRecording>
          i686-w64-mingw32-objdump ${CMAKE_SOURCE_DIR}/build/win32/Tempiro.exe)
set_tests_properties(imports.known_dlls_only PROPERTIES SKIP_RETURN_CODE 77)
