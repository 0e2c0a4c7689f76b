# Helper functions shared by the subsystem folders.

# GoogleTest: Debian's package on the host, built from /usr/src/googletest for MinGW.
macro(murmurly_find_gtest)
  if(WIN32)
    set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
    # googletest's own CMake defines the GTest:: aliases.
  else()
    find_package(GTest REQUIRED)
  endif()
endmacro()

# murmurly_test(NAME <name> SOURCES <files...> [LIBS <targets...>] [HOST_ONLY] [WINDOWS_ONLY]
#               [TIMEOUT <s>])
# A GoogleTest executable registered as one CTest test. Under the windows build CTest runs it
# through tools/wine-run (the cross-compiling emulator).
function(murmurly_test)
  cmake_parse_arguments(T "HOST_ONLY;WINDOWS_ONLY" "NAME;TIMEOUT" "SOURCES;LIBS" ${ARGN})
  if(T_HOST_ONLY AND WIN32)
    return()
  endif()
  if(T_WINDOWS_ONLY AND NOT WIN32)
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
  if(WIN32)
    # Tests under Wine share one desktop, keyboard and clipboard.
    set_tests_properties(${T_NAME} PROPERTIES RESOURCE_LOCK desktop)
  endif()
endfunction()

# murmurly_library(<name> <portable sources...>): a static library of portable code, built in both.
function(murmurly_library name)
  add_library(${name} STATIC ${ARGN})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
endfunction()
