"""Reading a CSV table of wafer sites, with errors that name file, line and column."""

import array
import csv
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
    rows : list of sequence of str
        The values of each site as written in the file.
    numbers : dict of str to numpy.ndarray
        The numeric columns asked for, as float64 arrays, one value per site.
    """

    def __init__(self, names, rows, numbers):
        self.names, self.rows, self.numbers = names, rows, numbers

    def __len__(self):
        return len(self.rows)


# The longest line read (bytes): a longer one is no table of sites, and reading
# on would only fill the memory.
LINE_LIMIT = 1 << 20
_BLOCK = 1 << 16
_BREAK = re.compile(rb"\r\n?|\n")


def read_lines(path, stream, limit=LINE_LIMIT):
    """Yield the lines of a UTF-8 text, decoded one at a time, with their line ends.

    Lines end with LF, CR LF or CR, as in a file opened with ``newline=""``;
    a byte order mark at the start is skipped. The text is read in blocks, so
    that only one line at a time is held.

    Raises
    ------
    InputError
        For a NUL byte (binary data, not text), a line longer than `limit`
        bytes, or bytes that are not UTF-8, naming the line.

    Examples
    --------
    >>> import io
    >>> list(read_lines("t.csv", io.BytesIO(b"\\xef\\xbb\\xbfa,b\\r\\n1,2\\r3\\n4")))
    ['a,b\\r\\n', '1,2\\r', '3\\n', '4']
    >>> list(read_lines("t.csv", io.BytesIO(b"a,b\\n1,\\0")))
    Traceback (most recent call last):
    thinfilm.charts.sites.InputError: t.csv, line 2, column 2: a NUL byte: binary data, not text
    >>> list(read_lines("t.csv", io.BytesIO(b"a,b\\n" + b"1" * 20), limit=10))
    Traceback (most recent call last):
    thinfilm.charts.sites.InputError: t.csv, line 2: a line longer than 10 bytes
    """
    number, pending, at_end = 0, b"", False
    while True:
        if not at_end:
            block = stream.read(_BLOCK)
            at_end = not block
            pending += block
        start = 0
        for found in _BREAK.finditer(pending):
            if found.end() == len(pending) and found.group() == b"\r" and not at_end:
                break  # a CR at the end of a block may begin a CR LF
            line, start = pending[start:found.end()], found.end()
            number += 1
            yield _decoded(path, number, line, limit)
        pending = pending[start:]
        # What is left is the start of the next line: refused as soon as it is
        # binary or too long, not once it is all read.
        if at_end or b"\0" in pending or len(pending) > limit:
            if pending:
                yield _decoded(path, number + 1, pending, limit)
            if at_end:
                return


def _decoded(path, number, line, limit):
    zero = line.find(b"\0")
    if zero >= 0:
        column = line[:zero].decode("utf-8", "replace").count(",") + 1
        raise InputError(path, number, column, "a NUL byte: binary data, not text")
    if len(line) > limit:
        raise InputError(path, number, None, "a line longer than %d bytes" % limit)
    if number == 1 and line.startswith(b"\xef\xbb\xbf"):
        line = line[3:]
    try:
        return line.decode("utf-8")
    except UnicodeDecodeError as error:
        prefix = line[:error.start].decode("utf-8", "replace")
        raise InputError(path, number, prefix.count(",") + 1, "not UTF-8 text") from None


def read_sites(path, required, optional=()):
    """Read a CSV table of sites with a header line of column names.

    The file is read a line at a time: reading takes a time in proportion to
    its size, and a memory in proportion to the sites.

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
        the column (counted from 1). Also for binary data, a line longer
        than `LINE_LIMIT` bytes and text that is not UTF-8.
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
    names, rows, wanted, values = None, [], [], []
    with open(path, "rb") as stream:
        reader = csv.reader(read_lines(path, stream), strict=True)
        try:
            for record in reader:
                if not record:
                    continue
                if names is None:
                    names = [name.strip() for name in record]
                    header_line = reader.line_num
                    _check_header(path, header_line, names, required)
                    wanted = [(k, n) for k, n in enumerate(names)
                              if n in required or n in optional]
                    # A growing array of float64 for each numeric column.
                    values = [array.array("d") for _ in wanted]
                    continue
                if len(record) != len(names):
                    column = min(len(record), len(names)) + 1
                    raise InputError(path, reader.line_num, column, "%d values for %d columns"
                                     % (len(record), len(names)))
                for (index, name), column in zip(wanted, values):
                    value = parse_number(record[index])
                    if value is None:
                        raise InputError(path, reader.line_num, index + 1,
                                         "%r in column %r is not a number"
                                         % (record[index], name))
                    column.append(value)
                # A tuple holds the values in less memory than the list read.
                rows.append(tuple(record))
        except csv.Error as error:
            raise InputError(path, reader.line_num, None,
                             "unreadable CSV line (%s)" % error) from None
    if names is None:
        raise InputError(path, 1, None, "no header line (expected columns %s)"
                         % ", ".join(required))
    if not rows:
        raise InputError(path, header_line, None, "no sites after the header line")
    numbers = {name: np.frombuffer(column, dtype=float).copy()
               for (_, name), column in zip(wanted, values)}
    return Sites(names, rows, numbers)


def _check_header(path, line, names, required):
    seen = set()
    for index, name in enumerate(names):
        if not name:
            raise InputError(path, line, index + 1, "empty column name")
        if name in seen:
            raise InputError(path, line, index + 1, "column %r named twice" % name)
        seen.add(name)
    missing = [name for name in required if name not in seen]
    if missing:
        raise InputError(path, line, None, "no column %s (the header names %s)"
                         % (", ".join(repr(m) for m in missing),
                            ", ".join(repr(n) for n in names)))
