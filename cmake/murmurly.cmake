# Helper functions shared by the subsystem folders.

# Warnings by compiler family: cl and clang-cl take cl's options, g++ and clang++ GNU ones.
macro(murmurly_compile_options)
  set(murmurly_cl_options $<BOOL:${MSVC}>)
  # C and C++ only: the resource compiler takes none of these.
  set(murmurly_c_cxx $<COMPILE_LANGUAGE:C,CXX>)
  add_compile_options(
    "$<$<AND:${murmurly_cl_options},${murmurly_c_cxx}>:/W4;/utf-8>"
    "$<$<AND:${murmurly_cl_options},$<COMPILE_LANGUAGE:CXX>>:/permissive-;/EHsc>"
    "$<$<AND:$<NOT:${murmurly_cl_options}>,${murmurly_c_cxx}>:-Wall;-Wextra>")
  # The windows-clang build turns it on with warnings as errors, so an extension MSVC rejects
  # (a variable-length array, a statement expression...) fails on Linux first, and so do the
  # narrowing conversions and hidden names MSVC's /W4 reports (C4244, C4267, C4456 to C4459).
  if(MURMURLY_PEDANTIC AND NOT MSVC)
    add_compile_options($<${murmurly_c_cxx}:-Wpedantic>)
    if(CMAKE_CXX_COMPILER_ID MATCHES "Clang")
      add_compile_options("$<${murmurly_c_cxx}:-Wshorten-64-to-32;-Wimplicit-int-conversion>"
        "$<${murmurly_c_cxx}:-Wimplicit-float-conversion;-Wfloat-conversion;-Wshadow>")
    endif()
  endif()
  if(WIN32)
    add_compile_definitions(NOMINMAX _WIN32_WINNT=0x0A00 WINVER=0x0A00 UNICODE _UNICODE)
  endif()
  if(MURMURLY_SANITIZE AND NOT WIN32)
    add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer
      -fno-sanitize-recover=undefined)
    add_link_options(-fsanitize=address,undefined)
  endif()
  if(MURMURLY_COVERAGE AND NOT WIN32)
    add_compile_options(-fprofile-instr-generate -fcoverage-mapping)
    add_link_options(-fprofile-instr-generate)
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
