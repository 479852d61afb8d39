"""The console's number fields, written independently of the programs, for the tests.

F(v, w, d), E(v, w, d) and I(v, w) give the text of the fields Fw.d, Ew.d and Iw for a
value that the package returns (a single-precision value is widened exactly first), so
that a test can build the exact lines a program prints. Decimal arithmetic on the exact
binary value gives the correctly rounded digits (ties to even).
"""

import decimal
import math

_CONTEXT = decimal.Context(prec=1200, rounding=decimal.ROUND_HALF_EVEN)


def _non_finite(v, w):
    if math.isnan(v):
        texts = ("NaN",)
    elif v > 0:
        texts = ("Infinity", "Inf")
    else:
        texts = ("-Infinity", "-Inf")
    for t in texts:
        if len(t) <= w:
            return t.rjust(w)
    return "*" * w


def F(v, w, d):
    """Fw.d: -0.0004 in F9.3 is '    0.000'; 0.5 in F4.3 is '.500'; -0.5 in F6.4 '-.5000'."""
    v = float(v)
    if not math.isfinite(v):
        return _non_finite(v, w)
    exact = decimal.Decimal(abs(v))
    rounded = exact.quantize(decimal.Decimal(1).scaleb(-d), context=_CONTEXT)
    text = f"{rounded:.{d}f}"
    if d == 0:
        text += "."
    if math.copysign(1.0, v) < 0 and any(c in "123456789" for c in text):
        text = "-" + text
    if len(text) == w + 1 and text.lstrip("-").startswith("0."):
        text = text.replace("0.", ".", 1)
    if len(text) > w:
        return "*" * w
    return text.rjust(w)


def E(v, w, d):
    """Ew.d: 1.0 in E14.7 is ' 0.1000000E+01'; -1.0 is '-0.1000000E+01'."""
    v = float(v)
    if not math.isfinite(v):
        return _non_finite(v, w)
    if v == 0:
        digits, exponent = "0" * d, 0
    else:
        exact = decimal.Decimal(abs(v))
        # exact = 0.ddd... x 10^exponent with a first digit that is not 0.
        exponent = exact.adjusted() + 1
        scaled = exact.scaleb(d - exponent, context=_CONTEXT)
        whole = scaled.to_integral_value(rounding=decimal.ROUND_HALF_EVEN, context=_CONTEXT)
        if whole >= 10**d:
            whole //= 10
            exponent += 1
        digits = str(int(whole))
    magnitude = abs(exponent)
    sign = "-" if exponent < 0 else "+"
    tail = f"E{sign}{magnitude:02d}" if magnitude <= 99 else f"{sign}{magnitude:03d}"
    text = ("-" if v < 0 else "") + "." + digits + tail
    if len(text) > w:
        return "*" * w
    if len(text) == w:
        return text
    text = text.replace(".", "0.", 1)
    return text.rjust(w)


def I(v, w):  # noqa: E743  (the descriptor's letter)
    """Iw: 100 in I2 is '**'."""
    text = str(int(v))
    return "*" * w if len(text) > w else text.rjust(w)


def typed(x):
    """An answer that a program reads as exactly the value x (a float32 or float64):
    the shortest text of its exact double value."""
    return repr(float(x))


def typed_complex(z):
    """A complex answer '(re, im)' read as exactly z."""
    return f"({typed(z.real)}, {typed(z.imag)})"
