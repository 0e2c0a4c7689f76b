# The per-phase timeline on the fake platform; the e2e start-up test reads it from the real one.
murmurly_test(NAME trace_test RUNS_ON host
  SOURCES ${PROJECT_SOURCE_DIR}/tests/host/trace_test.cpp
  LIBS murmurly_hotkey murmurly_test_support)
