"""The map command on the tables people have: their dialects, sites measured several
times or not at all, per-site materials, the wafer statistics, and the picture's layout
(every text inside the figure and apart from the others, the site markers apart and
inside the wafer)."""

import itertools
from types import SimpleNamespace

import numpy as np
import pytest

from common import column, grid_sites, read_rows, write_sites
from test_cli import mapped
from thinfilm import ellcalc

# (separator, decimal mark, how the header names the columns)
DIALECTS = [(",", ".", "x,y,psi,delta,note"),
            (";", ",", "X (mm);Y (mm);Psi [deg];Delta [deg];Note;"),
            ("\t", ",", " x \t Y\tPSI\tdelta (°)\tnote")]
SAID = {",": "comma", ";": "semicolon", "\t": "tab", ".": "point"}


def rewrite(path, separator, decimal, header, blank=()):
    """The x,y,psi,delta table at `path` in another dialect, a note column added, the
    lines of `blank` (counted from 0) without Psi and Delta; returns the table's lines."""
    lines = path.read_text().splitlines()[1:]
    out = [header]
    for k, line in enumerate(lines):
        cells = [c.replace(".", decimal) for c in line.split(",")]
        if k in blank:
            cells[2:4] = ["", ""]
        trailing = separator if header.endswith(separator) else ""
        out.append(separator.join(cells + ["site %d" % k]) + trailing)
    path.write_text("\n".join(out) + "\n")
    return out


@pytest.mark.parametrize("separator, decimal, header", DIALECTS)
def test_a_spreadsheets_dialect_gives_the_plain_tables_thicknesses(separator, decimal, header,
                                                                   cli, tmp_path):
    plain = mapped(cli, tmp_path, "--index", "1.46")[2]
    written = rewrite(tmp_path / "sites.csv", separator, decimal, header, blank=(3,))
    out, err, rows = mapped(cli, tmp_path, "--index", "1.46", separator=separator)
    assert err == ""
    assert out.startswith("sites.csv: 40 sites (40 lines), separator %s, decimal %s, told "
                          "from the file\n" % (SAID[separator], SAID[decimal]))
    # The table is written in the input's dialect, every value read kept as written.
    text = (tmp_path / "m.csv").read_text().splitlines()
    assert text[0].split(separator)[:5] == [n.strip() for n in header.split(separator)[:5]]
    assert [line.split(separator)[:5] for line in text[1:]] == [
        line.split(separator)[:5] for line in written[1:]]
    for name in ("thickness", "residual", "order"):
        found = column(rows, name, decimal=decimal)
        expected = column(plain, name)
        expected[3] = found[3] if name == "order" else np.nan
        np.testing.assert_array_equal(found, expected)
    # The missing site is counted apart.
    assert out.splitlines()[2].split()[2:4] == ["39", "1"]


@pytest.mark.parametrize("options, quantities", [((), ["thickness"]),
                                                 (("--fit-index",), ["thickness", "film_index"])])
def test_statistics_are_numpys_of_the_sites_left_in(options, quantities, cli, tmp_path):
    write_sites(tmp_path / "sites.csv", 49)
    rewrite(tmp_path / "sites.csv", ",", ".", "x,y,psi,delta,note", blank=(0, 7))
    out, _, rows = mapped(cli, tmp_path, "--index", "1.46", *options, "--edge-exclusion", "15",
                          "--diameter", "150", "--stats", "s.csv")
    kept = np.hypot(column(rows, "x"), column(rows, "y")) <= 75 - 15
    excluded = np.count_nonzero(~kept)
    assert 0 < excluded < 49 and kept[[0, 7]].all()
    assert "edge exclusion 15 mm of the 150 mm wafer: %d of 49 sites left out" % excluded in out
    stats = read_rows(tmp_path / "s.csv")
    assert [s["quantity"] for s in stats] == quantities
    for s in stats:
        values = column(rows, s["quantity"]).astype(np.float32).astype(float)[kept]
        found = values[np.isfinite(values)]
        mean, std = np.mean(found), np.std(found, ddof=1)
        spread = found.max() - found.min()
        assert [int(s[k]) for k in ("sites", "missing", "excluded")] == [len(found), 2, excluded]
        np.testing.assert_allclose(
            [float(s[k]) for k in ("mean", "std", "min", "max", "range", "sigma_mean_percent",
                                   "range_2mean_percent")],
            [mean, std, found.min(), found.max(), spread, 100 * std / mean,
             100 * spread / (2 * mean)], rtol=1e-12)


ANGLES = (60.0, 65.0, 70.0)


def test_the_lines_of_a_site_are_fitted_together(cli, tmp_path):
    """Sites of 3, 2 and 1 measurements (one line not measured), the angle per line."""
    lines, expected = ["x,y,angle,psi,delta,operator"], []
    for x, y, thickness, count in [(20.0, 0.0, 812.0, 3), (-20.0, 0.0, 640.0, 2),
                                   (0.0, 30.0, 300.0, 1)]:
        m = ellcalc.psi_delta(angle=ANGLES[:count], film_index=1.46, thickness=thickness,
                              precision="double")
        lines += ["%r,%r,%r,%r,%r,me" % (x, y, *row) for row in zip(ANGLES, m.psi, m.delta)]
        expected.append(ellcalc.fit(m.psi[None], m.delta[None], angle=ANGLES[:count],
                                    film_index=1.46))
    lines.insert(4, "20.0,0.0,75,,,me")  # a measurement not made: the site keeps three
    (tmp_path / "sites.csv").write_text("\n".join(lines) + "\n")
    out, err, rows = mapped(cli, tmp_path, "--index", "1.46")
    assert "3 sites (7 lines)" in out
    assert err == ("thinfilm map: warning: the measurements of 1 of 3 sites do not tell two "
                   "films apart (ambiguous column)\n")
    names = ["thickness", "sigma_thickness", "chi2", "residual", "ambiguous", "converged"]
    assert list(rows[0])[-6:] == names
    site = [0, 0, 0, 0, 1, 1, 2]
    for name in names[:-1]:
        per_site = np.array([getattr(e, name)[0] for e in expected], dtype=float)
        np.testing.assert_array_equal(column(rows, name), per_site[site])
    np.testing.assert_allclose(column(rows, "thickness")[:6], [812.0] * 4 + [640.0] * 2,
                               atol=1e-6)

    # Over a known layer, every site is fitted, a single measurement too.
    rows = mapped(cli, tmp_path, "--index", "1.46", "--under", "SiO2:2")[2]
    psi, delta = column(rows, "psi"), column(rows, "delta")
    r = ellcalc.fit(psi[[0, 1, 2]][None], delta[[0, 1, 2]][None], angle=ANGLES,
                    film_index=1.46, under=[("SiO2", 2.0)])
    assert float(rows[0]["thickness"]) == r.thickness[0]


def test_per_site_materials_and_empty_cells_take_the_options(cli, tmp_path):
    (tmp_path / "sites.csv").write_text(
        "x;y;psi;delta;Substrate;Film index;wavelength (nm);near\n"
        "0;0;43,61;75,97;Si;SiO2;632,8;\n"
        "10;0;43,61;75,97;3,9-0,02j;;500;900\n"
        "20;0;43,61;75,97;;1,46;;\n")
    out, _, rows = mapped(cli, tmp_path, "--substrate", "poly-Si", "--index", "Si3N4",
                          "--wavelength", "700", "--near", "300", separator=";")
    assert "decimal comma" in out
    for row, (wavelength, substrate, film, near) in zip(rows, [
            (632.8, "Si", "SiO2", 300.0), (500.0, 3.9 - 0.02j, "Si3N4", 900.0),
            (700.0, "Si polycristallin", 1.46, 300.0)], strict=True):
        r = ellcalc.thickness(wavelength=wavelength, substrate=substrate, film_index=film,
                              psi=43.61, delta=75.97, near=near)
        assert np.float32(row["thickness"].replace(",", ".")) == r.thickness
        assert int(row["order"]) == r.order > 0
    # A dialect given is said so, and the table written in it.
    out = mapped(cli, tmp_path, "--sep", ";", "--decimal", ",")[0]
    assert "separator semicolon, decimal comma, as given" in out
    assert (tmp_path / "m.csv").read_text().splitlines()[1].endswith(";0")


# The layout ---------------------------------------------------------------------------------

def drawn_texts(figure):
    """The bounding box (pixels) of every text the figure draws."""
    from unittest import mock

    from matplotlib.text import Text

    renderer = figure.canvas.get_renderer()
    with mock.patch.object(Text, "draw", autospec=True, side_effect=Text.draw) as draw:
        figure.draw(renderer)
    drawn = [call.args[0] for call in draw.call_args_list]
    return [(t.get_text(), t.get_window_extent(renderer)) for t in drawn
            if t.get_visible() and t.get_text().strip()]


def chart_of(values, fit_index=False, count=49, missing=()):
    """A map chart of `count` sites whose result is `values` (a function of the radius)."""
    from thinfilm.charts.sites import Sites
    from thinfilm.charts.wafer_map import MapChart

    x, y, r = grid_sites(count)
    blank = np.isin(np.arange(count), missing)
    numbers = {"x": x, "y": y, "psi": np.where(blank, np.nan, 40.0), "delta": np.full(count, 80.0)}
    sites = Sites(["x", "y", "psi", "delta"], [()] * count, numbers,
                  blank={**{k: np.zeros(count, bool) for k in numbers}, "psi": blank})
    v = np.where(blank, np.nan, values(r / 72))
    result = SimpleNamespace(thickness=v, film_index=1.46 + 1e-7 * v / np.nanmax(v),
                             residual=np.where(r > 60, 1.0, 0.0), converged=r < 65)
    return MapChart(sites, np.arange(count), 1.46, fit_index, False, result)


LAYOUTS = {
    "49 sites": dict(values=lambda r: 100 + 8 * r**2),
    "fitted index": dict(values=lambda r: 100 + 8 * r**2, fit_index=True),
    "long ticks": dict(values=lambda r: 123456789.0 + 3 * r, fit_index=True),
    "tiny values": dict(values=lambda r: 1e-6 * (1 + r), missing=(3, 10)),
    "many sites": dict(values=lambda r: 1000 + r, count=1000, fit_index=True),
}


@pytest.mark.parametrize("case", LAYOUTS)
@pytest.mark.parametrize("exclusion", [0.0, 5.0])
def test_no_text_is_cut_or_overlaps_and_the_sites_stay_apart_inside_the_wafer(case, exclusion):
    pytest.importorskip("matplotlib")
    from thinfilm.charts.map_drawing import draw_map

    chart = chart_of(**LAYOUTS[case])
    figure = draw_map(chart, diameter=150.0, exclusion=exclusion)
    texts = drawn_texts(figure)
    shown = [t for t, _ in texts]
    assert "x (mm)" in shown and "Thickness (nm)" in shown
    assert ("Film index" in shown) == chart.fit_index
    assert any(t.startswith("thickness: mean") for t in shown)
    width, height = figure.bbox.width, figure.bbox.height
    for text, box in texts:
        assert box.x0 >= 0 and box.y0 >= 0 and box.x1 <= width and box.y1 <= height, text
    for (a, p), (b, q) in itertools.combinations(texts, 2):
        apart = (p.x1 <= q.x0 + 0.5 or q.x1 <= p.x0 + 0.5 or p.y1 <= q.y0 + 0.5
                 or q.y1 <= p.y0 + 0.5)
        assert apart, (a, b)

    ax = figure.axes[0]
    sites = ax.collections[0]
    centres = sites.get_offsets()
    points_per_mm = ax.bbox.width / np.ptp(ax.get_xlim()) * 72 / figure.dpi
    radius = np.sqrt(sites.get_sizes()) / 2 / points_per_mm
    distance = np.hypot(*(centres[:, None, :] - centres[None, :, :]).transpose(2, 0, 1))
    np.fill_diagonal(distance, np.inf)
    assert (distance >= radius[:, None] + radius[None, :] - 1e-9).all()
    assert (np.hypot(*centres.T) + radius <= 75 + 1e-9).all()
    assert radius.min() > 0
