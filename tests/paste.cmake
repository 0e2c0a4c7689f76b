# Text insertion: host tests on the fake clipboard and keyboard in virtual time.
murmurly_test(NAME paste_test HOST_ONLY
  SOURCES ${PROJECT_SOURCE_DIR}/tests/host/paste_text_test.cpp
  LIBS murmurly_paste murmurly_overlay murmurly_hotkey murmurly_engine_client murmurly_test_support)

if(WIN32)
  add_executable(clipboard_holder ${PROJECT_SOURCE_DIR}/tests/windows/clipboard_holder.cpp)
  murmurly_test(NAME paste_wine_test WINDOWS_ONLY TIMEOUT 120
    SOURCES ${PROJECT_SOURCE_DIR}/tests/windows/paste_wine_test.cpp
    LIBS murmurly_paste murmurly_overlay murmurly_hotkey murmurly_engine_client
      murmurly_platform_win32)
  add_dependencies(paste_wine_test clipboard_holder)
endif()
