# The fake platform and other test doubles, linked by the tests of every area (host and windows).
add_library(murmurly_test_support STATIC
  ${PROJECT_SOURCE_DIR}/tests/support/fake_clipboard.cpp
  ${PROJECT_SOURCE_DIR}/tests/support/fake_gdi.cpp
  ${PROJECT_SOURCE_DIR}/tests/support/fake_hook_thread.cpp
  ${PROJECT_SOURCE_DIR}/tests/support/fake_keyboard.cpp
  ${PROJECT_SOURCE_DIR}/tests/support/fake_layout.cpp
  ${PROJECT_SOURCE_DIR}/tests/support/fake_media_foundation.cpp
  ${PROJECT_SOURCE_DIR}/tests/support/fake_platform.cpp
  ${PROJECT_SOURCE_DIR}/tests/support/fake_timers.cpp
  ${PROJECT_SOURCE_DIR}/tests/support/fake_window_system.cpp)
target_include_directories(murmurly_test_support PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(murmurly_test_support PUBLIC murmurly_platform)

# Windows tests that need a window in the foreground take it through one helper.
if(WIN32)
  add_library(murmurly_test_foreground STATIC ${PROJECT_SOURCE_DIR}/tests/support/foreground.cpp)
  target_include_directories(murmurly_test_foreground PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(murmurly_test_foreground PUBLIC GTest::gtest user32)
endif()
