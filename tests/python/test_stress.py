"""Film stress from the bows before and after the film, its uncertainty, and continue
passes that say whether they settled: against Stoney's thin-film formula, the thin-film
scaling of an etch-back, plate bending of the bare wafer and a Monte Carlo spread; and the
command line's stress command and bow chart from the bow of the bare wafer."""

import numpy as np
import pytest

from common import assert_unsettled_warned, read_rows
from thinfilm import SolverWarning, waferbow

UM = float(np.float32(1e-6))  # m: the programs' micrometre, 1E-6 in single precision
MODULUS = 1e5  # MPa, the moduli's unit
NEWTON = 1e-6  # MN

FIRST = ("bow", "initial_bow", "diameter", "silicon", "silica", "modulus_si", "modulus_sio2")
# The measurements that the Monte Carlo spread draws.
MEASURED = ("bow", "initial_bow", "silicon", "silica", "modulus_si")
# A 150 mm wafer of 675 um, -3.5 um bare and 21 um after 1.2 um of oxide, and the command
# line's options for it (the stress command's, modulus given).
WAFER = dict(bow=21.0, initial_bow=-3.5, diameter=0.15, silicon=675.0, silica=1.2)
OPTIONS = "--diameter 150 --silicon 675 --silica 1.2".split()
STRESS = ["--bow-before", "-3.5", "--bow-after", "21", *OPTIONS, "--modulus-si", "1.805"]


def curvature(bow, diameter):
    """1/m of the circle through the ends of the chord and the sagitta `bow` (um)."""
    s = np.asarray(bow) * UM
    return 2 * s / (s * s + diameter**2 / 4)


def stoney(w, change):
    """Stoney's film stress (MPa, negative compressive) for a change of curvature."""
    return -w["modulus_si"] * MODULUS * (w["silicon"] * UM) ** 2 * change / (6 * w["silica"] * UM)


def thin_film_wafers(seed, n, largest_ratio):
    """n wafers with silica of 1e-5 to `largest_ratio` of the silicon, bent by a film
    stress of 20 to 500 MPa either way from a bare bow of either sign (or flat, for half)."""
    g = np.random.default_rng(seed)
    w = {"silicon": g.uniform(300, 1000, n), "diameter": g.uniform(0.075, 0.3, n),
         "modulus_si": g.uniform(1.3, 2.3, n), "modulus_sio2": g.uniform(0.7, 0.9, n),
         "initial_bow": g.uniform(-10, 10, n) * (g.random(n) < 0.5)}
    w["silica"] = w["silicon"] * np.exp(g.uniform(np.log(1e-5), np.log(largest_ratio), n))
    stress = g.uniform(20, 500, n) * np.where(g.random(n) < 0.5, -1, 1)
    # The sagitta of Stoney's curvature change, added to the bare bow.
    change = -6 * stress * w["silica"] / (w["modulus_si"] * MODULUS * w["silicon"] ** 2 * UM)
    w["bow"] = w["initial_bow"] + change * w["diameter"] ** 2 / 8 / UM
    return w


def film_stress(r):
    return (r.stress_sio2_interface + r.stress_sio2_surface) / 2


def test_thin_films_give_stoneys_stress_from_the_change_of_curvature():
    w = thin_film_wafers(1, 2000, 2e-3)
    r = waferbow.first_state(**w)
    expected = stoney(w, curvature(w["bow"], w["diameter"])
                      - curvature(w["initial_bow"], w["diameter"]))
    np.testing.assert_allclose(r.stress_stoney, expected, rtol=1e-6)
    assert np.abs(film_stress(r) / r.stress_stoney - 1).max() < 0.005
    # Continued with its thicknesses, the wafer shows its measured bow again (the film's
    # part as closely as the Newton steps' energy test, 1e-4, places it).
    np.testing.assert_allclose(waferbow.continue_pass(r).bow - w["initial_bow"],
                               w["bow"] - w["initial_bow"], rtol=1e-4)

    # The bare bow of WAFER taken as flat gives a stress 14% low.
    flat = waferbow.first_state(**dict(WAFER, initial_bow=0.0), modulus_si=1.805)
    measured = waferbow.first_state(**WAFER, modulus_si=1.805)
    assert film_stress(flat) / film_stress(measured) == pytest.approx(21 / 24.5, rel=1e-3)


# Within 0.5% while the silica stays below 0.1% of the silicon, within 4% below 1%.
@pytest.mark.parametrize("largest_ratio, tolerance", [(1e-3, 0.005), (1e-2, 0.04)])
def test_generated_etch_backs_settle_on_the_thin_film_scaling_or_warn(largest_ratio, tolerance,
                                                                      recwarn):
    n = 360
    w = thin_film_wafers(2, n, largest_ratio)
    g = np.random.default_rng(3)
    silica = w["silica"] * g.uniform(0.02, 3, n)
    silicon = w["silicon"] * g.uniform(0.7, 1.1, n)
    silica = np.minimum(silica, silicon * largest_ratio)
    # One in six pushed by a moment beyond what most first states balance.
    moment = np.where(np.arange(n) % 6 == 0, g.uniform(-2, 2, n), 0.0).astype(np.float32)
    r = waferbow.continue_pass(waferbow.first_state(**w), silicon=silicon, silica=silica,
                               moment=moment)
    plain = r.settled & (moment == 0)
    assert np.count_nonzero(plain) > 280
    scaled = (w["bow"] - w["initial_bow"]) * silica / w["silica"] * (w["silicon"] / silicon) ** 2
    assert np.abs((r.bow - w["initial_bow"]) / scaled - 1)[plain].max() < tolerance
    # Settling is not a matter of the step count: many of them took the solving again.
    assert np.count_nonzero(plain & (r.regressions > 10000)) >= 10
    assert r.regressions.max() <= 90000
    assert not r.settled.all()
    assert_unsettled_warned(recwarn, r.settled)
    assert all(issubclass(c.category, SolverWarning) for c in recwarn)


@pytest.mark.filterwarnings("error")
@pytest.mark.parametrize("newtons", [0.0, 0.002])
def test_a_film_thinned_towards_nothing_approaches_the_bare_wafer(newtons):
    first = waferbow.first_state(bow=-25.0, initial_bow=3.0, diameter=0.15, silicon=675.0,
                                 silica=1.0, modulus_si=1.805)
    left = np.r_[10.0 ** -np.arange(13), 1e-300, 0.0]
    r = waferbow.continue_pass(first, silica=left, moment=newtons)
    assert r.settled.all()

    # The stripped wafer: the silicon bent about its mid-plane by the moment alone.
    bare = waferbow.ContinuePass(*(np.asarray(v)[-1] for v in r))
    h1, m = 675.0 * UM, newtons * NEWTON
    assert bare.regressions == 0 and bare.energy_sio2 == 0.0
    for name in ("neutral_line_sio2", "stress_sio2_interface", "stress_sio2_surface",
                 "strain_sio2_interface", "strain_sio2_surface", "stress_stoney"):
        assert np.isnan(getattr(bare, name))
    assert bare.stress_si_surface == pytest.approx(6 * m / h1**2, rel=1e-6)
    assert bare.stress_si_interface == pytest.approx(-6 * m / h1**2, rel=1e-6)
    bent = -12 * m / (first.modulus_si_mpa * h1**3)
    assert 1 / bare.radius == pytest.approx(bent / (1 + bent * h1 / 2), rel=1e-6)
    # Without a moment, the bare bow itself but for the single-precision micrometre.
    assert bare.bow == pytest.approx((curvature(3.0, 0.15) + 1 / bare.radius) * 0.15**2 / 8 / UM,
                                     rel=1e-6 if newtons else 1e-8)

    # Every distance from it shrinks as the film does, to nothing (the radius compared as a
    # curvature).
    curved = r._replace(radius=1 / np.asarray(r.radius))
    for name in ("bow", "radius", "stress_si_interface", "stress_si_surface",
                 "strain_si_interface", "strain_si_surface", "energy_si", "bending_moment"):
        v = np.asarray(getattr(curved, name))
        distance = np.abs(v - v[-1])
        assert (np.diff(distance) <= 1e-12 * distance[0]).all(), name
        assert distance[5] < 1e-3 * distance[0], name


def test_the_standard_deviation_of_the_film_stress_is_the_monte_carlo_spread():
    g = np.random.default_rng(4)
    for _ in range(5):
        w = thin_film_wafers(int(g.integers(1 << 30)), 1, 5e-3)
        w = {k: float(v[0]) for k, v in w.items()}
        scale = dict(w, bow=abs(w["bow"]), initial_bow=max(abs(w["initial_bow"]), 1.0))
        sigma = {k: scale[k] * u for k, u in zip(MEASURED, g.uniform(0.01, 0.04, 5))}
        r = waferbow.first_state(**w, **{"sigma_" + k: v for k, v in sigma.items()})
        drawn = {k: w[k] + (g.normal(0, sigma[k], 20000) if k in sigma else 0) for k in FIRST}
        spread = np.std(film_stress(waferbow.first_state(**drawn)))
        assert r.sigma_stress_sio2 == pytest.approx(spread, rel=0.1), (w, sigma)
    assert waferbow.first_state().sigma_stress_sio2 == 0.0
    assert np.isnan(waferbow.first_state(bow=0.0, sigma_bow=0.1).sigma_stress_sio2)


@pytest.mark.parametrize("arguments, raised, words", [
    ({"sigma_silica": [0.01, -0.01]}, ValueError, "sigma_silica must not be negative"),
    ({"sigma_bow": -1e-300}, ValueError, "sigma_bow must not be negative"),
    ({"diameter": 150.0}, UserWarning, "diameter 150 m is above 1 m"),
    ({"diameter": [0.1, 200.0, np.nan]}, UserWarning, "0.15 for a 150 mm wafer"),
])
@pytest.mark.filterwarnings("error")
def test_arguments_out_of_their_units_are_named(arguments, raised, words):
    with (pytest.warns if issubclass(raised, Warning) else pytest.raises)(raised, match=words):
        waferbow.first_state(**arguments)
    waferbow.first_state(diameter=[0.3, 1.0, np.nan], sigma_bow=[0.0, np.nan, 1.0])


def test_stress_prints_or_writes_the_report_of_the_change_of_curvature(cli, tmp_path):
    argv = ["stress", *STRESS, "--sigma-bow", "0.5", "--sigma-silica", "0.01"]
    status, out, err = cli(*argv)
    assert status == 0 and err == ""
    # Written with -o, the same table.
    assert cli(*argv, "-o", "s.csv")[:2] == (0, "")
    assert (tmp_path / "s.csv").read_text() == out
    rows = {row["quantity"]: row for row in read_rows(tmp_path / "s.csv")}
    r = waferbow.first_state(**WAFER, modulus_si=1.805, sigma_bow=0.5, sigma_initial_bow=0.5,
                             sigma_silica=0.01)
    names = waferbow.REPORT + ("stress_stoney", "sigma_stress_sio2")
    # Every digit of the package's values, in their units.
    assert [float(rows[n]["value"]) for n in names] == [getattr(r, n) for n in names]
    assert [rows[n]["unit"] for n in names] == [waferbow.UNITS[n] for n in names]
    assert (rows["diameter"]["value"], rows["diameter"]["unit"]) == ("0.15", "m")
    assert rows["sigma_stress_sio2"]["unit"] == "MPa" and r.sigma_stress_sio2 > 0


@pytest.mark.parametrize("argv, words", [
    ([*STRESS, "--diameter", "0.15"],
     "argument --diameter: '0.15' is below 1: the diameter is in mm"),
    ([*STRESS, "-o", "s.png"], "argument -o/--output: 's.png' does not end in .csv"),
    ([*STRESS, "--sigma-bow", "-1"], "argument --sigma-bow: '-1' is below 0"),
    ([*STRESS, "--bow-before", "21"],
     "argument --bow-after: no change of curvature: the same bow"),
    ([*STRESS, "--silica", "0"], "argument --silica: '0' is not above 0"),
    ("--bow-after 21 --diameter 150 -o s.csv".split(), "arguments are required"),
])
def test_stress_refusals_end_with_status_2_and_write_nothing(argv, words, cli, tmp_path):
    status, out, err = cli("stress", *argv)
    assert status == 2 and out == "" and words in err
    assert sorted(p.name for p in tmp_path.iterdir()) == ["sites.csv"]


def test_bow_chart_starts_from_the_bare_wafer(cli, tmp_path):
    assert cli("chart", "bow", "--bow", "21", "--initial-bow", "-3.5", *OPTIONS, "--to-silica",
               "0:1.2", "--points", "4", "-o", "b.csv")[::2] == (0, "")
    rows = read_rows(tmp_path / "b.csv")
    expected = waferbow.continue_pass(waferbow.first_state(**WAFER),
                                      silica=[float(r["silica"]) for r in rows])
    assert [float(r["bow"]) for r in rows] == list(expected.bow)
    assert [r["thin_film_bow"] for r in rows][::3] == ["-3.5", "21.0"]
    assert {r["settled"] for r in rows} == {"1"}
