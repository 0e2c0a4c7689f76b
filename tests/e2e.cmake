# The application itself: WideToUtf8 under Wine, and the bundle driven end to end over the
# Dart-peer link with real X key events.
if(NOT WIN32)
  return()
endif()

murmurly_test(NAME wide_to_utf8_test WINDOWS_ONLY TIMEOUT 60
  SOURCES ${PROJECT_SOURCE_DIR}/tests/windows/wide_to_utf8_test.cpp
          ${PROJECT_SOURCE_DIR}/shell/entrypoint_arguments.cpp
  LIBS shell32)
