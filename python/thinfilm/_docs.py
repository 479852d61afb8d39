"""Docstrings written once: the texts that several functions and modules share.

A module writes the texts of the parameters its functions share once, as a numpydoc
parameter list read by :func:`parameters`. :func:`documented` then fills the line
``%(parameters)s`` of a function's docstring with the entries of the function's own
parameters, in the order of its signature, each taken from the texts given to the
decorator or else from the module's. The docstrings are complete from the definition on:
help() and the doctest run see them whole.

Examples
--------
>>> shared = parameters('''
...     x : float
...         The abscissa.
...     y, z : float
...         The other two.
... ''')
>>> @documented(shared)
... def f(x, y, z):
...     '''Sum.
...
...     Parameters
...     ----------
...     %(parameters)s'''
>>> print(f.__doc__)
Sum.
<BLANKLINE>
    Parameters
    ----------
    x : float
        The abscissa.
    y, z : float
        The other two.
"""

import inspect
import re
import textwrap

_PLACEHOLDER = re.compile(r"^( *)%\(parameters\)s$", re.MULTILINE)

#: The last paragraph of the docstring of every calculation module: how arguments are read.
ARGUMENT_RULES = """
Masked arrays are refused (TypeError): their masked elements would be computed as data;
pass ``a.filled(value)`` and mask the results. Booleans are not numbers here, Python's or
numpy's. A long call ends on Ctrl-C (KeyboardInterrupt) within a fraction of a second,
with no result.
"""


def parameters(text):
    """The entries of the numpydoc parameter list ``text``, by each name they document.

    An entry is a header line (``name : type``, ``a, b : type`` or names alone) and the
    indented description under it; an entry of several names is found under each.
    """
    entries = {}
    for entry in re.split(r"\n(?=\S)", textwrap.dedent(text).strip("\n")):
        for name in entry.split("\n", 1)[0].split(" : ", 1)[0].split(","):
            entries[name.strip()] = entry
    return entries


def documented(shared, own=""):
    """A decorator writing the parameters of a function into its docstring.

    ``shared``: the texts of the module (:func:`parameters`); ``own``: a parameter list of
    the function's own texts, taken before the shared ones. A parameter with no text is an
    error at the definition.
    """
    texts = {**shared, **parameters(own)}

    def document(function):
        if function.__doc__ is None:  # docstrings stripped (python -OO)
            return function
        entries = []
        for name in inspect.signature(function).parameters:
            if name not in texts:
                raise KeyError(f"no text for the parameter {name} of {function.__name__}")
            if texts[name] not in entries:
                entries.append(texts[name])

        def section(match):
            return textwrap.indent("\n".join(entries), match.group(1))

        function.__doc__ = _PLACEHOLDER.sub(section, function.__doc__, count=1)
        return function

    return document


def filled(**texts):
    """A decorator writing the texts given by name into a docstring: each line
    ``%(name)s`` of a name given becomes that text, at the line's indentation.

    Examples
    --------
    >>> @filled(unit="``value``: in nm,\\nalways.")
    ... def g():
    ...     '''Returns
    ...     -------
    ...         %(unit)s'''
    >>> print(g.__doc__)
    Returns
        -------
            ``value``: in nm,
            always.
    """
    pattern = re.compile(rf"^( *)%\(({'|'.join(map(re.escape, texts))})\)s$", re.MULTILINE)

    def fill(function):
        if function.__doc__ is not None:
            function.__doc__ = pattern.sub(
                lambda m: textwrap.indent(texts[m.group(2)], m.group(1)), function.__doc__
            )
        return function

    return fill


def with_argument_rules(doc):
    """The docstring ``doc`` of a calculation module, :data:`ARGUMENT_RULES` appended."""
    return None if doc is None else doc + ARGUMENT_RULES.lstrip("\n")
