# murmurly_split_debug_info(<target>...): moves a MinGW binary's DWARF sections into
# <file>.debug beside it, linked back with .gnu_debuglink, so gdb and winedbg still find them.
#
# The sections are allocated in the PE image and the file alignment is smaller than a page, so
# Wine's loader copies every one of them into memory at each start: for murmurly.exe and the
# engine library that was most of the start-up time. Compilers without objcopy (MSVC) keep their
# debug information in PDB files already.
function(murmurly_split_debug_info)
  if(MSVC OR NOT CMAKE_OBJCOPY)
    return()
  endif()
  foreach(target ${ARGN})
    add_custom_command(TARGET ${target} POST_BUILD
      COMMAND ${CMAKE_OBJCOPY} --only-keep-debug $<TARGET_FILE:${target}>
              $<TARGET_FILE:${target}>.debug
      COMMAND ${CMAKE_OBJCOPY} --strip-debug --add-gnu-debuglink=$<TARGET_FILE:${target}>.debug
              $<TARGET_FILE:${target}>
      VERBATIM)
  endforeach()
endfunction()
