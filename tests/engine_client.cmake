# The engine client layer over a recording fake of the engine library (host).
if(NOT WIN32)
  add_library(murmurly_fake_engine STATIC ${PROJECT_SOURCE_DIR}/tests/support/fake_engine_api.cpp)
  target_include_directories(murmurly_fake_engine PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(murmurly_fake_engine PUBLIC murmurly_platform)
endif()

murmurly_test(NAME engine_client_test RUNS_ON host
  SOURCES ${PROJECT_SOURCE_DIR}/tests/host/engine_client_test.cpp
  LIBS murmurly_engine_client murmurly_fake_engine)
