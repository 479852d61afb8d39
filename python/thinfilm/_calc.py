"""The calls of the extension's calculations, shared by the calculation modules.

The extension describes each of its calculations in ``_core.calculations``: its inputs
(name, kind ``"real"``, ``"complex"`` or ``"integer"``, unit), its outputs and the values
of its per-point events, by name. A calculation module's function names its arguments as
the inputs are named and hands them to :func:`run`, which checks each by its kind,
broadcasts them, calls the extension and gives the outputs back in the named tuple whose
fields are the output names (:func:`result_type`).

A calculation of ``ellcalc`` or ``optconst`` comes twice: in the program's single precision
(``ellcalc_psi_delta``) and in double precision from the same routines
(``ellcalc_psi_delta_double``); :func:`run` takes the one its ``precision`` names.

Arguments given as xarray DataArrays or dask arrays go through :mod:`thinfilm._labeled`,
which calls :func:`run` again on their numpy data, chunk by chunk.
"""

import collections
import inspect
import warnings

import numpy as np

from thinfilm import _args
from thinfilm import _core
from thinfilm import _labeled


def described(calc):
    """The description of the extension function ``calc``."""
    return _core.calculations[calc.__name__]


def input_names(calc):
    """The names of the inputs of ``calc``, in order."""
    return tuple(name for name, _kind, _unit in described(calc)["inputs"])


def result_type(name, calc, module, doc):
    """The named tuple class ``name`` of the outputs of ``calc``, defined in ``module``, with
    the docstring ``doc``."""
    cls = collections.namedtuple(name, described(calc)["outputs"], module=module)
    cls.__doc__ = inspect.cleandoc(doc)
    return cls


_INT64 = np.iinfo(np.int64)


def _integer(name, value):
    a = _args.integer(name, value, "an integer or an array of integers")
    if a.dtype == np.int64:
        return a
    outside = np.asarray((a < _INT64.min) | (a > _INT64.max), dtype=bool)
    if outside.any():
        raise OverflowError(f"{name} value {_args.shown(a[outside].flat[0])} is too large")
    return a.astype(np.int64)


_CONVERT = {"real": _args.real, "complex": _args.complex_, "integer": _integer}

#: The values of the ``precision`` argument.
PRECISIONS = ("single", "double")


def checked_precision(precision):
    """``precision`` when it is one of :data:`PRECISIONS`; ValueError otherwise."""
    if isinstance(precision, str) and precision in PRECISIONS:
        return precision
    given = _args.shown(repr(precision) if isinstance(precision, str) else precision)
    raise ValueError(f"precision must be {' or '.join(map(repr, PRECISIONS))}, not {given}")


def in_precision(calc, precision):
    """The extension function computing ``calc`` in ``precision`` (checked)."""
    if checked_precision(precision) == "single":
        return calc
    return getattr(_core, calc.__name__ + "_double")


def run(calc, cls, check=None, on_event=None, precision="single", **values):
    """``calc`` (an extension function) over the arguments ``values``, named as its inputs,
    in ``precision`` (``"single"``: ``calc`` itself; ``"double"``: its double twin).

    ``check(named, shape)``, when given, sees the checked arrays and their broadcast shape
    before anything is computed. ``on_event(events, named, shape)`` turns the events of a
    call that had some (a dict: ``count``, ``first`` flat index, the first one's values)
    into the warning it returns or the exception it raises. The result is ``cls`` of the
    outputs (the single output when ``cls`` is None), plain numbers when every argument
    is a scalar. DataArrays and dask arrays among the arguments give DataArrays (dask arrays)
    of the outputs (:func:`thinfilm._labeled.apply`).
    """
    if _labeled.given(values):
        return _labeled.apply(_run_values, values, calc, cls, check, on_event, precision)
    calc = in_precision(calc, precision)
    named = {}
    for name, kind, _unit in described(calc)["inputs"]:
        named[name] = _CONVERT[kind](name, values.pop(name))
    if values:
        raise TypeError(f"{calc.__name__} takes no argument {', '.join(values)}")
    shape = _args.shape(named)
    if check is not None:
        check(named, shape)
    out = calc(shape, _args.threads(), **named)
    events = out.pop("events", None)
    if events and events["count"] and on_event is not None:
        warnings.warn(on_event(events, named, shape), stacklevel=3)
    arrays = list(out.values())
    if _args.all_scalar(named):
        arrays = [_args.plain(a) for a in arrays]
    return arrays[0] if cls is None else cls(*arrays)


def _run_values(calc, cls, check, on_event, precision, values):
    """:func:`run` of the arguments ``values`` (a dict): one chunk of labeled arguments."""
    return run(calc, cls, check, on_event, precision, **values)
