# The application itself: WideToUtf8 under Wine, the installed bundle started and closed (Wine
# and Windows), and the bundle driven end to end over the Dart-peer link with real X key events.
if(NOT WIN32)
  return()
endif()

murmurly_test(NAME wide_to_utf8_test RUNS_ON win32 TIMEOUT 60
  SOURCES ${PROJECT_SOURCE_DIR}/tests/windows/wide_to_utf8_test.cpp
          ${PROJECT_SOURCE_DIR}/shell/entrypoint_arguments.cpp
  LIBS shell32)

if(NOT MURMURLY_BUNDLE_DIR)
  set(MURMURLY_BUNDLE_DIR ${PROJECT_SOURCE_DIR}/build/bundle)
endif()
# The install is a fixture, so the start test always meets this build's bundle, started from
# its own folder.
add_test(NAME bundle_install COMMAND ${CMAKE_COMMAND} --install ${CMAKE_BINARY_DIR}
  --config $<CONFIG> --prefix ${MURMURLY_BUNDLE_DIR})
set_tests_properties(bundle_install PROPERTIES FIXTURES_SETUP bundle_installed TIMEOUT 120)
murmurly_label_test(win32 bundle_install)
murmurly_test(NAME bundle_start_test RUNS_ON win32 TIMEOUT 120
  SOURCES ${PROJECT_SOURCE_DIR}/tests/windows/bundle_start_test.cpp
  LIBS user32)
set_tests_properties(bundle_start_test PROPERTIES WORKING_DIRECTORY ${MURMURLY_BUNDLE_DIR}
  FIXTURES_REQUIRED bundle_installed)

# Helpers of the e2e driver and the start-up benchmark.
add_executable(window_probe ${PROJECT_SOURCE_DIR}/tests/e2e/window_probe.cpp)
target_link_libraries(window_probe PRIVATE gdi32 shell32 user32 version)
add_executable(clipboard_actor ${PROJECT_SOURCE_DIR}/tests/e2e/clipboard_actor.cpp)
murmurly_wide_entry(clipboard_actor)
add_executable(minimal_window WIN32 ${PROJECT_SOURCE_DIR}/bench/minimal_window.cpp)
murmurly_wide_entry(minimal_window)
target_link_libraries(minimal_window PRIVATE murmurly_platform_win32)
murmurly_split_debug_info(minimal_window)

# The bundle driven end to end, with Linux's X tools. Each test builds nothing: the bundle
# target lays it out first (a CTest fixture, so `ctest -R e2e_` alone still runs against a fresh
# bundle).
if(TARGET bundle AND TARGET murmurly AND CMAKE_HOST_UNIX)
  add_test(NAME e2e_bundle COMMAND ${CMAKE_COMMAND} --build ${CMAKE_BINARY_DIR} --target bundle)
  set_tests_properties(e2e_bundle PROPERTIES FIXTURES_SETUP e2e_bundle TIMEOUT 600)
  murmurly_label_test(x11 e2e_bundle)
  foreach(name startup dictation paste hotkey)
    add_test(NAME e2e_${name}
      COMMAND ${PROJECT_SOURCE_DIR}/tools/xvfb-session /usr/bin/python3
              ${PROJECT_SOURCE_DIR}/tests/e2e/test_${name}.py
              --bundle ${MURMURLY_BUNDLE_DIR} --probe $<TARGET_FILE:window_probe>
              --actor $<TARGET_FILE:clipboard_actor>)
    set_tests_properties(e2e_${name} PROPERTIES TIMEOUT 300 RESOURCE_LOCK desktop
      FIXTURES_REQUIRED e2e_bundle)
    murmurly_label_test(x11 e2e_${name})
  endforeach()
  # The shell configured, built and installed as the windows/ folder of a Flutter app around
  # the prebuilt stand-in engine, then one dictation on that bundle.
  add_test(NAME e2e_flutter_app
    COMMAND ${PROJECT_SOURCE_DIR}/tools/xvfb-session /usr/bin/python3
            ${PROJECT_SOURCE_DIR}/tests/e2e/test_flutter_app.py
            --work ${CMAKE_BINARY_DIR}/flutter_app --toolchain ${CMAKE_TOOLCHAIN_FILE}
            --engine $<TARGET_FILE:flutter_windows>
            --import-library $<TARGET_LINKER_FILE:flutter_windows>
            --probe $<TARGET_FILE:window_probe>)
  set_tests_properties(e2e_flutter_app PROPERTIES TIMEOUT 1800 RESOURCE_LOCK desktop)
  murmurly_label_test(x11 e2e_flutter_app)
endif()

# The top-level window base alone, over the stand-in engine's DPI answer.
murmurly_test(NAME win32_window_test RUNS_ON win32 TIMEOUT 60
  SOURCES ${PROJECT_SOURCE_DIR}/tests/windows/win32_window_test.cpp
          ${PROJECT_SOURCE_DIR}/shell/win32_window.cpp
  LIBS flutter_windows dwmapi advapi32 user32)
# Wine finds the engine library beside the test.
add_custom_command(TARGET win32_window_test POST_BUILD
  COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:flutter_windows>
          $<TARGET_FILE_DIR:win32_window_test>)

# The engine host window over the stand-in engine and plugins, which sit beside the tests.
murmurly_test(NAME flutter_window_test RUNS_ON win32 TIMEOUT 60
  SOURCES ${PROJECT_SOURCE_DIR}/tests/windows/flutter_window_test.cpp
  LIBS murmurly_shell)
