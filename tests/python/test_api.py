"""The package's behaviour as a Python library: arguments, broadcasting, results, numerical
messages as data, warnings and exceptions, and independence from the thread count."""

import math
import numbers
import threading
from fractions import Fraction

import numpy as np
import pytest

import thinfilm
from common import same
from thinfilm import SolverWarning, StressFitError
from thinfilm import ellcalc, optconst, waferbow


class _Gaussian:
    """A complex number of another type than Python's and numpy's."""

    def __complex__(self):
        return 1j


numbers.Complex.register(_Gaussian)


def _material(material, **kw):
    return lambda: optconst.constants(material, wavelength=600, **kw)


def _psi_delta(**kw):
    return lambda: ellcalc.psi_delta(**kw)


# Bad arguments: a clear exception, nothing computed. The value shown is the one given,
# whatever its type; scalars and arrays alike.
@pytest.mark.parametrize("call, error, words", [
    (_material("Ge"), ValueError, "unknown material"),
    (_material(10), ValueError, "1 to 9"),
    (_material([2, 0]), ValueError, "unknown material 0"),
    (_material(2.5), TypeError, "menu number"),
    (lambda: optconst.constants("Si"), TypeError, "exactly one"),
    (_material("Si", energy=2), TypeError, "exactly one"),
    (_material("Si-a", voids=1.5), ValueError, "voids"),
    (_material(7, si_c_rate=-1), ValueError, "si_c_rate"),
    (_material("Si", precision=64), ValueError, "not 64"),
    (_material(1e300), ValueError, r"material 1e\+300;"),
    (_material([2, np.inf]), ValueError, "material inf;"),
    (_material(np.nan), TypeError, "not nan"),
    (_material([2, 10**30]), ValueError, "0000000000;"),
    (_material(np.uint64(2**63)), ValueError, " 92233"),
    (_material(np.True_), TypeError, "boolean"),
    (_material([2, 4], voids=[0, 2]), ValueError,
     r"voids .*not 2\.0, for material 4 \(flat index 1\)"),
    (_material([[8], [2]], si_c_rate=[-1, 0.5]), ValueError,
     r"si_c_rate .*not -1\.0, for material 8 \(flat index 0\)"),
    (_psi_delta(thickness=[1, 2, 3], wavelength=[1, 2]), ValueError, "broadc"),
    (_psi_delta(film_index=[1.5, 1.5 - 1e-30j]), TypeError, "must be real"),
    (lambda: ellcalc.thickness(film_index="Si"), TypeError, "'Si' absorbs"),
    (_psi_delta(substrate="Ge"), ValueError, "unknown material 'Ge'"),
    (lambda: ellcalc.substrate_index(precision=None), ValueError, "'double', not None"),
    (lambda: waferbow.continue_pass((1.0, 2.0)), TypeError, "first_state"),
    (_psi_delta(thickness=10**400), OverflowError, r"1\.000000e\+400 is too"),
    (_psi_delta(substrate=[1, -(10**400)]), OverflowError, "substrate"),
    (_psi_delta(angle=np.longdouble("1e400")), OverflowError, "too large"),
    (lambda: waferbow.first_state(bow=Fraction(10**400)), OverflowError, "too large"),
    (lambda: waferbow.first_state(bow=np.array([1, True], dtype=object)), TypeError, "bool"),
    (lambda: ellcalc.reflection(film_index=np.array([Fraction(3, 2), _Gaussian()])),
     TypeError, "film_index must be real"),
    (_psi_delta(thickness=np.ma.masked_array([0.0, 1.0], mask=[0, 1])), TypeError, "masked"),
])
def test_bad_arguments(call, error, words):
    with pytest.raises(error, match=words):
        call()


def test_threads_setting_is_checked(threads):
    thinfilm.threads = 0
    with pytest.raises(ValueError, match="threads"):
        ellcalc.psi_delta()


@pytest.mark.parametrize("call, same_as", [
    # A material by its label or its number.
    (_material("si polycristallin", voids=0.1, si_c_rate=0.5),
     _material(8, voids=0.1, si_c_rate=0.5)),
    # The rates the program would refuse are only refused for materials that ask them.
    (_material([2, 6], voids=[2.0, -3.0], si_c_rate=[5.0, 2.0]), _material([2, 6])),
    # Values are taken in single precision, as the program reads them, whatever their type.
    (_psi_delta(thickness=Fraction(100)), _psi_delta(thickness=100)),
    (_psi_delta(thickness=100.00000001), _psi_delta(thickness=100.0)),
])
def test_arguments_read_alike_give_the_same_results(call, same_as):
    assert same(call(), same_as())


# Numerical trouble: warnings and exceptions.


def test_solver_failures_warn_and_the_pass_goes_on():
    first = waferbow.first_state(bow=[10.0, 10.0])
    with pytest.warns(SolverWarning, match="1 point.*flat index 1: singular"):
        r = waferbow.continue_pass(first, silicon=[525.0, 0.0])
    assert r.regressions[1] == 10000 and r.regressions[0] < 10000


@pytest.mark.parametrize("stress", [1e30, 1e308])  # 1e308 is infinite in single precision
def test_failed_stress_fit_raises_and_names_the_stress(stress):
    stresses = np.array([[0.0], [stress]])
    with pytest.raises(StressFitError, match=f"{stress:g} MPa".replace("+", "\\+")) as caught:
        optconst.constants("SiO2", wavelength=[632.8, 500.0], stress=stresses)
    assert caught.value.stress == stress
    # The interpreter goes on, and other stresses are not disturbed.
    silica = optconst.constants("SiO2", wavelength=632.8)
    assert silica.index.real == pytest.approx(1.45702, abs=1e-5)


def test_not_finite_values_go_through():
    r = ellcalc.psi_delta(thickness=[np.nan, np.inf, 100.0])
    assert np.isnan(r.psi[:2]).all() and np.isfinite(r.psi[2])
    assert math.isnan(optconst.constants("Si", wavelength=np.nan).index.real)


def test_the_interpreter_runs_during_a_long_call(threads):
    # The loops run without the interpreter lock: another Python thread keeps going.
    thinfilm.threads = 1
    done = threading.Event()
    worker = threading.Thread(
        target=lambda: (ellcalc.thickness(psi=np.linspace(5, 85, 400_000)), done.set()))
    ticks = 0
    worker.start()
    while not done.is_set():
        ticks += 1
    worker.join()
    assert ticks > 1000
