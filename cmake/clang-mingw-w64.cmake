# Cross build for Windows x86-64 with clang and lld over the installed MinGW-w64 headers and
# libraries (GCC's libstdc++ and winpthreads): a second compiler for the same Windows build.
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
set(CMAKE_C_COMPILER clang)
set(CMAKE_CXX_COMPILER clang++)
set(CMAKE_C_COMPILER_TARGET ${MINGW_PREFIX})
set(CMAKE_CXX_COMPILER_TARGET ${MINGW_PREFIX})
# clang does not find Debian's versioned MinGW GCC folder by itself.
file(GLOB mingw_gcc_dirs /usr/lib/gcc/${MINGW_PREFIX}/*-posix)
list(GET mingw_gcc_dirs -1 mingw_gcc_dir)
# GCC's MinGW libstdc++ keeps its thread-locals (std::call_once's among them) in emulated TLS,
# so clang must reach them the same way.
set(CMAKE_CXX_FLAGS_INIT "-femulated-tls -isystem ${mingw_gcc_dir}/include/c++ \
-isystem ${mingw_gcc_dir}/include/c++/${MINGW_PREFIX} -isystem ${mingw_gcc_dir}/include/c++/backward")
foreach(kind EXE SHARED MODULE)
  set(CMAKE_${kind}_LINKER_FLAGS_INIT "-fuse-ld=lld -L${mingw_gcc_dir} -static")
endforeach()
# libstdc++'s threads run on winpthreads, which only GCC's driver links by itself.
set(CMAKE_C_STANDARD_LIBRARIES "-lpthread" CACHE STRING "" FORCE)
set(CMAKE_CXX_STANDARD_LIBRARIES "-lpthread" CACHE STRING "" FORCE)
