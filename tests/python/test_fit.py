"""ellcalc.fit against synthetic measurements of the textbook model (textbook.py): exact
data at several angles, noisy data and the sigmas the fit reports, the orders a single
measurement cannot tell apart, a spectrum of a dispersive film, films over known layers and
absorbing films, and the arguments."""

import tracemalloc

import numpy as np
import pytest

from common import gap, same
from textbook import stack_model
from thinfilm import ellcalc, optconst

ANGLES = np.array([55.0, 65.0, 75.0])
SUBSTRATE = 3.866 - 0.028j
# The period of a 1.5 film at 632.8 nm and 75 degrees, the shortest of the three.
PERIOD = 632.8 / (2 * np.sqrt(1.5**2 - np.sin(np.radians(75.0)) ** 2))


def measured(layers, substrate=SUBSTRATE, angle=ANGLES, wavelength=632.8, noise=(0.0, 0.0),
             seed=0):
    """Psi and Delta of the textbook stack at the angles (last axis), with Gaussian noise
    of the given sigmas (degrees)."""
    _, _, psi, delta = stack_model(layers, substrate, wavelength, angle)
    g = np.random.default_rng(seed)
    return psi + g.normal(0, noise[0], psi.shape), delta + g.normal(0, noise[1], delta.shape)


def films(thickness, **kw):
    """Psi and Delta of 1.5 films (sites along the first axis) on the substrate."""
    return measured([(1.5, np.asarray(thickness, float)[..., None])], **kw)


def fit(psi, delta, **kw):
    """ellcalc.fit at the three angles, on the substrate unless kw says otherwise."""
    return ellcalc.fit(psi, delta, **dict(dict(angle=ANGLES, substrate=SUBSTRATE), **kw))


def assert_found(r, thickness, index=None, index_tol=1e-6):
    """Every film found in one order: its thickness within 1e-6 nm (its index within
    index_tol when given), converged."""
    assert gap(r.thickness, thickness) < 1e-6 and r.converged.all() and not r.ambiguous.any()
    if index is not None:
        assert gap(r.film_index, index) < index_tol


def test_exact_films_found_globally():
    # Near the periods included (where Psi and Delta change fastest), index fixed and free.
    t = np.concatenate([np.linspace(20, 1500, 150), PERIOD + np.array([-1, -0.1, 0.1, 1]),
                        2 * PERIOD + np.array([-0.5, 0.5])])
    psi, delta = films(t)
    r = fit(psi, delta)
    assert_found(r, t)
    assert np.isnan(r.sigma_index).all() and r.chi2.max() < 1e-12 and r.residual.max() < 1e-6
    free = fit(psi, delta, film_index=1.7, fit_index=True)
    assert_found(free, t, 1.5)
    # Known layers of no thickness, absorbing ones too, change nothing.
    assert same(fit(psi, delta, film_index=1.7, fit_index=True, under=[(2.0 - 0.1j, 0.0)] * 3),
                free)
    # The measurements along another axis give the same films.
    moved = fit(psi.T, delta.T, angle=ANGLES[:, None], axis=0)
    np.testing.assert_array_equal(moved.thickness, r.thickness)


def test_noise_and_sigmas():
    t = np.random.default_rng(1).uniform(20, 1500, 200)
    r = fit(*films(t, noise=(0.02, 0.05), seed=2))
    err = r.thickness - t
    assert np.abs(err).max() < PERIOD / 4  # no wrong order
    assert np.mean(np.abs(err) / r.sigma_thickness < 3) >= 0.95 and r.converged.all()
    # One film, many draws: the spread of the thickness is the sigma reported.
    psi, delta = films(np.full(300, 400.0), noise=(0.02, 0.05), seed=3)
    for fit_index in (False, True):
        r = fit(psi, delta, fit_index=fit_index)
        assert np.std(r.thickness) == pytest.approx(np.mean(r.sigma_thickness), rel=0.15)
        if fit_index:
            assert np.std(r.film_index) == pytest.approx(np.mean(r.sigma_index), rel=0.15)
        # chi2 follows its distribution: mean 6 measurements - free parameters.
        assert np.mean(r.chi2) == pytest.approx(6 - 1 - fit_index, rel=0.15)


def test_single_measurement():
    t = np.array([30.0, 150.0, 250.0])
    m = ellcalc.psi_delta(angle=70.0, thickness=t, substrate=SUBSTRATE, precision="double")
    psi, delta = m.psi[:, None], m.delta[:, None]
    # Beyond one period every order fits as well: ambiguous.
    assert ellcalc.fit(psi, delta, substrate=SUBSTRATE).ambiguous.all()
    # Within one period it is the thickness of mode 3 near the same film.
    r = ellcalc.fit(psi, delta, substrate=SUBSTRATE, max_thickness=m.period[0] * 0.99)
    near = ellcalc.thickness(substrate=SUBSTRATE, psi=m.psi, delta=m.delta, near=t,
                             precision="double")
    assert not r.ambiguous.any()
    np.testing.assert_allclose(r.thickness, near.thickness, atol=1e-6)


def test_spectrum_of_a_dispersive_film():
    wavelength = np.linspace(300, 900, 20)
    t = np.array([1.0, 5.0, 50.0, 333.0, 1000.0, 1999.0])[:, None]
    m = ellcalc.psi_delta(wavelength=wavelength, angle=70.0, substrate="Si", film_index="SiO2",
                          thickness=t, precision="double")
    r = ellcalc.fit(m.psi, m.delta, wavelength=wavelength, substrate="Si", film_index="SiO2")
    assert_found(r, t[:, 0])


@pytest.mark.parametrize("kw", [{}, dict(fit_index=True), dict(under=[(1.457, 2.0)]),
                                dict(under=[(1.457, 2.0)], fit_index=True)])
def test_a_measurement_not_finite_is_not_converged(kw):
    psi, delta = measured([(1.5, np.array([[100.0], [200.0]]))] + kw.get("under", []))
    for bad in (np.nan, np.inf):
        psi[1, 1] = bad
        r = fit(psi, delta, **kw)
        assert r.converged.tolist() == [True, False] and np.isnan(r.thickness[1])


@pytest.mark.parametrize("bad, error", [
    (dict(axis=2), ValueError), (dict(axis=-3), ValueError), (dict(sigma_psi=0.0), ValueError),
    (dict(sigma_delta=-1.0), ValueError), (dict(sigma_psi=[np.nan, 1, 1]), ValueError),
    (dict(max_thickness=0.0), ValueError), (dict(film_index="SiO2", fit_index=True), ValueError),
    (dict(axis=1.0), TypeError),
    # Known layers.
    (dict(under=[1.457]), TypeError), (dict(under="SiO2:2"), TypeError),
    (dict(under=[(1.457, -1.0)]), ValueError), (dict(under=[("Unobtainium", 2.0)]), ValueError)])
def test_bad_arguments(bad, error):
    with pytest.raises(error):
        ellcalc.fit(*films([100.0]), angle=ANGLES, **bad)


def test_films_over_known_layers():
    g = np.random.default_rng(4)
    silicon = optconst.constants("Si", wavelength=632.8, precision="double").index
    # A nitride on a 2 nm oxide, index free.
    t, n = g.uniform(20, 400, 200)[:, None], g.uniform(1.95, 2.05, 200)[:, None]
    under = [(1.457, 2.0)]
    psi, delta = measured([(n, t)] + under, silicon)
    r = fit(psi, delta, substrate="Si", film_index=2.0, fit_index=True, under=under)
    assert_found(r, t[:, 0], n[:, 0], index_tol=1e-4)
    # An absorbing film named by its material (its dispersion from optconst) over a
    # known oxide, at several wavelengths: its thickness is found in every order.
    lam = np.array([450.0, 550.0, 650.0])
    a_si, oxide, silicon = (optconst.constants(name, wavelength=lam, precision="double").index
                            for name in ("Si-a", "SiO2", "Si"))
    t = g.uniform(2, 300, 100)[:, None]
    psi, delta = measured([(a_si, t), (oxide, 100.0)], silicon, angle=70.0, wavelength=lam)
    assert_found(ellcalc.fit(psi, delta, wavelength=lam, substrate="Si", film_index="Si-a",
                             under=[("SiO2", 100.0)]), t[:, 0])
    # Layers of each site, an absorbing one among them: their thickness broadcasts with the
    # sites.
    under = [(1.457, g.uniform(1, 100, 50)[:, None]), (3.0 - 0.4j, g.uniform(0, 20, 50)[:, None])]
    psi, delta = measured([(1.5, 300.0)] + under, silicon[2])
    assert_found(fit(psi, delta, substrate=silicon[2], under=under), 300)


def test_peak_memory_is_the_results():
    # The measurements are read in place: a call allocates its results and little else.
    psi, delta = films(np.linspace(20, 1500, 20000))
    for kwargs in ({}, {"under": [(1.457, 2.0)], "substrate": "Si", "film_index": "SiO2"}):
        tracemalloc.start()
        r = ellcalc.fit(psi, delta, angle=ANGLES, **kwargs)
        peak = tracemalloc.get_traced_memory()[1]
        tracemalloc.stop()
        assert peak - sum(np.asarray(a).nbytes for a in r) < 64 * 1024
