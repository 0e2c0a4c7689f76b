# GoogleTest for BUILD_TESTING, the first of:
#  1. an installed package (Debian's on the host; vcpkg's or a GTest_DIR on Windows);
#  2. a source tree, MURMURLY_GTEST_SOURCE_DIR (Debian's googletest package for MinGW);
#  3. the release pinned below, fetched once into .cache/ beside the sources (a Windows machine
#     with network; CI keeps that folder in its cache, keyed on this file).
set(MURMURLY_GTEST_SOURCE_DIR /usr/src/googletest CACHE PATH
  "GoogleTest source tree, built when no installed GoogleTest is found")
# The release Debian 12 ships, so every build tests against the same GoogleTest.
set(murmurly_gtest_release 1.12.1)
set(murmurly_gtest_commit 58d77fa8070e8cec2dc1ed015d66b454c8d78850)

macro(murmurly_find_gtest)
  if(BUILD_TESTING)
    find_package(GTest QUIET)
    if(NOT GTest_FOUND)
      murmurly_gtest_sources(murmurly_gtest_dir)
      set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
      # googletest's own CMake defines the GTest:: aliases. It takes the build's C runtime
      # (CMAKE_MSVC_RUNTIME_LIBRARY) and, on Windows, Win32 threads.
      set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
      add_subdirectory(${murmurly_gtest_dir} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
    endif()
    enable_testing()
  endif()
endmacro()

# The source tree to build GoogleTest from, fetched at the pinned commit when there is none.
function(murmurly_gtest_sources out)
  if(EXISTS ${MURMURLY_GTEST_SOURCE_DIR}/CMakeLists.txt)
    set(${out} ${MURMURLY_GTEST_SOURCE_DIR} PARENT_SCOPE)
    return()
  endif()
  # Named by the commit, so a cached tree is only ever the one pinned here.
  set(dir ${PROJECT_SOURCE_DIR}/.cache/fetch/googletest-${murmurly_gtest_commit})
  if(NOT EXISTS ${dir}/CMakeLists.txt)
    message(STATUS "Fetching GoogleTest ${murmurly_gtest_release} (-DBUILD_TESTING=OFF builds no tests)")
    include(FetchContent)
    FetchContent_Populate(googletest QUIET
      URL https://github.com/google/googletest/archive/${murmurly_gtest_commit}.tar.gz
      DOWNLOAD_EXTRACT_TIMESTAMP ON
      SOURCE_DIR ${dir}
      SUBBUILD_DIR ${CMAKE_BINARY_DIR}/_deps/googletest-subbuild
      BINARY_DIR ${CMAKE_BINARY_DIR}/_deps/googletest-build)
  endif()
  set(${out} ${dir} PARENT_SCOPE)
endfunction()
