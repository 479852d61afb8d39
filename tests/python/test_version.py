"""The package's version and metadata: the project's version (THINFILM_VERSION, set by CTest),
seen by the package itself and in the metadata beside it, where the tools that list
installed packages read it."""

import importlib.metadata
import os
from pathlib import Path

import pytest

import thinfilm

# The folder that holds the package, where its metadata must be found.
SITE = Path(thinfilm.__file__).parent.parent


@pytest.fixture
def version():
    if "THINFILM_VERSION" not in os.environ:
        pytest.skip("THINFILM_VERSION not set (CTest sets it to the project's version)")
    return os.environ["THINFILM_VERSION"]


def test_version_everywhere(version):
    assert thinfilm.__version__ == importlib.metadata.version("thinfilm") == version
    # One distribution, the one beside the package imported: no folder of another version.
    found = [d for d in importlib.metadata.distributions(path=[str(SITE)])
             if d.metadata["Name"] == "thinfilm"]
    assert [d.version for d in found] == [version]
    assert found[0].locate_file("thinfilm") == SITE / "thinfilm"


def test_metadata():
    dist = importlib.metadata.distribution("thinfilm")
    meta = dist.metadata
    assert meta["Metadata-Version"] and meta["Summary"] and dist.read_text("INSTALLER").strip()
    assert (meta["Name"], meta["License"]) == ("thinfilm", "MIT")
    assert "numpy" in meta.get_all("Requires-Dist")
    assert dist.read_text("top_level.txt").split() == ["thinfilm"]
