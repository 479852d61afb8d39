"""ellcalc.stack against the same stack written with numpy, two ways.

    PYTHONPATH=build/bench/python /usr/bin/python3 bench/stack_bench.py [--runs 3] [--points 1000000]

Three layers (a nitride on a pad oxide over an absorbing polysilicon film) on silicon, a
sweep of 10^6 wavelengths (300 to 1000 nm) at one angle: the package on one thread and with
its default threads, beside two numpy codes written for this benchmark in complex128: the
Airy recursion over the interfaces, a loop over the layers of whole-array operations; and
the characteristic matrices of generic transfer-matrix codes, a 2x2 matrix per point and
layer multiplied in turn (np.matmul over stacks of matrices). Each figure is the best of
several runs, in ns per point, of the wall time and of the process's CPU time (the figure
that other work on a shared machine disturbs least; with several threads, their sum); then
the ratio against the target (the package on one thread no slower than the numpy recursion),
in CPU time. Both numpy codes must agree with the package to 1e-8 degrees, or the
comparison stops.
"""

import argparse
import time

import numpy as np

ANGLE = 70.0
SUBSTRATE = 3.866 - 0.028j
# From the ambient side down: nitride, pad oxide, polysilicon (nm).
LAYERS = [(2.02, 120.0), (1.457, 10.0), (3.9 - 0.15j, 50.0)]
AGREEMENT = 1e-8  # degrees


def best(runs, call):
    """The best wall time and the best CPU time of call over runs, and its last result."""
    wall, cpu = [], []
    for _ in range(runs):
        start, start_cpu = time.perf_counter(), time.process_time()
        result = call()
        wall.append(time.perf_counter() - start)
        cpu.append(time.process_time() - start_cpu)
    return (min(wall), min(cpu)), result


def _normal_components(layers, substrate, angle):
    s2 = np.sin(np.deg2rad(angle)) ** 2
    media = [1.0 + 0j] + [complex(n) for n, _ in layers] + [complex(substrate)]
    return media, [np.sqrt(n * n - s2) for n in media]


def _psi_delta(rp, rs):
    rho = rp / rs
    return np.degrees(np.arctan(np.abs(rho))), np.degrees(np.angle(rho))


def recursion(wavelength, layers, substrate, angle):
    """Psi and Delta by the Airy recursion from the substrate up, one array operation per
    layer and step (indices n - ik, principal normal components)."""
    media, x = _normal_components(layers, substrate, angle)

    def fresnel(j):
        a, b = media[j] ** 2, media[j + 1] ** 2
        return ((b * x[j] - a * x[j + 1]) / (b * x[j] + a * x[j + 1]),
                (x[j] - x[j + 1]) / (x[j] + x[j + 1]))

    rp, rs = fresnel(len(layers))
    rp, rs = np.full(wavelength.shape, rp), np.full(wavelength.shape, rs)
    k = -4j * np.pi / wavelength
    for j in range(len(layers), 0, -1):
        e = np.exp(k * (layers[j - 1][1] * x[j]))
        tp, ts = fresnel(j - 1)
        rp *= e
        rs *= e
        rp = (tp + rp) / (1 + tp * rp)
        rs = (ts + rs) / (1 + ts * rs)
    return _psi_delta(rp, rs)


def matrices(wavelength, layers, substrate, angle):
    """Psi and Delta by the product of the layers' characteristic matrices, a 2x2 complex
    matrix per point, for each polarisation; the stack's admittance from the product."""
    media, x = _normal_components(layers, substrate, angle)
    ratios = []
    for p in (True, False):
        # Tilted admittances: N^2 / x (p) and x (s).
        eta = [n * n / c if p else c for n, c in zip(media, x)]
        total = np.broadcast_to(np.eye(2, dtype=complex), wavelength.shape + (2, 2))
        for j, (_, d) in enumerate(layers, 1):
            delta = (2 * np.pi * d * x[j]) / wavelength
            c, s = np.cos(delta), np.sin(delta)
            m = np.empty(wavelength.shape + (2, 2), complex)
            m[:, 0, 0] = c
            m[:, 0, 1] = 1j * s / eta[j]
            m[:, 1, 0] = 1j * eta[j] * s
            m[:, 1, 1] = c
            total = np.matmul(total, m)
        b = total[:, 0, 0] + total[:, 0, 1] * eta[-1]
        c = total[:, 1, 0] + total[:, 1, 1] * eta[-1]
        y = c / b
        ratios.append((y - eta[0]) / (y + eta[0]) if p else (eta[0] - y) / (eta[0] + y))
    return _psi_delta(*ratios)


def disagreement(a, b):
    """Largest difference of Psi and of Delta (modulo 360) between two results."""
    return (np.max(np.abs(a[0] - b[0])),
            np.max(np.abs(np.remainder(a[1] - b[1] + 180.0, 360.0) - 180.0)))


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--runs", type=int, default=3)
    parser.add_argument("--points", type=int, default=1_000_000)
    args = parser.parse_args()

    import thinfilm
    from thinfilm import ellcalc

    wavelength = np.linspace(300.0, 1000.0, args.points)
    ns = 1e9 / args.points
    print(f"{len(LAYERS)} layers over {args.points} wavelengths; best of {args.runs} runs")
    figures, results = {}, {}

    print(f"  {'':34s} {'wall':>7s} {'CPU':>7s} ns/point")

    def run(label, call):
        figures[label], results[label] = best(args.runs, call)
        print(f"  {label:34s} {figures[label][0] * ns:7.1f} {figures[label][1] * ns:7.1f}")

    run("numpy recursion (complex128)", lambda: recursion(wavelength, LAYERS, SUBSTRATE, ANGLE))
    run("numpy 2x2 matrices (complex128)", lambda: matrices(wavelength, LAYERS, SUBSTRATE, ANGLE))

    def package():
        r = ellcalc.stack(LAYERS, substrate=SUBSTRATE, wavelength=wavelength, angle=ANGLE)
        return r.psi, r.delta

    cores = thinfilm.threads
    try:
        for threads in sorted({1, cores}):
            thinfilm.threads = threads
            run(f"package, {threads} thread(s)", package)
    finally:
        thinfilm.threads = cores

    ours = results["package, 1 thread(s)"]
    for label in ("numpy recursion (complex128)", "numpy 2x2 matrices (complex128)"):
        dpsi, ddelta = disagreement(ours, results[label])
        print(f"  package vs {label}: Psi within {dpsi:.2g}, Delta within {ddelta:.2g} degrees")
        if not (dpsi < AGREEMENT and ddelta < AGREEMENT):
            raise SystemExit(f"the {label} code does not compute what the package does")
    one = figures["package, 1 thread(s)"][1] / figures["numpy recursion (complex128)"][1]
    print(f"package 1 thread / numpy recursion, CPU time = {one:.2f} (target <= 1)"
          + ("" if one <= 1 else "  missed"))


if __name__ == "__main__":
    main()
