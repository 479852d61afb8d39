"""The dialect of a CSV table: its separator and decimal mark, told from the file.

A spreadsheet writes its tables in the dialect of its locale: commas and decimal
points in English, semicolons (or tabs) and decimal commas in French. The
separator is told from the header line, the decimal mark from the first number
that has one; column names are matched without regard to case, surrounding
spaces or a unit in parentheses or brackets.
"""

import functools
import re

#: The separators read, and their names.
SEPARATORS = {",": "comma", ";": "semicolon", "\t": "tab"}
#: The decimal marks read, and their names.
DECIMALS = {".": "point", ",": "comma"}

# A unit at the end of a column name: "X (mm)", "Psi [deg]".
_UNIT = re.compile(r"\s*(?:\([^()]*\)|\[[^\[\]]*\])\s*$")


def column_key(name):
    """The name a column is known by: lower case, without its unit, spaces as underscores.

    Examples
    --------
    >>> column_key(" X (mm) "), column_key("Psi [deg]"), column_key("Film index")
    ('x', 'psi', 'film_index')
    >>> column_key("comment")
    'comment'
    """
    name = _UNIT.sub("", name.strip()) or name.strip()
    return re.sub(r"[\s-]+", "_", name).lower()


def detect_separator(line, names=()):
    """The separator of a header `line`: the one that splits it into most of `names`
    (column keys), then into most columns; a comma when none splits it.

    Examples
    --------
    >>> detect_separator("X (mm);Y (mm);Psi;Delta", ["x", "y", "psi", "delta"])
    ';'
    >>> detect_separator("x\\ty\\tnote, other", ["x", "y"])
    '\\t'
    >>> detect_separator("thickness")
    ','
    """
    wanted = set(names)

    def score(separator):
        parts = line.rstrip("\r\n").split(separator)
        return len(wanted.intersection(column_key(p) for p in parts)), len(parts)

    return max(SEPARATORS, key=lambda s: (score(s), s == ","))


def parse_number(text, decimal="."):
    """The float written in `text` with the decimal mark `decimal`, or None.

    Examples
    --------
    >>> parse_number(" 43.61 "), parse_number("1e-3"), parse_number("-NaN")
    (43.61, 0.001, nan)
    >>> parse_number("43,61", ","), parse_number("43.61", ",") is None
    (43.61, True)
    >>> parse_number("1_000") is None, parse_number("") is None, parse_number("0x10") is None
    (True, True, True)
    """
    if decimal != ".":
        if "." in text:
            return None
        text = text.replace(decimal, ".", 1)
    # What float() reads, less the digit-group underscores and the digits of other
    # scripts it also takes: a sign, digits with a point and an exponent, nan or inf.
    if "_" in text or not text.isascii():
        return None
    try:
        return float(text)
    except ValueError:
        return None


class Dialect:
    """The separator and decimal mark of a table, and whether each was told from the file.

    A decimal mark left as None is told by the first number written with one
    (`numbers`); until then the file's numbers are whole and read alike.

    Examples
    --------
    >>> d = Dialect(";")
    >>> d.number("12"), d.decimal, d.number("43,61"), d.decimal
    (12.0, None, 43.61, ',')
    >>> d.number("43.61") is None, d.mismatch("43.61")
    (True, 'the decimal mark of the file is a comma')
    >>> d.describe()
    'separator semicolon, decimal comma, told from the file'
    >>> Dialect(",", ".", given=("separator",)).describe()
    'separator comma as given, decimal point told from the file'
    """

    def __init__(self, separator, decimal=None, given=()):
        self.separator, self.decimal, self.given = separator, decimal, tuple(given)

    def number(self, text):
        """The float written in `text`, or None; the first mark seen sets the decimal."""
        if self.decimal is None and self.separator != ",":
            mark = next((m for m in DECIMALS if m in text), None)
            value = parse_number(text, mark or ".")
            if value is not None and mark is not None:
                self.decimal = mark
            return value
        return parse_number(text, self.decimal or ".")

    def reader(self):
        """The function that reads a number of the file: `number`, or, once the decimal
        mark is known, the plain reading with it."""
        if self.decimal is None and self.separator != ",":
            return self.number
        if self.decimal in (None, "."):
            return parse_number
        return functools.partial(parse_number, decimal=self.decimal)

    def mismatch(self, text):
        """Why `text` is no number of this file when its mark is the other one, or None."""
        mark = self.output_decimal()
        other = "," if mark == "." else "."
        if other in text and parse_number(text, other) is not None:
            return "the decimal mark of the file is a %s" % DECIMALS[mark]
        return None

    def output_decimal(self):
        """The decimal mark to write: the one read, else the usual one with the separator
        (a comma with semicolons, a point otherwise)."""
        if self.decimal is not None:
            return self.decimal
        return "," if self.separator == ";" else "."

    def describe(self):
        """The dialect in words, as the command line reports it."""
        parts = [("separator", SEPARATORS[self.separator]),
                 ("decimal", DECIMALS[self.output_decimal()])]
        if len(set(self.given)) in (0, 2):
            return "%s, %s" % tuple(" ".join(p) for p in parts) + (
                ", as given" if self.given else ", told from the file")
        return ", ".join("%s %s %s" % (what, name, "as given" if what in self.given
                                                  else "told from the file")
                         for what, name in parts)
