"""Every calculation the extension describes, through its Python function, in each of its
precisions: scalars give plain numbers, arrays broadcast, any layout and element type of an
argument gives the same values, the thread count changes nothing, bad arguments are refused
by name."""

import functools
import inspect

import numpy as np
import pytest

from common import as_list, same, same_at_thread_counts
from thinfilm import _calc, _core, ellcalc, optconst, waferbow


def _continue(**kw):
    # The first state's fields and the new thicknesses and moment are the inputs.
    return waferbow.continue_pass(waferbow.first_state()._replace(**kw))


SINGLE = {
    **{f"ellcalc_{n}": getattr(ellcalc, n) for n in (
        "psi_delta", "substrate_index", "thickness", "thickness_and_index", "reflection",
        "harmonics", "from_harmonics")},
    "optconst_constants": optconst.constants, "optconst_constants_energy": optconst.constants,
    **{n: functools.partial(_calc.run, getattr(_core, n), None) for n in (
        "optconst_energy_of_wavelength", "optconst_wavelength_of_energy")},
    "waferbow_first": waferbow.first_state, "waferbow_continue": _continue,
}
# The double-precision twins: the same functions with precision="double".
CALLS = {**SINGLE, **{f"{name}_double": functools.partial(fn, precision="double")
                      for name, fn in SINGLE.items() if f"{name}_double" in _core.calculations}}
# Inputs without a default in the function, or whose default is not a number.
GIVEN = {"material": 3, "wavelength": 632.8, "energy": 2.0, "near": 500.0}
NAMES = sorted(_core.calculations)


def inputs(name):
    return _core.calculations[name]["inputs"]


def base(name):
    """A scalar value for every input: the function's defaults."""
    if name == "waferbow_continue":
        first = waferbow.first_state()
        return {k: getattr(first, k) for k, _, _ in inputs(name)}
    defaults = inspect.signature(CALLS[name]).parameters
    return {k: GIVEN[k] if k in GIVEN else defaults[k].default for k, _, _ in inputs(name)}


def varied(name, key, n):
    """n values of the input `key` around its base value."""
    kind = dict((k, kind) for k, kind, _ in inputs(name))[key]
    if kind == "integer":
        return np.arange(n) % 9 + 1
    t = np.linspace(-1.0, 1.0, n)
    b = base(name)[key]
    return b * (1 + 0.1 * t) if b != 0 else 0.25 * (1 + t)


def test_every_calculation_is_tested_and_named_as_its_function():
    assert set(CALLS) == set(NAMES)
    for name in NAMES:
        described = _core.calculations[name]
        fn = CALLS[name]
        names = _calc.input_names(getattr(_core, name))
        parameters = [p for p in inspect.signature(fn).parameters if p != "precision"]
        if name.startswith("ellcalc") or name == "waferbow_first":
            assert tuple(parameters) == names
        elif name.startswith("optconst_constants"):
            assert set(names) < set(parameters)
        twin = name.endswith("_double") or f"{name}_double" in _core.calculations
        assert described["precision"] == ("double" if name.endswith("_double")
                                          else "single" if twin else "")


@pytest.mark.parametrize("name", NAMES)
def test_scalars_give_plain_numbers_and_arrays_broadcast(name):
    kw = base(name)
    one = CALLS[name](**kw)
    assert all(type(v) in (float, complex, bool, int) for v in as_list(one))
    # The first input along one axis, the last along another: every point as its scalar.
    first, last = inputs(name)[0][0], inputs(name)[-1][0]
    a, b = varied(name, first, 3), varied(name, last, 4)
    grid, at = {**kw, first: a[:, None], last: b}, lambda i, j: {**kw, first: a[i], last: b[j]}
    if first == last:  # one input: a 3 x 4 array of it
        values = varied(name, first, 12).reshape(3, 4)
        grid, at = {first: values}, lambda i, j: {first: values[i, j]}
    grid = CALLS[name](**grid)
    assert all(np.shape(v) == (3, 4) for v in as_list(grid))
    if _core.calculations[name]["precision"]:
        size = 8 if name.endswith("_double") else 4
        for v in as_list(grid):  # flags and counts (int32) are the same in both precisions
            assert v.dtype.kind in "bi" or v.dtype.itemsize == size * (1 + (v.dtype.kind == "c"))
    # Plain numbers of the kind of the arrays' elements.
    assert [type(v) for v in as_list(one)] == [type(v.flat[0].item()) for v in as_list(grid)]
    for i, j in np.ndindex(3, 4):
        assert same(CALLS[name](**at(i, j)), [v[i, j].item() for v in as_list(grid)])
    # Zero-dimensional arrays count as scalars; empty arrays give empty results.
    assert same(CALLS[name](**{**kw, first: np.array(kw[first])}), one)
    empty = CALLS[name](**{**kw, last: np.empty((0, 2), dtype=np.asarray(b).dtype)})
    assert all(np.shape(v) == (0, 2) for v in as_list(empty))


def _layouts(values):
    """The values as the program reads them, in a contiguous array of the widest element
    type; and a list of the same values as a non-contiguous view of another element type,
    and as big-endian unaligned elements."""
    values = np.asarray(values)
    if values.dtype.kind == "i":
        wide = np.zeros((2, values.size), dtype=np.int32)
        wide[1] = values
        return values.astype(np.int64), [wide[1, ::-1][::-1]]
    complex_ = values.dtype.kind == "c"
    narrow = np.complex64 if complex_ else np.float32
    stored = values.astype(narrow)  # the values the program reads in any case
    spread = np.zeros((values.size, 3), dtype=narrow)
    spread[:, 1] = stored
    packed = np.zeros(values.size, dtype=[("tag", "i1"), ("v", ">" + np.dtype(narrow).str[1:])])
    packed["v"] = stored
    return stored.astype(np.complex128 if complex_ else np.float64), [spread[:, 1], packed["v"]]


@pytest.mark.parametrize("name", NAMES)
def test_any_layout_or_element_type_gives_the_same_values(name):
    kw = base(name)
    for key, _kind, _unit in inputs(name):
        plain, others = _layouts(varied(name, key, 7))
        want = CALLS[name](**{**kw, key: plain})
        for other in others:
            assert same(CALLS[name](**{**kw, key: other}), want), (key, other.dtype)


@pytest.mark.parametrize("name", NAMES)
def test_results_do_not_depend_on_the_thread_count(name, threads):
    kw = base(name)
    key = next(k for k, kind, _ in inputs(name) if kind == "real")
    n = 2 * _core.calculations[name]["min_points"] + 301
    kw[key] = varied(name, key, n)
    assert same_at_thread_counts(lambda: CALLS[name](**kw), (1, 2, 3))


@pytest.mark.parametrize("name", NAMES)
def test_bad_arguments_are_refused_by_name(name):
    kw = base(name)
    for key, _kind, _unit in inputs(name):
        with pytest.raises(TypeError, match=key):
            CALLS[name](**{**kw, key: {"a": 1}})
    arrays = {k: np.asarray(v) for k, v in kw.items()}
    with pytest.raises(TypeError):
        getattr(_core, name)((), 1, nonsense=np.zeros(()), **arrays)
    with pytest.raises(TypeError):
        getattr(_core, name)((), 1)


def test_a_first_state_is_plain_data():
    first = waferbow.first_state(bow=[10.0, -5.0], moment=[0.0, 1000.0])
    then = waferbow.continue_pass(first, silica=0.5)
    rebuilt = waferbow.FirstState(*(np.array(v) for v in first))
    assert same(waferbow.continue_pass(rebuilt, silica=0.5), then)
    # A changed field is the one continued from: the silica and moment of the first pass
    # are those a continue pass keeps by default.
    changed = first._replace(silica=np.array([0.5, 0.5]))
    assert same(waferbow.continue_pass(changed), then)
    assert same(waferbow.continue_pass(first, silica=0.5, moment=[0.0, 1000.0]), then)
    assert not same(waferbow.continue_pass(first, silica=0.5, moment=0.0), then)
    scalar = waferbow.first_state()
    again = waferbow.continue_pass(waferbow.FirstState(*scalar))
    assert same(again, waferbow.continue_pass(scalar))
    assert waferbow.REPORT == waferbow.FirstState._fields[:14] == waferbow.ContinuePass._fields[:14]
