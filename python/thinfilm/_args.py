"""Argument checking, broadcasting and results shared by the calculation modules.

Numbers are handed to the extension module as numpy arrays whose elements it reads in
place: single or double precision reals, single or double precision complex numbers,
64-bit integers. An array of another numeric type is converted once; nothing is ever
broadcast into a copy: the extension reads every argument through its strides.
"""

import numbers

import numpy as np

_REAL_KINDS = "fiub"


def threads():
    """The package's ``threads`` setting, checked."""
    import thinfilm

    n = thinfilm.threads
    if isinstance(n, bool) or not isinstance(n, numbers.Integral) or n < 1:
        raise ValueError(f"thinfilm.threads must be a positive integer, not {n!r}")
    # More threads than the extension starts would change nothing.
    return min(int(n), 256)


def _array(name, value):
    if isinstance(value, (str, bytes)):
        raise TypeError(f"{name} must be a number or an array of numbers, not {value!r}")
    try:
        a = np.asarray(value)
    except (TypeError, ValueError) as e:
        raise TypeError(f"{name} must be a number or an array of numbers: {e}") from None
    return a


def _aligned(a):
    # The extension reads elements in place: native byte order (checked by the callers'
    # dtype tests) and aligned.
    return a if a.flags.aligned else a.copy()


def _objects(name, a, dtype):
    # Python numbers of other kinds (fractions, decimals, huge integers), converted once.
    if not all(isinstance(v, numbers.Number) for v in a.flat):
        raise TypeError(f"{name} must be a number or an array of numbers")
    try:
        return a.astype(dtype)
    except (TypeError, ValueError, OverflowError):
        raise TypeError(f"{name} must be a number or an array of numbers") from None


def real(name, value):
    """``value`` as an array of reals the extension reads (float32 or float64 kept)."""
    a = _array(name, value)
    if a.dtype == np.float32 or a.dtype == np.float64:
        return _aligned(a)
    if a.dtype.kind in _REAL_KINDS:
        return a.astype(np.float64)
    if a.dtype.kind == "c":
        raise TypeError(f"{name} must be real, not complex")
    if a.dtype.kind == "O":
        if any(isinstance(v, complex) for v in a.flat):
            raise TypeError(f"{name} must be real, not complex")
        return _objects(name, a, np.float64)
    raise TypeError(f"{name} must be a number or an array of numbers, not {a.dtype} data")


def complex_(name, value):
    """``value`` as an array of complex numbers (complex64 or complex128 kept)."""
    a = _array(name, value)
    if a.dtype == np.complex64 or a.dtype == np.complex128:
        return _aligned(a)
    if a.dtype.kind in _REAL_KINDS or a.dtype.kind == "c":
        return a.astype(np.complex128)
    if a.dtype.kind == "O":
        return _objects(name, a, np.complex128)
    raise TypeError(f"{name} must be a number or an array of numbers, not {a.dtype} data")


def integer(name, value):
    """``value`` as an array of 64-bit integers; reals must be whole numbers."""
    a = _array(name, value)
    if a.dtype.kind in "iub":
        return a.astype(np.int64)
    if a.dtype.kind == "f" and np.all(np.isfinite(a)) and np.all(a == np.round(a)):
        return a.astype(np.int64)
    raise TypeError(f"{name} must be an integer or an array of integers")


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


def prepare(complex_names=(), **values):
    """The arguments ``values`` checked, as a dict name -> array in the order given (complex
    for the names in ``complex_names``, real for the others), their broadcast shape, and
    whether every one was a scalar."""
    named = {
        name: complex_(name, value) if name in complex_names else real(name, value)
        for name, value in values.items()
    }
    return named, shape(named), all_scalar(named)


def plain(a):
    """A 0-d result as a plain Python number."""
    return a.item()


def finish(cls, arrays, scalar):
    """The result tuple ``cls`` of ``arrays``, with plain numbers for scalar arguments."""
    if scalar:
        return cls(*(plain(a) for a in arrays))
    return cls(*arrays)
