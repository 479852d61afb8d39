"""The command line: the files it keeps safe, and how it ends (errors, interrupts, signals)."""

import argparse
import os
import shutil
import signal
import subprocess
import time
from unittest.mock import Mock

import pytest

from common import thinfilm_module, write_sites
from test_cli import COMMANDS, ended_well
from thinfilm.cli import build_parser

PAGE = os.path.join(os.path.dirname(__file__), "..", "..", "man", "thinfilm.1")
SITES = "x,y,psi,delta\n0,0,43.6,76\n1,0,43.6,76\n"


@pytest.fixture
def run(cli, tmp_path):
    """The command line in tmp_path, which holds the two sites of SITES."""
    (tmp_path / "sites.csv").write_text(SITES)
    return cli


BOW = " ".join(COMMANDS["bow"])
INPUT = "names the input file 'sites.csv'"


@pytest.mark.parametrize("argv, link, words", [
    ("map sites.csv -o ./sites.csv", None, INPUT),
    ("map sites.csv -o m.png --csv other.csv", "symlink", INPUT),
    ("map sites.csv -o other.csv", "hardlink", INPUT),
    ("map sites.csv -o m.csv --csv other.csv", "hardlink", INPUT),
    # The bow chart, which reads no file, told to write its two outputs to one file.
    (BOW + " -o sites.csv --csv other.csv", "hardlink", "name the same file"),
])
def test_an_output_naming_the_input_or_the_other_output_is_refused(argv, link, words, run,
                                                                   tmp_path):
    if link == "symlink":
        (tmp_path / "other.csv").symlink_to("sites.csv")
    elif link == "hardlink":
        os.link(tmp_path / "sites.csv", tmp_path / "other.csv")
    status, _, err = run(*argv.split())
    assert status == 2 and words in err
    assert (tmp_path / "sites.csv").read_text() == SITES
    assert not {"m.png", "m.csv"} & set(os.listdir(tmp_path))


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
    def write(stream):
        stream.write(b"\x89PNG half a picture")
        raise error
    return lambda figure, file_format, dpi: write


# (what is replaced in thinfilm, by what, the error reported; None for an interrupt, which
# ends with status 130 and no message)
@pytest.mark.parametrize("target, replacement, error", [
    ("cli.figure_writer", _failing_writer(ValueError("cannot place a value")),
     "cannot draw the chart: cannot place a value"),
    ("charts.wafer_map.map_data", Mock(side_effect=KeyboardInterrupt), None),
    ("charts.wafer_map.map_data", Mock(side_effect=MemoryError),
     "not enough memory for the 2 sites of sites.csv"),
    ("charts.sites.read_sites", Mock(side_effect=MemoryError),
     "not enough memory to read sites.csv"),
    ("charts.wafer_map.draw_map", Mock(side_effect=RuntimeError("unforeseen")),
     "RuntimeError: unforeseen"),
])
def test_interrupts_and_unforeseen_errors_end_quietly_and_leave_nothing(
        target, replacement, error, run, tmp_path, monkeypatch):
    monkeypatch.setattr("thinfilm." + target, replacement)
    assert run("map", "sites.csv", "-o", "m.png", "--csv", "m.csv") == (
        (130, "", "") if error is None else (2, "", f"thinfilm map: error: {error}\n"))
    assert os.listdir(tmp_path) == ["sites.csv"]


def test_sites_outside_the_wafer_drawn_are_counted(cli, tmp_path):
    write_sites(tmp_path / "sites.csv", 60)
    _, err = ended_well(cli, "map", "sites.csv", "--index", "1.46", "--diameter", "10", "-o",
                        "m.png", "--dpi", "20")
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


@pytest.mark.skipif(not shutil.which("groff"), reason="groff not installed")
def test_the_page_keeps_quoted_material_names_whole():
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
