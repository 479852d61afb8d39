"""ellcalc.stack against the textbook recursion of textbook.py, and the limits a stack must
meet (zero thicknesses, evanescent and opaque layers, a hundred layers); its arguments,
materials and broadcasting; the chart over known layers."""

import itertools

import numpy as np
import pytest

from common import as_list, delta_gap, gap, same, same_at_thread_counts
from textbook import stack_model
from thinfilm import IndexConventionWarning, Material, ellcalc, optconst
from thinfilm.charts.psi_delta import layer_argument, psi_delta_data

N = 3000
SI = 3.866 - 0.028j
# The setting of the single points: silicon, 632.8 nm, 70 degrees.
AT = dict(substrate=SI, wavelength=632.8, angle=70.0)


def random_stacks(seed, count, n=N):
    """n random points of `count` layers, a third of them transparent, on absorbing
    substrates, at 0 to 80 degrees."""
    g = np.random.default_rng(seed)
    layers = []
    for _ in range(count):
        k = np.where(g.uniform(size=n) < 1 / 3, 0.0, g.uniform(0, 2, n))
        layers.append((g.uniform(1.2, 4, n) - 1j * k, g.uniform(0, 300, n)))
    return dict(layers=layers, substrate=g.uniform(1.5, 5, n) - 1j * g.uniform(0.01, 4, n),
                wavelength=g.uniform(250, 1000, n), angle=g.uniform(0, 80, n))


def assert_textbook(case, psi_tol=1e-8, r_tol=1e-11):
    """ellcalc.stack of the case against the textbook model; returns the stack's result."""
    r = ellcalc.stack(**case)
    rp, rs, psi, delta = stack_model(**case)
    for got, want in ((r.rp, rp), (r.rs, rs), (r.Rp, np.abs(rp) ** 2), (r.Rs, np.abs(rs) ** 2)):
        assert gap(got, want) < r_tol
    assert gap(r.psi, psi) < psi_tol and delta_gap(r.delta, delta) < psi_tol
    assert np.all((r.delta > -180) & (r.delta <= 180))
    return r


@pytest.mark.parametrize("count, n, psi_tol, r_tol", [
    *((count, N, 1e-8, 1e-11) for count in (1, 2, 3, 4)), (100, 200, 1e-7, 1e-10)])
def test_random_stacks_agree_with_the_textbook_model(count, n, psi_tol, r_tol):
    r = assert_textbook(random_stacks(count, count, n), psi_tol, r_tol)
    assert r.psi.dtype == np.float64 and r.rp.dtype == np.complex128


def test_layers_of_zero_thickness_change_nothing():
    case = random_stacks(3, 2, n=500)
    r, layers = ellcalc.stack(**case), case["layers"]
    # Absorbing, evanescent, dense: anywhere in the stack.
    for index, at in itertools.product((2.5 - 1.5j, 0.3, 5.0), (0, 1, 2)):
        zero = layers[:at] + [(index, 0.0)] + layers[at:]
        assert same(ellcalc.stack(**dict(case, layers=zero)), r)
    assert same(ellcalc.stack([("SiO2", 0.0), (1.0, 0.0)], substrate="Si"),
                ellcalc.stack([], substrate="Si"))


def test_an_evanescent_layer_counts_and_is_continuous_across_the_sine_of_the_angle():
    sine = np.sin(np.radians(70.0))
    r = assert_textbook(dict(AT, layers=[(0.93, 50.0)]))
    assert abs(r.psi - ellcalc.stack([], substrate=SI).psi) > 0.3
    # Across the critical index, its exact value included: no jump, no NaN.
    n = np.append(sine * (1 + np.linspace(-1e-4, 1e-4, 2001)), sine)
    r = ellcalc.stack([(n, 50.0)], substrate=SI)
    assert np.all(np.isfinite(r.psi)) and np.all(np.isfinite(r.delta))
    assert gap(np.diff(r.psi[:-1]), 0) < 1e-4 and gap(np.diff(r.delta[:-1]), 0) < 1e-3
    assert abs(r.psi[-1] - r.psi[1000]) < 1e-9
    assert_textbook(dict(AT, layers=[(n[np.abs(n - sine) > 1e-5], 50.0)]), r_tol=1e-10)


@pytest.mark.parametrize("thickness", [1e5, 1e12])
def test_an_opaque_layer_is_the_substrate(thickness):
    index = np.array([2.5 - 1.0j, 0.2 - 3.5j, 4.0 - 0.05j])
    r = ellcalc.stack([(1.46, 100.0), (index, thickness)], substrate=1.0)
    alone = ellcalc.stack([(1.46, 100.0)], substrate=index)
    assert all(gap(a, b) < 1e-12 for a, b in zip(r, alone))


def test_a_hundred_layers():
    # A quarter-wave mirror of 50 pairs on glass at normal incidence: admittance
    # (nH / nL)^100 times the glass's.
    high, low, glass, wavelength = 1.5, 1.45, 1.52, 600.0
    layers = [(high, wavelength / 4 / high), (low, wavelength / 4 / low)] * 50
    r = ellcalc.stack(layers, substrate=glass, wavelength=wavelength, angle=0.0)
    y = (high / low) ** 100 * glass
    assert r.Rs == pytest.approx(((1 - y) / (1 + y)) ** 2, abs=1e-12)
    assert r.Rp == pytest.approx(r.Rs, abs=1e-12)


def test_every_element_broadcasts_like_a_ufunc():
    index = np.array([1.46, 2.0 - 0.1j, 3.0])[:, None, None]
    thickness = np.array([10.0, 150.0])[:, None]
    wavelength = np.array([400.0, 500.0, 600.0, 700.0])
    angle = np.array([[[[60.0]]], [[[70.0]]]])
    r = ellcalc.stack([(index, thickness), ("SiO2", 2.0)], wavelength=wavelength,
                      substrate=SI, angle=angle)
    assert all(v.shape == (2, 3, 2, 4) for v in r)
    for a, i, t, w in np.ndindex(2, 3, 2, 4):
        one = ellcalc.stack([(index[i, 0, 0], thickness[t, 0]), ("SiO2", 2.0)],
                            wavelength=wavelength[w], substrate=SI, angle=angle[a, 0, 0, 0])
        assert [type(v) for v in one] == [complex, complex, float, float, float, float]
        assert same(one, [v[a, i, t, w] for v in r])
    assert all(v.shape == (0, 3) for v in ellcalc.stack([(1.5, np.empty((0, 3)))]))
    with pytest.raises(ValueError, match="broadcast"):
        ellcalc.stack([(1.5, [1.0, 2.0])], wavelength=[500.0, 600.0, 700.0])


def test_results_do_not_depend_on_the_thread_count(threads):
    case = random_stacks(5, 3, n=40001)
    assert same_at_thread_counts(lambda: ellcalc.stack(**case), (1, 3))


LOSSY = [(2.0 - 0.5j, 40.0)]


@pytest.mark.parametrize("layers, nan", [
    (LOSSY, dict(wavelength=np.nan)), (LOSSY, dict(angle=np.nan)),
    (LOSSY, dict(substrate=np.nan)), ([(np.nan, 40.0)], {}), ([(2.0, np.nan)], {}),
    ([(complex(np.nan, 0), 0.0)], {}),
    # A bare substrate does not depend on the wavelength, yet a NaN one still gives NaN.
    ([], dict(wavelength=np.nan))])
def test_a_nan_gives_nan(layers, nan):
    assert all(np.isnan(v) for v in as_list(ellcalc.stack(layers, **dict(AT, **nan))))


def test_materials_by_name_or_with_their_composition():
    w = np.array([400.0, 632.8, 900.0])

    def index(name, **kw):
        return optconst.constants(name, wavelength=w, precision="double", **kw).index

    porous = Material("porous-Si", voids=0.3, si_c_rate=0.2)
    expected = index("Si poreux", voids=0.3, si_c_rate=0.2)
    assert same(porous.index(w), expected)
    named = ellcalc.stack([("si3n4", 80.0), (porous, 50.0)], substrate="Si", wavelength=w)
    assert same(named, ellcalc.stack([(index("Si3N4"), 80.0), (expected, 50.0)],
                                     substrate=index("Si"), wavelength=w))
    # The other functions take a Material wherever they take a name.
    oxide = optconst.constants("SiO2", wavelength=w, voids=0.1).index.real
    assert same(ellcalc.psi_delta(substrate=porous, film_index=Material("SiO2", voids=0.1),
                                  wavelength=w),
                ellcalc.psi_delta(substrate=expected.astype(np.complex64), film_index=oxide,
                                  wavelength=w))
    assert porous == Material("Si poreux", si_c_rate=0.2, voids=0.3) != Material("Si")
    assert repr(Material("SiOx", x=1.5)) == "Material('SiOx', x=1.5)"


@pytest.mark.parametrize("call, error, words", [
    (lambda: Material("Si", voids=0.1), ValueError, "'Si' takes no voids"),
    (lambda: Material("SiO2", si_c_rate=0.1), ValueError, "takes no si_c_rate"),
    (lambda: Material("Si3N4", x=1.0), ValueError, "takes no x"),
    (lambda: Material("unobtainium"), ValueError, "unknown material"),
    (lambda: Material(3), TypeError, "string"),
    (lambda: ellcalc.stack([(Material("Si-a", voids=2.0), 1.0)]), ValueError, "voids"),
    (lambda: ellcalc.stack("SiO2"), TypeError, "pairs"),
    (lambda: ellcalc.stack([(1.5, 1.0, 2.0)]), TypeError, "pairs"),
    (lambda: ellcalc.stack([1.5]), TypeError, "pairs"),
    (lambda: ellcalc.stack([(1.5, [1.0, -2.0])]), ValueError, "layer 1 thickness"),
    (lambda: ellcalc.stack([(1.5, 1.0), ("vaccum", 1.0)]), ValueError, "unknown material"),
    (lambda: ellcalc.stack([(1.5, "a")]), TypeError, "layer 1 thickness"),
    (lambda: ellcalc.stack([], angle=True), TypeError, "angle")])
def test_bad_arguments_are_refused(call, error, words):
    with pytest.raises(error, match=words):
        call()


@pytest.mark.parametrize("layers, substrate, named", [
    ([(1.5, 10.0)], 3.8 + 0.02j, "substrate"),
    ([(1.5, 10.0), (2.0 + 0.1j, 5.0)], SI, "layer 2")])
def test_an_index_written_n_plus_ik_is_warned_of(layers, substrate, named, recwarn):
    r = ellcalc.stack(layers, substrate=substrate)
    assert [w.category for w in recwarn] == [IndexConventionWarning]
    assert str(recwarn[0].message).startswith(named) and recwarn[0].filename == __file__
    assert np.isfinite(r.psi)


def test_the_chart_over_known_layers():
    under = [("SiO2", 2.0), (1.46 - 0.01j, 3.0)]
    film = ellcalc.stack([(2.0, 120.0)] + under, **AT)
    chart = psi_delta_data(indices=[1.46, 2.0], measured=[(film.psi, film.delta)],
                           fit_index=True, under=under, **AT)
    for t in chart.trajectories:
        r = ellcalc.stack([(t.film_index, t.thickness)] + under, **AT)
        assert same((t.psi, t.delta), (r.psi, r.delta))
    bare = ellcalc.stack(under, **AT)
    assert chart.bare == (bare.psi, bare.delta)
    # The measured film is found over the layers, at its index and with the index free.
    found = {(f.mode, f.film_index): f for f in chart.fits}
    assert found[(3, 2.0)].thickness == pytest.approx(120.0, abs=1e-6)
    assert found[(3, 2.0)].residual < 1e-8 and found[(3, 1.46)].residual > 1
    fit = next(f for f in chart.fits if f.mode == 4)
    assert fit.converged and fit.residual < 1e-6


@pytest.mark.parametrize("text, words", [
    ("SiO2", "is not INDEX_OR_MATERIAL:THICKNESS_NM"), (":2", "is not INDEX_OR_MATERIAL"),
    ("SiO2:x", "thickness 'x' is not a number"), ("SiO2:-1", "not negative"),
    ("SiO2:inf", "finite"), ("Sx:2", "neither an index"), ("nan:2", "not finite")])
def test_a_known_layer_of_the_command_line_is_checked(text, words):
    with pytest.raises(ValueError, match=words):
        layer_argument(text)


def test_the_command_line_draws_over_known_layers(cli, tmp_path):
    status, _, err = cli("chart", "psi-delta", "--under", "SiO2:2", "--under", "1.46:0",
                         "--measured", "43,75", "-o", "p.csv")
    assert status == 0 and err == ""
    rows = (tmp_path / "p.csv").read_text().splitlines()
    bare = ellcalc.stack([("SiO2", 2.0)], substrate=SI)
    assert any(row.startswith("substrate,,,0.0,,%r," % bare.psi) for row in rows)
