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
target_link_libraries(window_probe PRIVATE shell32 user32 version)
add_executable(minimal_window WIN32 ${PROJECT_SOURCE_DIR}/bench/minimal_window.cpp)
target_link_options(minimal_window PRIVATE -municode)
target_link_libraries(minimal_window PRIVATE murmurly_platform_win32)
murmurly_split_debug_info(minimal_window)

# The bundle driven end to end. Each test builds nothing: the bundle target lays it out first
# (a CTest fixture, so `ctest -R e2e_` alone still runs against a fresh bundle).
if(TARGET bundle AND TARGET murmurly)
  if(NOT MURMURLY_BUNDLE_DIR)
    set(MURMURLY_BUNDLE_DIR ${PROJECT_SOURCE_DIR}/build/bundle)
  endif()
  add_test(NAME e2e_bundle COMMAND ${CMAKE_COMMAND} --build ${CMAKE_BINARY_DIR} --target bundle)
  set_tests_properties(e2e_bundle PROPERTIES FIXTURES_SETUP e2e_bundle TIMEOUT 600)
  foreach(name startup dictation)
    add_test(NAME e2e_${name}
      COMMAND ${PROJECT_SOURCE_DIR}/tools/xvfb-session /usr/bin/python3
              ${PROJECT_SOURCE_DIR}/tests/e2e/test_${name}.py
              --bundle ${MURMURLY_BUNDLE_DIR} --probe $<TARGET_FILE:window_probe>)
    set_tests_properties(e2e_${name} PROPERTIES TIMEOUT 120 RESOURCE_LOCK desktop
      FIXTURES_REQUIRED e2e_bundle)
  endforeach()
endif()

# The top-level window base alone, over the stand-in engine's DPI answer.
murmurly_test(NAME win32_window_test WINDOWS_ONLY TIMEOUT 60
  SOURCES ${PROJECT_SOURCE_DIR}/tests/windows/win32_window_test.cpp
          ${PROJECT_SOURCE_DIR}/shell/win32_window.cpp
  LIBS flutter_windows dwmapi advapi32 user32)
# Wine finds the engine library beside the test.
add_custom_command(TARGET win32_window_test POST_BUILD
  COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:flutter_windows>
          $<TARGET_FILE_DIR:win32_window_test>)
