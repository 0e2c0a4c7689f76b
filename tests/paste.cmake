# Text insertion: host tests on the fake clipboard and keyboard in virtual time.
murmurly_test(NAME paste_test HOST_ONLY
  SOURCES ${PROJECT_SOURCE_DIR}/tests/host/paste_text_test.cpp
  LIBS murmurly_paste murmurly_overlay murmurly_hotkey murmurly_engine_client murmurly_test_support)
