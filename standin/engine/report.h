// Report: one line on standard error from the stand-in engine, flushed at once so it keeps its
// place among the shell's own lines. Any thread.
#pragma once

#include <cstdio>
#include <string>

namespace standin {

inline void Report(const std::string& line) {
  std::fprintf(stderr, "murmurly stand-in engine: %s\n", line.c_str());
  std::fflush(stderr);
}

}  // namespace standin
