"""ellcalc in double precision against a model written here from the textbook formulas,
its thickness search against its forward model, and a least-squares fit that only double
precision can drive."""

import numpy as np
import pytest

from thinfilm import ellcalc

N = 4000


def psi_delta_model(wavelength, angle, substrate, film_index, thickness):
    """Psi and Delta (degrees) of one film on a substrate in air: Fresnel coefficients of
    both interfaces, the Airy sum, rho = rp / rs = tan Psi exp(i Delta). Indices n - ik,
    so a wave goes as exp(-i k z) and the normal components take the principal root."""
    s2 = np.sin(np.radians(angle)) ** 2
    n1, n2 = np.asarray(film_index, complex), np.asarray(substrate, complex)
    x0, x1, x2 = np.sqrt(1 - s2 + 0j), np.sqrt(n1**2 - s2), np.sqrt(n2**2 - s2)

    def airy(r01, r12):
        e = np.exp(-4j * np.pi * thickness * x1 / wavelength)
        return (r01 + r12 * e) / (1 + r01 * r12 * e)

    rs = airy((x0 - x1) / (x0 + x1), (x1 - x2) / (x1 + x2))
    rp = airy((n1**2 * x0 - x1) / (n1**2 * x0 + x1),
              (n2**2 * x1 - n1**2 * x2) / (n2**2 * x1 + n1**2 * x2))
    rho = rp / rs
    return np.degrees(np.arctan(np.abs(rho))), np.degrees(np.angle(rho))


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

