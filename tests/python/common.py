"""What several test files share: results compared byte for byte, a wafer map of sites,
the package run as `python3 -m thinfilm`, a piped session's output checked line by line
against the lines rebuilt from the package's values, and the solver's warning of the points
that did not settle."""

import os
import subprocess
import sys

import numpy as np

from thinfilm import SolverWarning


def as_list(result):
    return list(result) if isinstance(result, (tuple, list)) else [result]


def gap(a, b):
    """The largest difference between two arrays."""
    return np.abs(np.asarray(a) - b).max()


def delta_gap(a, b):
    """The largest difference between two arrays of Delta (degrees), across +-180."""
    return np.abs((np.asarray(a) - b + 180) % 360 - 180).max()


def same(a, b):
    """Whether two results (a value, or a tuple of them) hold the same bytes."""
    return [np.asarray(v).tobytes() for v in as_list(a)] == [
        np.asarray(v).tobytes() for v in as_list(b)
    ]


def grid_sites(count, radius=72.0):
    """x, y (mm) and the distance from the centre of the `count` points of a square grid
    nearest the centre of a wafer."""
    side = int(np.sqrt(count / np.pi)) * 2 + 4
    x, y = np.meshgrid(np.linspace(-radius, radius, side), np.linspace(-radius, radius, side))
    r = np.hypot(x, y).ravel()
    order = np.argsort(r, kind="stable")[:count]
    return x.ravel()[order], y.ravel()[order], r[order]


def write_sites(path, count, radius=72.0):
    """A wafer map of `count` sites of a silica film thickening towards the edge.

    Returns the thickness of every site (nm).
    """
    from thinfilm import ellcalc

    x, y, r = grid_sites(count, radius)
    thickness = 100 + 8 * (r / radius) ** 2
    m = ellcalc.psi_delta(film_index=1.46, thickness=thickness)
    with open(path, "w") as out:
        out.write("x,y,psi,delta\n")
        for row in zip(x, y, m.psi, m.delta):
            out.write("%r,%r,%s,%s\n" % (float(row[0]), float(row[1]), row[2], row[3]))
    return thickness


def thinfilm_module(*argv, cwd):
    """`python3 -m thinfilm ARGV` started in cwd, its standard error piped."""
    environment = dict(os.environ, PYTHONPATH=os.pathsep.join(sys.path))
    return subprocess.Popen([sys.executable, "-m", "thinfilm", *argv], cwd=cwd,
                            env=environment, stderr=subprocess.PIPE, text=True)


def tails(out, separator, n):
    """The text written after the last prompt of each of the first n pieces that follow
    a separator."""
    chunks = out.split(separator)[1:]
    assert len(chunks) >= n, out[-2000:]
    return [c.rsplit(" ? ", 1)[1] for c in chunks[:n]]


def check(printed, expected, case=str):
    """Every printed text is the expected one; else the first case that differs is shown
    (described by case(index))."""
    assert len(printed) == len(expected)
    bad = [i for i, (p, e) in enumerate(zip(printed, expected)) if p != e]
    assert not bad, (
        f"{len(bad)} differ; case {case(bad[0])}:\n"
        f"printed:\n{printed[bad[0]]}\nexpected:\n{expected[bad[0]]}"
    )


def same_at_thread_counts(call, counts):
    """Whether call() gives the same bytes at each of the package's thread counts (a test
    that calls this keeps the setting with the `threads` fixture)."""
    import thinfilm

    results = []
    for count in counts:
        thinfilm.threads = count
        results.append(call())
    return all(same(r, results[0]) for r in results[1:])


def run_python(code, *argv, **options):
    """`python3 -c CODE ARGV` run to its end with this interpreter's module path; its
    output as text."""
    environment = dict(os.environ, PYTHONPATH=os.pathsep.join(sys.path))
    return subprocess.run([sys.executable, "-c", code, *argv], capture_output=True, text=True,
                          env=environment, check=False, **options)


def read_rows(path, separator=","):
    """The rows of a CSV table written by the command line, as dictionaries by column."""
    import csv

    with open(path, newline="") as stream:
        return list(csv.DictReader(stream, delimiter=separator))


def column(rows, name, dtype=float, decimal="."):
    """One column of read_rows' rows as an array, an empty cell (a value not measured)
    NaN."""
    return np.array([r[name].replace(decimal, ".") or "nan" for r in rows], dtype=dtype)


def assert_unsettled_warned(caught, settled):
    """The solver's one warning of the points of a continue pass that did not settle, or none
    when every point settled."""
    unsettled = [c for c in caught if "did not settle" in str(c.message)]
    assert all(issubclass(c.category, SolverWarning) for c in unsettled)
    count = np.count_nonzero(~settled)
    assert [str(c.message) for c in unsettled] == (
        [f"the continue pass did not settle at {count} of {settled.size} point(s)"
         f" (first at flat index {np.argmin(settled)}): settled is False there, and the"
         f" results are where the Newton steps ended"] if count else [])
