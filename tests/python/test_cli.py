"""The command line: the files each command writes, its errors, its help."""

import csv
import os
import xml.etree.ElementTree as ElementTree

import numpy as np
import pytest

from common import column, read_rows
from thinfilm import ellcalc

COMMANDS = {
    "psi-delta": ["chart", "psi-delta", "--index", "1.46", "--index", "2.0",
                  "--measured", "43.61,75.97", "--fit-index"],
    "nk": ["chart", "nk", "Si", "SiO2", "poly-Si", "--stress", "-300", "--from", "300",
           "--to", "1000", "--points", "50", "--epsilon"],
    "bow": ["chart", "bow", "--bow", "10", "--diameter", "100", "--silicon", "525",
            "--silica", "1", "--to-silica", "0.1:3", "--to-silicon", "400", "--points", "12"],
    "map": ["map", "sites.csv", "--index", "1.46", "--fit-index"],
}
HEADERS = {
    "psi-delta": "kind,point,film_index,thickness,period,psi,delta,converged,residual",
    "nk": "material,polarisation,wavelength,n,k,eps1,eps2",
    "bow": "silicon,silica,moment,bow,thin_film_bow,regressions,settled,radius,",
    "map": "x,y,psi,delta,thickness,period,psi_model,delta_model,residual,order,film_index,"
           "converged",
}


def _files(folder):
    return sorted(p.name for p in folder.iterdir() if p.name != "sites.csv")


def ended_well(cli, *argv):
    """The command line on argv, which must end with status 0: its output and its warnings."""
    status, out, err = cli(*argv)
    assert status == 0, err
    return out, err


def mapped(cli, folder, *options, separator=","):
    """The map command on sites.csv, which must end well: its output, its warnings and the
    rows of the table it wrote."""
    out, err = ended_well(cli, "map", "sites.csv", *options, "-o", "m.csv")
    return out, err, read_rows(folder / "m.csv", separator)


@pytest.mark.parametrize("command", COMMANDS)
def test_every_command_writes_png_svg_pdf_and_csv(command, cli, tmp_path):
    for outputs in ("c.png --csv beside.csv", "c.svg", "c.PDF --dpi 72", "c.csv", "again.svg",
                    "again.pdf --dpi 72"):
        assert cli(*COMMANDS[command], "-o", *outputs.split())[0] == 0
    # The same chart gives the same bytes.
    for again, first in (("again.svg", "c.svg"), ("again.pdf", "c.PDF")):
        assert (tmp_path / again).read_bytes() == (tmp_path / first).read_bytes()
    assert _files(tmp_path) == ["again.pdf", "again.svg", "beside.csv", "c.PDF", "c.csv",
                                "c.png", "c.svg"]

    assert (tmp_path / "c.png").read_bytes().startswith(b"\x89PNG\r\n\x1a\n")
    assert ElementTree.parse(tmp_path / "c.svg").getroot().tag == "{http://www.w3.org/2000/svg}svg"
    pdf = (tmp_path / "c.PDF").read_bytes()
    assert pdf.startswith(b"%PDF-") and pdf.rstrip().endswith(b"%%EOF")
    table = (tmp_path / "c.csv").read_text()
    assert table == (tmp_path / "beside.csv").read_text()
    assert table.startswith(HEADERS[command])
    rows = list(csv.reader(table.splitlines()))
    assert len(rows) > 2 and {len(row) for row in rows} == {len(rows[0])}
    # The files are readable by everyone the umask lets read them, like any new file.
    mask = os.umask(0)
    os.umask(mask)
    assert (tmp_path / "c.png").stat().st_mode & 0o777 == 0o666 & ~mask


def test_map_near_picks_the_order_and_the_sites_off_the_model_are_counted(cli, tmp_path):
    m = ellcalc.psi_delta(film_index=1.46, thickness=[1012.5, 1012.5, 300.0])
    psi, delta = [*m.psi, 80.0], [*m.delta, 10.0]
    near = [np.nan, 0.0, 1000.0, 2000.0]
    warning = ("thinfilm map: warning: 1 of 4 sites do not reproduce their Psi and Delta "
               "within 0.05 degrees (residual column)\n")

    def table(column_name, *options):
        lines = ["%d,0,%s,%s,%r" % row for row in zip(range(4), psi, delta, near)]
        (tmp_path / "sites.csv").write_text("\n".join(["x,y,psi,delta," + column_name] + lines))
        _, err, rows = mapped(cli, tmp_path, "--index", "1.46", *options)
        names = ("thickness", "residual", "order")
        return {name: column(rows, name, np.float32) for name in names}, err

    # Single-precision results are written with the shortest digits that read back as them.
    # --near holds for every site, unless the table has a near column (NaN there: folded).
    for column_name, options, expected in (("z", (), None), ("z", ("--near", "1000"), 1000.0),
                                           ("near", ("--near", "1000"), near)):
        found, err = table(column_name, *options)
        r = ellcalc.thickness(film_index=1.46, psi=psi, delta=delta, near=expected)
        for name, values in found.items():
            np.testing.assert_array_equal(values, getattr(r, name))
        assert err == warning
        if column_name == "z" and options:
            np.testing.assert_array_equal(found["order"][:2], [3, 3])
            np.testing.assert_allclose(found["thickness"][:2], 1012.5, atol=0.01)
    assert table("z", "--max-residual", "180")[1] == ""
    # A NaN residual counts as one above the limit.
    psi[0] = np.nan
    assert "1 of 4 sites do not reproduce" in table("z", "--max-residual", "180")[1]


# (arguments, "-o out.png" added unless they name an output; words of the message)
ERRORS = [
    ("chart nk Unobtainium", "usage: thinfilm chart nk", "unknown material 'Unobtainium'"),
    ("chart bow --to-silica 3:1", "usage:", "does not go up"),
    ("chart psi-delta --measured 43.6", "usage:", "not PSI,DELTA"),
    ("chart psi-delta --substrate 3.8-x", "usage:", "not a complex index"),
    ("chart psi-delta -o p.jpg", "usage:", "cannot tell the format"),
    ("chart nk Si --voids 1.5", "usage:", "above 1"),
    ("chart nk Si --dpi 1e5", "usage:", "10 and 1200"),
    ("chart psi-delta --index 1.46 --index 0.9", "thinfilm chart psi-delta: error:",
     "index 0.9 has no thickness period"),
    ("chart bow --bow 0 --to-silica 1:3", "error:", "no finite radius"),
    ("chart nk SiO2 --stress 1e5", "error:", "stress fit does not converge"),
    ("map absent.csv", "cannot read absent.csv", "No such file"),
    ("chart bow --to-silica 1:3 -o no/such/folder/b.png",
     "error: cannot write no/such/folder/b.png:", "No such file"),
    ("map sites.csv --near -1e3", "usage: thinfilm map", "argument --near: '-1e3' is below 0"),
    ("map sites.csv --max-residual 0", "usage: thinfilm map",
     "argument --max-residual: '0' is not above 0"),
    # Values beyond what the arithmetic holds: the option to blame is named.
    ("chart bow --to-silicon 1e-300 --to-silica 0.1:3", "error: argument --to-silicon:",
     "thin-film scaling of the bow overflows"),
    ("chart bow --silica 5e-324 --to-silica 0.1:3", "error: argument --silica:", "overflows"),
    ("chart bow --diameter 1e300 --to-silica 0.1:3", "error: argument --diameter:",
     "no finite radius"),
    ("chart bow --diameter 0.1 --to-silica 0.1:3", "usage:",
     "argument --diameter: '0.1' is below 1: the diameter is in mm"),
    ("chart psi-delta --wavelength 1e300", "error: argument --wavelength:", "out of range"),
    ("chart psi-delta --angle 1e300", "error: argument --angle:", "out of range"),
    ("chart nk Si --to 1.7e308", "chart nk: error:", "cannot draw the chart"),
    ("chart bow --to-silica -3:-1", "usage:",
     "argument --to-silica: range '-3:-1' begins below 0"),
]
HEADER = "x,y,psi,delta\n"
SITE = HEADER + "0,0,43.6,76\n"
# The map command on sites.csv: (its other arguments, the contents of sites.csv, words of
# the message)
TABLE_ERRORS = [
    ("", HEADER + "0,0,43.6,76\n1,0,4x,76\n",
     "thinfilm map: error: sites.csv, line 3, column 3:", "'4x' in column 'psi' is not a number"),
    ("-o m.csv", HEADER + "0,0,43.6\n", "sites.csv, line 2, column 4:", "3 values for 4 columns"),
    ("", "x,y,psi\n0,0,43.6\n", "sites.csv, line 1:", "no column 'delta'"),
    ("", "x,y,psi,delta,y\n", "sites.csv, line 1, column 5:", "named twice"),
    ("", HEADER, "sites.csv, line 1:", "no sites"),
    ("", "", "sites.csv, line 1:", "no header line"),
    ("", HEADER + "0,0,\"43.6,76\n", "sites.csv, line", "unreadable CSV line"),
    ("", HEADER.encode() + b"0,0,43.6,7\xe96\n", "sites.csv, line 2, column 4:", "not UTF-8"),
    ("", HEADER.encode() + b"0,0,4\x003,76\n", "sites.csv, line 2, column 3:",
     "a NUL byte: binary data"),
    ("", HEADER + "1" * (1 << 21), "sites.csv, line 2:", "a line longer than 1048576 bytes"),
    ("", "x,y,psi,delta,substrate\n0,0,43.6,76,Unobtainium\n",
     "line 2, column 5: 'Unobtainium' in column 'substrate': unknown material"),
    ("", "x;y;psi;delta\n0;0;43,6;76\n1;0;43.6;76\n", "line 3, column 3: '43.6' in column 'psi' "
     "is not a number (the decimal mark of the file is a comma)"),
    ("", "x,X (mm),y,psi,delta\n",
     "line 1, column 2: column 'X (mm)' names the same column as column 1 'x'"),
    ("--stats sites.csv", SITE, "--stats 'sites.csv' names the same file as the input"),
    ("--index Unobtainium", SITE,
     "argument --index: 'Unobtainium' is not a number, nor a material"),
    ("--index Si", SITE, "absorbs"),
]
CASES = [(argv, None, words) for argv, *words in ERRORS] + [
    ("map sites.csv " + options, sites, words) for options, sites, *words in TABLE_ERRORS]


@pytest.mark.parametrize("argv, sites, words", CASES,
                         ids=[f"{c[0][:30]}: {c[2][-1][:40]}" for c in CASES])
def test_errors_end_with_status_2_and_leave_no_file(argv, sites, words, cli, tmp_path):
    if sites is not None:
        (tmp_path / "sites.csv").write_bytes(sites if isinstance(sites, bytes) else sites.encode())
    argv = argv.split() + ([] if "-o" in argv.split() else ["-o", "out.png"])
    status, out, err = cli(*argv, "--csv", "t.csv")
    assert status == 2 and out == ""
    assert all(w in err for w in words), err
    assert _files(tmp_path) == []


@pytest.mark.parametrize("argv", [
    "chart psi-delta --angle -7e1 --measured -5,-10 --substrate -3.8-0.02j",
    "chart bow --moment -1e3 --bow -.5 --to-silica 0:1 --points 3",
    "chart nk Si SiO2 --stress -1.e3 --x -0 --points 3",
])
def test_negative_numbers_with_an_exponent_are_values(argv, cli):
    assert "expected one argument" not in ended_well(cli, *argv.split(), "-o", "t.csv")[1]


def test_a_file_that_cannot_be_written_leaves_the_others_untouched(cli, tmp_path):
    (tmp_path / "b.png").write_bytes(b"the old picture")
    status, _, err = cli(*COMMANDS["bow"], "-o", "b.png", "--csv", "absent/b.csv")
    assert status == 2 and "cannot write" in err
    assert _files(tmp_path) == ["b.png"]
    assert (tmp_path / "b.png").read_bytes() == b"the old picture"


def test_a_device_is_written_in_place_not_replaced(cli, tmp_path):
    (tmp_path / "null.csv").symlink_to(os.devnull)
    assert cli(*COMMANDS["bow"], "-o", "null.csv")[0] == 0
    assert (tmp_path / "null.csv").is_symlink() and _files(tmp_path) == ["null.csv"]


def test_numerical_trouble_is_reported_and_the_files_are_written(cli, tmp_path):
    # 1 N is beyond what the first state's energy balances: only the stripped wafer,
    # bent by the moment alone, settles.
    _, err = ended_well(cli, "chart", "bow", "--to-silica", "0:1", "--points", "3", "--moment",
                        "1", "-o", "b.csv")
    assert err.splitlines() == [
        "thinfilm chart bow: warning: the continue pass did not settle at 2 of 3 point(s)"
        " (first at flat index 1): settled is False there, and the results are where the"
        " Newton steps ended"]
    assert [(r["regressions"], r["settled"]) for r in read_rows(tmp_path / "b.csv")] == [
        ("0", "1"), ("10000", "0"), ("10000", "0")]
    _, err = ended_well(cli, "chart", "psi-delta", "--measured", "5,10", "--fit-index", "-o",
                        "p.csv")
    assert "index search of point 1 did not settle" in err


def test_help_lists_the_commands_and_their_options(cli):
    for argv, words in ((["--help"], ("chart psi-delta", "chart nk", "chart bow", "thinfilm map",
                                      "--fit-index", "--to-silica", "--energy", "--csv")),
                        (["chart", "--help"], ("psi-delta", "nk", "bow", "--measured",
                                               "--epsilon", "--to-silicon"))):
        status, out, _ = cli(*argv)
        assert status == 0 and all(w in out for w in words), (argv, out)
    assert cli()[0] == 2
