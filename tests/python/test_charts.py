"""The data of every chart are the package's own values for the same arguments (the
chart's errors: test_cli)."""

import numpy as np
import pytest

from thinfilm import ellcalc, optconst, waferbow
from thinfilm.charts.bow import REPORT, bow_data
from thinfilm.charts.nk import material_argument, nk_data
from thinfilm.charts.psi_delta import psi_delta_data
from thinfilm.charts.sites import Sites
from thinfilm.charts.wafer_map import map_data

SETTING = dict(wavelength=632.8, angle=70.0, substrate=3.866 - 0.028j)


def _same(a, b):
    np.testing.assert_array_equal(np.asarray(a), np.asarray(b))


def _same_fields(found, expected, names):
    """Each field of `found` holds the same values as that of `expected`; a name may be a
    pair (name in found, name in expected)."""
    for name in names:
        mine, theirs = (name, name) if isinstance(name, str) else name
        _same(getattr(found, mine), getattr(expected, theirs))


def test_trajectories_measured_points_and_fits_are_the_package_values():
    measured = [(43.61, 75.97), (39.44, 78.24)]
    chart = psi_delta_data(indices=[1.46, 2.0], measured=measured, fit_index=True, **SETTING)
    for t, n in zip(chart.trajectories, (1.46, 2.0)):
        r = ellcalc.psi_delta(film_index=n, thickness=t.thickness, **SETTING)
        _same_fields(t, r, ("psi", "delta"))
        assert t.period == r.period[0] and t.thickness[0] == 0 and t.thickness[-1] == t.period
        # Marks every 10 nm of thickness, labels every 50 nm.
        _same(t.thickness[:-1:t.mark_every], np.arange(0, t.period, 10.0))
        _same(t.thickness[:-1:t.label_every], np.arange(0, t.period, 50.0))
    bare = ellcalc.psi_delta(thickness=0.0, **SETTING)
    assert chart.bare == (bare.psi, bare.delta)

    psi, delta = np.array(measured).T
    expected = {(3, n): ellcalc.thickness(film_index=n, psi=psi, delta=delta, **SETTING)
                for n in (1.46, 2.0)}
    expected[4, None] = ellcalc.thickness_and_index(film_index=1.46, psi=psi, delta=delta,
                                                    **SETTING)
    assert len(chart.fits) == 6
    for f in chart.fits:
        r = expected[(f.mode, None if f.mode == 4 else f.film_index)]
        names = ("thickness", "period", "psi", "delta", "residual")
        names += ("film_index", "converged") if f.mode == 4 else ()
        k = f.point - 1
        assert [getattr(f, n) for n in names] == [getattr(r, n)[k] for n in names]
    # The table carries the same values: one row per point drawn.
    table = chart.table()
    kinds = table.column("kind")
    assert kinds.count("trajectory") == sum(len(t.thickness) for t in chart.trajectories)
    assert kinds.count("measured") == 2 and kinds.count("mode 4") == 2
    assert table.column("residual")[-6:] == [f.residual for f in chart.fits]


def test_spectra_are_the_package_values_with_both_polarisations_of_stressed_silica():
    options = dict(voids=0.1, si_c_rate=0.3, stress=-300)
    chart = nk_data(["Si", "SiO2", "Si3N4"], 300, 1000, points=71, **options)
    wavelength = np.linspace(300, 1000, 71)
    _same(chart.values, wavelength)
    assert [(s.material, s.polarisation) for s in chart.spectra] == [
        ("Si", 0), ("SiO2", 1), ("SiO2", 2), ("Si3N4", 0)]
    for s in chart.spectra:
        r = optconst.constants(s.material, wavelength=wavelength, **options)
        suffix = "_2" if s.polarisation == 2 else ""
        _same_fields(s, r, [(n, n + suffix) for n in ("index", "epsilon")])
    # The columns are those the command line writes (test_cli).
    table = chart.table()
    assert table.length == 4 * 71
    _same(table.column("k")[71:142], chart.spectra[1].index.imag)

    # Over energy, and unstressed silica alone.
    chart = nk_data(["SiO2", "Si-a"], 1.5, 5, points=8, energy=True)
    assert chart.axis == "energy" and len(chart.spectra) == 2
    _same(chart.spectra[1].index, optconst.constants("Si-a", energy=np.linspace(1.5, 5, 8)).index)
    assert chart.table().names[2] == "energy"


def test_material_names():
    # (Names refused: test_cli.)
    assert [material_argument(m) for m in ("1", "9", "vacuum", "a-Si", "porous-Si", "sio2")] == [
        "vide", "Si poreux", "vide", "Si-a", "Si poreux", "SiO2"]


def test_bow_predictions_are_the_continue_pass():
    wafer = dict(bow=12.0, silicon=500.0, silica=1.2, diameter=0.15, modulus_si=1.805)
    chart = bow_data((0.1, 3.0), to_silicon=400.0, moment=50.0, points=7, **wafer)
    first = waferbow.first_state(**wafer)
    r = waferbow.continue_pass(first, silicon=400.0, silica=np.linspace(0.1, 3.0, 7),
                               moment=50.0)
    _same_fields(chart.prediction, r, REPORT + ("bow", "regressions"))
    # (The table's bow and thin-film columns: test_stress.)
    assert chart.table().column("silicon") == [400.0] * 7


def _sites(columns):
    rows = [[str(v) for v in row] for row in zip(*columns.values())]
    return Sites(list(columns), rows, {n: np.asarray(v, dtype=float)
                                       for n, v in columns.items() if n != "site"})


def test_map_uses_each_sites_wavelength_and_angle_and_adds_its_columns():
    psi, delta, angle = [43.61, 39.44, 45.1], [75.97, 78.24, 80.2], [70, 65, 75]
    sites = _sites({"site": ["a", "b", "c"], "x": [0, 10, -10], "y": [0, 5, 5], "psi": psi,
                    "delta": delta, "angle": angle, "thickness": [1, 2, 3]})
    options = dict(film_index=1.46, near=500.0, wavelength=600.0, substrate=3.9 - 0.02j)
    chart = map_data(sites, **options)
    r = ellcalc.thickness(angle=angle, psi=psi, delta=delta, **options)
    table = chart.table()
    # An input column named like a computed one is replaced in place; the others stay as read.
    assert table.names == ["site", "x", "y", "psi", "delta", "angle", "thickness", "period",
                           "psi_model", "delta_model", "residual", "order"]
    assert table.column("site") == ["a", "b", "c"]
    for name, field in (("thickness", "thickness"), ("delta_model", "delta"),
                        ("residual", "residual"), ("order", "order")):
        _same(table.column(name), getattr(r, field))
    assert min(r.order) > 0

    fitted = map_data(sites, film_index=1.5, fit_index=True)
    r = ellcalc.thickness_and_index(angle=angle, film_index=1.5, psi=psi, delta=delta)
    _same_fields(fitted.result, r, ("film_index", "thickness", "period", "psi", "delta",
                                    "converged", "residual", "order"))
    assert fitted.table().names[-4:] == ["residual", "order", "film_index", "converged"]


def test_a_map_shows_the_sites_outside_the_wafer_drawn_and_those_off_the_model():
    pytest.importorskip("matplotlib")
    from thinfilm.charts.wafer_map import draw_map

    sites = _sites({"x": [0.0, 60.0, -70.0], "y": [0.0, 0.0, 10.0], "psi": [43.61, 43.61, 80],
                    "delta": [75.97, 75.97, 10]})
    figure = draw_map(map_data(sites), diameter=10.0)
    left, right = figure.axes[0].get_xlim()
    assert left < -70 and right > 60
    assert len(figure.axes[0].collections[0].get_offsets()) == 3
    # The site whose film does not give back its Psi and Delta is marked.
    marked, = (line for line in figure.axes[0].lines if line.get_marker() == "^")
    assert marked.get_label() == "residual above 0.05 deg" and list(marked.get_xdata()) == [-70]
