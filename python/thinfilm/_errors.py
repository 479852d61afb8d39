"""Warnings and exceptions of the package.

The console programs write a few numerical messages and go on (or, for the silica stress
fit, stop). Here they become warnings, with the affected values in the results as the
programs print them, or an exception that leaves the interpreter running. A warning of the
package's own (:class:`IndexConventionWarning`) flags an argument that looks written in
another convention.
"""


class NumericalWarning(RuntimeWarning):
    """A calculation met the numerical trouble that the console program reports."""


class DiscriminantWarning(NumericalWarning):
    """``ellcalc.from_harmonics``: the quadratic of the inversion has a negative
    discriminant (the program's " Discriminant negatif: "); Psi and Delta stay as given."""


class IndexConventionWarning(NumericalWarning):
    """``ellcalc``: a substrate index with a positive imaginary part. Indices are written
    n - ik here (an absorbing substrate has a negative imaginary part); n + ik, the
    convention of other thin-film packages, would describe a medium with gain. The
    calculation goes on with the index as given."""


class SolverWarning(NumericalWarning):
    """``waferbow.continue_pass``: the 3x3 solver could not finish a Newton step (the
    program's " GAUS3 ne peut pas resoudre" messages); the pass went on, as the program's
    does."""


class StressFitError(ArithmeticError):
    """``optconst.constants``: the stressed silica coefficients could not be fitted for
    this stress (the program ends with "STOP 7"). ``stress`` is the stress in MPa as it was
    given (the fit takes it in the call's precision: in single precision 1e308 is already
    infinite)."""

    def __init__(self, stress):
        self.stress = stress
        super().__init__(
            f"the silica stress fit does not converge for a stress of {stress:.7g} MPa"
        )

    def __reduce__(self):
        # Rebuilt from the stress (a worker process's error reaches its client pickled).
        return type(self), (self.stress,)
