"""Tables of chart data and their CSV text."""

import csv
import io

import numpy as np


def number_text(value):
    """Return the shortest text that reads back as exactly `value`.

    Floating-point values keep every bit (the shortest round-trip digits of
    their type), integers and booleans are written as integers, text is kept.

    Examples
    --------
    >>> number_text(0.1), number_text(np.float64(92.5)), number_text(True)
    ('0.1', '92.5', '1')
    >>> number_text(float("nan")), number_text(-np.inf)
    ('nan', '-inf')
    """
    if isinstance(value, str):
        return value
    if isinstance(value, (bool, np.bool_)):
        return "1" if value else "0"
    if isinstance(value, (int, np.integer)):
        return str(int(value))
    if isinstance(value, np.floating):
        return str(value)
    return repr(float(value))


class Table:
    """Named columns of equal length, written as one CSV file.

    Parameters
    ----------
    columns : list of (str, sequence)
        Column names and their values, in the order of the file.

    Examples
    --------
    >>> t = Table([("thickness", [0.0, 10.0]), ("psi", np.array([10.5, 11.25]))])
    >>> print(t.csv_text(), end="")
    thickness,psi
    0.0,10.5
    10.0,11.25
    """

    def __init__(self, columns):
        self.names = [name for name, _ in columns]
        # Sequences (lists, arrays) are kept as given: a table of a million rows
        # holds no copy of its values, nor one object per value.
        self.values = [values if hasattr(values, "__getitem__") else list(values)
                       for _, values in columns]
        lengths = {len(values) for values in self.values}
        if len(lengths) > 1:
            raise ValueError("columns of different lengths: %s" % sorted(lengths))
        self.length = lengths.pop() if lengths else 0

    def column(self, name):
        """Return the values of the column called `name`, as a list."""
        return list(self.values[self.names.index(name)])

    def csv_text(self, separator=",", decimal="."):
        """Return the table as CSV text: a header line, then one line per row.

        Examples
        --------
        >>> t = Table([("x (mm)", ["-1,5"]), ("thickness", np.array([92.5]))])
        >>> print(t.csv_text(separator=";", decimal=","), end="")
        x (mm);thickness
        -1,5;92,5
        """
        out = io.BytesIO()
        self.write_csv(out, separator=separator, decimal=decimal)
        return out.getvalue().decode("utf-8")

    def write_csv(self, stream, rows_per_block=4096, separator=",", decimal="."):
        """Write the table as CSV in UTF-8 to the binary file `stream`.

        Values are separated by `separator`; numbers are written with the
        decimal mark `decimal`, text as it is. The text is made and written a
        block of rows at a time, so that the whole text of a large table is
        never held in memory.
        """
        out = io.StringIO()
        writer = csv.writer(out, delimiter=separator, lineterminator="\n")
        writer.writerow(self.names)
        if decimal == ".":
            text = number_text
        else:
            def text(value):
                return value if isinstance(value, str) else number_text(value).replace(
                    ".", decimal)
        for count, row in enumerate(zip(*self.values), 1):
            writer.writerow([text(v) for v in row])
            if count % rows_per_block == 0:
                stream.write(out.getvalue().encode("utf-8"))
                out.seek(0)
                out.truncate()
        stream.write(out.getvalue().encode("utf-8"))

    @staticmethod
    def concatenate(tables):
        """Stack tables with the same column names, one after the other."""
        names = tables[0].names
        return Table([(name, [v for t in tables for v in t.column(name)]) for name in names])
