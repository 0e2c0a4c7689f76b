# The permissions checks and the two method channels.
murmurly_test(NAME microphone_status_test RUNS_ON host win32
  SOURCES ${PROJECT_SOURCE_DIR}/tests/host/microphone_status_test.cpp
  LIBS murmurly_permission_checks murmurly_test_support)

murmurly_test(NAME permissions_wine_test RUNS_ON win32 TIMEOUT 60
  SOURCES ${PROJECT_SOURCE_DIR}/tests/windows/permissions_wine_test.cpp
  LIBS murmurly_permissions murmurly_platform_win32)

murmurly_test(NAME permissions_channel_test RUNS_ON host win32
  SOURCES ${PROJECT_SOURCE_DIR}/tests/host/permissions_channel_test.cpp
  LIBS murmurly_permissions murmurly_test_support)


murmurly_test(NAME hotkey_channel_test RUNS_ON host win32
  SOURCES ${PROJECT_SOURCE_DIR}/tests/host/hotkey_channel_test.cpp
  LIBS murmurly_hotkey_channel murmurly_test_support)
