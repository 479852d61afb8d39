#!/usr/bin/env bash
# Installs with apt-get (Debian) what is missing of what the build and the tests need.
#
#   tools/install-deps.sh        the programs, their tests, the Python package and its tests,
#                                the benchmarks, the coverage report
#   tools/install-deps.sh --ci   also what .ci/run needs besides: clang and its fuzzer runtime,
#                                lintian, the Windows cross compiler and Wine, the package
#                                tools, the manual-page checkers, xarray, dask and its
#                                distributed scheduler (the Python package's lab-script
#                                tests) and venv (its pip install test)
#
# Nothing is done when everything is there; otherwise the package lists are updated first.
set -euo pipefail

packages=(cmake ninja-build g++ libgtest-dev libbenchmark-dev pybind11-dev python3-dev python3-numpy
          python3-pytest python3-matplotlib python3-scipy gcovr)
# Installed without their recommendations, which they do not need here.
lean_packages=()
case "${1:-}" in
  "") ;;
  --ci)
    packages+=(clang libclang-rt-14-dev lintian)
    lean_packages+=(g++-mingw-w64-x86-64 wine64 wine dpkg-dev groff-base mandoc
                    python3-xarray python3-dask python3-distributed python3-venv)
    ;;
  *)
    echo "usage: tools/install-deps.sh [--ci]" >&2
    exit 2
    ;;
esac

installed() { dpkg-query -W -f '${Status}' "$1" 2> /dev/null | grep -q ' installed$'; }
missing=()
missing_lean=()
for p in "${packages[@]}"; do installed "$p" || missing+=("$p"); done
for p in "${lean_packages[@]}"; do installed "$p" || missing_lean+=("$p"); done
if [ $((${#missing[@]} + ${#missing_lean[@]})) -eq 0 ]; then
  exit 0
fi

echo "installing: ${missing[*]} ${missing_lean[*]}"
apt_get() {
  if [ "$(id -u)" -eq 0 ]; then
    DEBIAN_FRONTEND=noninteractive apt-get "$@"
  else
    sudo DEBIAN_FRONTEND=noninteractive apt-get "$@"
  fi
}
apt_get update -qq
if [ ${#missing[@]} -gt 0 ]; then
  apt_get install -y -qq "${missing[@]}"
fi
if [ ${#missing_lean[@]} -gt 0 ]; then
  apt_get install -y -qq --no-install-recommends "${missing_lean[@]}"
fi
