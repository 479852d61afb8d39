"""ellcalc's calculations against the program, digit for digit.

For each mode, one piped session runs a few thousand random cases through the program;
the package computes the same cases in one array call, and every result line the program
prints must be the line rebuilt from the package's values with the program's fields.
"""

import re

import numpy as np
import pytest

from common import check, tails
from fields import each, typed, typed_complex
from thinfilm import DiscriminantWarning, ellcalc

# Some random substrates are written n + ik, deliberately: the program takes them too.
pytestmark = pytest.mark.filterwarnings("ignore::thinfilm.IndexConventionWarning")

N = 2000
MENU = "0 1: Psi et Delta.\n"
FILM_NAMES = ("wavelength", "angle", "substrate", "film_index", "thickness")
FIT_NAMES = FILM_NAMES[:4] + ("psi", "delta")
INSTRUMENT_NAMES = ("polariser", "retardance", "rotation", "zero", "analyser")

# The lines the modes share, in the program's fields (see fields.each).
FILM = "+ {c.wavelength:F9.2} nm, Indice : {index:F9.5} Epaisseur : {ep:F9.3} nm\n"
RP_RS = (" rp : {r.rp.real:E14.7} {r.rp.imag:E14.7}; Rp : {r.Rp:F8.6}\n"
         " rs : {r.rs.real:E14.7} {r.rs.imag:E14.7}; Rs : {r.Rs:F8.6}\n")
REFLECTION = (FILM + " Periode : {r.period:F9.3} nm\n"
              " Psi, Delta : {r.psi:F9.3} {r.delta:F9.3} degres\n" + RP_RS + "\n")
BEFORE_AFTER = (" Psi, Delta avant : {psi0:F9.3} {delta0:F9.3} degres\n"
                " Psi, Delta apres : {psi:E14.7} {delta:E14.7} degres\n\n")


def f32(a):
    return np.asarray(a, dtype=np.float32)


def films(seed, n=N):
    """Random films, a few of them outside the usual range (a film index below the sine
    of the angle, a negative thickness, grazing or normal incidence)."""
    g = np.random.default_rng(seed)
    return {
        "wavelength": f32(g.uniform(200, 2000, n)),
        "angle": f32(np.where(g.random(n) < 0.05, g.choice([0.0, 89.9], n), g.uniform(0, 85, n))),
        "substrate": (f32(g.uniform(1, 6, n)) + 1j * f32(g.uniform(-5, 0.5, n))).astype("c8"),
        "film_index": f32(g.uniform(0.8, 3.0, n)),
        "thickness": f32(g.uniform(-500, 2000, n)),
        "psi": f32(g.uniform(0.5, 89.5, n)),
        "delta": f32(g.uniform(-180, 180, n)),
    }


def instruments(seed, n=N):
    g = np.random.default_rng(seed)
    a = {k: f32(g.uniform(low, high, n)) for k, (low, high) in zip(
        INSTRUMENT_NAMES, ((-180, 180), (10, 170), (-10, 10), (-90, 90), (-80, 80)))}
    # A few instruments where the program's own quotients vanish (analyser at 0,
    # retardance of 180 degrees).
    a["analyser"][:20] = 0
    a["retardance"][20:40] = 180
    return a


def film(c, r):
    """The fields of FILM for the films c computed as r: the film index given, and a negative
    thickness printed plus one period."""
    return {"c": c, "r": r, "index": c["film_index"],
            "ep": np.where(c["thickness"] < 0, c["thickness"] + r.period, c["thickness"])}


def film_answers(mode, c, i, *names):
    return "\n".join([str(mode)] + [typed_complex(c[k][i]) if k == "substrate"
                                    else typed(c[k][i]) for k in names]) + "\n"


def run_mode(session, mode, c, names):
    """What the program writes after the last prompt of each of N cases of one mode."""
    return tails(session("".join(film_answers(mode, c, i, *names) for i in range(N))), MENU, N)


def pick(c, names):
    return {k: c[k] for k in names}


def test_substrate_index_mode_2(ellcalc_session):
    c = films(2)
    printed = run_mode(ellcalc_session, 2, c, ("wavelength", "angle", "psi", "delta"))
    n = ellcalc.substrate_index(c["angle"], c["psi"], c["delta"])
    check(printed, each("+ Indice du substrat : {n.real:F9.5} {n.imag:F9.5}  . \n\n", N, n=n))


@pytest.mark.parametrize("mode, inversion", [
    (3, ellcalc.thickness), (4, ellcalc.thickness_and_index)
], ids=["thickness_mode_3", "thickness_and_index_mode_4"])
def test_inversion_modes(mode, inversion, ellcalc_session):
    c = films(mode)
    r = inversion(**pick(c, FIT_NAMES))
    # Mode 3 never says its search is slow; it prints the index as the search recomputes
    # it from the film's wave-vector component, which mode 7 returns for the same film.
    converged = getattr(r, "converged", np.ones(N, bool))
    index = r.film_index if mode == 4 else ellcalc.from_harmonics(
        c["wavelength"], c["angle"], c["substrate"], film_index=c["film_index"]).film_index
    slow = re.compile(r"^ Conv\. lente ! \n S = .{7} DSS = .{7}\n")
    printed = []
    for i, tail in enumerate(run_mode(ellcalc_session, mode, c, FIT_NAMES)):
        assert bool(slow.match(tail)) != bool(converged[i]), (i, tail)
        printed.append(slow.sub("", tail, count=1))
    assert mode == 3 or 0 < np.count_nonzero(~converged) < N  # both outcomes met
    check(printed, each(FILM + " Periode : {r.period:F8.2} nm\n" + BEFORE_AFTER, N, c=c, r=r,
                        index=index, ep=r.thickness, psi0=c["psi"], delta0=c["delta"],
                        psi=r.psi, delta=r.delta))


@pytest.mark.parametrize("mode, calculation, template", [
    (1, ellcalc.psi_delta, "+ {c.wavelength:F8.1} nm, Indice : {index:F9.5}"
     " Epaisseur : {ep:F8.2} nm\n Periode : {r.period:F8.2} nm\n"
     " Psi, Delta : {r.psi:F9.3} {r.delta:F9.3} degres\n\n"),
    (5, ellcalc.reflection, REFLECTION),
], ids=["psi_delta_mode_1", "reflection_mode_5"])
def test_forward_modes(mode, calculation, template, ellcalc_session):
    c = films(mode)
    printed = run_mode(ellcalc_session, mode, c, FILM_NAMES)
    r = calculation(**pick(c, FILM_NAMES))
    check(printed, each(template, N, **film(c, r)))


def test_harmonics_mode_6(ellcalc_session):
    c = films(6) | instruments(60)
    tails6 = run_mode(ellcalc_session, 6, c, FILM_NAMES + INSTRUMENT_NAMES)
    r = ellcalc.harmonics(**pick(c, FILM_NAMES + INSTRUMENT_NAMES))
    m = ellcalc.reflection(**pick(c, FILM_NAMES))
    # The cosine and sine terms of H2 and H4 are printed but not returned: their fields
    # are checked against amplitude and phase to the printed digits.
    terms = re.compile(r"(H([24]) C, S, A, P :) (.{8}) (.{8})")
    printed = []
    for i, tail in enumerate(tails6):
        for _, k, cos_, sin_ in terms.findall(tail):
            amplitude, phase = getattr(r, f"h{k}")[i], getattr(r, f"h{k}_phase")[i]
            if np.isfinite(amplitude) and np.isfinite(phase):
                assert abs(float(cos_) - amplitude * np.cos(np.radians(phase))) < 2e-6, (i, tail)
                assert abs(float(sin_) - amplitude * np.sin(np.radians(phase))) < 2e-6, (i, tail)
        printed.append(terms.sub(r"\1 C S", tail))
    check(printed, each(
        "+ POL,BIR,ROT,REF,ANA = {c.polariser:F8.3} {c.retardance:F8.3} {c.rotation:F8.3}"
        " {c.zero:F8.3} {c.analyser:F8.3} degres\n" + FILM + " Periode : {r.period:F8.2} nm\n"
        + RP_RS + " H0 : {h.h0:F8.6}\n H2 C, S, A, P : C S {h.h2:F8.6} {h.h2_phase:F8.3}\n"
        " H4 C, S, A, P : C S {h.h4:F8.6} {h.h4_phase:F8.3}\n" + BEFORE_AFTER,
        N, **film(c, m), h=r, psi0=m.psi, delta0=m.delta, psi=r.psi, delta=r.delta))


def test_from_harmonics_mode_7(ellcalc_session):
    # Each case sets the film with mode 5 (which also sets the kept Psi and Delta), then
    # runs mode 7 keeping the light and the substrate.
    c = films(7) | instruments(70)
    g = np.random.default_rng(71)
    h = {k: f32(g.uniform(low, high, N)) for k, (low, high) in zip(
        ("h0", "h2", "h2_phase", "h4", "h4_phase"),
        ((0.1, 5), (0.01, 3), (-180, 180), (0.01, 1), (-180, 180)))}
    out = ellcalc_session("".join(
        film_answers(5, c, i, *FILM_NAMES)
        + film_answers(7, c, i, *INSTRUMENT_NAMES).replace("7\n", "7\n/\n/\n/\n", 1)
        + " ".join(typed(h[k][i]) for k in h) + "\n" for i in range(N)))
    m = ellcalc.reflection(**pick(c, FILM_NAMES))
    with pytest.warns(DiscriminantWarning) as caught:
        r = ellcalc.from_harmonics(
            **pick(c, FILM_NAMES[:4] + INSTRUMENT_NAMES),
            **pick(h, ("h2", "h2_phase", "h4", "h4_phase")), psi=m.psi, delta=m.delta)
    negative = r.discriminant < 0
    assert 0 < np.count_nonzero(negative) < N
    caught = [w for w in caught if w.category is DiscriminantWarning]
    assert len(caught) == 1 and f"{np.count_nonzero(negative)} point(s)" in str(caught[0].message)
    set_film = each(REFLECTION, N, **film(c, m))
    discriminant = each("+ Discriminant negatif: {r.discriminant:E14.7}\n", N, r=r)
    found = each(
        "+ H0 : {h.h0:F8.6} H2 A, P : {h.h2:F8.6} {h.h2_phase:F8.3}"
        " H4 A, P : {h.h4:F8.6} {h.h4_phase:F8.3}\n"
        " Indice : {r.film_index:F9.5} Epaisseur : {r.thickness:F9.3} nm"
        " Periode : {r.period:F9.3} nm\n" + RP_RS + " H0 : {r.h0:F8.6}\n"
        " H2 C, S, A, P : {r.h2_cos:F8.6} {r.h2_sin:F8.6} {r.h2:F8.6} {r.h2_phase:F8.3}\n"
        " H4 C, S, A, P : {r.h4_cos:F8.6} {r.h4_sin:F8.6} {r.h4:F8.6} {r.h4_phase:F8.3}\n"
        + BEFORE_AFTER, N, h=h, r=r, psi0=r.psi, delta0=r.delta, psi=r.model_psi,
        delta=r.model_delta)
    check(tails(out, MENU, 2 * N), [
        text for i in range(N)
        for text in (set_film[i], "\n" + (discriminant[i] if negative[i] else "") + found[i])])
