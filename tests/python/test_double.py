"""ellcalc in double precision against the textbook model of one film, its thickness
search against its forward model, and a least-squares fit that only double precision can
drive."""

import numpy as np
import pytest

from textbook import stack_model
from thinfilm import ellcalc

N = 4000


def psi_delta_model(wavelength, angle, substrate, film_index, thickness):
    """Psi and Delta (degrees) of one film on a substrate in air: the textbook stack of
    textbook.py with a single layer."""
    return stack_model([(film_index, thickness)], substrate, wavelength, angle)[2:]


def films(seed, weak=0.0):
    """N random films on absorbing substrates; the fraction ``weak`` of them on substrates
    of modulus below 1.2."""
    g = np.random.default_rng(seed)
    substrate = g.uniform(1.5, 5, N) - 1j * g.uniform(0.01, 4, N)
    low = g.uniform(size=N) < weak
    substrate[low] = g.uniform(0.1, 1.1, low.sum()) - 1j * g.uniform(0, 0.4, low.sum())
    return dict(wavelength=g.uniform(200, 1000, N), angle=g.uniform(1, 85, N),
                substrate=substrate, film_index=g.uniform(1.2, 2.5, N)), low, g


def test_psi_and_delta_agree_with_the_textbook_model():
    film, _, g = films(1)
    d = g.uniform(0, 1000, N)
    r = ellcalc.psi_delta(**film, thickness=d, precision="double")
    psi, delta = psi_delta_model(**film, thickness=d)
    assert r.psi.dtype == r.delta.dtype == np.float64
    assert np.abs(r.psi - psi).max() < 1e-9
    assert np.abs((r.delta - delta + 180) % 360 - 180).max() < 1e-9
    assert np.all((r.delta > -180) & (r.delta <= 180))
    # The program's single precision is some 1e-2 degrees off at worst.
    single = ellcalc.psi_delta(**film, thickness=d)
    assert 1e-5 < np.abs((single.delta - delta + 180) % 360 - 180).max() < 0.1


def test_thickness_gives_back_the_film_of_its_psi_and_delta():
    film, weak, g = films(2, weak=0.25)
    period = ellcalc.psi_delta(**film, thickness=0.0, precision="double").period
    d = g.uniform(0.01, 0.99, N) * period
    m = ellcalc.psi_delta(**film, thickness=d, precision="double")
    found = ellcalc.thickness(**film, psi=m.psi, delta=m.delta, precision="double")
    assert np.abs(found.thickness - d).max() < 1e-7
    # Single precision keeps the program's root: on weak substrates often the other one.
    single = ellcalc.thickness(**film, psi=m.psi, delta=m.delta)
    off = np.abs(single.thickness - d) > 1
    assert off[weak].mean() > 0.05 and not off[~weak].any()


def test_a_least_squares_fit_converges_in_double_precision_only():
    optimize = pytest.importorskip("scipy.optimize")
    angles, substrate, film_index, true = np.array([65.0, 70.0, 75.0]), 3.88 - 0.02j, 1.46, 123.4
    psi, delta = psi_delta_model(632.8, angles, substrate, film_index, true)

    def fit(precision):
        def residuals(x):
            r = ellcalc.psi_delta(632.8, angles, substrate, film_index, x[0], precision=precision)
            return np.concatenate([r.psi - psi, r.delta - delta])

        return optimize.least_squares(residuals, [100.0])

    assert abs(fit("double").x[0] - true) < 1e-6
    # The default finite-difference step (1.5e-6 nm) is below a single-precision step of
    # the thickness: the Jacobian is zero and the fit stops where it started.
    single = fit("single")
    assert single.x[0] == 100.0 and not single.jac.any()

