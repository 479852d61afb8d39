"""The extension inside a process: a long call ends on Ctrl-C (or on whatever a Python
signal handler raises), and threads that cannot be started leave the interpreter running
with the same results. Each case runs in a child interpreter."""

import os
import resource
import signal
import subprocess
import sys
import time

import pytest

from common import run_python
from thinfilm import ellcalc

# What a child prints last: a call after the one that ended still gives its value.
AFTER = str(ellcalc.psi_delta(thickness=100.0).psi)
_LONG_CALL = r"""
import signal, sys, warnings
import numpy as np
import thinfilm
from thinfilm import ellcalc, waferbow

def handler(signum, frame):
    raise TimeoutError("from a handler")

signal.signal(signal.SIGUSR1, handler)
warnings.simplefilter("ignore")
thinfilm.threads = int(sys.argv[2])
first = waferbow.first_state(bow=10.0)
calls = {
    # 1e8 points of a forward model, and continue passes that never settle.
    "psi_delta": lambda: ellcalc.psi_delta(thickness=np.linspace(0, 500, 10**4)[:, None],
                                           wavelength=np.linspace(400, 800, 10**4)),
    "continue_pass": lambda: waferbow.continue_pass(first, silicon=np.zeros(1_000_000)),
    # The calling thread's range settles at once; it waits for the worker's.
    "uneven": lambda: waferbow.continue_pass(
        first, silicon=np.r_[np.full(10**6, 525.0), np.zeros(10**6)]),
}
print("started", flush=True)
try:
    calls[sys.argv[1]]()
    print("finished", flush=True)
except BaseException as e:
    print(type(e).__name__, flush=True)
print(ellcalc.psi_delta(thickness=100.0).psi, flush=True)
"""


@pytest.mark.parametrize("call, threads, signum, raised", [
    ("psi_delta", 1, signal.SIGINT, "KeyboardInterrupt"),
    ("continue_pass", 1, signal.SIGINT, "KeyboardInterrupt"),
    ("continue_pass", 2, signal.SIGUSR1, "TimeoutError"),
    ("uneven", 2, signal.SIGINT, "KeyboardInterrupt")])
def test_a_long_call_ends_on_a_signal(call, threads, signum, raised):
    child = subprocess.Popen([sys.executable, "-c", _LONG_CALL, call, str(threads)],
                             stdout=subprocess.PIPE, text=True)
    try:
        assert child.stdout.readline() == "started\n"
        time.sleep(0.5)  # into the extension, most likely
        child.send_signal(signum)
        sent = time.monotonic()
        out, _ = child.communicate(timeout=60)
        took = time.monotonic() - sent
    finally:
        child.kill()
        child.wait()
    assert child.returncode == 0 and out.split() == [raised, AFTER]
    # A fraction of a second in fact; the bound leaves room for a loaded machine.
    assert took < 10


_FEW_THREADS = r"""
import resource
import numpy as np
import thinfilm
from thinfilm import ellcalc

t = np.linspace(-300, 900, 2_000_000)
thinfilm.threads = 1
one = ellcalc.psi_delta(thickness=t)
with open("/proc/self/status") as status:
    size = next(int(line.split()[1]) * 1024 for line in status if line.startswith("VmSize"))
# Room for the results and two or three thread stacks, not for 63.
stack = resource.getrlimit(resource.RLIMIT_STACK)[0]
room = size + (100 << 20) + 5 * stack // 2
resource.setrlimit(resource.RLIMIT_AS, (room, resource.RLIM_INFINITY))
thinfilm.threads = 64
many = ellcalc.psi_delta(thickness=t)
print(all(a.tobytes() == b.tobytes() for a, b in zip(one, many)))
print(ellcalc.psi_delta(thickness=100.0).psi)
"""


@pytest.mark.skipif(bool(os.environ.get("LD_PRELOAD")),
                    reason="the sanitizers' run-time reserves address space")
def test_threads_that_cannot_start_leave_their_points_to_the_others():
    stack, hard = 256 << 20, resource.getrlimit(resource.RLIMIT_STACK)[1]
    if hard != resource.RLIM_INFINITY and hard < stack:
        pytest.skip("the stack size cannot be raised")

    def huge_stacks():
        # New threads get stacks of this size (read at the start of the process).
        resource.setrlimit(resource.RLIMIT_STACK, (stack, hard))

    done = run_python(_FEW_THREADS, timeout=300, preexec_fn=huge_stacks)
    assert done.returncode == 0 and done.stdout.split() == ["True", AFTER], done.stderr
