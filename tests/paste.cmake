# Text insertion: host tests on the fake clipboard and keyboard in virtual time.
murmurly_test(NAME paste_test RUNS_ON host
  SOURCES ${PROJECT_SOURCE_DIR}/tests/host/paste_test.cpp
  LIBS murmurly_paste murmurly_test_support)

if(WIN32)
  add_executable(clipboard_holder ${PROJECT_SOURCE_DIR}/tests/windows/clipboard_holder.cpp)
  murmurly_test(NAME paste_wine_test RUNS_ON win32 TIMEOUT 120
    SOURCES ${PROJECT_SOURCE_DIR}/tests/windows/paste_wine_test.cpp
    LIBS murmurly_paste murmurly_platform_win32 murmurly_test_foreground)
  add_dependencies(paste_wine_test clipboard_holder)
endif()

# The clipboard contract, on the fake and on the real clipboard.
murmurly_test(NAME clipboard_contract_fake_test RUNS_ON host
  SOURCES
    ${PROJECT_SOURCE_DIR}/tests/contract/clipboard_contract_test.cpp
    ${PROJECT_SOURCE_DIR}/tests/host/fake_platform_harness.cpp
  LIBS murmurly_test_support)
if(WIN32)
  murmurly_test(NAME clipboard_contract_win32_test RUNS_ON win32 TIMEOUT 60
    SOURCES
      ${PROJECT_SOURCE_DIR}/tests/contract/clipboard_contract_test.cpp
      ${PROJECT_SOURCE_DIR}/tests/windows/win32_platform_harness.cpp
    LIBS murmurly_platform_win32)
endif()
