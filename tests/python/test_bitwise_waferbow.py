"""waferbow's first pass and continue pass against the program, digit for digit.

One piped session: for each random wafer a first pass, a continue pass with new
thicknesses and a moment, then a restart. The program keeps the moment of a continue pass
for the next first pass, so each first state here gets the moment of the case before.
"""

import warnings

import numpy as np

from common import check
from fields import E, F, I, typed
from thinfilm import SolverWarning, waferbow

N = 1500
PROMPT = " Continue ou recommence (0/1) :  0 ? "


def wafers(seed, n=N):
    g = np.random.default_rng(seed)
    c = {
        "bow": np.where(g.random(n) < 0.5, -1, 1) * g.uniform(0.5, 60, n),
        "diameter": g.uniform(0.05, 0.3, n),
        "silicon": g.uniform(300, 900, n),
        "silica": g.uniform(0.01, 3, n),
        "modulus_si": g.uniform(1.5, 2.5, n),
        "modulus_sio2": g.uniform(0.6, 1.0, n),
        # Mostly none; otherwise from 1E-4 to 3 N, either way (larger moments drive most
        # passes to the step limit, in the program as here).
        "moment": np.where(
            g.random(n) < 0.7, 0, np.where(g.random(n) < 0.5, -1, 1) * 10 ** g.uniform(-4, 0.5, n)
        ).astype(np.float32),
    }
    c["new_silicon"] = c["silicon"] * g.uniform(0.6, 1.2, n)
    c["new_silica"] = c["silica"] * g.uniform(0.2, 3, n)
    return c


def report_lines(r, i):
    v = [getattr(r, name)[i] for name in r._fields]
    return (
        f" Rayon de courbure : {F(v[0], 9, 3)}m ; moment de flexion : {E(v[1], 15, 7)}MN\n"
        f" Lignes neutre du silicium : {E(v[2], 15, 7)}m, de la silice : {E(v[3], 15, 7)}m\n"
        f" Contrainte dans le silicium : interface {E(v[4], 15, 7)}"
        f" surface : {E(v[5], 15, 7)}MPa\n"
        f" Contrainte dans la silice : interface {E(v[6], 15, 7)} surface : {E(v[7], 15, 7)}MPa\n"
        f" Deformation silicium : interface {E(v[8], 15, 7)} surface : {E(v[9], 15, 7)}\n"
        f" Deformation silice : interface {E(v[10], 15, 7)} surface : {E(v[11], 15, 7)}\n"
        f" Energie elastique : silicium {E(v[12], 15, 7)}, silice {E(v[13], 15, 7)} J.m-2\n\n"
    )


def test_first_and_continue_passes_against_the_program(waferbow_session):
    c = wafers(21)
    answers = []
    for i in range(N):
        first = ("bow", "diameter", "silicon", "silica", "modulus_si", "modulus_sio2")
        answers += [typed(c[k][i]) for k in first]
        answers += ["0", typed(c["new_silicon"][i]), typed(c["new_silica"][i])]
        answers += [typed(c["moment"][i]), "1"]
    out = waferbow_session("\n".join(answers) + "\n")
    pieces = [p.rsplit(" ? ", 1)[1] for p in out.split(PROMPT)]
    assert len(pieces) == 2 * N + 1

    kept_moment = np.concatenate(([np.float32(0)], c["moment"][:-1]))
    names = ("bow", "diameter", "silicon", "silica", "modulus_si", "modulus_sio2")
    first = waferbow.first_state(*(c[k] for k in names), kept_moment)
    with warnings.catch_warnings(record=True) as caught:
        warnings.simplefilter("always")
        then = waferbow.continue_pass(first, c["new_silicon"], c["new_silica"], c["moment"])

    printed, expected, solver_messages = [], [], 0
    for i in range(N):
        tail = pieces[2 * i + 1]
        solver_messages += "GAUS3" in tail
        # The continue pass: what follows its last search.
        printed += [pieces[2 * i], tail[tail.find(" Fleche : "):]]
        expected += [
            f" Fleche : {F(c['bow'][i], 9, 3)} um ; diametre : {F(c['diameter'][i], 9, 4)} m\n"
            f" Epaisseur de silicium : {F(c['silicon'][i], 9, 3)} um,"
            f" de silice : {F(c['silica'][i], 9, 3)} um\n" + report_lines(first, i),
            f" Fleche : {F(then.bow[i], 9, 3)} um ; diametre : {F(c['diameter'][i], 9, 4)} m\n"
            f" Epaisseur de silicium : {F(c['new_silicon'][i], 9, 3)} um,"
            f" de silice : {F(c['new_silica'][i], 9, 3)} um\n"
            f" {I(then.regressions[i], 5)} regressions\n" + report_lines(then, i),
        ]
    check(printed, expected, lambda k: f"{k // 2} ({'first' if k % 2 == 0 else 'continue'})")
    # One warning for the solver's messages, one for the passes that did not settle.
    warned = [str(w.message) for w in caught if issubclass(w.category, SolverWarning)]
    assert sum("3x3 solver" in w for w in warned) == (1 if solver_messages else 0)
    unsettled = np.count_nonzero(~then.settled)
    assert [w for w in warned if "did not settle" in w] == (
        [f"the continue pass did not settle at {unsettled} of {N} point(s)"
         f" (first at flat index {np.argmin(then.settled)}): settled is False there, and the"
         f" results are where the Newton steps ended"] if unsettled else [])
    # The session meets long searches too, not only passes that settle at once.
    assert np.count_nonzero((then.regressions > 50) & np.isfinite(then.bow)) > 100
