"""xarray DataArrays and dask arrays as arguments of the calculations.

A calculation given a DataArray among its arguments (at any depth of the lists, tuples and
dicts it takes, a sequence of layers for instance) runs through ``xarray.apply_ufunc``:
its results are DataArrays over the broadcast dimensions and coordinates of the
DataArrays given, each named by its field. The other arguments go to every call as they
are; an unlabeled array of more than one value among DataArrays is refused, since nothing
says which dimensions its axes are.

A dask-backed DataArray, or a dask array, makes the results lazy: one call of the
calculation per chunk, when they are computed, each giving the bytes that the direct call
gives for its points. Dask arrays without labels broadcast as numpy arrays do (xarray
computes them, under dimension names of its own: ``axis_0``, ``axis_1``...), and their
results are dask arrays. The chunks' calls pickle: the functions they call are named by
module and name, the extension's by name.

Neither xarray nor dask is imported before an argument of theirs comes: an argument can
be one of theirs only once its library is loaded.
"""

import functools
import sys
import warnings

import numpy as np


def _kinds():
    """The DataArray and dask array types, of the libraries already imported."""
    found = []
    for module, name in (("xarray", "DataArray"), ("dask.array", "Array")):
        kind = getattr(sys.modules.get(module), name, None)
        if isinstance(kind, type):
            found.append(kind)
    return tuple(found)


def _holds(value, kinds):
    if isinstance(value, kinds):
        return True
    if isinstance(value, (list, tuple)):
        return any(_holds(v, kinds) for v in value)
    if isinstance(value, dict):
        return any(_holds(v, kinds) for v in value.values())
    return False


def given(values):
    """Whether the arguments ``values`` (a dict) hold a DataArray or a dask array."""
    kinds = _kinds()
    return bool(kinds) and _holds(values, kinds)


def keywords(function, values):
    """``function(**values)``: how :func:`apply` calls a public function."""
    return function(**values)


def _flatten(value, leaves):
    """The structure of ``value``, its lists, tuples (named ones too) and dicts walked,
    everything else appended to ``leaves``."""
    if isinstance(value, dict):
        return dict, tuple((k, _flatten(v, leaves)) for k, v in value.items())
    if isinstance(value, (list, tuple)):
        return type(value), tuple(_flatten(v, leaves) for v in value)
    leaves.append(value)
    return None


def _rebuild(tree, leaves):
    """The value of structure ``tree`` with the next items of the iterator ``leaves``."""
    if tree is None:
        return next(leaves)
    kind, items = tree
    if kind is dict:
        return {k: _rebuild(t, leaves) for k, t in items}
    values = [_rebuild(t, leaves) for t in items]
    if kind is list:
        return values
    return kind._make(values) if hasattr(kind, "_make") else kind(values)


def _extension(name):
    from thinfilm import _core

    return getattr(_core, name)


class _ByName:
    """A function of the extension, which does not pickle, carried by its name."""

    def __init__(self, function):
        self.name = function.__name__

    def __reduce__(self):
        return _extension, (self.name,)


def _portable(arg):
    if type(arg).__module__ == "builtins" and getattr(arg, "__module__", None) == "thinfilm._core":
        return _ByName(arg)
    return arg


def _lead(block, core):
    # A leading axis of one: the calculation gives arrays even for a single point, and
    # an argument without the measurements' dimension gets a last axis of one for it.
    block = np.asarray(block)
    return (block[..., None] if core is False else block)[None]


def _unlead(result):
    result = np.asarray(result)
    return result.reshape(result.shape[1:])


def _chunk(function, args, kwargs, tree, static, at, core, *blocks):
    """One call of ``function(*args, values, **kwargs)``, ``values`` rebuilt from ``tree``
    with the blocks at the leaves ``at``."""
    leaves = list(static)
    for i, (position, block) in enumerate(zip(at, blocks)):
        leaves[position] = _lead(block, None if core is None else core[i])
    args = [_extension(a.name) if isinstance(a, _ByName) else a for a in args]
    result = function(*args, _rebuild(tree, iter(leaves)), **kwargs)
    if isinstance(result, tuple):
        return type(result)._make(_unlead(r) for r in result)
    return _unlead(result)


def _xarray():
    try:
        import xarray
    except ImportError as e:
        raise ImportError(
            "dask arrays are computed chunk by chunk through xarray, which is not installed"
            " (Debian package python3-xarray)"
        ) from e
    return xarray


def _by_position(xr, leaves, at):
    """Unlabeled arrays named by their axes as numpy broadcasts them (a broadcast axis of
    one dropped); the names of the broadcast axes."""
    ndim = max(leaves[i].ndim for i in at)
    shape = np.broadcast_shapes(*(leaves[i].shape for i in at))
    names = tuple(f"axis_{k}" for k in range(ndim))
    for i in at:
        a = leaves[i]
        lead = ndim - a.ndim
        kept = [a.shape[k] != 1 or shape[lead + k] == 1 for k in range(a.ndim)]
        index = tuple(slice(None) if keep else 0 for keep in kept)
        dims = [names[lead + k] for k in range(a.ndim) if kept[k]]
        leaves[i] = xr.DataArray(a[index], dims=dims)
    return names


def _core_dim(axis, dims, positional):
    """The dimension of the measurements: ``axis`` counted in the broadcast ``dims``, or
    named (DataArrays only)."""
    if isinstance(axis, str) and not positional:
        if axis not in dims:
            raise ValueError(f"axis {axis!r} is none of the dimensions {', '.join(dims)}")
        return axis
    if isinstance(axis, (bool, np.bool_)) or not isinstance(axis, (int, np.integer)):
        raise TypeError("axis must be an integer" + ("" if positional else " or a dimension name"))
    if not -len(dims) <= axis < len(dims):
        raise ValueError(f"axis {axis} is out of range for {len(dims)} dimension(s)")
    return dims[axis]


def apply(function, values, *args, core=None, **kwargs):
    """``function(*args, values, **kwargs)`` over the DataArrays and dask arrays in
    ``values`` (a dict of arguments, as :func:`given` found them), through
    ``xarray.apply_ufunc``: each call sees numpy arrays in their place.

    ``core``, when given, names the argument of ``values`` that says which dimension holds
    the measurements of a site (an axis counted in the broadcast dimensions, or a
    dimension's name): that dimension is whole in every call, last, and the argument -1;
    the arrays without it get an axis of one there. The result has the type of what
    ``function`` returns (a named tuple of DataArrays, or one DataArray; dask arrays for
    unlabeled dask arrays).
    """
    xr = _xarray()
    values = dict(values)
    leaves = []
    _flatten(values, leaves)
    kinds = _kinds()
    labeled = any(isinstance(v, xr.DataArray) for v in leaves)
    if labeled:
        at = [i for i, v in enumerate(leaves) if isinstance(v, xr.DataArray)]
        if any(isinstance(v, kinds) and not isinstance(v, xr.DataArray)
               or isinstance(v, np.ndarray) and v.ndim for v in leaves):
            raise TypeError(
                "an array without dimension names among DataArrays: give it as a DataArray,"
                " or as a scalar"
            )
        names = None
    else:
        at = [i for i, v in enumerate(leaves)
              if isinstance(v, kinds) or isinstance(v, np.ndarray) and v.ndim]
        names = _by_position(xr, leaves, at)
    arrays = [leaves[i] for i in at]
    dims = names or tuple(dict.fromkeys(d for a in arrays for d in a.dims))
    core_dim = None
    if core is not None:
        core_dim = _core_dim(values[core], dims, names is not None)
        values[core] = -1
    leaves = []
    tree = _flatten(values, leaves)
    for i in at:
        leaves[i] = None
    has_core = None if core_dim is None else tuple(core_dim in a.dims for a in arrays)
    chunk = functools.partial(_chunk, function, tuple(map(_portable, args)), kwargs, tree,
                              tuple(leaves), tuple(at), has_core)
    # The results' number and types, from a call on no point (its warnings, of the other
    # arguments, come again from the calls that compute).
    with warnings.catch_warnings():
        warnings.simplefilter("ignore")
        probe = chunk(*(np.zeros((0, 1) if core_dim in a.dims else (0,), a.dtype)
                        for a in arrays))
    fields = getattr(type(probe), "_fields", None)
    outputs = probe if fields else (probe,)
    core_dims = [[core_dim] if core_dim in a.dims else [] for a in arrays]
    results = xr.apply_ufunc(
        chunk, *arrays,
        input_core_dims=core_dims,
        output_core_dims=[[] for _ in outputs],
        dask="parallelized",
        output_dtypes=[o.dtype for o in outputs],
        dask_gufunc_kwargs={"allow_rechunk": True},
    )
    if len(outputs) == 1:
        results = (results,)
    if fields:
        results = [r.rename(f) for r, f in zip(results, fields)]
    if names is not None:
        results = [r.transpose(*(n for n in names if n != core_dim)).data for r in results]
    return type(probe)(*results) if fields else results[0]
