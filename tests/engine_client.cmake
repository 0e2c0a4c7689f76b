# The engine client layer over a recording fake of the engine library (the host suites).
if("host" IN_LIST MURMURLY_BUILD_PLACES)
  add_library(murmurly_fake_engine STATIC ${PROJECT_SOURCE_DIR}/tests/support/fake_engine_api.cpp)
  target_include_directories(murmurly_fake_engine PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(murmurly_fake_engine PUBLIC murmurly_platform)
  set(engine_client_on_fake murmurly_engine_client murmurly_fake_engine)
  if(WIN32)
    # The Windows build's layer imports the functions from the engine library: the test gets
    # the same sources again, calling the fake linked into it.
    get_target_property(sources murmurly_engine_client SOURCES)
    list(TRANSFORM sources PREPEND ${PROJECT_SOURCE_DIR}/engine_client/)
    add_library(murmurly_engine_client_linked_fake STATIC ${sources})
    target_link_libraries(murmurly_engine_client_linked_fake PUBLIC murmurly_codec)
    target_compile_definitions(murmurly_fake_engine PUBLIC MURMURLY_ENGINE_LINKED_IN)
    target_compile_definitions(murmurly_engine_client_linked_fake PUBLIC MURMURLY_ENGINE_LINKED_IN)
    set(engine_client_on_fake murmurly_engine_client_linked_fake murmurly_fake_engine)
  endif()
endif()

murmurly_test(NAME engine_client_test RUNS_ON host
  SOURCES ${PROJECT_SOURCE_DIR}/tests/host/engine_client_test.cpp
  LIBS ${engine_client_on_fake})
