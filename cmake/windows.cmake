# MinGW-w64 build: Tempiro.exe, and the Win32 tests that run under Wine.
enable_language(RC)

add_library(tempiro_win32 STATIC
  platform/text_win32.cpp
  platform/registry_win32.cpp
  platform/text_files_win32.cpp
  platform/system_win32.cpp
  platform/window_win32.cpp
  platform/clock_win32.cpp
  platform/system_calls_win32.cpp
  platform/controls_win32.cpp
  platform/file_system_win32.cpp
  platform/log_file_win32.cpp
  platform/logon_task_win32.cpp
  actions/junk_cleaner_win32.cpp
  windows/editor_window_win32.cpp
  windows/settings_window_win32.cpp
  windows/reminder_window_win32.cpp
  windows/about_box_win32.cpp)
target_link_libraries(tempiro_win32 PUBLIC tempiro_core)
target_compile_definitions(tempiro_win32 PUBLIC UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)

# KnownDLLs only (comctl32 comes through the manifest's side-by-side
# binding): any other DLL in the import table would be looked for in the
# exe's own folder first. winmm, rasapi32, wininet, powrprof and shcore are
# loaded from the system folder at run time (platform/system_win32.h).
set(TEMPIRO_WIN32_LIBS comctl32 comdlg32 shell32 ole32 oleaut32 user32 gdi32 advapi32)
set(TEMPIRO_STATIC_RUNTIME -static -static-libgcc -static-libstdc++)

set(TEMPIRO_APP_SOURCES
  app/main.cpp
  app/main_window.cpp
  windows/countdown_face_win32.cpp
  app/settings_command_win32.cpp
  app/tray_icon_win32.cpp
  app/instance_guard_win32.cpp
  app/hotkeys_win32.cpp
  resources/tempiro.rc)

# The resource file takes the version header and the manifest from the
# generated folder; windres is given no dependency list of its own.
file(GLOB TEMPIRO_ICONS ${CMAKE_SOURCE_DIR}/resources/*.ico)
set_source_files_properties(resources/tempiro.rc PROPERTIES OBJECT_DEPENDS
  "${TEMPIRO_GENERATED}/tempiro_version.h;${TEMPIRO_GENERATED}/tempiro.exe.manifest;${TEMPIRO_ICONS}")

# name, the file that makes the system calls, output folder
function(tempiro_program name calls folder)
  add_executable(${name} WIN32 ${TEMPIRO_APP_SOURCES} ${calls})
  target_include_directories(${name} PRIVATE ${TEMPIRO_GENERATED})
  target_link_libraries(${name} PRIVATE tempiro_win32 ${TEMPIRO_WIN32_LIBS})
  target_link_options(${name} PRIVATE -municode ${TEMPIRO_STATIC_RUNTIME} $<$<CONFIG:Release>:-s>)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${folder})
endfunction()

tempiro_program(Tempiro app/system_calls_real_win32.cpp ${CMAKE_BINARY_DIR})

# The companion files lie beside the program: the junk-cleaning batch, which
# ships as GBK with CRLF because cmd.exe reads batch files in the system's OEM
# code page, and the help file Tempiro.CHM, built from resources/help.
function(tempiro_companion_files folder)
  set(batch ${folder}/QLLJ.bat)
  set(help ${folder}/Tempiro.CHM)
  file(GLOB help_sources ${CMAKE_SOURCE_DIR}/resources/help/*)
  string(MD5 id ${folder})
  add_custom_command(OUTPUT ${help}
    COMMAND sh ${CMAKE_SOURCE_DIR}/cmake/make_help.sh ${CMAKE_SOURCE_DIR}/resources/help
            ${CMAKE_BINARY_DIR}/help-${id} ${help}
    DEPENDS ${help_sources} ${CMAKE_SOURCE_DIR}/cmake/make_help.sh VERBATIM)
  add_custom_command(OUTPUT ${batch}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${folder}
    COMMAND sh ${CMAKE_SOURCE_DIR}/cmake/gbk_crlf.sh ${CMAKE_SOURCE_DIR}/resources/QLLJ.bat ${batch}
    DEPENDS ${CMAKE_SOURCE_DIR}/resources/QLLJ.bat ${CMAKE_SOURCE_DIR}/cmake/gbk_crlf.sh VERBATIM)
  add_custom_target(companion_${id} ALL DEPENDS ${batch} ${help})
endfunction()
tempiro_companion_files(${CMAKE_BINARY_DIR})

option(TEMPIRO_WINE_TESTS "Build the Win32 tests that run under Wine" ON)
if(TEMPIRO_WINE_TESTS)
  # The same program with its power, dial-up, netsh and sound calls recorded
  # instead of made: what the Wine tests of those actions run.
  tempiro_program(TempiroRecording app/system_calls_recording_win32.cpp ${CMAKE_BINARY_DIR}/tests)
  tempiro_companion_files(${CMAKE_BINARY_DIR}/tests)
  include(cmake/wine_tests.cmake)
  include(cmake/bench.cmake)
endif()
