"""Every function of the package on xarray DataArrays: the results are DataArrays over the
broadcast dimensions and coordinates of the arguments, named by their fields, holding the
bytes of the direct call on the same values as numpy arrays; dask-backed arguments give the
same bytes once computed. Also the arguments refused among DataArrays."""

import inspect

import numpy as np
import pytest

from thinfilm import ellcalc, optconst, waferbow

xr = pytest.importorskip("xarray", reason="xarray not installed (Debian package python3-xarray)")

RNG = np.random.default_rng(7)
WAFER = xr.DataArray([3, 4, 5], dims="wafer", name="wafer")
SITE = {"site": [0, 1, 2, 3], "x": ("site", [-50.0, -10.0, 20.0, 60.0])}


def by_site(values, dtype=np.float64):
    return xr.DataArray(np.asarray(values, dtype), dims="site", coords=SITE)


def by_wafer_site(low, high, dtype=np.float64):
    values = RNG.uniform(low, high, (3, 4)).astype(dtype)
    return xr.DataArray(values, dims=("wafer", "site"), coords={"wafer": WAFER, **SITE})


ANGLES = xr.DataArray([55.0, 65.0, 75.0], dims="angle", coords={"angle": [55, 65, 75]})
THICK = by_wafer_site(0.0, 600.0)
MEASURED = ellcalc.psi_delta(thickness=THICK.values, wavelength=632.8)
PSI = xr.DataArray(MEASURED.psi, dims=THICK.dims, coords=THICK.coords)
DELTA = by_site(MEASURED.delta[0], np.float32)
FIT = ellcalc.psi_delta(thickness=THICK.values[..., None], angle=ANGLES.values, precision="double")
FITTED = FIT_PSI, FIT_DELTA = tuple(xr.DataArray(v, dims=("wafer", "site", "angle"))
                                    for v in FIT[:2])
FIRST = waferbow.first_state(bow=by_wafer_site(-20.0, 20.0), silicon=by_site([500, 525, 550, 725]))

# (function, positional arguments, keyword arguments): every function, DataArrays at every
# kind of place (keywords, layers, a named tuple of them), in both precisions.
CASES = {
    "psi_delta": (ellcalc.psi_delta, (), dict(
        thickness=THICK, wavelength=by_site([500, 600, 632.8, 800]), substrate="Si",
        film_index="SiO2")),
    "psi_delta_double": (ellcalc.psi_delta, (), dict(
        angle=ANGLES, film_index=by_site([1.4, 1.5, 1.6, 2.0]), precision="double")),
    "substrate_index": (ellcalc.substrate_index, (), dict(psi=PSI, delta=DELTA)),
    "thickness": (ellcalc.thickness, (), dict(
        psi=PSI, delta=DELTA, near=xr.DataArray([np.nan, 100.0, 900.0], dims="wafer"))),
    "thickness_and_index": (ellcalc.thickness_and_index, (), dict(psi=PSI, delta=DELTA,
                                                                  precision="double")),
    "reflection": (ellcalc.reflection, (), dict(thickness=THICK, angle=ANGLES)),
    "harmonics": (ellcalc.harmonics, (), dict(
        thickness=THICK, polariser=xr.DataArray([80.0, 90.0], dims="polariser"))),
    "from_harmonics": (ellcalc.from_harmonics, (), dict(
        h2=by_site([2.266, 2.3, 2.2, 0.1], np.float32), h4_phase=ANGLES)),
    "stack": (ellcalc.stack, ([(1.46, THICK), ("Si3N4", by_site([0, 10, 20, 30]))],), dict(
        substrate="Si", angle=ANGLES)),
    "constants": (optconst.constants, (xr.DataArray([2, 3, 7], dims="material"),), dict(
        wavelength=by_site([300, 500, 632.8, 1000]), voids=0.1)),
    "constants_energy": (optconst.constants, ("SiO2",), dict(
        energy=by_site([1.5, 2.0, 3.0, 4.0]), stress=xr.DataArray([-300.0, 0.0], dims="s"),
        precision="double")),
    "first_state": (waferbow.first_state, (), dict(
        bow=by_wafer_site(-20.0, 20.0), silica=by_site([0.5, 1, 2, 3], np.float32))),
    "continue_pass": (waferbow.continue_pass, (FIRST,), dict(
        silica=xr.DataArray([0.1, 0.5, 2.0], dims="new_silica"))),
    "fit": (ellcalc.fit, FITTED, dict(angle=ANGLES, axis="angle")),
    "fit_index_by_number": (ellcalc.fit, FITTED, dict(angle=ANGLES, axis=2, fit_index=True)),
    "fit_under": (ellcalc.fit, FITTED, dict(
        angle=ANGLES, under=[("SiO2", by_site([0.0, 1.0, 2.0, 3.0]))], max_thickness=700.0)),
}


def test_every_function_has_its_cases():
    functions = {getattr(m, n) for m in (ellcalc, optconst, waferbow) for n in m.__all__
                 if inspect.isfunction(getattr(m, n))}
    assert functions - {optconst.material_label} == {f for f, _, _ in CASES.values()}


def mapped(value, fn):
    """``value`` with fn applied to each DataArray in it, within lists and (named) tuples."""
    if isinstance(value, xr.DataArray):
        return fn(value)
    if isinstance(value, (list, tuple)):
        items = [mapped(v, fn) for v in value]
        return type(value)._make(items) if hasattr(value, "_make") else type(value)(items)
    return value


def call(function, args, kwargs, fn):
    """function on its arguments with fn applied to each DataArray among them; its results
    by field."""
    result = function(*mapped(args, fn), **{k: mapped(v, fn) for k, v in kwargs.items()})
    return result._asdict() if hasattr(result, "_asdict") else {None: result}


def compare(case, chunks=None):
    """The case on DataArrays (rechunked as ``chunks`` says) against the direct call."""
    function, args, kwargs = CASES[case]
    arrays = []
    mapped((args, list(kwargs.values())), arrays.append)
    if chunks is None:
        fields = call(function, args, kwargs, lambda a: a)
    else:
        import dask
        from dask.callbacks import Callback

        started = []
        with Callback(start=started.append):
            fields = call(function, args, kwargs, lambda a: a.chunk(
                {d: c for d, c in chunks.items() if d in a.dims}))
        assert not started, "computed before compute()"
        assert all(r.chunks is not None for r in fields.values())
        fields = dict(zip(fields, dask.compute(*fields.values())))  # one graph: each call once
    dims = next(iter(fields.values())).dims
    core = [d for d in dict.fromkeys(d for a in arrays for d in a.dims) if d not in dims]
    # Each DataArray broadcast against the others as a numpy array of axes dims + core.
    plain = dict(kwargs, axis=-1) if "axis" in kwargs else kwargs
    direct = call(function, args, plain,
                  lambda a: xr.broadcast(a, *arrays)[0].transpose(*dims, *core).values)
    for name, got in fields.items():
        assert got.name == name and got.dims == dims
        want = direct[name]
        assert got.dtype == want.dtype and got.values.tobytes() == want.tobytes(), name
        for a in arrays:
            for coord in a.coords:
                if not set(a.coords[coord].dims) & set(core):
                    xr.testing.assert_equal(got.coords[coord], a.coords[coord])


@pytest.mark.parametrize("case", CASES)
def test_dataarrays_give_the_direct_results_over_their_dimensions(case):
    compare(case)


@pytest.mark.parametrize("case", CASES)
def test_chunked_dataarrays_give_the_same_bytes(case):
    pytest.importorskip("dask.array", reason="dask not installed (Debian package python3-dask)")
    # Chunks across the measurements too: each call still sees a site's measurements whole.
    compare(case, chunks={"wafer": 2, "site": 3, "angle": 2})


def test_one_point_gives_zero_dimensional_dataarrays():
    r = ellcalc.psi_delta(thickness=xr.DataArray(100.0))
    assert r.psi.dims == () and r.psi.dtype == np.float32
    assert r.psi.item() == ellcalc.psi_delta(thickness=100.0).psi
    one_site = ellcalc.fit(FIT_PSI[0, 0], FIT_DELTA[0, 0], angle=ANGLES)
    assert one_site.thickness.dims == () and one_site.converged.item()


@pytest.mark.parametrize("call, error, words", [
    (lambda: ellcalc.psi_delta(thickness=THICK, angle=np.array([60.0, 70.0, 75.0, 80.0])),
     TypeError, "without dimension names"),
    (lambda: ellcalc.fit(FIT_PSI, FIT_DELTA, angle=ANGLES, axis="time"),
     ValueError, "none of the dimensions"),
    (lambda: ellcalc.fit(FIT_PSI, FIT_DELTA, angle=ANGLES, axis=3), ValueError, "range"),
    (lambda: ellcalc.fit(FIT_PSI, FIT_DELTA, axis=True), TypeError, "dimension name"),
    (lambda: ellcalc.psi_delta(thickness=THICK, precision="quad"), ValueError, "precision")])
def test_arguments_refused_among_dataarrays(call, error, words):
    with pytest.raises(error, match=words):
        call()
