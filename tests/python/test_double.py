"""ellcalc in double precision against the textbook model of one film, mode 5 against
mode 1, the inversions against the forward model, and a least-squares fit that only
double precision can drive."""

import numpy as np
import pytest

from common import delta_gap, gap, same
from textbook import stack_model
from thinfilm import ellcalc

N = 4000


def films(seed):
    """N random films on absorbing substrates, a quarter of them weakly reflecting (of
    modulus below 1.2)."""
    g = np.random.default_rng(seed)
    substrate = g.uniform(1.5, 5, N) - 1j * g.uniform(0.01, 4, N)
    low = g.uniform(size=N) < 0.25
    substrate[low] = g.uniform(0.1, 1.1, low.sum()) - 1j * g.uniform(0, 0.4, low.sum())
    return dict(wavelength=g.uniform(200, 1000, N), angle=g.uniform(1, 85, N),
                substrate=substrate, film_index=g.uniform(1.2, 2.5, N)), low, g


def test_modes_1_and_5_agree_with_the_textbook_model():
    film, _, g = films(1)
    d = g.uniform(-300, 1000, N)  # a negative thickness is folded by a period
    rp, rs, psi, delta = stack_model([(film["film_index"], d)], film["substrate"],
                                     film["wavelength"], film["angle"])
    r = ellcalc.psi_delta(**film, thickness=d, precision="double")
    assert gap(r.psi, psi) < 1e-9 and delta_gap(r.delta, delta) < 1e-9
    assert np.all((r.delta > -180) & (r.delta <= 180))
    coefficients = ellcalc.reflection(**film, thickness=d, precision="double")
    assert gap(coefficients.rp, rp) < 1e-12 and gap(coefficients.rs, rs) < 1e-12
    # The program's single precision is some 1e-3 degrees off at worst.
    single = ellcalc.psi_delta(**film, thickness=d)
    assert gap(single.psi, psi) < 0.1 and 1e-5 < delta_gap(single.delta, delta) < 0.1
    # Mode 5 prints the figures of mode 1 for the same film, in either precision.
    for precision, rtol in (("single", 1e-6), ("double", 1e-14)):
        one = ellcalc.psi_delta(**film, thickness=d, precision=precision)
        five = ellcalc.reflection(**film, thickness=d, precision=precision)
        assert same((five.psi, five.delta, five.period), one)
        for big, small in ((five.Rp, five.rp), (five.Rs, five.rs)):
            np.testing.assert_allclose(big, np.abs(small) ** 2, rtol=rtol)


def test_the_inversions_give_back_the_film_of_its_psi_and_delta():
    film, weak, g = films(2)
    period = ellcalc.psi_delta(**film, thickness=0.0, precision="double").period
    d = g.uniform(0.01, 0.99, N) * period
    m = ellcalc.psi_delta(**film, thickness=d, precision="double")
    found = ellcalc.thickness(**film, psi=m.psi, delta=m.delta, precision="double")
    assert gap(found.thickness, d) < 1e-7
    # Single precision keeps the program's root: on weak substrates often the other one.
    single = ellcalc.thickness(**film, psi=m.psi, delta=m.delta)
    off = np.abs(single.thickness - d) > 1
    assert off[weak].mean() > 0.05 and not off[~weak].any()
    # The index search, from near the film: where it settles it reproduces Psi and Delta;
    # on ordinary substrates it is the film, but for the odd other film of the same Psi
    # and Delta.
    start = film["film_index"] + g.choice([-0.01, 0.0, 0.01], N)
    both = ellcalc.thickness_and_index(**dict(film, film_index=start), psi=m.psi, delta=m.delta,
                                       precision="double")
    settled = both.converged
    assert settled[~weak].mean() > 0.99
    assert np.abs(both.psi - m.psi)[settled].max() < 1e-8
    assert delta_gap(both.delta[settled], m.delta[settled]) < 1e-8
    ordinary = settled & ~weak
    same_film = ordinary & (np.abs(both.film_index - film["film_index"]) < 1e-3)
    assert same_film.sum() > 0.99 * ordinary.sum()
    assert np.abs(both.film_index - film["film_index"])[same_film].max() < 1e-9
    assert np.abs(both.thickness - d)[same_film].max() < 1e-6



def test_a_least_squares_fit_converges_in_double_precision_only():
    optimize = pytest.importorskip("scipy.optimize")
    angles, substrate, film_index, true = np.array([65.0, 70.0, 75.0]), 3.88 - 0.02j, 1.46, 123.4
    psi, delta = stack_model([(film_index, true)], substrate, 632.8, angles)[2:]

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
