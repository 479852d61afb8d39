"""The picture of a wafer map: a map per quantity, each with its colour scale.

The layout is measured, not guessed: the maps and colour scales are drawn at their
final size, the extent of every text around them (tick labels whatever their format,
axis and scale labels, offsets, the title and the statistics under it) is measured,
and the figure is then made as large as they need, so that none is cut or overlaps
another.
"""

import numpy as np

from .statistics import UNITS, statistics_summary
from .wafer import located, nearest_distances, reach, site_spacing, wafer_diameter

# The layout, inches: square maps, the colour scale at the right of each, the space
# between a map and its scale, around groups of texts and around the figure.
SIDE, BAR_WIDTH, BAR_GAP, PAD, MARGIN = 3.9, 0.17, 0.2, 0.15, 0.1
LABELS = {"thickness": "Thickness (nm)", "film_index": "Film index"}
# Sites whose markers are sized by their own nearest neighbour (above: by the median
# spacing, which a measure over all pairs would take too long to find).
EXACT_SPACING = 5000
# The marker of a site takes this share of the room around it.
FILL = 0.9


def _number(value):
    return value if isinstance(value, str) else "%g" % value


def _title(chart):
    if chart.fit_index:
        title = "Film thickness and index (fitted from n = %s)" % _number(chart.film_index)
    elif "film_index" in chart.sites.values:
        title = "Film thickness at each site's index"
    else:
        title = "Film thickness at index %s" % _number(chart.film_index)
    if chart.fitted:
        title += ", the measurements of each site fitted together"
        if chart.under:
            title += " over %d known layer%s" % (len(chart.under), "s" * (len(chart.under) > 1))
    elif "near" in chart.sites.numbers:
        title += ", in the order nearest each site's near"
    elif chart.near is not None:
        title += ", in the order nearest %g nm" % chart.near
    return "%s, %d sites" % (title, chart.count)


def marker_diameters(x, y, diameter):
    """The diameter (mm) of the round marker of each site: within the room its nearest
    neighbour leaves it, and within the wafer's outline for a site inside it.

    Two sites a distance d apart each get at most d, so that their markers do not
    overlap; a site r from the centre at most 2 (R - r), so that it stays inside.

    Examples
    --------
    >>> marker_diameters(np.array([0.0, 10.0, 45.0]), np.zeros(3), 100.0).round(3)
    array([9., 9., 9.])
    """
    placed = located(x, y)
    if np.count_nonzero(placed) > EXACT_SPACING:
        room = np.full(len(x), site_spacing(x, y))
    else:
        room = nearest_distances(x, y)
    room = np.minimum(room, diameter / 8)  # a site alone (inf)
    with np.errstate(invalid="ignore"):
        edge = 2 * (diameter / 2 - np.hypot(x, y))
        inside = placed & (edge >= 0)
    room[inside] = np.minimum(room[inside], edge[inside])
    return FILL * np.where(placed, room, 0.0)


def draw_map(chart, diameter=None, exclusion=0.0):
    """Draw a `MapChart` on a wafer of `diameter` mm and return the figure.

    Sites outside the wafer are drawn too: the view then reaches them. The
    statistics of each quantity are written under the title, the sites within
    `exclusion` mm of the edge left out (and the limit drawn dashed).
    """
    from matplotlib.backends.backend_agg import FigureCanvasAgg
    from matplotlib.figure import Figure

    x, y = chart.x, chart.y
    if diameter is None:
        diameter = wafer_diameter(x, y)
    limit = max(diameter / 2, reach(x, y)) * 1.04
    quantities = chart.quantities()
    count = len(quantities)
    # Drawn at the final sizes in a figure large enough, measured, then laid out.
    figure = Figure(figsize=(count * (SIDE + 4.0), SIDE + 4.0))
    FigureCanvasAgg(figure)
    panels = []
    for k in range(count):
        ax = figure.add_axes(_box(figure, 2.0 + k * (SIDE + 4.0), 2.0, SIDE, SIDE))
        scale = figure.add_axes(_box(figure, 2.0 + k * (SIDE + 4.0) + SIDE + BAR_GAP,
                                     2.2, BAR_WIDTH, SIDE - 0.4))
        panels.append((ax, scale))
    points_per_mm = SIDE * 72 / (2 * limit)
    sizes = (marker_diameters(x, y, diameter) * points_per_mm) ** 2
    for (ax, scale), (name, values) in zip(panels, quantities):
        _draw_panel(figure, ax, scale, chart, LABELS[name], np.asarray(values, dtype=float),
                    sizes, diameter, exclusion, limit)
    statistics = chart.statistics(diameter, exclusion)
    lines = [statistics_summary(s, UNITS[s.quantity]) for s in statistics]
    if exclusion:
        lines.append("edge exclusion %g mm: %d of %d sites left out"
                     % (exclusion, statistics[0].excluded, chart.count))
    title = figure.text(0.5, 1.0, _title(chart), fontsize=11, ha="center", va="top")
    summary = figure.text(0.5, 1.0, "\n".join(lines), fontsize=9, ha="center", va="top")
    _lay_out(figure, panels, title, summary)
    return figure


def _box(figure, left, bottom, width, height):
    """The figure fractions of a box given in inches."""
    w, h = figure.get_size_inches()
    return [left / w, bottom / h, width / w, height / h]


def _draw_panel(figure, ax, scale, chart, label, values, sizes, diameter, exclusion, limit):
    from matplotlib.patches import Circle
    from matplotlib.ticker import ScalarFormatter

    x, y = chart.x, chart.y
    measured = chart.measured > 0
    good = np.isfinite(values) & located(x, y)
    ax.add_patch(Circle((0, 0), diameter / 2, fill=False, color="black", linewidth=1))
    shown = ax.scatter(x[good], y[good], c=values[good], s=sizes[good], marker="o",
                       cmap="viridis", linewidths=0)
    if exclusion:
        ax.add_patch(Circle((0, 0), max(diameter / 2 - exclusion, 0), fill=False,
                            color="grey", linewidth=0.8, linestyle="--",
                            label="edge exclusion %g mm" % exclusion))
    missing = ~measured & located(x, y)
    if missing.any():
        ax.scatter(x[missing], y[missing], s=sizes[missing] * 0.8, marker="o",
                   facecolors="none", edgecolors="grey", linewidths=0.6)
        # The legend's marker, of the usual size whatever the sites'.
        ax.plot([], [], "o", markerfacecolor="none", color="grey", label="not measured")
    failed = measured & ~good & located(x, y)
    if failed.any():
        ax.plot(x[failed], y[failed], "x", color="red", label="no finite value")
    marks = [(chart.stalled(), "o", "red",
              "fit did not settle" if chart.fitted else "slow convergence"),
             (chart.unreproduced(), "^", "red", "residual above %g deg" % chart.max_residual)]
    if chart.fitted:
        marks.append((chart.value("ambiguous").astype(bool), "D", "darkorange",
                      "ambiguous order"))
    for flagged, marker, colour, text in marks:
        if flagged.any():
            ax.plot(x[flagged], y[flagged], marker, markerfacecolor="none", color=colour,
                    label=text)
    if good.any():
        bar = figure.colorbar(shown, cax=scale, label=label)
        # Plain numbers: no offset nor power of ten written apart from the ticks.
        plain = ScalarFormatter(useOffset=False)
        plain.set_scientific(False)
        bar.formatter = plain
    else:
        scale.set_visible(False)
    ax.set_aspect("equal")
    ax.set_xlim(-limit, limit)
    ax.set_ylim(-limit, limit)
    ax.set_xlabel("x (mm)")
    ax.set_ylabel("y (mm)")


def _extent(renderer, axes, dpi):
    """How far (inches) the texts of `axes` reach beyond its box: left, bottom, right,
    top."""
    box = axes.get_window_extent(renderer)
    tight = axes.get_tightbbox(renderer) if axes.get_visible() else None
    if tight is None:
        return 0.0, 0.0, 0.0, 0.0
    return tuple(max(0.0, v / dpi) for v in (box.x0 - tight.x0, box.y0 - tight.y0,
                                             tight.x1 - box.x1, tight.y1 - box.y1))


def _lay_out(figure, panels, title, summary):
    """Size the figure to the measured texts and place the maps, scales and titles."""
    renderer = figure.canvas.get_renderer()
    dpi = figure.dpi
    extents = []
    for ax, scale in panels:
        reached = _extent(renderer, ax, dpi)
        if ax.get_legend_handles_labels()[0]:
            # The legend under the map's texts, where it hides no site.
            ax.legend(fontsize=7, loc="upper center", ncol=2, frameon=False,
                      bbox_to_anchor=(0.5, -(reached[1] + 0.05) / SIDE))
            reached = _extent(renderer, ax, dpi)
        extents.append((reached, _extent(renderer, scale, dpi)))
    texts = [t.get_window_extent(renderer) for t in (title, summary)]
    title_width = max(t.width for t in texts) / dpi
    title_height = texts[0].height / dpi + (texts[1].height / dpi + 0.05
                                            if summary.get_text() else 0.0)
    widths = [a[0] + SIDE + BAR_GAP + BAR_WIDTH + max(s[2], a[2] - BAR_GAP - BAR_WIDTH)
              for a, s in extents]
    content = sum(widths) + PAD * (len(panels) - 1)
    width = max(content, title_width) + 2 * MARGIN
    bottom = MARGIN + max(max(a[1], s[1] - 0.2) for a, s in extents)
    # Above the maps: what reaches over their top (the scales stand 0.2 in lower).
    over = max(max(a[3], s[3] - 0.2) for a, s in extents)
    height = bottom + SIDE + over + PAD + title_height + MARGIN
    figure.set_size_inches(width, height)
    left = (width - content) / 2
    for (ax, scale), (a, _), panel_width in zip(panels, extents, widths):
        ax.set_position(_box(figure, left + a[0], bottom, SIDE, SIDE))
        scale.set_position(_box(figure, left + a[0] + SIDE + BAR_GAP, bottom + 0.2,
                                BAR_WIDTH, SIDE - 0.4))
        left += panel_width + PAD
    title.set_position((0.5, 1 - MARGIN / height))
    summary.set_position((0.5, 1 - (MARGIN + texts[0].height / dpi + 0.05) / height))

