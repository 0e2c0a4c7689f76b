# Push-to-talk controller: host tests on the fake platform, the platform contract on both
# platforms, and the real hook under Wine.
set(hotkey_test_libs murmurly_hotkey murmurly_paste murmurly_test_support)

murmurly_test(NAME hotkey_test RUNS_ON host
  SOURCES
    ${PROJECT_SOURCE_DIR}/tests/host/hotkey_controller_test.cpp
    ${PROJECT_SOURCE_DIR}/tests/host/hotkey_hold_test.cpp
    ${PROJECT_SOURCE_DIR}/tests/host/hotkey_hook_thread_test.cpp
    ${PROJECT_SOURCE_DIR}/tests/host/hotkey_label_test.cpp
  LIBS ${hotkey_test_libs})

# One contract suite, run against the fake (host) and the real platform (Wine).
murmurly_test(NAME platform_contract_fake_test RUNS_ON host
  SOURCES
    ${PROJECT_SOURCE_DIR}/tests/contract/platform_contract_test.cpp
    ${PROJECT_SOURCE_DIR}/tests/host/fake_platform_harness.cpp
  LIBS murmurly_test_support)
if(WIN32)
  murmurly_test(NAME platform_contract_win32_test RUNS_ON win32 TIMEOUT 120
    SOURCES
      ${PROJECT_SOURCE_DIR}/tests/contract/platform_contract_test.cpp
      ${PROJECT_SOURCE_DIR}/tests/windows/win32_platform_harness.cpp
    LIBS murmurly_platform_win32)
endif()

if(WIN32)
  murmurly_test(NAME hotkey_hook_win32_test RUNS_ON win32 TIMEOUT 120
    SOURCES ${PROJECT_SOURCE_DIR}/tests/windows/hotkey_hook_test.cpp
    LIBS murmurly_hotkey murmurly_platform_win32)
endif()
