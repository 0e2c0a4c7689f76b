# Overlay texts and the two overlays: host tests on the fake platform; under Wine, the real
# conversion and the real windows read back from the screen.
murmurly_test(NAME overlay_test RUNS_ON host
  SOURCES
    ${PROJECT_SOURCE_DIR}/tests/host/hint_overlay_test.cpp
    ${PROJECT_SOURCE_DIR}/tests/host/overlay_texts_test.cpp
    ${PROJECT_SOURCE_DIR}/tests/host/recording_overlay_test.cpp
    ${PROJECT_SOURCE_DIR}/tests/host/transcript_caption_test.cpp
  LIBS murmurly_hotkey murmurly_test_support)

if(WIN32)
  murmurly_test(NAME overlay_wine_test RUNS_ON win32 TIMEOUT 120
    SOURCES ${PROJECT_SOURCE_DIR}/tests/windows/overlay_wine_test.cpp
    LIBS murmurly_hotkey murmurly_platform_win32 murmurly_test_foreground)
endif()
