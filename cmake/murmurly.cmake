# Helper functions shared by the subsystem folders.

# Warnings by compiler family: cl and clang-cl take cl's options, g++ and clang++ GNU ones.
macro(murmurly_compile_options)
  set(murmurly_cl_options $<BOOL:${MSVC}>)
  add_compile_options(
    "$<${murmurly_cl_options}:/W4;/utf-8>"
    "$<$<AND:${murmurly_cl_options},$<COMPILE_LANGUAGE:CXX>>:/permissive-;/EHsc>"
    "$<$<NOT:${murmurly_cl_options}>:-Wall;-Wextra>")
  if(WIN32)
    add_compile_definitions(NOMINMAX _WIN32_WINNT=0x0A00 WINVER=0x0A00 UNICODE _UNICODE)
  endif()
  if(MURMURLY_SANITIZE AND NOT WIN32)
    add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer
      -fno-sanitize-recover=undefined)
    add_link_options(-fsanitize=address,undefined)
  endif()
endmacro()

# GoogleTest for BUILD_TESTING: an installed package first (Debian's on the host, vcpkg's or a
# GTest_DIR on Windows), else its source tree (MURMURLY_GTEST_SOURCE_DIR; Debian's googletest
# package for MinGW). Neither: a warning, and no tests.
set(MURMURLY_GTEST_SOURCE_DIR /usr/src/googletest CACHE PATH
  "GoogleTest source tree, built when no installed GoogleTest is found")
macro(murmurly_find_gtest)
  if(BUILD_TESTING)
    find_package(GTest QUIET)
    if(NOT GTest_FOUND AND EXISTS ${MURMURLY_GTEST_SOURCE_DIR}/CMakeLists.txt)
      set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
      set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
      set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
      # googletest's own CMake defines the GTest:: aliases.
      add_subdirectory(${MURMURLY_GTEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest
        EXCLUDE_FROM_ALL SYSTEM)
    elseif(NOT GTest_FOUND)
      message(WARNING "GoogleTest not found (set GTest_DIR or MURMURLY_GTEST_SOURCE_DIR): "
        "no tests are built")
      set(BUILD_TESTING OFF)
    endif()
  endif()
  if(BUILD_TESTING)
    enable_testing()
  endif()
endmacro()

# A WIN32 executable entered at wWinMain: MinGW's start-up code calls it only with -municode;
# MSVC's linker finds it by itself.
function(murmurly_wide_entry target)
  if(MINGW)
    target_link_options(${target} PRIVATE -municode)
  endif()
endfunction()

# murmurly_library(<name> <portable sources...>): a static library of portable code, built in both.
function(murmurly_library name)
  add_library(${name} STATIC ${ARGN})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
endfunction()
