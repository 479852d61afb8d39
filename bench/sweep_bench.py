"""The sweep of ellcalc.psi_delta against the same film model written with numpy.

    PYTHONPATH=build/bench/python /usr/bin/python3 bench/sweep_bench.py [--runs 5] [--numpy-only]

1000 thicknesses (0 to 1000 nm, a column) times 1000 wavelengths (300 to 1000 nm, a row),
angle, substrate and film index single values: the package on one thread and with its
default threads, beside a numpy model of the same film (interface coefficients computed once,
then the phase factor and the Airy sums at every point) in complex64 and in complex128. Each
figure is the best wall time of several runs, in ns per point; then the ratios against the
targets (the package on one thread no slower than numpy complex64; with the default threads
at most half the time of numpy complex128). The numpy model must agree with the package to
single-precision accuracy, or the comparison stops.
"""

import argparse
import time

import numpy as np

ANGLE = 70.0
SUBSTRATE = 3.866 - 0.028j
FILM_INDEX = 1.46
# Psi and Delta of the single-precision program against a model in other arithmetic: a few
# thousandths of a degree, more where rs is near zero and Delta turns fast.
AGREEMENT = 0.05  # degrees


def best(runs, call):
    """The best wall time of call over runs, and its last result."""
    times = []
    for _ in range(runs):
        start = time.perf_counter()
        result = call()
        times.append(time.perf_counter() - start)
    return min(times), result


def numpy_model(thickness, wavelength, angle, substrate, film_index, cplx):
    """Psi, Delta (degrees) and the period (nm) of a non-absorbing film, in the precision of
    the numpy complex type cplx: Fresnel coefficients of the two interfaces once, then at
    each point the phase factor, the Airy sums for p and s and their ratio."""
    real = np.finfo(cplx).dtype.type
    phi = np.deg2rad(real(angle))
    s2 = np.sin(phi) ** 2
    # s-admittances N cos(theta) and p-admittances N / cos(theta) of air, film and substrate.
    a0 = cplx(np.cos(phi))
    b0 = 1 / a0
    n1sq = cplx(film_index) ** 2
    n2sq = cplx(substrate) ** 2
    a1 = np.sqrt(n1sq - s2)
    b1 = n1sq / a1
    a2 = np.sqrt(n2sq - s2)
    b2 = n2sq / a2
    rp01, rs01 = (b1 - b0) / (b1 + b0), (a0 - a1) / (a0 + a1)
    rp12, rs12 = (b2 - b1) / (b2 + b1), (a1 - a2) / (a1 + a2)

    t = np.asarray(thickness, dtype=real)
    w = np.asarray(wavelength, dtype=real)
    beta = (real(4 * np.pi) * a1.real * t) / w
    e = np.exp(cplx(-1j) * beta)
    rp_e = rp12 * e
    rs_e = rs12 * e
    rho = (rp01 + rp_e) / (1 + rp01 * rp_e)
    rho /= (rs01 + rs_e) / (1 + rs01 * rs_e)
    psi = np.degrees(np.arctan(np.abs(rho)))
    delta = np.degrees(np.angle(rho))
    period = np.broadcast_to(w / (2 * a1.real), psi.shape)
    return psi, delta, period


def disagreement(a, b):
    """Largest difference of Psi and of Delta (modulo 360) between two results."""
    dpsi = np.max(np.abs(a[0].astype(np.float64) - b[0]))
    ddelta = np.max(np.abs(np.remainder(a[1].astype(np.float64) - b[1] + 180.0, 360.0) - 180.0))
    return dpsi, ddelta


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--runs", type=int, default=5)
    parser.add_argument("--numpy-only", action="store_true", help="time the numpy models alone")
    args = parser.parse_args()

    rows, columns = 1000, 1000
    points = rows * columns
    thickness = np.linspace(0.0, 1000.0, rows)[:, None]
    wavelength = np.linspace(300.0, 1000.0, columns)
    ns = 1e9 / points
    print(f"sweep of {rows} thicknesses x {columns} wavelengths; best of {args.runs} runs")

    figures = {}
    results = {}
    for label, cplx in (("numpy complex64", np.complex64), ("numpy complex128", np.complex128)):
        took, results[label] = best(
            args.runs, lambda: numpy_model(thickness, wavelength, ANGLE, SUBSTRATE, FILM_INDEX, cplx)
        )
        assert results[label][0].dtype == np.finfo(cplx).dtype, results[label][0].dtype
        figures[label] = took
        print(f"  {label:28s} {took * ns:7.1f} ns/point")
    dpsi, ddelta = disagreement(results["numpy complex64"], results["numpy complex128"])
    print(f"  numpy complex64 vs complex128: Psi within {dpsi:.2g}, Delta within {ddelta:.2g} degrees")
    if args.numpy_only:
        return

    import thinfilm
    from thinfilm import ellcalc

    def package():
        r = ellcalc.psi_delta(
            wavelength=wavelength, angle=ANGLE, substrate=SUBSTRATE, film_index=FILM_INDEX, thickness=thickness
        )
        return r.psi, r.delta, r.period

    cores = thinfilm.threads
    try:
        for threads in sorted({1, cores}):
            thinfilm.threads = threads
            label = f"package, {threads} thread(s)"
            figures[label], results[label] = best(args.runs, package)
            print(f"  {label:28s} {figures[label] * ns:7.1f} ns/point")
    finally:
        thinfilm.threads = cores

    ours = results[f"package, {cores} thread(s)"]
    assert ours[0].shape == (rows, columns)
    for label in ("numpy complex64", "numpy complex128"):
        dpsi, ddelta = disagreement(ours, results[label])
        dper = np.max(np.abs(ours[2] - results[label][2]) / results[label][2])
        print(
            f"  package vs {label}: Psi within {dpsi:.2g}, Delta within {ddelta:.2g} degrees,"
            f" period within {dper:.2g} relative"
        )
        if not (dpsi < AGREEMENT and ddelta < AGREEMENT and dper < 1e-5):
            raise SystemExit(f"the numpy model ({label}) does not compute what the package does")

    one = figures["package, 1 thread(s)"] / figures["numpy complex64"]
    many = figures[f"package, {cores} thread(s)"] / figures["numpy complex128"]
    print(
        f"package 1 thread / numpy complex64 = {one:.2f} (target <= 1)" + ("" if one <= 1 else "  missed")
    )
    print(
        f"package {cores} thread(s) / numpy complex128 = {many:.2f} (target <= 0.5)"
        + ("" if many <= 0.5 else "  missed")
    )


if __name__ == "__main__":
    main()
