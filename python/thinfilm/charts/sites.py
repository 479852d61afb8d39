"""Reading a CSV table of wafer sites, with errors that name file, line and column."""

import csv
import io
import re

import numpy as np

# A decimal number with an optional exponent, or nan / inf / infinity, with a sign.
_NUMBER = re.compile(r"[+-]?(?:(?:\d+\.?\d*|\.\d+)(?:[eE][+-]?\d+)?|nan|inf|infinity)",
                     re.IGNORECASE)


class InputError(Exception):
    """A line or a value of an input file that cannot be read.

    Examples
    --------
    >>> str(InputError("sites.csv", 4, 3, "'abc' is not a number"))
    "sites.csv, line 4, column 3: 'abc' is not a number"
    >>> str(InputError("sites.csv", 1, None, "no column 'psi'"))
    "sites.csv, line 1: no column 'psi'"
    """

    def __init__(self, path, line, column, message):
        where = "%s, line %d" % (path, line)
        if column is not None:
            where += ", column %d" % column
        super().__init__("%s: %s" % (where, message))
        self.path, self.line, self.column = path, line, column


def parse_number(text):
    """Return the float written in `text`, or None when it is not a number.

    Examples
    --------
    >>> parse_number(" 43.61 "), parse_number("1e-3"), parse_number("-NaN")
    (43.61, 0.001, nan)
    >>> parse_number("1_000") is None, parse_number("") is None, parse_number("0x10") is None
    (True, True, True)
    """
    text = text.strip()
    if not _NUMBER.fullmatch(text):
        return None
    return float(text)


class Sites:
    """The sites of a wafer as read: the text of every value and the numeric columns.

    Attributes
    ----------
    names : list of str
        The column names of the header line, in order.
    rows : list of list of str
        The values of each site as written in the file.
    numbers : dict of str to numpy.ndarray
        The numeric columns asked for, as float64 arrays, one value per site.
    """

    def __init__(self, names, rows, numbers):
        self.names, self.rows, self.numbers = names, rows, numbers

    def __len__(self):
        return len(self.rows)


def _decode(path, data):
    try:
        return data.decode("utf-8-sig")
    except UnicodeDecodeError as error:
        line_start = data.rfind(b"\n", 0, error.start) + 1
        prefix = data[line_start:error.start].decode("utf-8", "replace")
        raise InputError(path, data.count(b"\n", 0, error.start) + 1, prefix.count(",") + 1,
                         "not UTF-8 text") from None


def read_sites(path, required, optional=()):
    """Read a CSV table of sites with a header line of column names.

    Parameters
    ----------
    path : str
        The CSV file.
    required : sequence of str
        Numeric columns every file must have.
    optional : sequence of str
        Numeric columns read when present.

    Returns
    -------
    Sites

    Raises
    ------
    InputError
        For a missing column, a line with too few or too many values, or a
        value that is not a number in a numeric column; names the line and
        the column (counted from 1).
    OSError
        When the file cannot be opened or read.

    Examples
    --------
    >>> import tempfile, os
    >>> with tempfile.NamedTemporaryFile("w", suffix=".csv", delete=False) as f:
    ...     _ = f.write("x,y,psi,delta,site\\n0,0,43.61,75.97,centre\\n")
    >>> sites = read_sites(f.name, ["x", "y", "psi", "delta"], ["angle"])
    >>> sites.names, sites.numbers["psi"], "angle" in sites.numbers
    (['x', 'y', 'psi', 'delta', 'site'], array([43.61]), False)
    >>> os.unlink(f.name)
    """
    with open(path, "rb") as stream:
        text = _decode(path, stream.read())
    reader = csv.reader(io.StringIO(text, newline=""), strict=True)
    names, rows, columns, values = None, [], [], []
    try:
        for record in reader:
            if not record:
                continue
            if names is None:
                names = [name.strip() for name in record]
                header_line = reader.line_num
                _check_header(path, header_line, names, required)
                columns = [n for n in names if n in required or n in optional]
                continue
            if len(record) != len(names):
                column = min(len(record), len(names)) + 1
                raise InputError(path, reader.line_num, column, "%d values for %d columns"
                                 % (len(record), len(names)))
            site = []
            for name in columns:
                index = names.index(name)
                value = parse_number(record[index])
                if value is None:
                    raise InputError(path, reader.line_num, index + 1,
                                     "%r in column %r is not a number" % (record[index], name))
                site.append(value)
            rows.append(record)
            values.append(site)
    except csv.Error as error:
        raise InputError(path, reader.line_num, None, "unreadable CSV line (%s)" % error) from None
    if names is None:
        raise InputError(path, 1, None, "no header line (expected columns %s)"
                         % ", ".join(required))
    if not rows:
        raise InputError(path, header_line, None, "no sites after the header line")
    table = np.array(values, dtype=float).reshape(len(rows), len(columns))
    numbers = {name: table[:, k].copy() for k, name in enumerate(columns)}
    return Sites(names, rows, numbers)


def _check_header(path, line, names, required):
    for index, name in enumerate(names):
        if not name:
            raise InputError(path, line, index + 1, "empty column name")
        if names.index(name) != index:
            raise InputError(path, line, index + 1, "column %r named twice" % name)
    missing = [name for name in required if name not in names]
    if missing:
        raise InputError(path, line, None, "no column %s (the header names %s)"
                         % (", ".join(repr(m) for m in missing),
                            ", ".join(repr(n) for n in names)))
