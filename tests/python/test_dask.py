"""dask: lazy results, one call of the package per chunk, numpy broadcasting for dask arrays
without labels, the package's functions, results and warnings pickled, a lot of wafers on a
local cluster of worker processes; and the package without xarray and dask."""

import os
import pickle
import subprocess
import sys

import numpy as np
import pytest

import thinfilm
from thinfilm import _core, _errors, ellcalc, optconst, waferbow
from common import same


def needs(module):
    return pytest.importorskip(module, reason=f"{module} not installed (Debian package python3-"
                               f"{module.split('.')[0]})")


def lot(wafers, sites, seed=1):
    """Psi and Delta (float32) of SiO2 films on Si, the thickness varying over the lot."""
    thickness = np.random.default_rng(seed).uniform(2.0, 900.0, (wafers, sites))
    m = ellcalc.psi_delta(thickness=thickness, substrate="Si", film_index="SiO2")
    return m.psi, m.delta


def test_results_are_lazy_and_each_chunk_is_one_call(monkeypatch):
    xr, dask = needs("xarray"), needs("dask")
    calls = []
    real = _core.ellcalc_thickness

    def counted(shape, threads, **named):
        calls.append(tuple(shape))
        return real(shape, threads, **named)

    counted.__name__ = real.__name__
    monkeypatch.setattr(_core, "ellcalc_thickness", counted)
    psi, delta = lot(6, 10)
    near = np.linspace(0, 1000, 6)
    r = ellcalc.thickness(
        psi=xr.DataArray(psi, dims=("wafer", "site")).chunk({"wafer": 2, "site": 5}),
        delta=xr.DataArray(delta, dims=("wafer", "site")).chunk({"wafer": 3}),
        near=xr.DataArray(near, dims="wafer"), substrate="Si", film_index="SiO2")
    assert all(0 in shape for shape in calls), "computed before compute()"
    calls.clear()
    computed = dask.compute(*r, scheduler="synchronous")
    # The chunks of both arguments met: wafers 0-1, 2, 3, 4-5, sites 0-4, 5-9.
    assert sorted(calls) == sorted([(1, 2, 5), (1, 1, 5)] * 4)
    direct = ellcalc.thickness(psi=psi, delta=delta, near=near[:, None], substrate="Si",
                               film_index="SiO2")
    assert same(tuple(c.values for c in computed), direct)


ANGLES = np.array([65.0, 70.0, 75.0, 80.0])


def test_dask_arrays_broadcast_as_numpy_arrays():
    da = needs("dask.array")
    needs("xarray")
    thickness = np.linspace(0.0, 500.0, 12).reshape(3, 4)
    wavelength = np.array([[500.0], [632.8], [900.0]])
    r = ellcalc.psi_delta(thickness=da.from_array(thickness, chunks=(2, 3)),
                          wavelength=da.from_array(wavelength, chunks=1), angle=ANGLES)
    assert isinstance(r.psi, da.Array) and r.psi.shape == (3, 4)
    direct = ellcalc.psi_delta(thickness=thickness, wavelength=wavelength, angle=ANGLES)
    assert same(tuple(a.compute() for a in r), direct)
    # The measurements of fit along a numbered axis, as for numpy arrays.
    angles = np.array([60.0, 70.0])
    m = ellcalc.psi_delta(angle=angles[:, None], thickness=thickness[0], precision="double")
    fitted = ellcalc.fit(da.from_array(m.psi, chunks=1), m.delta, angle=angles[:, None], axis=0)
    assert same(tuple(a.compute() for a in fitted),
                ellcalc.fit(m.psi, m.delta, angle=angles[:, None], axis=0))


PICKLED = [getattr(m, name) for m in (ellcalc, optconst, waferbow) for name in m.__all__
           if isinstance(getattr(m, name), type) or callable(getattr(m, name))]


def test_functions_results_and_warnings_pickle():
    for obj in PICKLED:
        assert pickle.loads(pickle.dumps(obj)) is obj, obj
    first = waferbow.first_state(bow=[5.0, 10.0])
    assert same(pickle.loads(pickle.dumps(first)), first)
    errors = [getattr(_errors, n) for n in dir(_errors) if not n.startswith("_")]
    for kind in (e for e in errors if isinstance(e, type) and issubclass(e, Exception)):
        error = kind(1e30) if kind is thinfilm.StressFitError else kind("at flat index 3")
        back = pickle.loads(pickle.dumps(error))
        assert type(back) is kind and str(back) == str(error)
    assert pickle.loads(pickle.dumps(thinfilm.StressFitError(1e30))).stress == 1e30


def test_lazy_results_pickle():
    xr, dask = needs("xarray"), needs("dask")
    psi, delta = lot(4, 6)
    r = ellcalc.substrate_index(psi=xr.DataArray(psi, dims=("w", "s")).chunk({"w": 1}),
                                delta=xr.DataArray(delta, dims=("w", "s")))
    assert same(pickle.loads(pickle.dumps(r)).compute(scheduler="synchronous").values,
                ellcalc.substrate_index(psi=psi, delta=delta))


def _imported():
    return "thinfilm._core" in sys.modules


@pytest.fixture(scope="module")
def cluster():
    needs("xarray")
    needs("dask")
    distributed = needs("distributed")
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
    r = ellcalc.thickness(
        psi=xr.DataArray(psi, dims=("wafer", "site"), coords=coords).chunk({"wafer": 25}),
        delta=xr.DataArray(delta, dims=("wafer", "site")).chunk({"wafer": 50}),
        near=xr.DataArray(near, dims="wafer"), substrate="Si", film_index="SiO2")
    computed = cluster.gather(cluster.compute(list(r)))
    assert all(cluster.run(_imported).values())  # on the workers
    direct = ellcalc.thickness(psi=psi, delta=delta, near=near[:, None], substrate="Si",
                               film_index="SiO2")
    assert same(tuple(c.values for c in computed), direct)
    assert computed[0].dims == ("wafer", "site") and (computed[0].x == coords["x"][1]).all()
    # An exception raised on a worker reaches the client.
    stress = xr.DataArray([0.0, 1e30], dims="s").chunk(1)
    failed = optconst.constants("SiO2", wavelength=632.8, stress=stress).index
    with pytest.raises(thinfilm.StressFitError) as raised:
        cluster.compute(failed).result()
    assert raised.value.stress == 1e30


_USE = ("from thinfilm import ellcalc, optconst, waferbow; import thinfilm.cli\n"
        "ellcalc.psi_delta(thickness=[1.0, 2.0]); optconst.constants('Si', wavelength=600)\n"
        "waferbow.first_state()\n")


@pytest.mark.parametrize(
    "code, out",
    [
        # Neither imported by the package when its arguments are numpy's.
        (_USE + "print(sorted({m.split('.')[0] for m in sys.modules} & {'xarray', 'dask'}))",
         "[]"),
        ("sys.modules.update(dict.fromkeys(['xarray', 'dask', 'distributed']))\n" + _USE
         + "print('without')", "without"),
    ],
)
def test_the_package_works_without_xarray_and_dask(code, out):
    done = subprocess.run([sys.executable, "-c", "import sys\n" + code], capture_output=True,
                          text=True, env=dict(os.environ, PYTHONPATH=os.pathsep.join(sys.path)),
                          check=False)
    assert done.returncode == 0 and done.stdout.strip() == out, done.stderr


def test_dask_arrays_without_xarray_are_refused_with_the_package_to_install():
    needs("dask.array")
    code = ("import sys; sys.modules['xarray'] = None\nimport dask.array as da\n"
            "from thinfilm import ellcalc\nellcalc.psi_delta(thickness=da.ones(3))")
    done = subprocess.run([sys.executable, "-c", code], capture_output=True, text=True,
                          env=dict(os.environ, PYTHONPATH=os.pathsep.join(sys.path)), check=False)
    assert "ImportError" in done.stderr and "python3-xarray" in done.stderr
