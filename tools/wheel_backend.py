"""The build backend of pyproject.toml: `pip install .` and `pip wheel .` build the Python
package with the project's own CMake build and install rules.

A wheel is what `cmake --install --component python` puts under a prefix, after the build
of the default preset (the tests left out) for the interpreter that runs the build: the
package and its metadata (version included) from lib/python3/dist-packages at the wheel's
root, the rest of the component (the manual page, the copyright and the changelog) as data
under the environment's prefix. Nothing is fetched: CMake, Ninja, g++, pybind11 and numpy
come from the system (tools/install-deps.sh).
"""

import base64
import hashlib
import subprocess
import sys
import sysconfig
import tarfile
import tempfile
import zipfile
from pathlib import Path

SOURCE = Path(__file__).resolve().parent.parent
SITE = Path("lib", "python3", "dist-packages")


def _cmake(*args):
    # The build's output goes to standard error: pip shows it with --verbose or on failure.
    subprocess.run(["cmake", *map(str, args)], cwd=SOURCE, check=True, stdout=sys.stderr)


def _configure(build):
    _cmake("--preset", "default", "-B", build, "-DCALC_BUILD_TESTS=OFF",
           f"-DCALC_PYTHON={sys.executable}")


def _metadata_folder(site):
    """The one thinfilm-VERSION.dist-info folder in ``site``."""
    found = sorted(Path(site).glob("thinfilm-*.dist-info"))
    if len(found) != 1:
        raise RuntimeError(f"expected one thinfilm-*.dist-info in {site}, found {found}")
    return found[0]


def _tag():
    version = f"cp{sys.version_info.major}{sys.version_info.minor}"
    platform = sysconfig.get_platform().replace("-", "_").replace(".", "_")
    return f"{version}-{version}-{platform}"


def _record_line(name, data):
    digest = base64.urlsafe_b64encode(hashlib.sha256(data).digest()).rstrip(b"=").decode()
    return f"{name},sha256={digest},{len(data)}\n"


def _write_wheel(path, files, info):
    """The wheel ``path`` of ``files`` (name in the wheel -> file), its RECORD in ``info``."""
    record = ""
    with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED) as wheel:
        for name, file in sorted(files.items()):
            data = file.read_bytes() if isinstance(file, Path) else file
            entry = zipfile.ZipInfo(name, date_time=(1980, 1, 1, 0, 0, 0))
            entry.external_attr = ((file.stat().st_mode if isinstance(file, Path) else 0o644)
                                   & 0o777 | 0o100000) << 16
            entry.compress_type = zipfile.ZIP_DEFLATED
            wheel.writestr(entry, data)
            record += _record_line(name, data)
        wheel.writestr(f"{info}/RECORD", record + f"{info}/RECORD,,\n")


def build_wheel(wheel_directory, config_settings=None, metadata_directory=None):
    with tempfile.TemporaryDirectory(prefix="thinfilm-wheel-") as work:
        build, stage = Path(work, "build"), Path(work, "stage")
        _configure(build)
        _cmake("--build", build)
        _cmake("--install", build, "--component", "python", "--prefix", stage)
        info = _metadata_folder(stage / SITE)
        version = info.name[len("thinfilm-"):-len(".dist-info")]
        data = f"thinfilm-{version}.data/data"
        files = {}
        for file in sorted(p for p in stage.rglob("*") if p.is_file()):
            inside = file.relative_to(stage)
            if inside.is_relative_to(SITE):
                # The installer writes its own name there.
                if inside.relative_to(SITE) != Path(info.name, "INSTALLER"):
                    files[inside.relative_to(SITE).as_posix()] = file
            else:
                files[f"{data}/{inside.as_posix()}"] = file
        files[f"{info.name}/WHEEL"] = (
            "Wheel-Version: 1.0\nGenerator: thinfilm tools/wheel_backend.py\n"
            f"Root-Is-Purelib: false\nTag: {_tag()}\n"
        ).encode()
        name = f"thinfilm-{version}-{_tag()}.whl"
        _write_wheel(Path(wheel_directory, name), files, info.name)
    return name


def _sources():
    """The files of the clone: those git knows, or every file but the build folders."""
    try:
        listed = subprocess.run(["git", "ls-files", "-z"], cwd=SOURCE, capture_output=True,
                                check=True).stdout.decode().split("\0")
        return sorted(Path(f) for f in listed if f and (SOURCE / f).is_file())
    except (OSError, subprocess.CalledProcessError):
        skipped = {"build", ".git", "__pycache__", ".pytest_cache"}
        return sorted(p.relative_to(SOURCE) for p in SOURCE.rglob("*")
                      if p.is_file() and not skipped & set(p.relative_to(SOURCE).parts))


def build_sdist(sdist_directory, config_settings=None):
    with tempfile.TemporaryDirectory(prefix="thinfilm-sdist-") as work:
        _configure(Path(work))
        info = _metadata_folder(Path(work, "python"))
        top = info.name[:-len(".dist-info")]
        name = f"{top}.tar.gz"
        with tarfile.open(Path(sdist_directory, name), "w:gz", format=tarfile.PAX_FORMAT) as sdist:
            for file in _sources():
                sdist.add(SOURCE / file, f"{top}/{file.as_posix()}", recursive=False)
            sdist.add(info / "METADATA", f"{top}/PKG-INFO")
    return name


def get_requires_for_build_wheel(config_settings=None):
    return []


def get_requires_for_build_sdist(config_settings=None):
    return []
