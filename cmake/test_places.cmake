# Where each test can run, as its CTest label: a runner picks its tests by label
# (`ctest -L win32` on a Windows machine), so every test carries exactly one of these.
#   host   portable logic on the fake platform, needing nothing outside the process: the host
#          build, and a Windows build made on Windows (MSVC), which runs them natively
#   win32  a Windows build on real Win32 without X11: under Wine here, natively on Windows
#   x11    needs an X server with XTEST (Xvfb, xdotool): Linux only
set(MURMURLY_TEST_PLACES host win32 x11)

# The portable suites in a Windows build: on by default where the build runs what it makes (on
# Windows, MSVC), so they meet that compiler and its standard library; the windows-clang cross
# build turns it on to compile them for Windows, pedantic, warnings as errors, before MSVC does.
if(WIN32 AND NOT CMAKE_CROSSCOMPILING)
  set(murmurly_host_suites_default ON)
else()
  set(murmurly_host_suites_default OFF)
endif()
option(MURMURLY_HOST_SUITES "Windows builds: the portable host suites too (label host)"
  ${murmurly_host_suites_default})

# The places whose tests this build registers.
if(NOT WIN32)
  set(MURMURLY_BUILD_PLACES host)
elseif(MURMURLY_HOST_SUITES)
  set(MURMURLY_BUILD_PLACES win32 host)
else()
  set(MURMURLY_BUILD_PLACES win32)
endif()

# murmurly_label_test(<place> <test>...): the place of tests registered with add_test.
function(murmurly_label_test place)
  if(NOT place IN_LIST MURMURLY_TEST_PLACES)
    message(FATAL_ERROR "murmurly_label_test: '${place}' is not one of ${MURMURLY_TEST_PLACES}")
  endif()
  set_property(TEST ${ARGN} APPEND PROPERTY LABELS ${place})
  # A test's labels can only be read in its own folder (before CMake 3.28), so each folder that
  # labels a test checks all of its tests when it ends, those added with plain add_test too.
  get_property(checked DIRECTORY PROPERTY MURMURLY_TEST_PLACES_CHECKED)
  if(NOT checked)
    set_property(DIRECTORY PROPERTY MURMURLY_TEST_PLACES_CHECKED ON)
    cmake_language(DEFER CALL murmurly_check_folder_test_places)
  endif()
endfunction()

# murmurly_test(NAME <name> RUNS_ON <host|win32>... SOURCES <files...> [LIBS <targets...>]
#               [TIMEOUT <s>])
# A GoogleTest executable registered as one CTest test in each build RUNS_ON names: the host
# build (label host), a Windows build (label win32; under the MinGW build CTest runs it through
# tools/wine-run, the cross-compiling emulator). A Windows build with the host suites registers
# a host-only one too, labelled host; one that runs on both is labelled win32 there.
function(murmurly_test)
  cmake_parse_arguments(T "" "NAME;TIMEOUT" "RUNS_ON;SOURCES;LIBS" ${ARGN})
  if(T_UNPARSED_ARGUMENTS OR NOT T_RUNS_ON)
    message(FATAL_ERROR "murmurly_test(${T_NAME}): say where it runs with RUNS_ON host and/or "
      "win32 (unexpected: ${T_UNPARSED_ARGUMENTS})")
  endif()
  foreach(place ${T_RUNS_ON})
    if(NOT place MATCHES "^(host|win32)$")
      message(FATAL_ERROR "murmurly_test(${T_NAME}): RUNS_ON takes host and win32, not ${place}")
    endif()
  endforeach()
  set(place "")
  foreach(candidate ${MURMURLY_BUILD_PLACES})
    if(NOT place AND candidate IN_LIST T_RUNS_ON)
      set(place ${candidate})
    endif()
  endforeach()
  if(NOT place)
    return()
  endif()
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} GTest::gmock GTest::gtest_main)
  target_include_directories(${T_NAME} PRIVATE ${PROJECT_SOURCE_DIR})
  murmurly_split_debug_info(${T_NAME})
  add_test(NAME ${T_NAME} COMMAND ${T_NAME} WORKING_DIRECTORY $<TARGET_FILE_DIR:${T_NAME}>)
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  set_tests_properties(${T_NAME} PROPERTIES TIMEOUT ${T_TIMEOUT})
  murmurly_label_test(${place} ${T_NAME})
  if(place STREQUAL "win32")
    # Tests under Wine share one desktop, keyboard and clipboard.
    set_tests_properties(${T_NAME} PROPERTIES RESOURCE_LOCK desktop)
  endif()
endfunction()

# Deferred to the end of each folder that labels a test: all of its tests, one place each.
function(murmurly_check_folder_test_places)
  get_property(tests DIRECTORY PROPERTY TESTS)
  set(wrong "")
  foreach(test ${tests})
    get_property(labels TEST ${test} PROPERTY LABELS)
    set(count 0)
    foreach(label ${labels})
      if(label IN_LIST MURMURLY_TEST_PLACES)
        math(EXPR count "${count} + 1")
      endif()
    endforeach()
    if(NOT count EQUAL 1)
      list(APPEND wrong "${test} (labels: ${labels})")
    endif()
  endforeach()
  murmurly_fail_on_unplaced_tests("${wrong}")
endfunction()

# The top folder's last word: a folder with tests that never labelled one was never checked.
function(murmurly_check_test_places)
  set(dirs ${CMAKE_CURRENT_SOURCE_DIR})
  set(wrong "")
  while(dirs)
    list(POP_FRONT dirs dir)
    get_property(subdirs DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
    list(APPEND dirs ${subdirs})
    get_property(checked DIRECTORY ${dir} PROPERTY MURMURLY_TEST_PLACES_CHECKED)
    get_property(tests DIRECTORY ${dir} PROPERTY TESTS)
    if(tests AND NOT checked)
      list(APPEND wrong ${tests})
    endif()
  endwhile()
  murmurly_fail_on_unplaced_tests("${wrong}")
endfunction()

function(murmurly_fail_on_unplaced_tests wrong)
  if(wrong)
    list(JOIN wrong ", " wrong)
    message(FATAL_ERROR "Each test needs exactly one place label (${MURMURLY_TEST_PLACES}): "
      "${wrong}. Register it with murmurly_test(... RUNS_ON ...) or label it with "
      "murmurly_label_test(<place> <test>).")
  endif()
endfunction()
