"""Shared fixtures: the built programs, named in the environment by CTest
(THINFILM_ELLCALC, THINFILM_OPTCONST, THINFILM_WAFERBOW), a piped session, and the
package's thread setting kept."""

import os
import subprocess
import sys

import pytest

sys.path.insert(0, os.path.dirname(__file__))


def _program(name):
    path = os.environ.get(f"THINFILM_{name.upper()}")
    if not path or not os.access(path, os.X_OK):
        pytest.skip(f"{name} not built (set THINFILM_{name.upper()})")
    return path


def _session(name):
    path = _program(name)

    def run(answers):
        """Pipes the answer text into the program; returns its standard output."""
        done = subprocess.run(
            [path], input=answers.encode(), capture_output=True, timeout=120, check=False
        )
        return done.stdout.decode()

    return run


@pytest.fixture
def ellcalc_session():
    return _session("ellcalc")


@pytest.fixture
def optconst_session():
    return _session("optconst")


@pytest.fixture
def waferbow_session():
    return _session("waferbow")


@pytest.fixture
def threads():
    """Restores the package's thread setting after a test that changes it."""
    import thinfilm

    kept = thinfilm.threads
    yield
    thinfilm.threads = kept
