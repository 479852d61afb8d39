"""Charts and tables of the calculators' results.

One module per chart: ``psi_delta`` (film trajectories on the Psi-Delta
plane), ``nk`` (n and k spectra), ``bow`` (predicted wafer bow) and
``wafer_map`` (thickness across a wafer). Each has a data function, whose
numbers all come from the package's calculations, and a drawing function that
only draws them with matplotlib. The command line is ``python3 -m thinfilm``.
"""


class ChartError(ValueError):
    """Arguments for which a chart has nothing to draw.

    Attributes
    ----------
    argument : str or None
        The name of the argument of the data function found out of range,
        when one alone is.

    Examples
    --------
    >>> error = ChartError("no finite period", argument="wavelength")
    >>> str(error), error.argument
    ('no finite period', 'wavelength')
    """

    def __init__(self, message, argument=None):
        super().__init__(message)
        self.argument = argument
