"""The command line: the files it keeps safe, and how it ends (errors, interrupts, signals)."""

import argparse
import os
import shutil
import signal
import subprocess
import time

import pytest

from common import thinfilm_module, write_sites
from test_cli import COMMANDS
from thinfilm.cli import build_parser

PAGE = os.path.join(os.path.dirname(__file__), "..", "..", "man", "thinfilm.1")
SITES = "x,y,psi,delta\n0,0,43.6,76\n1,0,43.6,76\n"


@pytest.fixture
def run(cli, tmp_path):
    """The command line in tmp_path, which holds the two sites of SITES."""
    (tmp_path / "sites.csv").write_text(SITES)
    return cli


@pytest.mark.parametrize("link, outputs", [
    (None, ["-o", "sites.csv"]),
    (None, ["-o", "./sites.csv"]),
    ("symlink", ["-o", "m.png", "--csv", "other.csv"]),
    ("hardlink", ["-o", "other.csv"]),
    ("hardlink", ["-o", "m.csv", "--csv", "other.csv"]),
])
def test_an_output_that_names_the_input_is_refused(link, outputs, run, tmp_path):
    if link == "symlink":
        (tmp_path / "other.csv").symlink_to("sites.csv")
    elif link == "hardlink":
        os.link(tmp_path / "sites.csv", tmp_path / "other.csv")
    status, _, err = run("map", "sites.csv", *outputs)
    assert status == 2 and "names the input file 'sites.csv'" in err
    assert (tmp_path / "sites.csv").read_text() == SITES
    assert not {"m.png", "m.csv"} & set(os.listdir(tmp_path))


@pytest.mark.parametrize("csv", ["b.csv", "./a.csv"])
def test_csv_and_output_naming_one_file_are_refused(csv, run, tmp_path):
    (tmp_path / "a.csv").write_text("old")
    os.link(tmp_path / "a.csv", tmp_path / "b.csv")
    status, _, err = run(*COMMANDS["bow"], "-o", "a.csv", "--csv", csv)
    assert status == 2 and "name the same file" in err
    assert (tmp_path / "a.csv").read_text() == "old"


def test_a_replaced_file_keeps_its_mode_and_a_read_only_one_stays_read_only(run, tmp_path):
    for name, mode in (("private.csv", 0o600), ("read-only.csv", 0o444)):
        (tmp_path / name).write_text("old")
        os.chmod(tmp_path / name, mode)
        status, _, err = run(*COMMANDS["bow"], "-o", name)
        assert (tmp_path / name).stat().st_mode & 0o777 == mode
        if os.access(tmp_path / name, os.W_OK) or mode == 0o600:
            assert status == 0 and (tmp_path / name).read_text().startswith("silicon,")
        else:
            # Not replaced, as writing it in place would not be.
            assert status == 2 and "cannot write read-only.csv: Permission denied" in err
            assert (tmp_path / name).read_text() == "old"
    assert not [n for n in os.listdir(tmp_path) if n.endswith(".part")]


def test_a_name_of_255_characters_is_written(run, tmp_path):
    name = "b" * 251 + ".csv"
    assert run(*COMMANDS["bow"], "-o", name)[0] == 0
    assert sorted(os.listdir(tmp_path)) == sorted(["sites.csv", name])


def _failing_writer(error):
    def writer(figure, file_format, dpi):
        def write(stream):
            stream.write(b"\x89PNG half a picture")
            raise error
        return write
    return writer


def _raise(error):
    def function(*args, **kwargs):
        raise error
    return function


@pytest.mark.parametrize("target, replacement, status, message", [
    ("thinfilm.cli.figure_writer", _failing_writer(KeyboardInterrupt), 130, ""),
    ("thinfilm.cli.figure_writer", _failing_writer(ValueError("cannot place a value")), 2,
     "thinfilm map: error: cannot draw the chart: cannot place a value\n"),
    ("thinfilm.charts.wafer_map.map_data", _raise(KeyboardInterrupt), 130, ""),
    ("thinfilm.charts.wafer_map.map_data", _raise(MemoryError), 2,
     "thinfilm map: error: not enough memory for the 2 sites of sites.csv\n"),
    ("thinfilm.charts.sites.read_sites", _raise(MemoryError), 2,
     "thinfilm map: error: not enough memory to read sites.csv\n"),
    ("thinfilm.charts.wafer_map.draw_map", _raise(RuntimeError("unforeseen")), 2,
     "thinfilm map: error: RuntimeError: unforeseen\n"),
])
def test_interrupts_and_unforeseen_errors_end_quietly_and_leave_nothing(
        target, replacement, status, message, run, tmp_path, monkeypatch):
    monkeypatch.setattr(target, replacement)
    assert run("map", "sites.csv", "-o", "m.png", "--csv", "m.csv") == (status, "", message)
    assert os.listdir(tmp_path) == ["sites.csv"]


def test_sites_outside_the_wafer_drawn_are_counted(cli, tmp_path):
    write_sites(tmp_path / "sites.csv", 60)
    status, _, err = cli("map", "sites.csv", "--index", "1.46", "--diameter", "10", "-o",
                         "m.png", "--dpi", "20")
    assert status == 0
    assert err.startswith("thinfilm map: warning: ") and err.count("\n") == 1
    assert "of 60 sites lie outside the wafer of 10 mm drawn" in err


@pytest.mark.skipif(not hasattr(os, "mkfifo"), reason="needs named pipes")
@pytest.mark.parametrize("name, status", [("SIGINT", 130), ("SIGTERM", -signal.SIGTERM),
                                          ("SIGHUP", -signal.SIGHUP)])
def test_a_signal_during_the_writing_leaves_no_file(name, status, tmp_path):
    # A pipe as output is written in place once the table beside it is complete:
    # with no reader the command waits there, its temporary file made.
    os.mkfifo(tmp_path / "pipe.csv")
    process = thinfilm_module(*COMMANDS["bow"], "-o", "pipe.csv", "--csv", "t.csv", cwd=tmp_path)
    try:
        deadline = time.monotonic() + 120
        while not any(n.endswith(".part") for n in os.listdir(tmp_path)):
            assert process.poll() is None and time.monotonic() < deadline
            time.sleep(0.05)
        process.send_signal(getattr(signal, name))
        _, err = process.communicate(timeout=120)
    finally:
        process.kill()
    assert process.returncode == status and err == ""
    assert os.listdir(tmp_path) == ["pipe.csv"]


def test_the_page_keeps_quoted_material_names_whole():
    if not shutil.which("groff"):
        pytest.skip("groff not installed")
    # groff as installed: without the sanitizers' run-time a sanitized test run preloads.
    environment = {k: v for k, v in os.environ.items() if k != "LD_PRELOAD"}
    text = subprocess.run(["groff", "-man", "-Tutf8", "-P-cbou", PAGE], capture_output=True,
                          text=True, check=True, timeout=60, env=environment).stdout
    assert "Siporeux" not in text and "\"Si poreux\"" in " ".join(text.split())


def test_the_page_describes_every_option():
    with open(PAGE) as source:
        text = source.read().replace("\\-", "-")
    parsers, missing = [build_parser()], []
    for parser in parsers:
        for action in parser._actions:
            if isinstance(action, argparse._SubParsersAction):
                parsers.extend(action.choices.values())
            missing += [o for o in action.option_strings if o.startswith("--") and o not in text]
    assert len(parsers) == 7 and missing == []
