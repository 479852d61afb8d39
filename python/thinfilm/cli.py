"""The command line ``python3 -m thinfilm``: charts and tables of the calculators.

Commands::

    thinfilm chart psi-delta ...   film trajectories on the Psi-Delta plane
    thinfilm chart nk ...          n and k spectra of materials
    thinfilm chart bow ...         predicted bow against the new silica thickness
    thinfilm map SITES.csv ...     thickness (and index) across a wafer
    thinfilm stress ...            film stress from the bow before and after the film

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


def _setting_options(parser, what, substrate=_index, substrate_what=""):
    """Add --wavelength, --angle and --substrate; `what` ends the help of the first two,
    `substrate_what` that of the third, which `substrate` reads."""
    parser.add_argument("--wavelength", type=_positive, metavar="NM",
                        help="wavelength in nm (default 632.8)%s" % what)
    parser.add_argument("--angle", type=_number, metavar="DEG",
                        help="angle of incidence in degrees (default 70)%s" % what)
    parser.add_argument("--substrate", type=substrate, metavar="N-Kj",
                        help="substrate index n - ik, written 3.866-0.028j (the default)%s"
                             % substrate_what)


def _add_command(subparsers, run, add_options, name, **texts):
    """Add the command ``name`` that ``run`` runs: its options, then the output options."""
    parser = subparsers.add_parser(name, **texts)
    add_options(parser)
    _output_options(parser)
    parser.set_defaults(run=run, parser=parser)


def _under_layer(text):
    from thinfilm.charts.psi_delta import layer_argument

    try:
        return layer_argument(text)
    except ValueError as error:
        raise argparse.ArgumentTypeError(str(error)) from None


def _psi_delta_options(p):
    _setting_options(p, "")
    p.add_argument("--index", type=_positive, action="append", metavar="N",
                   help="film index, one trajectory each; repeat for several (default 1.5)")
    p.add_argument("--measured", type=_psi_delta, action="append", default=[],
                   metavar="PSI,DELTA", help="a measured point in degrees; repeat for several")
    p.add_argument("--fit-index", action="store_true",
                   help="also fit index and thickness (mode 4) from the first --index")
    p.add_argument("--under", type=_under_layer, action="append", default=[],
                   metavar="INDEX_OR_MATERIAL:NM",
                   help="a known layer under the film, e.g. SiO2:2 or 1.46:2; repeat for "
                        "several, from the film down to the substrate")


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


def _millimetres(text):
    """A wafer diameter in mm: 1 or more (a diameter in m is refused as such)."""
    value = _positive(text)
    if value < 1:
        raise argparse.ArgumentTypeError("%r is below 1: the diameter is in mm (150 for a "
                                         "150 mm wafer)" % text)
    return value


def _bow_options(p):
    p.add_argument("--bow", type=_number, default=waferbow.BOW, metavar="UM",
                   help="measured bow in um (default 10)")
    p.add_argument("--initial-bow", type=_number, default=waferbow.INITIAL_BOW, metavar="UM",
                   help="bow of the bare wafer in um, before the film (default 0: flat)")
    p.add_argument("--diameter", type=_millimetres, metavar="MM",
                   help="wafer diameter in mm (default 100)")
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


def _csv_name(text):
    if file_format(text) != "csv":
        raise argparse.ArgumentTypeError("%r does not end in .csv: the stress report is a "
                                         "table" % text)
    return text


def _stress_options(p):
    p.add_argument("--bow-before", type=_number, required=True, metavar="UM",
                   help="bow of the bare wafer in um")
    p.add_argument("--bow-after", type=_number, required=True, metavar="UM",
                   help="bow with the film in um, over the same diameter")
    p.add_argument("--diameter", type=_millimetres, required=True, metavar="MM",
                   help="wafer diameter in mm")
    p.add_argument("--silicon", type=_positive, required=True, metavar="UM",
                   help="silicon thickness in um")
    p.add_argument("--silica", type=_positive, required=True, metavar="UM",
                   help="silica thickness in um")
    p.add_argument("--modulus-si", type=_positive, default=waferbow.MODULUS_SI,
                   metavar="E5MPA", help="E/(1-NU) of silicon in 1E5 MPa (default 2.28)")
    p.add_argument("--modulus-sio2", type=_positive, default=waferbow.MODULUS_SIO2,
                   metavar="E5MPA", help="E/(1-NU) of silica in 1E5 MPa (default 0.863)")
    for name, unit, what in (("bow", "UM", "each bow in um"),
                             ("silicon", "UM", "the silicon thickness in um"),
                             ("silica", "UM", "the silica thickness in um"),
                             ("modulus-si", "E5MPA", "the silicon modulus in 1E5 MPa")):
        p.add_argument("--sigma-" + name, type=_not_negative, default=0.0, metavar=unit,
                       help="standard deviation of %s (default 0)" % what)
    p.add_argument("-o", "--output", type=_csv_name, metavar="FILE.csv",
                   help="write the table to FILE.csv (default: standard output)")


def _material_or(read):
    """An option value that is a material's name (its label), or else what `read` reads."""
    def material_or_value(text):
        from thinfilm.optconst import ALIASES, MATERIALS, material_label

        try:
            return material_label(text)
        except ValueError:
            pass
        try:
            return read(text)
        except argparse.ArgumentTypeError as error:
            raise argparse.ArgumentTypeError(
                "%s, nor a material (%s)" % (error, ", ".join(
                    list(MATERIALS.values()) + list(ALIASES)))) from None
    return material_or_value


_SEPARATORS = {",": ",", ";": ";", "tab": "\t", "\t": "\t"}


def _map_options(p):
    p.add_argument("sites", metavar="SITES.csv", help="the table of sites")
    p.add_argument("--index", type=_material_or(_positive), default=ellcalc.FILM_INDEX,
                   metavar="N",
                   help="film index or material (SiO2, ...), or the start of the search with "
                        "--fit-index (default 1.5)")
    p.add_argument("--fit-index", action="store_true",
                   help="fit index and thickness together (mode 4)")
    what = ", for sites without their own"
    _setting_options(p, what, _material_or(_index),
                     ", or a material (Si, ...) at each site's wavelength" + what)
    p.add_argument("--near", type=_not_negative, metavar="NM",
                   help="the thickness of the order nearest NM, for sites without their own "
                        "(default: the thickness within one period)")
    p.add_argument("--under", type=_under_layer, action="append", default=[],
                   metavar="INDEX_OR_MATERIAL:NM",
                   help="a known layer under the film, e.g. SiO2:2; repeat for several, from "
                        "the film down to the substrate (the sites are then fitted)")
    p.add_argument("--max-residual", type=_positive, default=MAX_RESIDUAL, metavar="DEG",
                   help="the largest residual of a site that reproduces its Psi and Delta "
                        "(default %g)" % MAX_RESIDUAL)
    p.add_argument("--diameter", type=_positive, metavar="MM",
                   help="wafer diameter in mm (default: the smallest usual wafer "
                        "around the sites)")
    p.add_argument("--edge-exclusion", type=_not_negative, default=0.0, metavar="MM",
                   help="leave the sites within MM of the wafer's edge out of the statistics")
    p.add_argument("--stats", metavar="FILE.csv",
                   help="also write the wafer statistics to FILE.csv")
    p.add_argument("--sep", choices=sorted(_SEPARATORS), metavar="{',',';',tab}",
                   help="the separator of SITES.csv and of the tables written (default: "
                        "told from the header line)")
    p.add_argument("--decimal", choices=(".", ","), metavar="{'.',','}",
                   help="the decimal mark of SITES.csv and of the tables written (default: "
                        "told from the numbers)")


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
        description="Read a CSV of sites with a header line (separated by commas, "
                    "semicolons or tabs, with decimal points or commas; names in any case, "
                    "with or without a unit): columns x and y (mm), psi and delta (degrees), "
                    "optionally wavelength (nm), angle (degrees), near (nm), substrate and "
                    "film_index (indices or materials) per site, any others kept as they "
                    "are; an empty cell is a value not measured. Compute the thickness of "
                    "every site as ellcalc mode 3 does (mode 4 with --fit-index), or fit "
                    "the lines of a site that share its x and y together, print the wafer "
                    "statistics and draw the map, marking the sites whose residual exceeds "
                    "--max-residual, or write the table with the computed columns added.")

    stress = commands.add_parser(
        "stress", help="film stress from the bow before and after the film",
        description="The stress report of a wafer from its bow before the film (bare) and "
                    "after it, the film bending the wafer by the change of curvature: "
                    "waferbow's report of both layers, Stoney's stress (what bow gauges "
                    "compute) and the standard deviation of the film stress for the "
                    "uncertainties given, as a table (quantity, value, unit) on standard "
                    "output or in FILE.csv.")
    _stress_options(stress)
    stress.set_defaults(run=_run_stress, parser=stress, csv=None)

    summary = "the charts and their options:\n" + "".join(
        "  " + sub.format_usage()[len("usage: "):] for sub in charts.choices.values())
    chart.epilog = summary
    parser.epilog = ("the commands and their options:\n" + "".join(
        "  " + sub.format_usage()[len("usage: "):]
        for sub in list(charts.choices.values())
        + [commands.choices[name] for name in ("map", "stress")])
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
    if args.output is None:
        return  # the stress table, on standard output
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


def _write(args, table, draw, dialect=None, more=()):
    """Write the picture (or the table) and the --csv table, in full or not at all.

    `dialect`: the separator and decimal mark of the tables (a comma and a point by
    default); `more`: other (path, writer) pairs written with them.
    """
    dialect = dialect or {}
    output_format = file_format(args.output)
    files = []
    try:
        if output_format == "csv":
            files.append((args.output, table_writer(table, **dialect)))
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
            files.append((args.csv, table_writer(table, **dialect)))
        files.extend(more)
        write_files(files)
    except OSError as error:
        raise _cannot_write(error, args.output) from None
    except (ArithmeticError, ValueError, IndexError) as error:
        # Values matplotlib cannot place (beyond what its transforms and tick
        # locators hold).
        raise _Failure("cannot draw the chart: %s" % (error or type(error).__name__)) from None


def _cannot_write(error, output):
    """The _Failure of an OSError met writing the files, naming its file (else `output`)."""
    return _Failure("cannot write %s: %s" % (error.filename or output, error.strerror or error))


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
                               measured=args.measured, fit_index=args.fit_index,
                               under=args.under, **setting)
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
    from thinfilm.charts.bow import bow_data, draw_bow

    first_state = {k: getattr(args, k) for k in ("modulus_si", "modulus_sio2", "initial_bow")
                   if getattr(args, k) is not None}
    if args.diameter is not None:
        first_state["diameter"] = args.diameter / 1000
    try:
        chart = bow_data(args.to_silica, bow=args.bow, silicon=args.silicon,
                         silica=args.silica, to_silicon=args.to_silicon, moment=args.moment,
                         points=args.points, **first_state)
    except ChartError as error:
        raise _chart_failure(args, error) from None
    # The passes that did not settle are the package's warning, and settled = 0 in
    # the table.
    _write(args, chart.table(), lambda: draw_bow(chart))


def _run_stress(args):
    from thinfilm.charts.stress import stress_table

    try:
        table = stress_table(args.bow_before, args.bow_after, args.diameter / 1000,
                             args.silicon, args.silica, modulus_si=args.modulus_si,
                             modulus_sio2=args.modulus_sio2, sigma_bow=args.sigma_bow,
                             sigma_silicon=args.sigma_silicon, sigma_silica=args.sigma_silica,
                             sigma_modulus_si=args.sigma_modulus_si)
    except ChartError as error:
        raise _chart_failure(args, error) from None
    if args.output is None:
        sys.stdout.write(table.csv_text())
        return
    try:
        write_files([(args.output, table_writer(table))])
    except OSError as error:
        raise _cannot_write(error, args.output) from None


def _run_map(args):
    from thinfilm.charts.sites import InputError, read_sites
    from thinfilm.charts.statistics import UNITS, statistics_table, statistics_text
    from thinfilm.charts.wafer_map import (FIT_COLUMNS, INDEX_COLUMNS, SETTING_COLUMNS,
                                           SINGLE_COLUMNS, SITE_COLUMNS, draw_map, map_data,
                                           outside, read_index, wafer_diameter)

    for option, path in (("--output", args.output), ("--csv", args.csv),
                         ("the input", args.sites)):
        if args.stats is not None and path is not None and _same_file(args.stats, path):
            args.parser.error("--stats %r names the same file as %s" % (args.stats, option))
    args.load = "to read %s" % args.sites
    try:
        sites = read_sites(args.sites, SITE_COLUMNS, SETTING_COLUMNS,
                           texts=dict.fromkeys(INDEX_COLUMNS, read_index),
                           reserved=SINGLE_COLUMNS + FIT_COLUMNS,
                           separator=_SEPARATORS.get(args.sep), decimal=args.decimal)
    except InputError as error:
        raise _Failure(str(error)) from None
    except OSError as error:
        raise _Failure("cannot read %s: %s" % (args.sites, error.strerror or error)) from None
    args.load = "for the %d sites of %s" % (len(sites), args.sites)
    try:
        chart = map_data(sites, film_index=args.index, fit_index=args.fit_index,
                         near=args.near, max_residual=args.max_residual, under=args.under,
                         wavelength=args.wavelength, angle=args.angle,
                         substrate=args.substrate)
    except ChartError as error:
        raise _chart_failure(args, error) from None
    count = chart.count
    stalled = int(np.count_nonzero(chart.stalled()))
    if stalled:
        _warn(args, "the %s of %d of %d sites did not settle (converged = 0 in the table)"
              % ("fit" if chart.fitted else "index search", stalled, count))
    unreproduced = int(np.count_nonzero(chart.unreproduced()))
    if unreproduced:
        _warn(args, "%d of %d sites do not reproduce their Psi and Delta within %g degrees "
                    "(residual column)" % (unreproduced, count, args.max_residual))
    if chart.fitted:
        ambiguous = int(np.count_nonzero(chart.value("ambiguous")))
        if ambiguous:
            _warn(args, "the measurements of %d of %d sites do not tell two films apart "
                        "(ambiguous column)" % (ambiguous, count))
    diameter = args.diameter or wafer_diameter(chart.x, chart.y)
    if file_format(args.output) != "csv":
        beyond = outside(chart.x, chart.y, diameter)
        if beyond:
            _warn(args, "%d of %d sites lie outside the wafer of %g mm drawn"
                  % (beyond, count, diameter))
    statistics = chart.statistics(diameter, args.edge_exclusion)
    dialect = dict(separator=sites.dialect.separator, decimal=sites.dialect.output_decimal())
    more = []
    if args.stats is not None:
        more.append((args.stats, table_writer(statistics_table(statistics), **dialect)))
    _write(args, chart.table(), lambda: draw_map(chart, diameter, args.edge_exclusion),
           dialect, more)
    report = ["%s: %s (%s), %s" % (args.sites, _counted(count, "site"),
                                     _counted(len(sites), "line"), sites.dialect.describe())]
    if args.edge_exclusion:
        report.append("edge exclusion %g mm of the %g mm wafer: %d of %d sites left out"
                      % (args.edge_exclusion, diameter, statistics[0].excluded, count))
    report.append(statistics_text(statistics, UNITS))
    print("\n".join(report), file=_report_stream(args))


def _counted(count, what):
    return "%d %s%s" % (count, what, "s" * (count != 1))


def _report_stream(args):
    """Standard output, or standard error when an output file is standard output."""
    try:
        out = os.fstat(sys.stdout.fileno())
    except (OSError, ValueError, AttributeError):
        return sys.stdout
    for path in (args.output, args.csv, getattr(args, "stats", None)):
        try:
            if path is not None and os.path.samestat(os.stat(path), out):
                return sys.stderr
        except OSError:
            pass
    return sys.stdout


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
