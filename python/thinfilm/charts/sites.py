"""Reading a CSV table of wafer sites, with errors that name file, line and column."""

import array
import csv
import itertools
import math
import re

import numpy as np

from .dialect import Dialect, column_key, detect_separator, parse_number  # noqa: F401


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


class Sites:
    """The sites of a wafer as read: the text of every value, and the columns asked for.

    Attributes
    ----------
    names : list of str
        The column names of the header line, in order, as written.
    keys : list of str
        The names the columns are known by (`column_key`), in the same order.
    rows : list of sequence of str
        The values of each line as written in the file.
    numbers : dict of str to numpy.ndarray
        The numeric columns asked for, by key, as float64 arrays, one value per
        line; NaN for an empty cell.
    blank : dict of str to numpy.ndarray
        For each numeric column, whether each cell was empty.
    values : dict of str to list
        The other columns asked for, by key: the value each cell was read as,
        None for an empty cell.
    dialect : Dialect
        The separator and decimal mark the file was read with.
    """

    def __init__(self, names, rows, numbers, blank=None, values=None, dialect=None,
                 keys=None):
        self.names, self.rows, self.numbers = names, rows, numbers
        self.keys = [column_key(n) for n in names] if keys is None else keys
        if blank is None:
            blank = {key: np.zeros(len(v), bool) for key, v in numbers.items()}
        self.blank = blank
        self.values = {} if values is None else values
        self.dialect = Dialect(",", ".") if dialect is None else dialect

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


def read_sites(path, required, optional=(), texts=None, reserved=(), separator=None,
               decimal=None):
    """Read a CSV table of sites with a header line of column names.

    The separator (comma, semicolon or tab) is told from the header line and
    the decimal mark from the first number written with one, unless given.
    Columns are found by their key (`column_key`: "X (mm)" is column x); a
    trailing empty column (a separator at the end of every line) is left out,
    as are lines with no value at all. An empty cell is a value not given:
    NaN in a numeric column, None in the others. The file is read a line at a
    time: reading takes a time in proportion to its size, and a memory in
    proportion to the sites.

    Parameters
    ----------
    path : str
        The CSV file.
    required : sequence of str
        Keys of the numeric columns every file must have.
    optional : sequence of str
        Keys of the numeric columns read when present.
    texts : dict of str to callable, optional
        Keys of other columns read when present, each with the function that
        reads a cell: ``read(text, dialect)`` returns its value or raises
        ValueError with the reason.
    reserved : sequence of str
        Keys of no other column: two columns of one of these keys, or of any
        key read, are refused.
    separator, decimal : str, optional
        The separator and decimal mark of the file, when not told from it.

    Returns
    -------
    Sites

    Raises
    ------
    InputError
        For a missing column, a line with too few or too many values, or a
        value that cannot be read in a column read; names the line and the
        column (counted from 1). Also for binary data, a line longer than
        `LINE_LIMIT` bytes and text that is not UTF-8.
    OSError
        When the file cannot be opened or read.

    Examples
    --------
    >>> import tempfile, os
    >>> with tempfile.NamedTemporaryFile("w", suffix=".csv", delete=False) as f:
    ...     _ = f.write("X (mm);Y (mm);Psi;Delta;site;\\n0;0;43,61;75,97;centre;\\n"
    ...                 "5;0;;;edge;\\n")
    >>> sites = read_sites(f.name, ["x", "y", "psi", "delta"], ["angle"])
    >>> sites.names, sites.keys[:4], sites.numbers["psi"], "angle" in sites.numbers
    (['X (mm)', 'Y (mm)', 'Psi', 'Delta', 'site'], ['x', 'y', 'psi', 'delta'], \
array([43.61,   nan]), False)
    >>> sites.blank["delta"], sites.dialect.describe()
    (array([False,  True]), 'separator semicolon, decimal comma, told from the file')
    >>> os.unlink(f.name)
    """
    texts = {} if texts is None else texts
    given = [what for what, value in (("separator", separator), ("decimal", decimal))
             if value is not None]
    dialect = Dialect(separator, decimal, given)
    known = set(required) | set(optional) | set(texts) | set(reserved)
    header = None
    with open(path, "rb") as stream:
        lines = read_lines(path, stream)
        first = []
        for line in lines:
            first.append(line)
            if line.strip():
                break
        if dialect.separator is None:
            dialect.separator = detect_separator(first[-1] if first else "", known)
        reader = csv.reader(itertools.chain(first, lines), delimiter=dialect.separator,
                            strict=True)
        try:
            for record in reader:
                if not "".join(record).strip():
                    continue
                if header is None:
                    header = _Header(path, reader.line_num, record, required, optional,
                                     texts, known)
                    continue
                header.add(path, reader.line_num, record, dialect)
        except csv.Error as error:
            raise InputError(path, reader.line_num, None,
                             "unreadable CSV line (%s)" % error) from None
    if header is None:
        raise InputError(path, 1, None, "no header line (expected columns %s)"
                         % ", ".join(required))
    if not header.rows:
        raise InputError(path, header.line, None, "no sites after the header line")
    return header.sites(dialect)


class _Header:
    """The columns of the header line, and the values read under them."""

    def __init__(self, path, line, record, required, optional, texts, known):
        names = [name.strip() for name in record]
        while len(names) > 1 and not names[-1]:
            names.pop()  # a separator at the end of the line
        keys = [column_key(name) for name in names]
        _check_header(path, line, names, keys, required, known)
        self.line, self.names, self.keys, self.rows = line, names, keys, []
        self.numeric = [(k, key) for k, key in enumerate(keys)
                        if key in required or key in optional]
        self.read = [(k, key, texts[key]) for k, key in enumerate(keys) if key in texts]
        # A growing array of float64, and one of the lines of its empty cells, per
        # numeric column; a list per other column read.
        self.numbers = [(array.array("d"), array.array("q")) for _ in self.numeric]
        self.values = [[] for _ in self.read]

    def add(self, path, line, record, dialect):
        width = len(self.names)
        if len(record) > width and not any(cell.strip() for cell in record[width:]):
            record = record[:width]
        if len(record) != width:
            raise InputError(path, line, min(len(record), width) + 1,
                             "%d values for %d columns" % (len(record), width))
        number = dialect.reader()
        for (index, key), (column, blank) in zip(self.numeric, self.numbers):
            text = record[index]
            value = number(text)
            if value is None:
                if text.strip():
                    why = dialect.mismatch(text)
                    raise InputError(path, line, index + 1, "%r in column %r is not a number%s"
                                     % (text, self.names[index], " (%s)" % why if why else ""))
                value = math.nan
                blank.append(len(self.rows))
            column.append(value)
        for (index, key, read), column in zip(self.read, self.values):
            text = record[index]
            try:
                column.append(read(text, dialect) if text.strip() else None)
            except ValueError as error:
                raise InputError(path, line, index + 1, "%r in column %r: %s"
                                 % (text, self.names[index], error)) from None
        # A tuple holds the values in less memory than the list read.
        self.rows.append(tuple(record))

    def sites(self, dialect):
        numbers = {key: np.frombuffer(column, dtype=float).copy()
                   for (_, key), (column, _) in zip(self.numeric, self.numbers)}
        blank = {}
        for (_, key), (_, lines) in zip(self.numeric, self.numbers):
            blank[key] = np.zeros(len(self.rows), bool)
            blank[key][np.frombuffer(lines, dtype=np.int64)] = True
        values = {key: column for (_, key, _), column in zip(self.read, self.values)}
        return Sites(self.names, self.rows, numbers, blank, values, dialect, self.keys)


def _check_header(path, line, names, keys, required, known):
    seen = {}
    for index, (name, key) in enumerate(zip(names, keys)):
        if not name:
            raise InputError(path, line, index + 1, "empty column name")
        # Columns read (or named like a computed one) are told apart by key; the
        # others, kept as they are, by their text.
        label = ("key", key) if key in known else ("name", name)
        if label in seen:
            raise InputError(path, line, index + 1, "column %r names the same column as "
                             "column %d %r" % (name, seen[label] + 1, names[seen[label]])
                             if names[seen[label]] != name else "column %r named twice" % name)
        seen[label] = index
    missing = [key for key in required if ("key", key) not in seen]
    if missing:
        raise InputError(path, line, None, "no column %s (the header names %s)"
                         % (", ".join(repr(m) for m in missing),
                            ", ".join(repr(n) for n in names)))
