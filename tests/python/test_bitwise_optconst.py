"""optconst's calculation against the program, digit for digit: one piped session of a
few thousand random requests (every material, fractions, stresses, wavelengths in nm and
energies in eV) and one array call of the package per way of giving the light."""

import numpy as np

from common import check, tails
from fields import F, typed
from thinfilm import _core, optconst

N = 3000
MENU = " 1: vide   2: Si      3: SiO2    4: Si-a     5: SiOx\n"
HC_LIMIT = 30.0  # the program takes an answer below 30 for an energy


def requests(seed, n=N):
    g = np.random.default_rng(seed)
    f32 = np.float32
    by_energy = g.random(n) < 0.4
    light = np.where(by_energy, g.uniform(0.05, 29.9, n), g.uniform(30, 3000, n)).astype(f32)
    return {
        "material": g.integers(1, 10, n),
        "light": light,
        "by_energy": by_energy,
        "voids": g.uniform(-0.3, 1.0, n).astype(f32),
        "x": g.uniform(0, 2, n).astype(f32),
        "si_c_rate": g.uniform(0, 1, n).astype(f32),
        "stress": g.uniform(-600, 600, n).astype(f32),
    }


def answers(c, i):
    nat = int(c["material"][i])
    lines = [str(nat)]
    if nat in (3, 4, 5, 7, 8, 9):
        lines.append(typed(c["voids"][i]))
    if nat == 3:
        lines.append(typed(c["stress"][i]))
    if nat in (7, 8, 9):
        lines.append(typed(c["si_c_rate"][i]))
    if nat == 5:
        lines.append(typed(c["x"][i]))
    lines.append(typed(c["light"][i]))
    return "\n".join(lines) + "\n"


def test_constants_against_the_program(optconst_session):
    c = requests(11)
    out = optconst_session("".join(answers(c, i) for i in range(N)))
    kw = {k: c[k] for k in ("material", "voids", "x", "si_c_rate", "stress")}
    e = c["by_energy"]
    r_nm = optconst.constants(wavelength=c["light"], **kw)
    r_ev = optconst.constants(energy=c["light"], **kw)
    eps1, n1, eps2, n2 = (np.where(e, by_ev, by_nm) for by_ev, by_nm in zip(r_ev, r_nm))
    # The wavelength and energy lines echo the light converted as the program converts it.
    shape, light = c["light"].shape, c["light"]
    converted = _core.optconst_wavelength_of_energy(shape, 1, energy=light)["wavelength"]
    w = np.where(e, converted, light)
    converted = _core.optconst_energy_of_wavelength(shape, 1, wavelength=light)["energy"]
    en = np.where(e, light, converted)

    expected = [
        f" Lambda(nm)= {F(w[i], 7, 2)}      n = {F(n1[i].real, 10, 5)}"
        f"  k = {F(n1[i].imag, 10, 5)}\n"
        f"     E(ev)= {F(en[i], 7, 4)}{' ' * 15}{F(n2[i].real, 10, 5)}"
        f"  {F(n2[i].imag, 10, 5)}\n"
        f"{' ' * 18} Epsilon r = {F(eps1[i].real, 10, 5)}"
        f"   Epsilon i ={F(eps1[i].imag, 10, 5)}\n"
        f"{' ' * 31}{F(eps2[i].real, 10, 5)}  {F(eps2[i].imag, 10, 5)}\n"
        for i in range(N)
    ]
    check(tails(out, MENU, N), expected, lambda i: f"{i} {answers(c, i)!r}")
    assert set(np.unique(c["material"])) == set(range(1, 10))
