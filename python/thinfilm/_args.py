"""Argument checking, broadcasting and results shared by the calculation modules.

Numbers are handed to the extension module as numpy arrays whose elements it reads in
place: single or double precision reals, single or double precision complex numbers,
64-bit integers. An array of another numeric type is converted once; nothing is ever
broadcast into a copy: the extension reads every argument through its strides.

One rule for scalars and arrays, whatever their type: booleans (Python's or numpy's) are
not numbers here; a complex number is not a real one; a finite value too large for a double is
refused rather than taken for an infinity; masked arrays are refused (their masked
elements would be computed as data). Messages show the value given.
"""

import decimal
import math
import numbers

import numpy as np


def threads():
    """The package's ``threads`` setting, checked."""
    import thinfilm

    n = thinfilm.threads
    if isinstance(n, bool) or not isinstance(n, numbers.Integral) or n < 1:
        raise ValueError(f"thinfilm.threads must be a positive integer, not {n!r}")
    # More threads than the extension starts would change nothing.
    return min(int(n), 256)


def _bool(v):
    return isinstance(v, (bool, np.bool_))


def _complex(v):
    # Anything complex that is not real: Python's, numpy's, or another type's.
    return isinstance(v, numbers.Complex) and not isinstance(v, numbers.Real)


def shown(v):
    """``v`` for a message: as given, abbreviated when it is long."""
    if isinstance(v, numbers.Integral) and not _bool(v):
        v = int(v)
        # A huge integer in full would drown the message (and Python refuses to print
        # one of more than 4300 digits).
        return str(v) if v.bit_length() <= 100 else f"{decimal.Decimal(v):.6e}"
    try:
        text = str(v)
    except ValueError:
        return f"a {type(v).__name__} too long to print"
    return text if len(text) <= 60 else f"{text[:28]}...{text[-28:]}"


_NUMBERS = "a number or an array of numbers"


def _array(name, value, what=_NUMBERS):
    if isinstance(value, (str, bytes)):
        raise TypeError(f"{name} must be {what}, not {value!r}")
    if isinstance(value, np.ma.MaskedArray):
        raise TypeError(
            f"{name}: masked arrays are not accepted; pass the data (e.g. a.filled(value))"
            " and mask the results"
        )
    try:
        a = np.asarray(value)
    except (TypeError, ValueError) as e:
        raise TypeError(f"{name} must be {what}: {e}") from None
    if a.dtype.kind == "b":
        raise TypeError(f"{name} must be {what}, not a boolean")
    if a.dtype.kind == "O":
        # Python numbers of other kinds (fractions, decimals, huge integers): numbers, and
        # no booleans.
        for v in a.flat:
            if _bool(v):
                raise TypeError(f"{name} must be {what}, not a boolean")
            if not isinstance(v, numbers.Number):
                raise TypeError(f"{name} must be {what}, not {shown(v)}")
    return a


def _aligned(a):
    # The extension reads elements in place: native byte order (checked by the callers'
    # dtype tests) and aligned.
    return a if a.flags.aligned else a.copy()


def _too_large(name, v):
    return OverflowError(f"{name} value {shown(v)} is too large for a float")


def _infinite(v):
    return v == math.inf or v == -math.inf


def _narrowed(name, a, dtype):
    """``a`` converted to ``dtype``; a finite value that becomes infinite is refused."""
    try:
        with np.errstate(over="ignore"):
            out = a.astype(dtype)
    except OverflowError:
        # Python integers and fractions beyond the range of a double.
        convert = complex if np.dtype(dtype).kind == "c" else float
        for v in a.flat:
            try:
                convert(v)
            except OverflowError:
                raise _too_large(name, v) from None
        raise TypeError(f"{name} must be {_NUMBERS}") from None
    except (TypeError, ValueError):
        raise TypeError(f"{name} must be {_NUMBERS}") from None
    # Long doubles and decimals become infinities without an error.
    for i in np.flatnonzero(np.isinf(out)):
        v, got = a.flat[i], out.flat[i]
        parts = ((got.real, getattr(v, "real", v)), (got.imag, getattr(v, "imag", 0)))
        if any(math.isinf(g) and not _infinite(given) for g, given in parts):
            raise _too_large(name, v)
    return out


def _kept(a, narrow, wide):
    """``a`` as it is when its elements are ``narrow`` or ``wide``, integers widened to
    ``wide``; None for anything else."""
    if a.dtype == narrow or a.dtype == wide:
        return _aligned(a)
    if a.dtype.kind in "iu":
        return a.astype(wide)
    return None


def real(name, value):
    """``value`` as an array of reals the extension reads (float32 or float64 kept)."""
    a = _array(name, value)
    kept = _kept(a, np.float32, np.float64)
    if kept is not None:
        return kept
    if a.dtype.kind == "f":
        return _narrowed(name, a, np.float64)
    if a.dtype.kind == "c":
        raise TypeError(f"{name} must be real, not complex")
    if a.dtype.kind == "O":
        if any(_complex(v) for v in a.flat):
            raise TypeError(f"{name} must be real, not complex")
        return _narrowed(name, a, np.float64)
    raise TypeError(f"{name} must be {_NUMBERS}, not {a.dtype} data")


def complex_(name, value):
    """``value`` as an array of complex numbers (complex64 or complex128 kept)."""
    a = _array(name, value)
    kept = _kept(a, np.complex64, np.complex128)
    if kept is not None:
        return kept
    if a.dtype.kind in "fc":
        return _narrowed(name, a, np.complex128)
    if a.dtype.kind == "O":
        return _narrowed(name, a, np.complex128)
    raise TypeError(f"{name} must be {_NUMBERS}, not {a.dtype} data")


def _whole(v):
    if isinstance(v, numbers.Integral):
        return True
    if _complex(v):
        return False
    try:
        return v == math.floor(v)
    except OverflowError:  # an infinity: whole, and out of any range
        return True
    except (TypeError, ValueError):
        return False


def integer(name, value, what):
    """``value`` as an array of whole numbers as given (integers, whole reals, or Python
    numbers in an object array), for the caller to check their range before converting
    them; ``what`` says what is expected, for the message."""
    a = _array(name, value, what)
    kind = a.dtype.kind
    if kind in "iu":
        return a
    if kind == "f":
        fraction = ~(np.isinf(a) | (a == np.round(a)))
    elif kind == "O":
        fraction = np.array([not _whole(v) for v in a.flat], dtype=bool).reshape(a.shape)
    else:
        raise TypeError(f"{name} must be {what}, not {a.dtype} data")
    if fraction.any():
        raise TypeError(f"{name} must be {what}, not {shown(a[fraction].flat[0])}")
    return a


def shape(named):
    """The broadcast shape of the arrays in ``named`` (a dict name -> array)."""
    try:
        return np.broadcast_shapes(*(a.shape for a in named.values()))
    except ValueError as e:
        shapes = ", ".join(f"{k} {a.shape}" for k, a in named.items() if a.ndim)
        raise ValueError(f"arguments do not broadcast together: {shapes} ({e})") from None


def all_scalar(named):
    """True when every argument was a scalar (a 0-d array)."""
    return all(a.ndim == 0 for a in named.values())


def plain(a):
    """A 0-d result as a plain Python number."""
    return a.item()
