# The application itself: WideToUtf8 under Wine, and the bundle driven end to end over the
# Dart-peer link with real X key events.
if(NOT WIN32)
  return()
endif()

murmurly_test(NAME wide_to_utf8_test WINDOWS_ONLY TIMEOUT 60
  SOURCES ${PROJECT_SOURCE_DIR}/tests/windows/wide_to_utf8_test.cpp
          ${PROJECT_SOURCE_DIR}/shell/entrypoint_arguments.cpp
  LIBS shell32)

# Helpers of the e2e driver and the start-up benchmark.
add_executable(window_probe ${PROJECT_SOURCE_DIR}/tests/e2e/window_probe.cpp)
target_link_libraries(window_probe PRIVATE shell32 user32)
add_executable(minimal_window WIN32 ${PROJECT_SOURCE_DIR}/bench/minimal_window.cpp)
target_link_options(minimal_window PRIVATE -municode)
