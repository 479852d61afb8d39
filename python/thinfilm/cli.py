"""The command line ``python3 -m thinfilm``: charts and tables of the calculators.

Commands::

    thinfilm chart psi-delta ...   film trajectories on the Psi-Delta plane
    thinfilm chart nk ...          n and k spectra of materials
    thinfilm chart bow ...         predicted bow against the new silica thickness
    thinfilm map SITES.csv ...     thickness (and index) across a wafer

Every command writes a picture (PNG, SVG or PDF, by the output name's
extension) or, for an output name ending in ``.csv``, the table of what it
would draw; ``--csv FILE`` writes that table beside a picture. Errors end the
command with status 2 before any file is written; an interrupt (Ctrl-C) ends
it with status 130, SIGTERM and SIGHUP with the signal, leaving no file.
"""

import argparse
import math
import os
import re
import signal
import stat
import sys
import warnings

import numpy as np

from thinfilm import StressFitError, ellcalc, waferbow
from thinfilm.charts import ChartError
from thinfilm.charts.wafer_map import MAX_RESIDUAL
from thinfilm.charts.output import FORMATS, figure_writer, file_format, table_writer, write_files

PROG = "thinfilm"
# The signals that end a command once its files are cleaned up.
_ENDING_SIGNALS = tuple(getattr(signal, name) for name in ("SIGINT", "SIGTERM", "SIGHUP")
                        if hasattr(signal, name))


class _Failure(Exception):
    """An error that ends the command with status 2 and one line on standard error."""


class _Signalled(BaseException):
    """A SIGTERM or SIGHUP received: unwinds the command like an interrupt."""

    def __init__(self, number):
        super().__init__(number)
        self.number = number


class _Parser(argparse.ArgumentParser):
    """An argument parser that reads every negative number as a value, not an option.

    Examples
    --------
    >>> p = _Parser(prog="t")
    >>> _ = p.add_argument("--angle", type=float)
    >>> _ = p.add_argument("--range")
    >>> p.parse_args(["--angle", "-7e1", "--range", "-3:-1"])
    Namespace(angle=-70.0, range='-3:-1')
    """

    def __init__(self, *args, **kwargs):
        super().__init__(*args, **kwargs)
        # A minus then a digit, a point and a digit, inf or nan: -7e1, -.5, -1.e3, -inf,
        # and the values made of numbers (-3:-1, -5,10, -3.8-0.02j). No option of
        # the command line begins so.
        self._negative_number_matcher = re.compile(r"^-(?:\d|\.\d|inf|nan)", re.IGNORECASE)


# Option values ------------------------------------------------------------------------------

def _number(text):
    try:
        value = float(text)
    except ValueError:
        raise argparse.ArgumentTypeError("%r is not a number" % text) from None
    if not math.isfinite(value):
        raise argparse.ArgumentTypeError("%r is not a finite number" % text)
    return value


def _count(text):
    try:
        value = int(text)
    except ValueError:
        raise argparse.ArgumentTypeError("%r is not a whole number" % text) from None
    if not 2 <= value <= 100000:
        raise argparse.ArgumentTypeError("%d is not between 2 and 100000" % value)
    return value


def _dpi(text):
    value = _number(text)
    if not 10 <= value <= 1200:
        raise argparse.ArgumentTypeError("%r is not between 10 and 1200" % text)
    return value


def _positive(text):
    value = _number(text)
    if value <= 0:
        raise argparse.ArgumentTypeError("%r is not above 0" % text)
    return value


def _not_negative(text):
    value = _number(text)
    if value < 0:
        raise argparse.ArgumentTypeError("%r is below 0" % text)
    return value


def _index(text):
    """A complex index n - ik written as 3.866-0.028j (or i), or a real one."""
    try:
        value = complex(text.replace(" ", "").replace("i", "j"))
    except ValueError:
        raise argparse.ArgumentTypeError("%r is not a complex index such as 3.866-0.028j"
                                         % text) from None
    if not (math.isfinite(value.real) and math.isfinite(value.imag)):
        raise argparse.ArgumentTypeError("%r is not finite" % text)
    return value


def _psi_delta(text):
    parts = text.split(",")
    if len(parts) != 2:
        raise argparse.ArgumentTypeError("%r is not PSI,DELTA (two numbers, degrees)" % text)
    return tuple(_number(part) for part in parts)


def _range(text):
    parts = text.split(":")
    if len(parts) != 2:
        raise argparse.ArgumentTypeError("%r is not a range FROM:TO" % text)
    start, stop = (_number(part) for part in parts)
    if not start < stop:
        raise argparse.ArgumentTypeError("range %r does not go up" % text)
    return start, stop


def _thickness_range(text):
    start, stop = _range(text)
    if start < 0:
        raise argparse.ArgumentTypeError("range %r begins below 0" % text)
    return start, stop


# The parser ---------------------------------------------------------------------------------

def _output_options(parser):
    group = parser.add_argument_group("output")
    group.add_argument("-o", "--output", required=True, metavar="FILE",
                       help="the picture (.png, .svg, .pdf) or the table (.csv) to write")
    group.add_argument("--csv", metavar="FILE", help="also write the table of the data to FILE")
    group.add_argument("--dpi", type=_dpi, default=150,
                       help="resolution of a PNG picture, 10 to 1200 (default 150)")


def _setting_options(parser, what):
    parser.add_argument("--wavelength", type=_positive, metavar="NM",
                        help="wavelength in nm (default 632.8)%s" % what)
    parser.add_argument("--angle", type=_number, metavar="DEG",
                        help="angle of incidence in degrees (default 70)%s" % what)
    parser.add_argument("--substrate", type=_index, metavar="N-Kj",
                        help="substrate index n - ik, written 3.866-0.028j (the default)")


def _add_command(subparsers, run, add_options, name, **texts):
    """Add the command ``name`` that ``run`` runs: its options, then the output options."""
    parser = subparsers.add_parser(name, **texts)
    add_options(parser)
    _output_options(parser)
    parser.set_defaults(run=run, parser=parser)


def _psi_delta_options(p):
    _setting_options(p, "")
    p.add_argument("--index", type=_positive, action="append", metavar="N",
                   help="film index, one trajectory each; repeat for several (default 1.5)")
    p.add_argument("--measured", type=_psi_delta, action="append", default=[],
                   metavar="PSI,DELTA", help="a measured point in degrees; repeat for several")
    p.add_argument("--fit-index", action="store_true",
                   help="also fit index and thickness (mode 4) from the first --index")


def _nk_options(p):
    p.add_argument("materials", nargs="+", metavar="MATERIAL",
                   help="Si, SiO2, Si-a (or a-Si), SiOx, Al, Si3N4, 'Si polycristallin' "
                        "(or poly-Si), 'Si poreux' (or porous-Si), vide (or vacuum), or the "
                        "menu number 1 to 9")
    p.add_argument("--from", dest="start", type=_positive, metavar="X",
                   help="start of the range: nm (default 300), or eV with --energy (default 1.5)")
    p.add_argument("--to", dest="stop", type=_positive, metavar="X",
                   help="end of the range: nm (default 1000), or eV with --energy (default 5)")
    p.add_argument("--points", type=_count, default=351, help="number of points (default 351)")
    p.add_argument("--energy", action="store_true", help="the range is photon energy in eV")
    p.add_argument("--epsilon", action="store_true", help="also draw eps1 and eps2")
    p.add_argument("--voids", type=_number, default=0.0, metavar="F",
                   help="void fraction, at most 1 (default 0)")
    p.add_argument("--x", type=_number, default=0.0, help="oxygen content x of SiOx (default 0)")
    p.add_argument("--si-c-rate", type=_number, default=0.0, metavar="F",
                   help="Si-c rate of Si3N4, polycrystalline and porous Si, 0 to 1 (default 0)")
    p.add_argument("--stress", type=_number, default=0.0, metavar="MPA",
                   help="in-plane stress of SiO2 in MPa (default 0)")


def _bow_options(p):
    p.add_argument("--bow", type=_number, default=waferbow.BOW, metavar="UM",
                   help="measured bow in um (default 10)")
    p.add_argument("--diameter", type=_positive, metavar="M",
                   help="wafer diameter in m (default 0.1)")
    p.add_argument("--silicon", type=_positive, default=waferbow.SILICON, metavar="UM",
                   help="silicon thickness of the first state in um (default 525)")
    p.add_argument("--silica", type=_positive, default=waferbow.SILICA, metavar="UM",
                   help="silica thickness of the first state in um (default 1)")
    p.add_argument("--modulus-si", type=_positive, metavar="E5MPA",
                   help="E/(1-NU) of silicon in 1E5 MPa (default 2.28)")
    p.add_argument("--modulus-sio2", type=_positive, metavar="E5MPA",
                   help="E/(1-NU) of silica in 1E5 MPa (default 0.863)")
    p.add_argument("--to-silica", type=_thickness_range, required=True, metavar="FROM:TO",
                   help="range of the new silica thickness in um")
    p.add_argument("--to-silicon", type=_positive, metavar="UM",
                   help="new silicon thickness in um (default: unchanged)")
    p.add_argument("--moment", type=_number, default=0.0, metavar="N",
                   help="external bending moment in N (default 0)")
    p.add_argument("--points", type=_count, default=60, help="number of points (default 60)")


def _map_options(p):
    p.add_argument("sites", metavar="SITES.csv", help="the table of sites")
    p.add_argument("--index", type=_positive, default=ellcalc.FILM_INDEX, metavar="N",
                   help="film index, or the start of the search with --fit-index (default 1.5)")
    p.add_argument("--fit-index", action="store_true",
                   help="fit index and thickness together (mode 4)")
    _setting_options(p, ", for sites without their own")
    p.add_argument("--near", type=_not_negative, metavar="NM",
                   help="the thickness of the order nearest NM, for sites without their own "
                        "(default: the thickness within one period)")
    p.add_argument("--max-residual", type=_positive, default=MAX_RESIDUAL, metavar="DEG",
                   help="the largest residual of a site that reproduces its Psi and Delta "
                        "(default %g)" % MAX_RESIDUAL)
    p.add_argument("--diameter", type=_positive, metavar="MM",
                   help="wafer diameter drawn, in mm (default: the smallest usual wafer "
                        "around the sites)")


def build_parser():
    """Return the argument parser of the whole command line."""
    parser = _Parser(
        prog=PROG, formatter_class=argparse.RawDescriptionHelpFormatter,
        description="Charts and tables of the thin-film calculators' results: Psi-Delta\n"
                    "trajectories, n and k spectra, bow predictions and wafer maps.")
    commands = parser.add_subparsers(dest="command", required=True, metavar="COMMAND")

    chart = commands.add_parser(
        "chart", help="draw a chart (psi-delta, nk or bow)",
        formatter_class=argparse.RawDescriptionHelpFormatter,
        description="Draw a chart, or write its data as CSV.")
    charts = chart.add_subparsers(dest="chart", required=True, metavar="CHART")

    _add_command(
        charts, _run_psi_delta, _psi_delta_options, "psi-delta",
        help="trajectories of films on the Psi-Delta plane",
        description="Psi against Delta of each film index over one thickness period, with "
                    "thickness marks every 10 nm and labels every 50 nm, the bare substrate, "
                    "and each measured point with the thickness that ellcalc mode 3 finds "
                    "for it at every film index (and the index and thickness of mode 4 with "
                    "--fit-index).")
    _add_command(
        charts, _run_nk, _nk_options, "nk",
        help="n and k of materials over a spectrum",
        description="n and k (and with --epsilon eps1 and eps2) of optconst's materials over "
                    "a range of wavelength or photon energy, with the signs optconst prints "
                    "(N = n - ik). Silica under a stress shows its two polarisations.")
    _add_command(
        charts, _run_bow, _bow_options, "bow",
        help="predicted wafer bow against the new silica thickness",
        description="The bow that waferbow's continue pass predicts over a range of silica "
                    "thickness, from a measured first state, with the first state marked and "
                    "the thin-film scaling of the bow drawn for comparison.")
    _add_command(
        commands, _run_map, _map_options, "map",
        help="thickness (and index) across a wafer from a CSV of sites",
        description="Read a CSV of sites with a header line: columns x and y (mm), psi and "
                    "delta (degrees), optionally wavelength (nm), angle (degrees) and near "
                    "(nm) per site, any others kept as they are. Compute the thickness of "
                    "every site as ellcalc mode 3 does (mode 4 with --fit-index) and draw "
                    "the map, marking the sites whose residual exceeds --max-residual, or "
                    "write the table with the columns thickness, period, psi_model, "
                    "delta_model, residual, order (and film_index, converged) added.")

    summary = "the charts and their options:\n" + "".join(
        "  " + sub.format_usage()[len("usage: "):] for sub in charts.choices.values())
    chart.epilog = summary
    parser.epilog = ("the commands and their options:\n" + "".join(
        "  " + sub.format_usage()[len("usage: "):]
        for sub in list(charts.choices.values()) + [commands.choices["map"]])
        + "\nErrors end with status 2 and leave no file behind. See thinfilm(1).")
    return parser


# Running a command --------------------------------------------------------------------------

def _same_file(a, b):
    """Whether paths `a` and `b` name one file: the same device and inode, or the same path."""
    try:
        return os.path.samefile(a, b)
    except OSError:
        return os.path.realpath(a) == os.path.realpath(b)


def _check_outputs(args):
    if file_format(args.output) is None:
        args.parser.error("cannot tell the format of %r: the output name must end in %s"
                          % (args.output, ", ".join("." + f for f in FORMATS)))
    if args.csv is not None and _same_file(args.csv, args.output):
        args.parser.error("--csv and --output name the same file %r" % args.csv)
    source = getattr(args, "sites", None)
    if source is None:
        return
    try:
        # Writing over a terminal or /dev/null read from loses nothing.
        unharmed = stat.S_ISCHR(os.stat(source).st_mode)
    except OSError:
        return  # reading it will tell
    for option, path in (("--output", args.output), ("--csv", args.csv)):
        if path is not None and not unharmed and _same_file(path, source):
            args.parser.error("%s %r names the input file %r: it would be replaced"
                              % (option, path, source))


def _write(args, table, draw):
    """Write the picture (or the table) and the --csv table, in full or not at all."""
    output_format = file_format(args.output)
    files = []
    try:
        if output_format == "csv":
            files.append((args.output, table_writer(table)))
        else:
            try:
                import matplotlib
            except ImportError:
                raise _Failure("pictures need matplotlib (Debian package python3-matplotlib); "
                               "an output name ending in .csv writes the table without it"
                               ) from None
            matplotlib.use("Agg")
            files.append((args.output, figure_writer(draw(), output_format, args.dpi)))
        if args.csv is not None:
            files.append((args.csv, table_writer(table)))
        write_files(files)
    except OSError as error:
        name = error.filename or args.output
        raise _Failure("cannot write %s: %s" % (name, error.strerror or error)) from None
    except (ArithmeticError, ValueError, IndexError) as error:
        # Values matplotlib cannot place (beyond what its transforms and tick
        # locators hold).
        raise _Failure("cannot draw the chart: %s" % (error or type(error).__name__)) from None


def _chart_failure(args, error):
    """The _Failure of a ChartError, naming the option out of range when it is known."""
    argument = getattr(error, "argument", None)
    if argument is not None and hasattr(args, argument):
        return _Failure("argument --%s: %s" % (argument.replace("_", "-"), error))
    return _Failure(str(error))


def _run_psi_delta(args):
    from thinfilm.charts.psi_delta import draw_psi_delta, psi_delta_data

    defaults = dict(wavelength=ellcalc.WAVELENGTH, angle=ellcalc.ANGLE,
                    substrate=ellcalc.SUBSTRATE)
    setting = {k: v if getattr(args, k) is None else getattr(args, k)
               for k, v in defaults.items()}
    try:
        chart = psi_delta_data(indices=args.index or [ellcalc.FILM_INDEX],
                               measured=args.measured, fit_index=args.fit_index, **setting)
    except ChartError as error:
        raise _chart_failure(args, error) from None
    stalled = [f.point for f in chart.fits if not f.converged]
    if stalled:
        _warn(args, "the index search of point %s did not settle (converged = 0 in the table)"
              % ", ".join(map(str, stalled)))
    _write(args, chart.table(), lambda: draw_psi_delta(chart))


def _run_nk(args):
    from thinfilm.charts.nk import draw_nk, material_argument, nk_data
    from thinfilm.optconst import MATERIALS

    materials = []
    for name in args.materials:
        try:
            materials.append(material_argument(name))
        except ValueError:
            args.parser.error("unknown material %r (choose from %s, or 1 to 9)"
                              % (name, ", ".join(repr(m) for m in MATERIALS.values())))
    if args.voids > 1:
        args.parser.error("--voids %g is above 1" % args.voids)
    if not 0 <= args.si_c_rate <= 1:
        args.parser.error("--si-c-rate %g is not between 0 and 1" % args.si_c_rate)
    start = args.start if args.start is not None else (1.5 if args.energy else 300.0)
    stop = args.stop if args.stop is not None else (5.0 if args.energy else 1000.0)
    if not start < stop:
        args.parser.error("the range %g to %g does not go up" % (start, stop))
    args.load = "for the chart of %d points of %d materials" % (args.points, len(materials))
    chart = nk_data(materials, start, stop, points=args.points, energy=args.energy,
                    voids=args.voids, x=args.x, si_c_rate=args.si_c_rate, stress=args.stress)
    _write(args, chart.table(), lambda: draw_nk(chart, epsilon=args.epsilon))


def _run_bow(args):
    from thinfilm.charts.bow import REGRESSION_LIMIT, bow_data, draw_bow

    first_state = {k: getattr(args, k) for k in ("diameter", "modulus_si", "modulus_sio2")
                   if getattr(args, k) is not None}
    try:
        chart = bow_data(args.to_silica, bow=args.bow, silicon=args.silicon,
                         silica=args.silica, to_silicon=args.to_silicon, moment=args.moment,
                         points=args.points, **first_state)
    except ChartError as error:
        raise _chart_failure(args, error) from None
    stalled = int(np.count_nonzero(np.asarray(chart.prediction.regressions) >= REGRESSION_LIMIT))
    if stalled:
        _warn(args, "the regression of %d of %d points did not settle within %d steps"
              % (stalled, args.points, REGRESSION_LIMIT))
    _write(args, chart.table(), lambda: draw_bow(chart))


def _run_map(args):
    from thinfilm.charts.sites import InputError, read_sites
    from thinfilm.charts.wafer_map import (SETTING_COLUMNS, SITE_COLUMNS, draw_map, map_data,
                                           outside, wafer_diameter)

    args.load = "to read %s" % args.sites
    try:
        sites = read_sites(args.sites, SITE_COLUMNS, SETTING_COLUMNS)
    except InputError as error:
        raise _Failure(str(error)) from None
    except OSError as error:
        raise _Failure("cannot read %s: %s" % (args.sites, error.strerror or error)) from None
    args.load = "for the %d sites of %s" % (len(sites), args.sites)
    chart = map_data(sites, film_index=args.index, fit_index=args.fit_index, near=args.near,
                     max_residual=args.max_residual, wavelength=args.wavelength,
                     angle=args.angle, substrate=args.substrate)
    if args.fit_index:
        stalled = len(sites) - int(np.count_nonzero(chart.result.converged))
        if stalled:
            _warn(args, "the index search of %d of %d sites did not settle (converged = 0 "
                        "in the table)" % (stalled, len(sites)))
    unreproduced = int(np.count_nonzero(chart.unreproduced()))
    if unreproduced:
        _warn(args, "%d of %d sites do not reproduce their Psi and Delta within %g degrees "
                    "(residual column)" % (unreproduced, len(sites), args.max_residual))
    if file_format(args.output) != "csv":
        diameter = args.diameter or wafer_diameter(chart.x, chart.y)
        beyond = outside(chart.x, chart.y, diameter)
        if beyond:
            _warn(args, "%d of %d sites lie outside the wafer of %g mm drawn"
                  % (beyond, len(sites), diameter))
    _write(args, chart.table(), lambda: draw_map(chart, diameter=args.diameter))


def _warn(args, message):
    print("%s: warning: %s" % (args.parser.prog, message), file=sys.stderr)


class _EndingSignals:
    """For the time of a command, SIGINT, SIGTERM and SIGHUP raise an exception.

    The command then unwinds, and its temporary files are removed, as after
    an error. The first signal alone does so: the ones that follow wait for
    the end of that cleanup. Signals ignored at the start (nohup) stay ignored.
    """

    def __init__(self):
        self.received = None
        self.previous = {}

    def _handle(self, number, frame):
        if self.received is not None:
            return
        self.received = number
        if number == signal.SIGINT:
            raise KeyboardInterrupt
        raise _Signalled(number)

    def __enter__(self):
        for number in _ENDING_SIGNALS:
            try:
                previous = signal.getsignal(number)
                if previous is not signal.SIG_IGN:
                    signal.signal(number, self._handle)
                    self.previous[number] = previous
            except (ValueError, OSError):
                pass  # not the main thread: signals keep their handlers
        return self

    def __exit__(self, *exception):
        for number, previous in self.previous.items():
            signal.signal(number, signal.SIG_DFL if previous is None else previous)
        return False


def _end_by_signal(number):
    """End the process as `number` does by default (after the cleanup); return 128 + n."""
    sys.stdout.flush()
    sys.stderr.flush()
    try:
        signal.signal(number, signal.SIG_DFL)
        signal.pthread_sigmask(signal.SIG_UNBLOCK, {number})
        os.kill(os.getpid(), number)
    except (AttributeError, ValueError, OSError):
        pass
    return 128 + number


def _run(args):
    # The package's numerical warnings (and any other a user should see), once
    # each, as one line on standard error; deprecations are for developers.
    with warnings.catch_warnings(record=True) as caught:
        warnings.simplefilter("always")
        warnings.simplefilter("ignore", DeprecationWarning)
        warnings.simplefilter("ignore", PendingDeprecationWarning)
        try:
            args.run(args)
        finally:
            for message in dict.fromkeys(str(w.message) for w in caught):
                _warn(args, message)


def main(argv=None):
    """Run the command line with `argv` (sys.argv[1:] by default); return the exit status.

    0 when the files are written; 2 after a usage error (with the usage) or an
    error in the input, with one line on standard error, and no file written;
    130 after an interrupt (Ctrl-C), quietly, with no file written. SIGTERM and
    SIGHUP end the process by the same signal, once the files begun are removed.
    """
    parser = build_parser()
    prog = parser.prog
    args = None
    with _EndingSignals() as signals:
        try:
            args = parser.parse_args(argv)
            prog = args.parser.prog
            args.load = None
            _check_outputs(args)
            _run(args)
        except SystemExit as end:
            return 0 if end.code is None else end.code
        except (_Failure, ChartError, StressFitError) as error:
            print("%s: error: %s" % (prog, error), file=sys.stderr)
            return 2
        except (KeyboardInterrupt, _Signalled):
            received = signals.received
        except MemoryError:
            load = getattr(args, "load", None)
            print("%s: error: not enough memory%s" % (prog, " " + load if load else ""),
                  file=sys.stderr)
            return 2
        except Exception as error:
            # The last resort: an error not foreseen above, on one line all the same.
            print("%s: error: %s: %s" % (prog, type(error).__name__, error), file=sys.stderr)
            return 2
        else:
            return 0
    if received in (None, getattr(signal, "SIGINT", None)):
        return 130
    return _end_by_signal(received)
