"""The command line: the files each command writes, its errors, its help."""

import csv
import os
import xml.etree.ElementTree as ElementTree

import numpy as np
import pytest

from common import thinfilm_module, write_sites
from fields import F
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


@pytest.mark.parametrize("command", COMMANDS)
def test_every_command_writes_png_svg_pdf_and_csv(command, cli, tmp_path):
    argv = COMMANDS[command]
    assert cli(*argv, "-o", "c.png", "--csv", "beside.csv")[0] == 0
    assert cli(*argv, "-o", "c.svg")[0] == 0
    assert cli(*argv, "-o", "c.PDF", "--dpi", "72")[0] == 0
    assert cli(*argv, "-o", "c.csv")[0] == 0
    # The same chart gives the same bytes.
    assert cli(*argv, "-o", "again.svg")[0] == cli(*argv, "-o", "again.pdf", "--dpi", "72")[0] == 0
    assert (tmp_path / "again.svg").read_bytes() == (tmp_path / "c.svg").read_bytes()
    assert (tmp_path / "again.pdf").read_bytes() == (tmp_path / "c.PDF").read_bytes()
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


def test_a_thousand_site_map_gives_back_the_thickness_of_every_site(cli, tmp_path):
    thickness = write_sites(tmp_path / "sites.csv", 1000)
    assert cli("map", "sites.csv", "--index", "1.46", "-o", "map.png", "--csv", "map.csv",
                  "--dpi", "60")[0] == 0
    with open(tmp_path / "map.csv") as table:
        rows = list(csv.DictReader(table))
    assert len(rows) == 1000
    psi = np.array([float(r["psi"]) for r in rows])
    delta = np.array([float(r["delta"]) for r in rows])
    # Single-precision results are written with the shortest digits that read back as them.
    found = np.array([r["thickness"] for r in rows], dtype=np.float32)
    r = ellcalc.thickness(film_index=1.46, psi=psi, delta=delta)
    np.testing.assert_array_equal(found, r.thickness)
    np.testing.assert_allclose(found, thickness, atol=0.01)


def test_map_thickness_is_what_the_console_prints(cli, tmp_path, ellcalc_session):
    (tmp_path / "sites.csv").write_text("x,y,psi,delta\n0,0,39.44,78.24\n5,0,43.61,75.97\n")
    assert cli("map", "sites.csv", "--index", "1.5", "-o", "m.csv")[0] == 0
    rows = list(csv.DictReader(open(tmp_path / "m.csv")))
    for row in rows:
        printed = ellcalc_session("3\n/\n/\n/\n1.5\n%s\n%s\n" % (row["psi"], row["delta"]))
        assert " Epaisseur : %s nm" % F(float(row["thickness"]), 9, 3) in printed


def test_map_near_picks_the_order_and_the_sites_off_the_model_are_counted(cli, tmp_path):
    m = ellcalc.psi_delta(film_index=1.46, thickness=[1012.5, 1012.5, 300.0])
    psi, delta = [*m.psi, 80.0], [*m.delta, 10.0]
    near = [np.nan, 0.0, 1000.0, 2000.0]

    def table(column, *options):
        lines = ["%d,0,%s,%s,%r" % row for row in zip(range(4), psi, delta, near)]
        (tmp_path / "sites.csv").write_text("\n".join(["x,y,psi,delta," + column] + lines))
        status, _, err = cli("map", "sites.csv", "--index", "1.46", *options, "-o", "m.csv")
        assert status == 0
        rows = list(csv.DictReader(open(tmp_path / "m.csv")))
        return {name: np.array([r[name] for r in rows], dtype=np.float32)
                for name in ("thickness", "residual", "order")}, err

    # --near holds for every site, unless the table has a near column (NaN there: folded).
    for column, options, expected in (("z", (), None), ("z", ("--near", "1000"), 1000.0),
                                      ("near", ("--near", "1000"), near)):
        found, err = table(column, *options)
        r = ellcalc.thickness(film_index=1.46, psi=psi, delta=delta, near=expected)
        for name, values in found.items():
            np.testing.assert_array_equal(values, getattr(r, name))
        assert err == ("thinfilm map: warning: 1 of 4 sites do not reproduce their Psi and "
                       "Delta within 0.05 degrees (residual column)\n")
        if column == "z" and options:
            np.testing.assert_array_equal(found["order"][:2], [3, 3])
            np.testing.assert_allclose(found["thickness"][:2], 1012.5, atol=0.01)
    assert table("z", "--max-residual", "180")[1] == ""
    # A NaN residual counts as one above the limit.
    psi[0] = np.nan
    assert "1 of 4 sites do not reproduce" in table("z", "--max-residual", "180")[1]


ERRORS = [
    # (arguments, file contents of sites.csv or None, words of the message)
    (["chart", "nk", "Unobtainium", "-o", "n.png"], None, "usage: thinfilm chart nk",
     "unknown material 'Unobtainium'"),
    (["chart", "bow", "--to-silica", "1:3", "--wobble", "-o", "b.png"], None,
     "usage: thinfilm", "unrecognized arguments: --wobble"),
    (["chart", "bow", "--to-silica", "3:1", "-o", "b.png"], None, "usage:", "does not go up"),
    (["chart", "psi-delta", "--measured", "43.6", "-o", "p.png"], None, "usage:",
     "not PSI,DELTA"),
    (["chart", "psi-delta", "--substrate", "3.8-x", "-o", "p.png"], None, "usage:",
     "not a complex index"),
    (["chart", "psi-delta", "-o", "p.jpg"], None, "usage:", "cannot tell the format"),
    (["chart", "nk", "Si", "--voids", "1.5", "-o", "n.png"], None, "usage:", "above 1"),
    (["chart", "nk", "Si", "--dpi", "1e5", "-o", "n.png"], None, "usage:", "10 and 1200"),
    (["chart", "psi-delta", "--index", "1.46", "--index", "0.9", "-o", "p.png"], None,
     "thinfilm chart psi-delta: error:", "index 0.9 has no thickness period"),
    (["chart", "bow", "--bow", "0", "--to-silica", "1:3", "-o", "b.png"], None, "error:",
     "no finite radius"),
    (["chart", "nk", "SiO2", "--stress", "1e5", "-o", "n.png"], None, "error:",
     "stress fit does not converge"),
    (["map", "sites.csv", "-o", "m.png"], "x,y,psi,delta\n0,0,43.6,76\n1,0,4x,76\n",
     "thinfilm map: error: sites.csv, line 3, column 3:", "'4x' in column 'psi' is not a number"),
    (["map", "sites.csv", "-o", "m.csv"], "x,y,psi,delta\n0,0,43.6\n",
     "sites.csv, line 2, column 4:", "3 values for 4 columns"),
    (["map", "sites.csv", "-o", "m.png"], "x,y,psi\n0,0,43.6\n", "sites.csv, line 1:",
     "no column 'delta'"),
    (["map", "sites.csv", "-o", "m.png"], "x,y,psi,delta,y\n", "sites.csv, line 1, column 5:",
     "named twice"),
    (["map", "sites.csv", "-o", "m.png"], "x,y,psi,delta\n", "sites.csv, line 1:", "no sites"),
    (["map", "sites.csv", "-o", "m.png"], "", "sites.csv, line 1:", "no header line"),
    (["map", "sites.csv", "-o", "m.png"], "x,y,psi,delta\n0,0,\"43.6,76\n", "sites.csv, line",
     "unreadable CSV line"),
    (["map", "sites.csv", "-o", "m.png"], b"x,y,psi,delta\n0,0,43.6,7\xe96\n",
     "sites.csv, line 2, column 4:", "not UTF-8"),
    (["map", "sites.csv", "-o", "m.png"], b"x,y,psi,delta\n0,0,4\x003,76\n",
     "sites.csv, line 2, column 3:", "a NUL byte: binary data"),
    (["map", "sites.csv", "-o", "m.png"], "x,y,psi,delta\n" + "1" * (1 << 21),
     "sites.csv, line 2:", "a line longer than 1048576 bytes"),
    (["map", "absent.csv", "-o", "m.png"], None, "cannot read absent.csv", "No such file"),
    (["chart", "bow", "--to-silica", "1:3", "-o", "no/such/folder/b.png"], None,
     "error: cannot write no/such/folder/b.png:", "No such file"),
    # Values beyond what the arithmetic holds: the option to blame is named.
    (["chart", "bow", "--to-silicon", "1e-300", "--to-silica", "0.1:3", "-o", "b.png"], None,
     "error: argument --to-silicon:", "thin-film scaling of the bow overflows"),
    (["chart", "bow", "--silica", "5e-324", "--to-silica", "0.1:3", "-o", "b.png"], None,
     "error: argument --silica:", "overflows"),
    (["chart", "bow", "--diameter", "1e300", "--to-silica", "0.1:3", "-o", "b.png"], None,
     "error: argument --diameter:", "no finite radius"),
    (["chart", "bow", "--diameter", "0.1", "--to-silica", "0.1:3", "-o", "b.png"], None,
     "usage:", "argument --diameter: '0.1' is below 1: the diameter is in mm"),
    (["chart", "psi-delta", "--wavelength", "1e300", "-o", "p.png"], None,
     "error: argument --wavelength:", "out of range"),
    (["chart", "psi-delta", "--wavelength", "1e-300", "-o", "p.png"], None,
     "error: argument --wavelength:", "out of range"),
    (["chart", "psi-delta", "--angle", "1e300", "-o", "p.png"], None,
     "error: argument --angle:", "out of range"),
    (["chart", "nk", "Si", "--to", "1.7e308", "-o", "n.png"], None, "chart nk: error:",
     "cannot draw the chart"),
    (["chart", "bow", "--to-silica", "-3:-1", "-o", "b.png"], None, "usage:",
     "argument --to-silica: range '-3:-1' begins below 0"),
    (["map", "sites.csv", "--near", "-1e3", "-o", "m.png"], None, "usage: thinfilm map",
     "argument --near: '-1e3' is below 0"),
    (["map", "sites.csv", "--max-residual", "0", "-o", "m.png"], None, "usage: thinfilm map",
     "argument --max-residual: '0' is not above 0"),
]


@pytest.mark.parametrize("argv, sites, where, what", ERRORS,
                         ids=[" ".join(e[0][:2]) + ": " + e[3] for e in ERRORS])
def test_errors_end_with_status_2_and_leave_no_file(argv, sites, where, what, cli, tmp_path):
    if isinstance(sites, str):
        (tmp_path / "sites.csv").write_text(sites)
    elif sites is not None:
        (tmp_path / "sites.csv").write_bytes(sites)
    status, out, err = cli(*argv, "--csv", "t.csv")
    assert status == 2 and out == ""
    assert where in err and what in err
    assert _files(tmp_path) == []


@pytest.mark.parametrize("argv", [
    ["chart", "psi-delta", "--angle", "-7e1", "--measured", "-5,-10", "--substrate",
     "-3.8-0.02j"],
    ["chart", "bow", "--moment", "-1e3", "--bow", "-.5", "--to-silica", "0:1", "--points", "3"],
    ["chart", "nk", "Si", "SiO2", "--stress", "-1.e3", "--x", "-0", "--points", "3"],
])
def test_negative_numbers_with_an_exponent_are_values(argv, cli):
    status, _, err = cli(*argv, "-o", "t.csv")
    assert status == 0 and "expected one argument" not in err


def test_a_file_that_cannot_be_written_leaves_the_others_untouched(cli, tmp_path):
    (tmp_path / "b.png").write_bytes(b"the old picture")
    status, _, err = cli(*COMMANDS["bow"], "-o", "b.png", "--csv", "absent/b.csv")
    assert status == 2 and "cannot write" in err
    assert _files(tmp_path) == ["b.png"]
    assert (tmp_path / "b.png").read_bytes() == b"the old picture"


def test_a_device_is_written_in_place_not_replaced(cli, tmp_path):
    (tmp_path / "null.csv").symlink_to(os.devnull)
    status, _, _ = cli(*COMMANDS["bow"], "-o", "null.csv")
    assert status == 0
    assert (tmp_path / "null.csv").is_symlink() and _files(tmp_path) == ["null.csv"]


def test_numerical_trouble_is_reported_and_the_files_are_written(cli, tmp_path):
    # 1 N is beyond what the first state's energy balances: only the stripped wafer,
    # bent by the moment alone, settles.
    status, _, err = cli("chart", "bow", "--to-silica", "0:1", "--points", "3", "--moment", "1",
                         "-o", "b.csv")
    assert status == 0
    assert err.splitlines() == [
        "thinfilm chart bow: warning: the continue pass did not settle at 2 of 3 point(s)"
        " (first at flat index 1): settled is False there, and the results are where the"
        " Newton steps ended"]
    rows = list(csv.DictReader(open(tmp_path / "b.csv")))
    assert [(r["regressions"], r["settled"]) for r in rows] == [
        ("0", "1"), ("10000", "0"), ("10000", "0")]
    status, _, err = cli("chart", "psi-delta", "--measured", "5,10", "--fit-index",
                            "-o", "p.csv")
    assert status == 0 and "index search of point 1 did not settle" in err


def test_help_lists_the_commands_and_their_options(cli):
    status, out, _ = cli("--help")
    assert status == 0
    for words in ("chart psi-delta", "chart nk", "chart bow", "thinfilm map", "--fit-index",
                  "--to-silica", "--energy", "--csv"):
        assert words in out
    status, out, _ = cli("chart", "--help")
    assert status == 0
    for words in ("psi-delta", "nk", "bow", "--measured", "--epsilon", "--to-silicon"):
        assert words in out
    assert cli()[0] == 2


def test_python_dash_m_thinfilm(tmp_path):
    done = thinfilm_module("chart", "psi-delta", "--index", "1.46", "-o", "t.png",
                           cwd=tmp_path)
    assert done.communicate(timeout=120)[1] == "" and done.returncode == 0
    assert (tmp_path / "t.png").read_bytes()[:4] == b"\x89PNG"
    (tmp_path / "s.csv").write_text("x,y,psi,delta\n0,0,abc,76\n")
    done = thinfilm_module("map", "s.csv", "-o", "m.png", cwd=tmp_path)
    assert done.communicate(timeout=120)[1] == (
        "thinfilm map: error: s.csv, line 2, column 3: 'abc' in column 'psi' is not a number\n")
    assert done.returncode == 2
    assert sorted(os.listdir(tmp_path)) == ["s.csv", "t.png"]
