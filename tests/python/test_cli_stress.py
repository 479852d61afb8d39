"""The command line's film stress: the stress command's table, its refusals, and the bow
chart from the bow of the bare wafer."""

import csv
import io

import pytest

from thinfilm import waferbow

WAFER = ["--bow-before", "-3.5", "--bow-after", "21", "--diameter", "150", "--silicon", "675",
         "--silica", "1.2", "--modulus-si", "1.805"]


def _rows(text):
    return {row["quantity"]: row for row in csv.DictReader(io.StringIO(text))}


def test_stress_prints_or_writes_the_report_of_the_change_of_curvature(cli, tmp_path):
    status, out, err = cli("stress", *WAFER, "--sigma-bow", "0.5", "--sigma-silica", "0.01")
    assert status == 0 and err == ""
    rows = _rows(out)
    r = waferbow.first_state(bow=21.0, initial_bow=-3.5, diameter=0.15, silicon=675.0,
                             silica=1.2, modulus_si=1.805, sigma_bow=0.5, sigma_initial_bow=0.5,
                             sigma_silica=0.01)
    names = waferbow.REPORT + ("stress_stoney", "sigma_stress_sio2")
    # Every digit of the package's values, in their units.
    assert [float(rows[n]["value"]) for n in names] == [getattr(r, n) for n in names]
    assert [rows[n]["unit"] for n in names] == [waferbow.UNITS[n] for n in names]
    assert (rows["diameter"]["value"], rows["diameter"]["unit"]) == ("0.15", "m")
    assert rows["sigma_stress_sio2"]["unit"] == "MPa" and r.sigma_stress_sio2 > 0

    assert cli("stress", *WAFER, "--sigma-bow", "0.5", "--sigma-silica", "0.01",
               "-o", "s.csv")[:2] == (0, "")
    assert (tmp_path / "s.csv").read_text() == out


@pytest.mark.parametrize("argv, words", [
    ([*WAFER, "--diameter", "0.15"], "argument --diameter: '0.15' is below 1: the diameter is"
                                     " in mm"),
    ([*WAFER, "-o", "s.png"], "argument -o/--output: 's.png' does not end in .csv"),
    ([*WAFER, "--sigma-bow", "-1"], "argument --sigma-bow: '-1' is below 0"),
    ([*WAFER, "--bow-before", "21"], "argument --bow-after: no change of curvature: the same bow"),
    ([*WAFER, "--silica", "0"], "argument --silica: '0' is not above 0"),
    (["--bow-after", "21", "--diameter", "150", "-o", "s.csv"], "arguments are required"),
])
def test_stress_refusals_end_with_status_2_and_write_nothing(argv, words, cli, tmp_path):
    status, out, err = cli("stress", *argv)
    assert status == 2 and out == "" and words in err
    assert sorted(p.name for p in tmp_path.iterdir()) == ["sites.csv"]


def test_bow_chart_starts_from_the_bare_wafer(cli, tmp_path):
    status, _, err = cli("chart", "bow", "--bow", "21", "--initial-bow", "-3.5", "--diameter",
                         "150", "--silicon", "675", "--silica", "1.2", "--to-silica", "0:1.2",
                         "--points", "4", "-o", "b.csv")
    assert status == 0 and err == ""
    rows = list(csv.DictReader(open(tmp_path / "b.csv")))
    first = waferbow.first_state(bow=21.0, initial_bow=-3.5, diameter=0.15, silicon=675.0,
                                 silica=1.2)
    expected = waferbow.continue_pass(first, silica=[float(r["silica"]) for r in rows])
    assert [float(r["bow"]) for r in rows] == list(expected.bow)
    # Stripped, the bare wafer's bow; unchanged, the measured one.
    assert float(rows[0]["bow"]) == pytest.approx(-3.5, abs=1e-6)
    assert float(rows[-1]["bow"]) == pytest.approx(21.0, abs=1e-4)
    assert [r["thin_film_bow"] for r in rows][::3] == ["-3.5", "21.0"]
    assert {r["settled"] for r in rows} == {"1"}

