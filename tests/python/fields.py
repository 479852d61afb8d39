"""The console's number fields, written independently of the programs, for the tests.

F(v, w, d), E(v, w, d) and I(v, w) give the text of the fields Fw.d, Ew.d and Iw for a
value that the package returns (a single-precision value is widened exactly first), so
that a test can build the exact lines a program prints. Decimal arithmetic on the exact
binary value gives the correctly rounded digits (ties to even). each() writes a template
of such fields for every case of arrays of cases.
"""

import decimal
import math
import string
from types import SimpleNamespace

import numpy as np

_CONTEXT = decimal.Context(prec=1200, rounding=decimal.ROUND_HALF_EVEN)


def _non_finite(v, w):
    texts = ("NaN",) if math.isnan(v) else ("Infinity", "Inf") if v > 0 else ("-Infinity", "-Inf")
    return next((t.rjust(w) for t in texts if len(t) <= w), "*" * w)


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
    return "*" * w if len(text) > w else text.rjust(w)


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
    tail = f"E{exponent:+03d}" if abs(exponent) <= 99 else f"{exponent:+04d}"
    text = ("-" if v < 0 else "") + "." + digits + tail
    if len(text) > w:
        return "*" * w
    return text if len(text) == w else text.replace(".", "0.", 1).rjust(w)


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


class _Console(string.Formatter):
    """Format fields written as the console's: {x:F9.3}, {x:E14.7}, {x:I5}."""

    def format_field(self, value, field):
        return {"F": F, "E": E, "I": I}[field[0]](value, *map(int, field[1:].split(".")))


def _case(source, i):
    """Case i of an array, of a dict of arrays (its keys as attributes) or of a result."""
    if isinstance(source, np.ndarray):
        return source[i]
    if isinstance(source, dict):
        return SimpleNamespace(**{k: v[i] for k, v in source.items()})
    return type(source)._make(v[i] for v in source)


def each(template, n, /, **sources):
    """The template written for each of the first n cases, its fields in the console's
    formats: {r.psi:F9.3} is F(r.psi[i], 9, 3) for a result r (or a dict of arrays),
    {r[0]:F9.3} F(r[0][i], 9, 3), {ep:E14.7} E(ep[i], 14, 7) for an array ep, and
    {r.rp.real:E14.7} takes a part."""
    console = _Console()
    return [console.vformat(template, (), {k: _case(v, i) for k, v in sources.items()})
            for i in range(n)]
