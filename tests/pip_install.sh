#!/usr/bin/env bash
# `pip install .` as a scientist outside Debian does it, offline: a fresh virtual environment
# that sees Debian's packages (numpy, pytest...), the package built from this clone by its
# CMake build (pyproject.toml), then the package's tests and doctests run against what pip
# installed (test_version.py requires the project's version in its metadata).
#
#   tests/pip_install.sh [BUILD]   BUILD (default build/default): a configured and built
#                                  folder, for the project's version and the programs that
#                                  the tests compare the package with
set -euo pipefail
cd "$(dirname "$0")/.."
source=$PWD
build=$(realpath "${1:-build/default}")
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
[ -n "$version" ] || { echo "tests/pip_install.sh: $build is not a configured build" >&2; exit 2; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
unset PYTHONPATH
/usr/bin/python3 -m venv --system-site-packages "$work/env"
python=$work/env/bin/python
"$work/env/bin/pip" install --no-build-isolation --no-index --quiet "$source"

# Run from the temporary folder: the package imported is pip's, not the clone's.
cd "$work"
package=$("$python" -c 'import os, thinfilm; print(os.path.dirname(thinfilm.__file__))')
if [[ $package != "$work/env/"* ]]; then
  echo "tests/pip_install.sh: thinfilm imported from $package, not from the environment" >&2
  exit 1
fi
echo "pip installed thinfilm in a fresh virtual environment: $package"

export PYTHONDONTWRITEBYTECODE=1 THINFILM_VERSION=$version
export THINFILM_ELLCALC=$build/ellcalc/ellcalc THINFILM_OPTCONST=$build/optconst/optconst \
       THINFILM_WAFERBOW=$build/waferbow/waferbow
"$python" -m pytest -q -p no:cacheprovider "$source/tests/python"
"$python" -m pytest -q -p no:cacheprovider --doctest-modules "$package"
