// A double as the shortest text that reads back as the same double, so that cases which differ
// in the last digits have different names in the test output.
#pragma once

#include <charconv>
#include <string>

namespace gara::testing {

inline std::string ShortestText(double value) {
  char buffer[32];
  return std::string(buffer, std::to_chars(buffer, buffer + sizeof buffer, value).ptr);
}

}  // namespace gara::testing
