// Printed figures: values compared as the result lines show them, five decimals.
#pragma once

#include <cstdio>
#include <string>

namespace optconst_test {

inline std::string f5(double v) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.5f", v);
  return buf;
}

}  // namespace optconst_test
