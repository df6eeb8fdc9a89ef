# MinGW-w64 build: Tempiro.exe, and the Win32 tests that run under Wine.
enable_language(RC)

add_library(tempiro_win32 STATIC
  platform/text_win32.cpp
  platform/registry_win32.cpp
  platform/system_win32.cpp
  platform/window_win32.cpp
  platform/clock_win32.cpp
  actions/reminder_win32.cpp
  actions/task_actions_win32.cpp)
target_link_libraries(tempiro_win32 PUBLIC tempiro_core)
target_compile_definitions(tempiro_win32 PUBLIC UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)

set(TEMPIRO_WIN32_LIBS comctl32 shell32 user32 gdi32 advapi32 winmm)
set(TEMPIRO_STATIC_RUNTIME -static -static-libgcc -static-libstdc++)

add_executable(Tempiro WIN32
  app/main.cpp
  app/main_window.cpp
  app/tray_icon_win32.cpp
  app/hotkeys_win32.cpp
  resources/tempiro.rc)
target_link_libraries(Tempiro PRIVATE tempiro_win32 ${TEMPIRO_WIN32_LIBS})
target_link_options(Tempiro PRIVATE -municode ${TEMPIRO_STATIC_RUNTIME} $<$<CONFIG:Release>:-s>)
set_target_properties(Tempiro PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})

option(TEMPIRO_WINE_TESTS "Build the Win32 tests that run under Wine" ON)
if(TEMPIRO_WINE_TESTS)
  include(cmake/wine_tests.cmake)
  include(cmake/bench.cmake)
endif()
