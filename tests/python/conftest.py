"""Shared fixtures: the built programs, named in the environment by CTest
(THINFILM_ELLCALC, THINFILM_OPTCONST, THINFILM_WAFERBOW) as piped sessions, the command
line run in a folder of its own, and the package's thread setting kept."""

import os
import subprocess
import sys

import pytest

sys.path.insert(0, os.path.dirname(__file__))


def _session_fixture(name):
    variable = f"THINFILM_{name.upper()}"

    @pytest.fixture(name=f"{name}_session")
    def session():
        path = os.environ.get(variable)
        if not path or not os.access(path, os.X_OK):
            pytest.skip(f"{name} not built (set {variable})")

        def run(answers):
            """Pipes the answer text into the program; returns its standard output."""
            done = subprocess.run(
                [path], input=answers.encode(), capture_output=True, timeout=120, check=False
            )
            return done.stdout.decode()

        return run

    return session


ellcalc_session, optconst_session, waferbow_session = (
    _session_fixture(name) for name in ("ellcalc", "optconst", "waferbow"))


@pytest.fixture
def cli(tmp_path, monkeypatch, capsys):
    """Runs main() in tmp_path, which holds a sites.csv of 40 sites; returns (status,
    stdout, stderr), the status telling an interrupt that escaped main()."""
    from common import write_sites
    from thinfilm.cli import main

    monkeypatch.chdir(tmp_path)
    write_sites(tmp_path / "sites.csv", 40)

    def run(*argv):
        try:
            status = main([str(a) for a in argv])
        except KeyboardInterrupt:
            status = "an interrupt that escaped"
        out, err = capsys.readouterr()
        return status, out, err

    return run


@pytest.fixture
def threads():
    """Restores the package's thread setting after a test that changes it."""
    import thinfilm

    kept = thinfilm.threads
    yield
    thinfilm.threads = kept
