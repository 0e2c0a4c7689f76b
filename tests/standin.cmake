# The stand-in engine under Wine: the engine client over its demo Dart side, and its Dart-peer
# link driven by a test that plays the peer.
if(WIN32)
  murmurly_test(NAME standin_demo_test RUNS_ON win32 TIMEOUT 120
    SOURCES ${PROJECT_SOURCE_DIR}/tests/windows/standin_demo_test.cpp
    LIBS murmurly_engine_client user32)
  murmurly_test(NAME standin_peer_test RUNS_ON win32 TIMEOUT 120
    SOURCES ${PROJECT_SOURCE_DIR}/tests/windows/standin_peer_test.cpp
            ${PROJECT_SOURCE_DIR}/standin/engine/peer_frames.cpp
            ${PROJECT_SOURCE_DIR}/standin/engine/task_queue.cpp
    LIBS murmurly_plugins murmurly_engine_client ws2_32 user32)
endif()
if(TARGET standin_peer_test)
  # Keeps <windows.h> from pulling in the old winsock ahead of winsock2.
  target_compile_definitions(standin_peer_test PRIVATE WIN32_LEAN_AND_MEAN)
  target_compile_definitions(standin_demo_test PRIVATE WIN32_LEAN_AND_MEAN)
endif()
