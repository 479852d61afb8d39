"""Times of the thinfilm package on large arrays, and the memory they take.

    PYTHONPATH=build/bench/python /usr/bin/python3 bench/thinfilm_bench.py \
        [--cpp build/bench/bench/psi_delta_bench] [--runs 5]

- ellcalc.psi_delta over 1,000,000 (thickness, wavelength) points, with every thread and
  with one, against the same film model looped in C++ (psi_delta_bench) divided by the
  threads used;
- optconst.constants over a 100,000-point spectrum (crystalline silicon, stressed silica,
  porous silicon);
- ellcalc.thickness over a 1000 x 1000 wafer map of Psi and Delta.

Each figure is the best of several runs (the machine may be shared). Memory: the peak of
the numpy allocations during a call (tracemalloc) beside the size of its results, and the
process's peak resident size.
"""

import argparse
import re
import resource
import subprocess
import time
import tracemalloc

import numpy as np

import thinfilm
from thinfilm import ellcalc, optconst

MB = 1 << 20


def best(runs, call):
    """The best wall time of call over runs."""
    return best_both(runs, call)[0]


def best_both(runs, call):
    """The best wall time and the best processor time (all threads) of call over runs."""
    wall, cpu = [], []
    for _ in range(runs):
        start, start_cpu = time.perf_counter(), time.process_time()
        call()
        wall.append(time.perf_counter() - start)
        cpu.append(time.process_time() - start_cpu)
    return min(wall), min(cpu)


def peak_during(call):
    """Peak bytes that numpy (and Python) allocated during call, and its result."""
    tracemalloc.start()
    tracemalloc.reset_peak()
    before = tracemalloc.get_traced_memory()[0]
    result = call()
    peak = tracemalloc.get_traced_memory()[1] - before
    tracemalloc.stop()
    return peak, result


def result_bytes(result):
    return sum(np.asarray(v).nbytes for v in result)


def report_memory(call, inputs=None):
    """Print the peak allocated during call and the size of its results (and of its
    inputs, bytes, when given)."""
    peak, result = peak_during(call)
    given = "" if inputs is None else f"inputs {inputs / MB:.1f} MiB; "
    print(
        f"  {given}peak allocated during the call {peak / MB:.1f} MiB;"
        f" results {result_bytes(result) / MB:.1f} MiB"
    )


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--cpp", help="path of psi_delta_bench, for the comparison")
    parser.add_argument("--runs", type=int, default=5)
    args = parser.parse_args()
    cores = thinfilm.threads
    print(f"thinfilm threads: {cores}; best of {args.runs} runs")

    n = 1_000_000
    t = np.arange(n) / n
    thickness = 1000.0 * t
    wavelength = 300.0 + 700.0 * t

    def psi_delta():
        return ellcalc.psi_delta(wavelength=wavelength, film_index=1.46, thickness=thickness)

    timings = {}
    for threads in sorted({1, cores}):
        thinfilm.threads = threads
        timings[threads], cpu = best_both(args.runs, psi_delta)
        print(
            f"ellcalc.psi_delta, {n} points, {threads} thread(s): {timings[threads]:.3f} s"
            f" (processor {cpu:.3f} s)"
        )
    thinfilm.threads = cores
    if args.cpp:
        command = [args.cpp, str(n), str(args.runs)]
        out = subprocess.run(command, capture_output=True, text=True, check=True).stdout
        line = r"float film_sweep, 64 at a time: .*best of \d+: ([0-9.]+) s, processor time ([0-9.]+) s"
        found = re.search(line, out)
        cpp, cpp_cpu = map(float, found.groups())
        print(
            f"C++ loop of the film model, {n} points, 1 thread: {cpp:.3f} s"
            f" (processor {cpp_cpu:.3f} s)"
        )
        for threads, took in timings.items():
            print(f"  package / (C++ / {threads}) = {took / (cpp / threads):.2f}")
    report_memory(psi_delta)

    energies = np.linspace(0.5, 6.0, 100_000)
    for label, kw in (
        ("Si", {}),
        ("SiO2", {"stress": -300.0, "voids": 0.05}),
        ("Si poreux", {"voids": 0.4, "si_c_rate": 0.2}),
    ):
        took = best(args.runs, lambda: optconst.constants(label, energy=energies, **kw))
        print(f"optconst.constants({label!r}), 100000 energies: {took:.3f} s")
    report_memory(lambda: optconst.constants("Si", energy=energies))

    g = np.random.default_rng(1)
    psi_map = g.uniform(20, 60, (1000, 1000))
    delta_map = g.uniform(-170, 170, (1000, 1000))

    def wafer_map():
        return ellcalc.thickness(film_index=1.46, psi=psi_map, delta=delta_map)

    took = best(args.runs, wafer_map)
    print(f"ellcalc.thickness, 1000 x 1000 map: {took:.3f} s")
    report_memory(wafer_map, inputs=psi_map.nbytes + delta_map.nbytes)
    peak_rss = resource.getrusage(resource.RUSAGE_SELF).ru_maxrss / 1024
    print(f"process peak resident size {peak_rss:.1f} MiB")


if __name__ == "__main__":
    main()
