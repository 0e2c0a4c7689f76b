# The helper scripts: tests never borrow an existing X display.
if(NOT WIN32)
  add_test(NAME xvfb_session_test COMMAND ${PROJECT_SOURCE_DIR}/tests/tools/xvfb_session_test.sh)
  set_tests_properties(xvfb_session_test PROPERTIES TIMEOUT 60)
  murmurly_label_test(x11 xvfb_session_test)
endif()
