# The text helpers, alone: they need no platform.
murmurly_test(NAME text_test RUNS_ON host
  SOURCES ${PROJECT_SOURCE_DIR}/tests/host/text_test.cpp
  LIBS murmurly_text)
