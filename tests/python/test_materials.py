"""Indices of ellcalc given as optconst materials, complex film indices that are real, and
substrates written in the other sign convention."""

import numpy as np
import pytest

from common import same
from thinfilm import IndexConventionWarning, ellcalc, optconst

PRECISIONS = ("single", "double")
WAVELENGTHS = np.linspace(300.0, 900.0, 7)[:, None]


def index(material, precision):
    return optconst.constants(material, wavelength=WAVELENGTHS, precision=precision).index


@pytest.mark.parametrize("precision", PRECISIONS)
def test_a_named_material_is_optconst_index_at_each_wavelength(precision):
    film = dict(wavelength=WAVELENGTHS, angle=70.0, precision=precision)
    # Every label and alias, in any case, as a substrate.
    for name in [*optconst.MATERIALS.values(), *optconst.ALIASES, "si", "SIO2", "Poly-Si"]:
        label = optconst.material_label(name)
        expected = ellcalc.psi_delta(**film, substrate=index(label, precision), thickness=[50.0])
        assert same(ellcalc.psi_delta(**film, substrate=name, thickness=[50.0]), expected)
    # Substrate and film named at once, in every function that takes them.
    given = dict(substrate=index("Si", precision), film_index=index("SiO2", precision).real)
    thick = dict(thickness=[10.0, 20.0])
    measured = dict(psi=[30.0, 40.0], delta=[80.0, 100.0])
    for function, more in [
            (ellcalc.psi_delta, thick), (ellcalc.thickness, measured), (ellcalc.reflection, thick),
            (ellcalc.thickness_and_index, measured), (ellcalc.harmonics, thick),
            (ellcalc.from_harmonics, dict(h2=[2.2, 2.3]))]:
        named = function(**film, **more, substrate="Si", film_index="sio2")
        assert np.shape(named[0]) == (7, 2)
        assert same(named, function(**film, **more, **given))


@pytest.mark.parametrize("precision", PRECISIONS)
def test_a_complex_film_index_with_zero_imaginary_part_is_real(precision):
    film = dict(thickness=[0.0, 100.0, 250.0], precision=precision)
    for dtype in (np.float32, np.float64):
        real = ellcalc.psi_delta(**film, film_index=np.array([1.46, 1.5, 2.0], dtype=dtype))
        given = np.array([1.46 + 0j, 1.5, 2.0 - 0j], dtype=np.result_type(dtype, np.complex64))
        assert same(ellcalc.psi_delta(**film, film_index=given[::-1][::-1]), real)
    assert same(ellcalc.psi_delta(**film, film_index=1.5 + 0j), ellcalc.psi_delta(**film))


@pytest.mark.filterwarnings("error")
def test_a_substrate_written_n_plus_ik_warns_once_and_is_computed_as_given():
    gain = [3.88 + 0.02j, 3.88 - 0.02j, 2.0 + 1.0j]
    with pytest.warns(IndexConventionWarning, match=r"flat index 0; 2 point.*n - ik") as caught:
        r = ellcalc.psi_delta(substrate=gain, precision="double")
    assert len(caught) == 1 and caught[0].filename == __file__
    absorbing = ellcalc.psi_delta(substrate=gain[1], precision="double")
    assert r.psi[1] == absorbing.psi and r.psi[0] != absorbing.psi
    # Absorbing and transparent substrates, and a named one: no warning.
    ellcalc.psi_delta(substrate=[3.88 - 0.02j, 1.5])
    ellcalc.thickness(substrate="Al")
