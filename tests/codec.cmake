# The value model, the standard codec, method calls and results: the same sources on the host and
# under Wine, so the wire format is checked on both.
murmurly_test(NAME codec_test RUNS_ON host win32 TIMEOUT 120
  SOURCES
    ${PROJECT_SOURCE_DIR}/tests/host/codec_value_test.cpp
    ${PROJECT_SOURCE_DIR}/tests/host/codec_serializer_test.cpp
    ${PROJECT_SOURCE_DIR}/tests/host/codec_method_test.cpp
  LIBS murmurly_codec)
