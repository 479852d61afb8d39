"""ellcalc's calculations against the program, digit for digit.

For each mode, one piped session runs a few thousand random cases through the program;
the package computes the same cases in one array call, and every result line the program
prints must be the line rebuilt from the package's values with the program's fields.
"""

import re

import numpy as np
import pytest

from common import check, tails
from fields import E, F, typed, typed_complex
from thinfilm import DiscriminantWarning, ellcalc

# Some random substrates are written n + ik, deliberately: the program takes them too.
pytestmark = pytest.mark.filterwarnings("ignore::thinfilm.IndexConventionWarning")

N = 2000
MENU = "0 1: Psi et Delta.\n"
FILM_NAMES = ("wavelength", "angle", "substrate", "film_index", "thickness")


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


def folded(thickness, period):
    return np.where(thickness < 0, thickness + period, thickness)


def film_answers(mode, c, i, *names):
    lines = [str(mode)]
    for name in names:
        v = c[name][i]
        lines.append(typed_complex(v) if name == "substrate" else typed(v))
    return "\n".join(lines) + "\n"


def run_mode(session, mode, c, names):
    """What the program writes after the last prompt of each of N cases of one mode."""
    return tails(session("".join(film_answers(mode, c, i, *names) for i in range(N))), MENU, N)


def pick(c, names):
    return {k: c[k] for k in names}


def psi_delta_lines(c, r, ep, i):
    return (
        f"+ {F(c['wavelength'][i], 8, 1)} nm, Indice : {F(c['film_index'][i], 9, 5)}"
        f" Epaisseur : {F(ep[i], 8, 2)} nm\n"
        f" Periode : {F(r.period[i], 8, 2)} nm\n"
        f" Psi, Delta : {F(r.psi[i], 9, 3)} {F(r.delta[i], 9, 3)} degres\n\n"
    )


def test_substrate_index_mode_2(ellcalc_session):
    c = films(2)
    printed = run_mode(ellcalc_session, 2, c, ("wavelength", "angle", "psi", "delta"))
    n = ellcalc.substrate_index(c["angle"], c["psi"], c["delta"])
    check(printed, [f"+ Indice du substrat : {F(z.real, 9, 5)} {F(z.imag, 9, 5)}  . \n\n"
                    for z in n])


def fit_lines(c, r, film_index, i):
    return (
        f"+ {F(c['wavelength'][i], 9, 2)} nm, Indice : {F(film_index[i], 9, 5)}"
        f" Epaisseur : {F(r.thickness[i], 9, 3)} nm\n"
        f" Periode : {F(r.period[i], 8, 2)} nm\n"
        f" Psi, Delta avant : {F(c['psi'][i], 9, 3)} {F(c['delta'][i], 9, 3)} degres\n"
        f" Psi, Delta apres : {E(r.psi[i], 14, 7)} {E(r.delta[i], 14, 7)} degres\n\n"
    )


FIT_NAMES = ("wavelength", "angle", "substrate", "film_index", "psi", "delta")


def test_thickness_mode_3(ellcalc_session):
    c = films(3)
    printed = run_mode(ellcalc_session, 3, c, FIT_NAMES)
    r = ellcalc.thickness(**pick(c, FIT_NAMES))
    # Mode 3 prints the index as the search recomputes it from the film's wave-vector
    # component, which mode 7 returns for the same film.
    index = ellcalc.from_harmonics(
        c["wavelength"], c["angle"], c["substrate"], film_index=c["film_index"]
    ).film_index
    check(printed, [fit_lines(c, r, index, i) for i in range(N)])


SLOW = re.compile(r"^ Conv\. lente ! \n S = .{7} DSS = .{7}\n")


def test_thickness_and_index_mode_4(ellcalc_session):
    c = films(4)
    r = ellcalc.thickness_and_index(**pick(c, FIT_NAMES))
    printed = []
    for i, tail in enumerate(run_mode(ellcalc_session, 4, c, FIT_NAMES)):
        slow = SLOW.match(tail)
        assert bool(slow) != bool(r.converged[i]), (i, tail)
        printed.append(SLOW.sub("", tail, count=1))
    assert 0 < np.count_nonzero(~r.converged) < N  # both outcomes met
    check(printed, [fit_lines(c, r, r.film_index, i) for i in range(N)])


def reflection_lines(c, r, ep, i):
    return (
        f"+ {F(c['wavelength'][i], 9, 2)} nm, Indice : {F(c['film_index'][i], 9, 5)}"
        f" Epaisseur : {F(ep[i], 9, 3)} nm\n"
        f" Periode : {F(r.period[i], 9, 3)} nm\n"
        f" Psi, Delta : {F(r.psi[i], 9, 3)} {F(r.delta[i], 9, 3)} degres\n"
        f" rp : {E(r.rp[i].real, 14, 7)} {E(r.rp[i].imag, 14, 7)}; Rp : {F(r.Rp[i], 8, 6)}\n"
        f" rs : {E(r.rs[i].real, 14, 7)} {E(r.rs[i].imag, 14, 7)}; Rs : {F(r.Rs[i], 8, 6)}\n\n"
    )


@pytest.mark.parametrize("mode, calculation, lines", [
    (1, ellcalc.psi_delta, psi_delta_lines), (5, ellcalc.reflection, reflection_lines)
], ids=["psi_delta_mode_1", "reflection_mode_5"])
def test_forward_modes(mode, calculation, lines, ellcalc_session):
    c = films(mode)
    printed = run_mode(ellcalc_session, mode, c, FILM_NAMES)
    r = calculation(**pick(c, FILM_NAMES))
    ep = folded(c["thickness"], r.period)
    check(printed, [lines(c, r, ep, i) for i in range(N)])


def instruments(seed, n=N):
    g = np.random.default_rng(seed)
    a = {
        "polariser": f32(g.uniform(-180, 180, n)),
        "retardance": f32(g.uniform(10, 170, n)),
        "rotation": f32(g.uniform(-10, 10, n)),
        "zero": f32(g.uniform(-90, 90, n)),
        "analyser": f32(g.uniform(-80, 80, n)),
    }
    # A few instruments where the program's own quotients vanish (analyser at 0,
    # retardance of 180 degrees).
    a["analyser"][:20] = 0
    a["retardance"][20:40] = 180
    return a


INSTRUMENT_NAMES = ("polariser", "retardance", "rotation", "zero", "analyser")


def test_harmonics_mode_6(ellcalc_session):
    c = films(6) | instruments(60)
    tails6 = run_mode(ellcalc_session, 6, c, FILM_NAMES + INSTRUMENT_NAMES)
    r = ellcalc.harmonics(**pick(c, FILM_NAMES + INSTRUMENT_NAMES))
    m = ellcalc.reflection(**pick(c, FILM_NAMES))
    ep = folded(c["thickness"], m.period)
    # The cosine and sine terms of H2 and H4 are printed but not returned: their fields
    # are checked against amplitude and phase to the printed digits.
    terms = re.compile(r"(H[24] C, S, A, P :) (.{8}) (.{8})")
    printed = []
    for i, tail in enumerate(tails6):
        for j, (label, cos_, sin_) in enumerate(terms.findall(tail)):
            amplitude, phase = (r.h2[i], r.h2_phase[i]) if j == 0 else (r.h4[i], r.h4_phase[i])
            if np.isfinite(amplitude) and np.isfinite(phase):
                assert abs(float(cos_) - amplitude * np.cos(np.radians(phase))) < 2e-6, (i, tail)
                assert abs(float(sin_) - amplitude * np.sin(np.radians(phase))) < 2e-6, (i, tail)
        printed.append(terms.sub(r"\1 C S", tail))
    expected = [
        f"+ POL,BIR,ROT,REF,ANA = {' '.join(F(c[k][i], 8, 3) for k in INSTRUMENT_NAMES)} degres\n"
        f"+ {F(c['wavelength'][i], 9, 2)} nm, Indice : {F(c['film_index'][i], 9, 5)}"
        f" Epaisseur : {F(ep[i], 9, 3)} nm\n"
        f" Periode : {F(m.period[i], 8, 2)} nm\n"
        f" rp : {E(m.rp[i].real, 14, 7)} {E(m.rp[i].imag, 14, 7)}; Rp : {F(m.Rp[i], 8, 6)}\n"
        f" rs : {E(m.rs[i].real, 14, 7)} {E(m.rs[i].imag, 14, 7)}; Rs : {F(m.Rs[i], 8, 6)}\n"
        f" H0 : {F(r.h0[i], 8, 6)}\n"
        f" H2 C, S, A, P : C S {F(r.h2[i], 8, 6)} {F(r.h2_phase[i], 8, 3)}\n"
        f" H4 C, S, A, P : C S {F(r.h4[i], 8, 6)} {F(r.h4_phase[i], 8, 3)}\n"
        f" Psi, Delta avant : {F(m.psi[i], 9, 3)} {F(m.delta[i], 9, 3)} degres\n"
        f" Psi, Delta apres : {E(r.psi[i], 14, 7)} {E(r.delta[i], 14, 7)} degres\n\n"
        for i in range(N)
    ]
    check(printed, expected)


def test_from_harmonics_mode_7(ellcalc_session):
    # Each case sets the film with mode 5 (which also sets the kept Psi and Delta), then
    # runs mode 7 keeping the light and the substrate.
    c = films(7) | instruments(70)
    g = np.random.default_rng(71)
    h = {
        "h0": f32(g.uniform(0.1, 5, N)),
        "h2": f32(g.uniform(0.01, 3, N)),
        "h2_phase": f32(g.uniform(-180, 180, N)),
        "h4": f32(g.uniform(0.01, 1, N)),
        "h4_phase": f32(g.uniform(-180, 180, N)),
    }
    answers = []
    for i in range(N):
        answers.append(film_answers(5, c, i, *FILM_NAMES))
        answers.append(film_answers(7, c, i, *INSTRUMENT_NAMES).replace("7\n", "7\n/\n/\n/\n", 1))
        answers.append(" ".join(typed(h[k][i]) for k in h) + "\n")
    out = ellcalc_session("".join(answers))
    m = ellcalc.reflection(**pick(c, FILM_NAMES))
    with pytest.warns(DiscriminantWarning) as caught:
        r = ellcalc.from_harmonics(
            **pick(c, ("wavelength", "angle", "substrate", "film_index") + INSTRUMENT_NAMES),
            **pick(h, ("h2", "h2_phase", "h4", "h4_phase")),
            psi=m.psi,
            delta=m.delta,
        )
    negative = r.discriminant < 0
    assert 0 < np.count_nonzero(negative) < N
    caught = [w for w in caught if w.category is DiscriminantWarning]
    assert len(caught) == 1 and f"{np.count_nonzero(negative)} point(s)" in str(caught[0].message)
    ep = folded(c["thickness"], m.period)
    expected = []
    for i in range(N):
        expected.append(reflection_lines(c, m, ep, i))
        expected.append(
            "\n"
            + (f"+ Discriminant negatif: {E(r.discriminant[i], 14, 7)}\n" if negative[i] else "")
            + f"+ H0 : {F(h['h0'][i], 8, 6)}"
            f" H2 A, P : {F(h['h2'][i], 8, 6)} {F(h['h2_phase'][i], 8, 3)}"
            f" H4 A, P : {F(h['h4'][i], 8, 6)} {F(h['h4_phase'][i], 8, 3)}\n"
            f" Indice : {F(r.film_index[i], 9, 5)} Epaisseur : {F(r.thickness[i], 9, 3)} nm"
            f" Periode : {F(r.period[i], 9, 3)} nm\n"
            f" rp : {E(r.rp[i].real, 14, 7)} {E(r.rp[i].imag, 14, 7)}; Rp : {F(r.Rp[i], 8, 6)}\n"
            f" rs : {E(r.rs[i].real, 14, 7)} {E(r.rs[i].imag, 14, 7)}; Rs : {F(r.Rs[i], 8, 6)}\n"
            f" H0 : {F(r.h0[i], 8, 6)}\n"
            f" H2 C, S, A, P : {F(r.h2_cos[i], 8, 6)} {F(r.h2_sin[i], 8, 6)} {F(r.h2[i], 8, 6)}"
            f" {F(r.h2_phase[i], 8, 3)}\n"
            f" H4 C, S, A, P : {F(r.h4_cos[i], 8, 6)} {F(r.h4_sin[i], 8, 6)} {F(r.h4[i], 8, 6)}"
            f" {F(r.h4_phase[i], 8, 3)}\n"
            f" Psi, Delta avant : {F(r.psi[i], 9, 3)} {F(r.delta[i], 9, 3)} degres\n"
            f" Psi, Delta apres : {E(r.model_psi[i], 14, 7)}"
            f" {E(r.model_delta[i], 14, 7)} degres\n\n"
        )
    check(tails(out, MENU, 2 * N), expected)
