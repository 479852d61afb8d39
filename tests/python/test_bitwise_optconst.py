"""optconst's calculation against the program, digit for digit: one piped session of a
few thousand random requests (every material, fractions, stresses, wavelengths in nm and
energies in eV) and one array call of the package per way of giving the light."""

import numpy as np

from common import check, tails
from fields import each, typed
from thinfilm import _core, optconst

N = 3000
MENU = " 1: vide   2: Si      3: SiO2    4: Si-a     5: SiOx\n"


def requests(seed, n=N):
    g = np.random.default_rng(seed)
    f32 = np.float32
    # The program takes an answer below 30 for an energy in eV, and from 30 a wavelength in nm.
    by_energy = g.random(n) < 0.4
    light = np.where(by_energy, g.uniform(0.05, 29.9, n), g.uniform(30, 3000, n)).astype(f32)
    return {"material": g.integers(1, 10, n), "light": light, "by_energy": by_energy,
            "voids": g.uniform(-0.3, 1.0, n).astype(f32), "x": g.uniform(0, 2, n).astype(f32),
            "si_c_rate": g.uniform(0, 1, n).astype(f32),
            "stress": g.uniform(-600, 600, n).astype(f32)}


# What the program asks after the material, by material, before the light.
ASKED = {3: ("voids", "stress"), 4: ("voids",), 5: ("voids", "x"),
         **dict.fromkeys((7, 8, 9), ("voids", "si_c_rate"))}


def answers(c, i):
    nat = int(c["material"][i])
    return "\n".join([str(nat)] + [typed(c[k][i]) for k in ASKED.get(nat, ()) + ("light",)]) + "\n"


def test_constants_against_the_program(optconst_session):
    c = requests(11)
    out = optconst_session("".join(answers(c, i) for i in range(N)))
    kw = {k: c[k] for k in ("material", "voids", "x", "si_c_rate", "stress")}
    e, light = c["by_energy"], c["light"]
    r_nm = optconst.constants(wavelength=light, **kw)
    r_ev = optconst.constants(energy=light, **kw)
    eps1, n1, eps2, n2 = (np.where(e, by_ev, by_nm) for by_ev, by_nm in zip(r_ev, r_nm))
    # The wavelength and energy lines echo the light converted as the program converts it.
    w = np.where(e, _core.optconst_wavelength_of_energy(
        light.shape, 1, energy=light)["wavelength"], light)
    en = np.where(e, light, _core.optconst_energy_of_wavelength(
        light.shape, 1, wavelength=light)["energy"])
    expected = each(
        " Lambda(nm)= {w:F7.2}      n = {n1.real:F10.5}  k = {n1.imag:F10.5}\n"
        "     E(ev)= {en:F7.4}" + " " * 15 + "{n2.real:F10.5}  {n2.imag:F10.5}\n"
        + " " * 19 + "Epsilon r = {eps1.real:F10.5}   Epsilon i ={eps1.imag:F10.5}\n"
        + " " * 31 + "{eps2.real:F10.5}  {eps2.imag:F10.5}\n",
        N, w=w, en=en, n1=n1, n2=n2, eps1=eps1, eps2=eps2)
    check(tails(out, MENU, N), expected, lambda i: f"{i} {answers(c, i)!r}")
    assert set(np.unique(c["material"])) == set(range(1, 10))
