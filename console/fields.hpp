// Rendering of the data fields Iw, Fw.d and Ew.d. Each renderer writes exactly w
// characters into `field` (w >= 1): the value right-justified, or w asterisks when it does
// not fit. Values that are not finite are written as "NaN", "Infinity" or "-Infinity",
// shortened to "Inf" or "-Inf" when the long form does not fit, and asterisks when even
// the short one does not.
#pragma once

#include <cstdint>

namespace console {

// I2: 7 -> " 7", -5 -> "-5", 100 -> "**", -10 -> "**"
void render_integer(char* field, std::int32_t v, int w);

// F9.3: 0.5 -> "    0.500", -0.0004 -> "    0.000", 123456.789 -> "*********"
// F4.3: 0.5 -> ".500" (the leading 0 gives way); F6.4: -0.5 -> "-.5000"; F3.3: 0.5 -> "***"
// The decimals are correctly rounded from the exact binary value, ties to even.
void render_fixed(char* field, double v, int w, int d);

// E14.7: 1.0 -> " 0.1000000E+01", -1.0 -> "-0.1000000E+01", 0.0 -> " 0.0000000E+00",
//        0.999999996 -> " 0.1000000E+01", 1e-120 -> " 0.1000000-119"
// d >= 1 significant digits, correctly rounded, ties to even.
void render_exponent(char* field, double v, int w, int d);

}  // namespace console
