"""dask: one call of the package per chunk, numpy broadcasting for dask arrays
without labels, the package's functions, results and warnings pickled, a lot of wafers on a
local cluster of worker processes; and the package without xarray and dask."""

import pickle
import sys

import numpy as np
import pytest

import thinfilm
from thinfilm import _core, _errors, ellcalc, optconst, waferbow
from common import run_python, same


def needs(*modules):
    """The last of the modules, each imported or the test skipped with the package to install."""
    for module in modules:
        found = pytest.importorskip(module, reason=f"{module} not installed (Debian package "
                                    f"python3-{module.split('.')[0]})")
    return found


def lot(wafers, sites, seed=1):
    """Psi and Delta (float32) of SiO2 films on Si, the thickness varying over the lot."""
    thickness = np.random.default_rng(seed).uniform(2.0, 900.0, (wafers, sites))
    m = ellcalc.psi_delta(thickness=thickness, substrate="Si", film_index="SiO2")
    return m.psi, m.delta


def lot_thickness(psi, delta, near, chunks=None, coords=None):
    """The films of a lot (SiO2 on Si): psi and delta by wafer and site, near by wafer;
    as DataArrays, psi and delta chunked as the pair chunks says, when it is given."""
    kw = dict(substrate="Si", film_index="SiO2")
    if chunks is None:
        return ellcalc.thickness(psi=psi, delta=delta, near=near[:, None], **kw)
    import xarray as xr

    return ellcalc.thickness(
        psi=xr.DataArray(psi, dims=("wafer", "site"), coords=coords).chunk(chunks[0]),
        delta=xr.DataArray(delta, dims=("wafer", "site")).chunk(chunks[1]),
        near=xr.DataArray(near, dims="wafer"), **kw)


def again(obj):
    return pickle.loads(pickle.dumps(obj))


def computed(lazy):
    return tuple(a.compute() for a in lazy)


def assert_lot(films, psi, delta, near):
    """The films computed from DataArrays are the bytes of the direct call."""
    assert same(tuple(c.values for c in films), lot_thickness(psi, delta, near))


def test_each_chunk_is_one_call(monkeypatch):
    dask = needs("xarray", "dask")
    calls = []
    real = _core.ellcalc_thickness

    def counted(shape, threads, **named):
        calls.append(tuple(shape))
        return real(shape, threads, **named)

    counted.__name__ = real.__name__
    monkeypatch.setattr(_core, "ellcalc_thickness", counted)
    psi, delta = lot(6, 10)
    near = np.linspace(0, 1000, 6)
    r = lot_thickness(psi, delta, near, ({"wafer": 2, "site": 5}, {"wafer": 3}))
    calls.clear()  # dask's probes of the function on empty chunks
    films = dask.compute(*r, scheduler="synchronous")
    # The chunks of both arguments met: wafers 0-1, 2, 3, 4-5, sites 0-4, 5-9.
    assert sorted(calls) == sorted([(1, 2, 5), (1, 1, 5)] * 4)
    assert_lot(films, psi, delta, near)


ANGLES = np.array([65.0, 70.0, 75.0, 80.0])


def test_dask_arrays_broadcast_as_numpy_arrays():
    da = needs("xarray", "dask.array")
    thickness = np.linspace(0.0, 500.0, 12).reshape(3, 4)
    wavelength = np.array([[500.0], [632.8], [900.0]])
    r = ellcalc.psi_delta(thickness=da.from_array(thickness, chunks=(2, 3)),
                          wavelength=da.from_array(wavelength, chunks=1), angle=ANGLES)
    assert isinstance(r.psi, da.Array) and r.psi.shape == (3, 4)
    assert same(computed(r), ellcalc.psi_delta(thickness=thickness, wavelength=wavelength,
                                               angle=ANGLES))
    # The measurements of fit along a numbered axis, as for numpy arrays.
    angles = np.array([60.0, 70.0])
    m = ellcalc.psi_delta(angle=angles[:, None], thickness=thickness[0], precision="double")
    fitted = ellcalc.fit(da.from_array(m.psi, chunks=1), m.delta, angle=angles[:, None], axis=0)
    assert same(computed(fitted), ellcalc.fit(m.psi, m.delta, angle=angles[:, None], axis=0))


PICKLED = [getattr(m, name) for m in (ellcalc, optconst, waferbow) for name in m.__all__
           if isinstance(getattr(m, name), type) or callable(getattr(m, name))]


def test_functions_results_and_warnings_pickle():
    for obj in PICKLED:
        assert again(obj) is obj, obj
    first = waferbow.first_state(bow=[5.0, 10.0])
    assert same(again(first), first)
    errors = [getattr(_errors, n) for n in dir(_errors) if not n.startswith("_")]
    for kind in (e for e in errors if isinstance(e, type) and issubclass(e, Exception)):
        stress = kind is thinfilm.StressFitError
        error = kind(1e30) if stress else kind("at flat index 3")
        back = again(error)
        assert type(back) is kind and str(back) == str(error)
        assert not stress or back.stress == 1e30


@pytest.fixture(scope="module")
def cluster():
    distributed = needs("xarray", "dask", "distributed")
    with distributed.LocalCluster(n_workers=2, threads_per_worker=1, processes=True,
                                  host="127.0.0.1", dashboard_address=None) as local, \
            distributed.Client(local) as client:
        yield client


# The lot's Psi and Delta go to the workers in the graph, as a lab script sends them.
@pytest.mark.filterwarnings("ignore:Large object of size")
def test_a_lot_on_a_local_cluster(cluster):
    import xarray as xr

    wafers, sites = 200, 5000
    psi, delta = lot(wafers, sites)
    near = np.linspace(0.0, 900.0, wafers)
    coords = {"wafer": np.arange(wafers), "x": ("site", np.linspace(-70, 70, sites))}
    r = lot_thickness(psi, delta, near, ({"wafer": 25}, {"wafer": 50}), coords)
    films = cluster.gather(cluster.compute(list(r)))
    assert all(cluster.run(lambda: "thinfilm._core" in sys.modules).values())  # on the workers
    assert_lot(films, psi, delta, near)
    assert films[0].dims == ("wafer", "site") and (films[0].x == coords["x"][1]).all()
    # An exception raised on a worker reaches the client.
    stress = xr.DataArray([0.0, 1e30], dims="s").chunk(1)
    failed = optconst.constants("SiO2", wavelength=632.8, stress=stress).index
    with pytest.raises(thinfilm.StressFitError) as raised:
        cluster.compute(failed).result()
    assert raised.value.stress == 1e30


_USE = ("from thinfilm import ellcalc, optconst, waferbow; import thinfilm.cli\n"
        "ellcalc.psi_delta(thickness=[1.0, 2.0]); optconst.constants('Si', wavelength=600)\n"
        "waferbow.first_state()\n")


@pytest.mark.parametrize("code, out", [
    # Neither imported by the package when its arguments are numpy's.
    (_USE + "print(sorted({m.split('.')[0] for m in sys.modules} & {'xarray', 'dask'}))", "[]"),
    ("sys.modules.update(dict.fromkeys(['xarray', 'dask', 'distributed']))\n" + _USE
     + "print('without')", "without")])
def test_the_package_works_without_xarray_and_dask(code, out):
    done = run_python("import sys\n" + code)
    assert done.returncode == 0 and done.stdout.strip() == out, done.stderr


def test_dask_arrays_without_xarray_are_refused_with_the_package_to_install():
    needs("dask.array")
    done = run_python("import sys; sys.modules['xarray'] = None\nimport dask.array as da\n"
                      "from thinfilm import ellcalc\nellcalc.psi_delta(thickness=da.ones(3))")
    assert "ImportError" in done.stderr and "python3-xarray" in done.stderr
