"""The residual and the order of the inversions (thickness, thickness_and_index and the
film of from_harmonics): the residual is that of the model returned, large where the film
does not reproduce the measurement; near= picks the order of thick films."""

import math

import numpy as np
import pytest

from common import same
from thinfilm import ellcalc

PRECISIONS = [("single", np.float32, 1e-3), ("double", np.float64, 1e-9)]
_remainder = np.frompyfunc(math.remainder, 2, 1)


def without(kw, name):
    return {k: v for k, v in kw.items() if k != name}


def films(seed, n, precision, thickness=(10.0, 1500.0)):
    """n random films, their Psi and Delta, and those as the measurement the inversions take."""
    g = np.random.default_rng(seed)
    kw = dict(wavelength=g.uniform(400, 900, n), angle=g.uniform(45, 80, n),
              film_index=g.uniform(1.3, 2.3, n), thickness=g.uniform(*thickness, n),
              precision=precision)
    m = ellcalc.psi_delta(**kw)
    return kw, m, dict(without(kw, "thickness"), psi=m.psi, delta=m.delta)


def harmonic_terms(h):
    """The measured harmonics that from_harmonics takes, from those of ellcalc.harmonics."""
    return {k: getattr(h, k) for k in ("h2", "h2_phase", "h4", "h4_phase")}


@pytest.mark.parametrize("precision, real, _", PRECISIONS)
def test_the_residual_is_that_of_the_model_returned(precision, real, _):
    g = np.random.default_rng(7)
    n = 1000
    # Measurements anywhere, Delta also beyond +-180; absorbing substrates.
    kw = dict(wavelength=g.uniform(300, 1000, n), angle=g.uniform(30, 85, n),
              substrate=g.uniform(1.2, 5, n) - 1j * g.uniform(0, 3, n),
              film_index=g.uniform(1.2, 2.5, n), precision=precision)
    psi, delta = g.uniform(1, 89, n), g.uniform(-540, 540, n)
    h = ellcalc.harmonics(**without(kw, "film_index"), thickness=g.uniform(0, 500, n))
    measured = dict(kw, psi=psi, delta=delta)
    for r in (ellcalc.thickness(**measured), ellcalc.thickness_and_index(**measured),
              ellcalc.from_harmonics(**kw, **harmonic_terms(h))):
        # from_harmonics returns the measurement its harmonics give beside its model's.
        model_psi, model_delta = getattr(r, "model_psi", r.psi), getattr(r, "model_delta", r.delta)
        given = (r.psi, r.delta) if hasattr(r, "model_psi") else (psi, delta)
        given_psi, given_delta = (np.asarray(v, dtype=real).astype(float) for v in given)
        wrapped = _remainder(model_delta.astype(float) - given_delta, 360.0).astype(float)
        expected = np.maximum(np.abs(model_psi - given_psi), np.abs(wrapped)).astype(real)
        assert np.isfinite(r.residual).mean() > 0.9
        assert (np.abs(wrapped) > 90).any()  # the wrap of Delta was needed
        np.testing.assert_array_equal(r.residual, expected)


@pytest.mark.parametrize("precision, _, tolerance", PRECISIONS)
def test_a_film_reproducing_the_measurement_has_a_small_residual_others_a_large_one(
        precision, _, tolerance):
    # An index search that ends on a film of the wrong Delta (in single precision it says it
    # converged), and a thickness at an index that cannot give the measurement: a large
    # residual, or none.
    for wrong in (ellcalc.thickness_and_index(psi=10.189066, delta=2.990989, precision=precision),
                  ellcalc.thickness(psi=80.0, delta=10.0, precision=precision)):
        assert not wrong.residual < 10

    kw, _, measured = films(3, 300, precision)
    assert ellcalc.thickness(**measured).residual.max() < tolerance
    # The index search stops at a relative step of 5e-4 in single precision; the harmonics
    # add their own rounding.
    found = ellcalc.thickness_and_index(**dict(measured, film_index=kw["film_index"] * 1.01))
    near_truth = np.abs(found.film_index - kw["film_index"]) < 1e-3
    assert near_truth.mean() > 0.95
    assert found.residual[near_truth].max() < (0.05 if precision == "single" else tolerance)
    h = ellcalc.harmonics(**kw)
    r = ellcalc.from_harmonics(**without(kw, "thickness"), **harmonic_terms(h))
    assert r.residual.max() < 10 * tolerance


def test_near_takes_thick_films_to_their_order():
    kw, m, measured = films(11, 400, "double", thickness=(600.0, 1500.0))
    truth = kw["thickness"]
    off = np.random.default_rng(12).uniform(-0.4, 0.4, truth.size) * m.period
    for inversion in (ellcalc.thickness, ellcalc.thickness_and_index):
        folded = inversion(**measured)
        assert (folded.order == 0).all() and (folded.thickness < folded.period).all()
        r = inversion(**measured, near=truth + off)
        assert r.order.dtype == np.int32 and (r.order > 0).all()
        np.testing.assert_allclose(r.thickness, truth, atol=0.05)
        assert (r.thickness == folded.thickness + r.order * folded.period).all()
        # The film's model stays that of the folded film.
        for name in ("period", "psi", "delta", "residual"):
            assert same(getattr(r, name), getattr(folded, name))


@pytest.mark.parametrize("precision", ["single", "double"])
def test_a_nan_or_negative_near_is_no_near(precision):
    psi, delta = [39.44, 30.0, 45.0, 20.0], [78.24, 100.0, 60.0, -120.0]
    folded = ellcalc.thickness(psi=psi, delta=delta, precision=precision)
    r = ellcalc.thickness(psi=psi, delta=delta, near=[[np.nan], [-300.0], [900.0]],
                          precision=precision)
    for i in (0, 1):  # NaN and negative: the folded thickness, bit for bit
        assert (r.order[i] == 0).all()
        assert r.thickness[i].tobytes() == folded.thickness.tobytes()
    assert (r.order[2] == np.rint((900.0 - folded.thickness) / folded.period)).all()
    infinite = ellcalc.thickness_and_index(near=np.inf, precision=precision)
    assert infinite.order == 2**31 - 1 and math.isfinite(infinite.thickness)
