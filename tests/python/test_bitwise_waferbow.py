"""waferbow's first pass and continue pass against the program, digit for digit.

One piped session: for each random wafer a first pass, a continue pass with new
thicknesses and a moment, then a restart. The program keeps the moment of a continue pass
for the next first pass, so each first state here gets the moment of the case before.
"""

import numpy as np

from common import assert_unsettled_warned, check
from fields import each, typed
from thinfilm import SolverWarning, waferbow

N = 1500
PROMPT = " Continue ou recommence (0/1) :  0 ? "


def wafers(seed, n=N):
    g = np.random.default_rng(seed)
    c = {"bow": np.where(g.random(n) < 0.5, -1, 1) * g.uniform(0.5, 60, n),
         "diameter": g.uniform(0.05, 0.3, n), "silicon": g.uniform(300, 900, n),
         "silica": g.uniform(0.01, 3, n), "modulus_si": g.uniform(1.5, 2.5, n),
         "modulus_sio2": g.uniform(0.6, 1.0, n)}
    # Mostly no moment; otherwise from 1E-4 to 3 N, either way (larger moments drive most
    # passes to the step limit, in the program as here).
    c["moment"] = np.where(g.random(n) < 0.7, 0, np.where(g.random(n) < 0.5, -1, 1)
                           * 10 ** g.uniform(-4, 0.5, n)).astype(np.float32)
    c["new_silicon"] = c["silicon"] * g.uniform(0.6, 1.2, n)
    c["new_silica"] = c["silica"] * g.uniform(0.2, 3, n)
    return c


FIRST = ("bow", "diameter", "silicon", "silica", "modulus_si", "modulus_sio2")
WAFER = (" Fleche : {bow:F9.3} um ; diametre : {c.diameter:F9.4} m\n"
         " Epaisseur de silicium : {silicon:F9.3} um, de silice : {silica:F9.3} um\n")
# The stress report: the first fourteen values of a result, in their order.
REPORT = (" Rayon de courbure : {r[0]:F9.3}m ; moment de flexion : {r[1]:E15.7}MN\n"
          " Lignes neutre du silicium : {r[2]:E15.7}m, de la silice : {r[3]:E15.7}m\n"
          " Contrainte dans le silicium : interface {r[4]:E15.7} surface : {r[5]:E15.7}MPa\n"
          " Contrainte dans la silice : interface {r[6]:E15.7} surface : {r[7]:E15.7}MPa\n"
          " Deformation silicium : interface {r[8]:E15.7} surface : {r[9]:E15.7}\n"
          " Deformation silice : interface {r[10]:E15.7} surface : {r[11]:E15.7}\n"
          " Energie elastique : silicium {r[12]:E15.7}, silice {r[13]:E15.7} J.m-2\n\n")


def test_first_and_continue_passes_against_the_program(waferbow_session, recwarn):
    c = wafers(21)
    out = waferbow_session("".join("\n".join(
        [typed(c[k][i]) for k in FIRST] + ["0"]
        + [typed(c[k][i]) for k in ("new_silicon", "new_silica", "moment")] + ["1"]) + "\n"
        for i in range(N)))
    pieces = [p.rsplit(" ? ", 1)[1] for p in out.split(PROMPT)]
    assert len(pieces) == 2 * N + 1

    kept_moment = np.concatenate(([np.float32(0)], c["moment"][:-1]))
    first = waferbow.first_state(*(c[k] for k in FIRST), kept_moment)
    then = waferbow.continue_pass(first, c["new_silicon"], c["new_silica"], c["moment"])

    # Of a continue pass, what follows its last search.
    continued = pieces[1:-1:2]
    printed = [p for first_, then_ in zip(pieces[0:-1:2], continued)
               for p in (first_, then_[then_.find(" Fleche : "):])]
    expected = zip(
        each(WAFER + REPORT, N, c=c, r=first, bow=c["bow"], silicon=c["silicon"],
             silica=c["silica"]),
        each(WAFER + " {r.regressions:I5} regressions\n" + REPORT, N, c=c, r=then,
             bow=then.bow, silicon=c["new_silicon"], silica=c["new_silica"]))
    check(printed, [t for pair in expected for t in pair],
          lambda k: f"{k // 2} ({'first' if k % 2 == 0 else 'continue'})")
    # One warning for the solver's messages, one for the passes that did not settle.
    warned = [str(w.message) for w in recwarn if issubclass(w.category, SolverWarning)]
    assert sum("3x3 solver" in w for w in warned) == any("GAUS3" in t for t in continued)
    assert_unsettled_warned(recwarn, then.settled)
    # The session meets long searches too, not only passes that settle at once.
    assert np.count_nonzero((then.regressions > 50) & np.isfinite(then.bow)) > 100
