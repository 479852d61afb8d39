"""A material of :mod:`thinfilm.optconst` with its composition, as one value.

The functions of :mod:`thinfilm.ellcalc` take a material name where they take an index: the
dense material, made of its first component alone. A :class:`Material` names the void
fraction, the oxygen content or the Si-c rate beside it, for the materials that take them.
"""

import numpy as np

from thinfilm import _args
from thinfilm import optconst

__all__ = ["Material"]

# The menu numbers of the sub-oxide, the one material with an oxygen content.
_TAKES_X = (5,)


def _takes(label, numbers):
    return any(optconst.MATERIALS[n] == label for n in numbers)


class Material:
    """An ``optconst`` material with its void fraction, oxygen content and Si-c rate.

    Parameters
    ----------
    name : str
        A menu label or an alias of ``optconst`` ("Si poreux", "porous-Si", ...), in any
        case.
    voids : float or array_like, optional
        Void fraction ("Compacite"), at most 1; for the materials of
        ``optconst.ASKS_VOIDS``. Default 0.
    x : float or array_like, optional
        Oxygen content of the sub-oxide "SiOx", 0 (silicon) to 2 (silica). Default 0.
    si_c_rate : float or array_like, optional
        Fraction of the second component, 0 to 1; for the materials of
        ``optconst.ASKS_SI_C_RATE``. Default 0.

    A parameter given to a material that does not take it is refused (ValueError), as is
    an unknown name; the ranges are checked where the index is computed. Arrays broadcast
    with the wavelengths and the other arguments of the call.

    Examples
    --------
    >>> from thinfilm import Material
    >>> m = Material("porous-Si", voids=0.3)
    >>> m
    Material('Si poreux', voids=0.3)
    >>> n = m.index(632.8)
    >>> round(n.real, 5), round(n.imag, 5)
    (3.01075, -0.01391)
    >>> Material("Si", voids=0.3)
    Traceback (most recent call last):
    ...
    ValueError: material 'Si' takes no voids
    """

    __slots__ = ("label", "voids", "x", "si_c_rate")

    def __init__(self, name, voids=None, x=None, si_c_rate=None):
        if not isinstance(name, str):
            raise TypeError(f"a material is named by a string, not {_args.shown(name)}")
        label = optconst.material_label(name)
        takes = {
            "voids": _takes(label, optconst.ASKS_VOIDS),
            "x": _takes(label, _TAKES_X),
            "si_c_rate": _takes(label, optconst.ASKS_SI_C_RATE),
        }
        given = {"voids": voids, "x": x, "si_c_rate": si_c_rate}
        for key, value in given.items():
            if value is not None and not takes[key]:
                raise ValueError(f"material {label!r} takes no {key}")
        object.__setattr__(self, "label", label)
        for key, value in given.items():
            value = _args.real(key, 0.0 if value is None else value)
            object.__setattr__(self, key, value.item() if value.ndim == 0 else value)

    def __setattr__(self, key, value):
        raise AttributeError("a Material is not changed; make another")

    def _parameters(self):
        return {"voids": self.voids, "x": self.x, "si_c_rate": self.si_c_rate}

    def __repr__(self):
        shown = "".join(f", {k}={v!r}" for k, v in self._parameters().items()
                        if np.ndim(v) or v != 0)
        return f"Material({self.label!r}{shown})"

    def __eq__(self, other):
        if not isinstance(other, Material):
            return NotImplemented
        return self.label == other.label and all(
            np.array_equal(a, b) for a, b in zip(self._parameters().values(),
                                                 other._parameters().values()))

    def __hash__(self):
        # Equal materials have the same label; array parameters are not hashed.
        return hash(self.label)

    def index(self, wavelength, precision="double"):
        """The complex index n - ik at ``wavelength`` (nm), by ``optconst.constants`` in
        ``precision`` (default double)."""
        return optconst.constants(self.label, wavelength=wavelength, precision=precision,
                                  **self._parameters()).index
