#include "optconst/table_lookup.hpp"

#include <array>
#include <cmath>
#include <cstddef>

#include "console/stored.hpp"
#include "optconst/cubic.hpp"

namespace optconst {

using console::stored;

template <class R>
table_values<R> lookup(const table<R>& tb, R en) {
  const int n = static_cast<int>(tb.e1.size());
  const R x = stored<R>((double{en} - tb.ei) / tb.ps);
  // a = x truncated toward zero, kept in floating point: every R is exact in double, so
  // this is the integer truncation wherever that exists, with no conversion at all.
  const double a = std::trunc(double{x});
  const R t = stored<R>((double{x} - 0.5) - a);
  // j = x + 1 truncated; it only selects the nodes j-1 .. j+2, which are clamped to 1..n,
  // so clamping j to -1..n+1 first changes nothing and keeps the conversion in range.
  // fmax maps a NaN to -1 (nodes all entry 1; t is NaN anyway).
  const double jf = std::fmin(std::fmax(std::trunc(double{x} + 1.0), -1.0), static_cast<double>(n + 1));
  const int j = static_cast<int>(jf);
  std::array<R, 4> y1{};
  std::array<R, 4> y2{};
  for (int k = 0; k < 4; ++k) {
    int i = j - 1 + k;  // node index, counted from 1
    if (i < 1) i = 1;
    if (i > n) i = n;
    y1[k] = tb.e1[static_cast<std::size_t>(i - 1)];
    y2[k] = tb.e2[static_cast<std::size_t>(i - 1)];
  }
  return {fcub<R>(t, y1), fcub<R>(t, y2)};
}

template table_values<float> lookup<float>(const table<float>&, float);
template table_values<double> lookup<double>(const table<double>&, double);

}  // namespace optconst
