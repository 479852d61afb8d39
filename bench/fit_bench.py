"""ellcalc.fit against a per-site scipy.optimize.least_squares loop on a numpy model.

    PYTHONPATH=build/fit/python /usr/bin/python3 bench/fit_bench.py [--sites 10000] [--subset 200]

Sites of random films (20 to 1500 nm, index 1.4 to 1.6) measured at 55, 65 and 75 degrees
with noise 0.02 / 0.05 degrees, thickness and index free: the package over every site
(global, from the index 1.5), beside least_squares on a numpy Fresnel/Airy model over a
subset, each started at the true film (a local fit: it has no order to find). Prints the
time per site of each and their ratio (targets: under 1 s for the package over 10,000
sites, at least 100 times faster per site than the scipy loop), and the share of sites
whose thickness the package found within 5 sigma_thickness.
"""

import argparse
import time

import numpy as np

from thinfilm import ellcalc

ANGLES = np.array([55.0, 65.0, 75.0])
SUBSTRATE = 3.866 - 0.028j
WAVELENGTH = 632.8


def model(thickness, index):
    """Psi and Delta (degrees) of the film at the angles, by the characteristic matrix of
    the film between the ambient and substrate admittances (s: N cos, p: N / cos)."""
    s2 = np.sin(np.radians(ANGLES)) ** 2
    cosines = [np.sqrt(n * n - s2 + 0j) for n in (1.0, complex(index), SUBSTRATE)]
    phase = 2 * np.pi * thickness * cosines[1] / WAVELENGTH
    c, s = np.cos(phase), 1j * np.sin(phase)
    r = []
    for eta0, eta1, eta2 in (cosines, [n * n / x for n, x in
                                       zip((1.0, complex(index), SUBSTRATE), cosines)]):
        b, cc = c + s * eta2 / eta1, eta1 * s + c * eta2
        r.append((eta0 * b - cc) / (eta0 * b + cc))
    rho = -r[1] / r[0]
    return np.degrees(np.arctan(np.abs(rho))), np.degrees(np.angle(rho))


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--sites", type=int, default=10000)
    parser.add_argument("--subset", type=int, default=200)
    args = parser.parse_args()
    from scipy.optimize import least_squares

    g = np.random.default_rng(0)
    t = g.uniform(20, 1500, args.sites)
    n = g.uniform(1.4, 1.6, args.sites)
    psi, delta = ellcalc.psi_delta(angle=ANGLES, substrate=SUBSTRATE, film_index=n[:, None],
                                   thickness=t[:, None], precision="double")[:2]
    psi = psi + g.normal(0, 0.02, psi.shape)
    delta = delta + g.normal(0, 0.05, delta.shape)

    start = time.perf_counter()
    r = ellcalc.fit(psi, delta, angle=ANGLES, substrate=SUBSTRATE, fit_index=True)
    package = time.perf_counter() - start

    def residuals(p, ps, de):
        mp, md = model(p[0], p[1])
        return np.concatenate([(mp - ps) / 0.02, (np.remainder(md - de + 180, 360) - 180) / 0.05])

    start = time.perf_counter()
    for i in range(args.subset):
        least_squares(residuals, [t[i], n[i]], args=(psi[i], delta[i]))
    scipy_time = time.perf_counter() - start

    per_package = package / args.sites
    per_scipy = scipy_time / args.subset
    mp, md = model(t[0], n[0])
    check = ellcalc.psi_delta(angle=ANGLES, substrate=SUBSTRATE, film_index=n[0],
                              thickness=t[0], precision="double")
    assert np.allclose(mp, check.psi) and np.allclose(np.cos(np.radians(md - check.delta)), 1)
    found = np.mean(np.abs(r.thickness - t) < 5 * r.sigma_thickness)
    print(f"ellcalc.fit: {args.sites} sites x {len(ANGLES)} angles in {package:.3f} s,"
          f" {per_package * 1e6:.1f} us per site; within 5 sigma: {found:.4f}")
    print(f"scipy least_squares: {args.subset} sites in {scipy_time:.3f} s,"
          f" {per_scipy * 1e6:.1f} us per site")
    print(f"ratio per site: {per_scipy / per_package:.0f}x")


if __name__ == "__main__":
    main()
