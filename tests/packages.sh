#!/usr/bin/env bash
# The Debian packages on a real system: installs both with apt-get, imports every module of
# thinfilm as root (so that Python would write its byte code beside them), runs
# python3 -m thinfilm --help, purges both and requires that nothing of either is left (no
# warning from dpkg, no file, no folder, and `import thinfilm` fails). That the calculators
# of the package run and give their version, .ci/run checks on the package's files.
#
#   tests/packages.sh <thinfilm-calculators .deb> <python3-thinfilm .deb>
#
# It changes the system, so it runs only as root and only where neither package nor any of
# their files is there before (a developer's own installation is left alone: status 0 with
# the reason). Whatever happens, it purges both packages and whatever apt-get installed for
# them before it ends.
set -euo pipefail
source "$(dirname "$0")/script_common.sh"

usage="usage: tests/packages.sh <thinfilm-calculators.deb> <python3-thinfilm.deb>"
[ $# -eq 2 ] || { echo "$usage" >&2; exit 2; }
debs=("$(realpath "$1")" "$(realpath "$2")")
packages=(thinfilm-calculators python3-thinfilm)
python=/usr/bin/python3
site=/usr/lib/python3/dist-packages
export DEBIAN_FRONTEND=noninteractive

skip() { echo "tests/packages.sh: skipped: $*"; exit 0; }
[ "$(id -u)" -eq 0 ] || skip "it installs and purges the packages for real: root only"

for i in 0 1; do
  [ "$(dpkg-deb -f "${debs[$i]}" Package)" = "${packages[$i]}" ] \
    || { echo "tests/packages.sh: ${debs[$i]} is not ${packages[$i]}" >&2; exit 2; }
  status=$(dpkg-query -W -f '${db:Status-Status}' "${packages[$i]}" 2>/dev/null || true)
  [ -z "$status" ] || [ "$status" = not-installed ] \
    || skip "${packages[$i]} is on this system already ($status): it is left alone"
done
version=$(dpkg-deb -f "${debs[1]}" Version)

# A clean environment: no PYTHONPATH, byte code written as Python writes it by default.
clean_python() { (cd / && env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin "$python" "$@"); }

# Files of the packages already there (installed by hand, e.g. cmake --install --prefix /usr).
if there=$(compgen -G "$site/thinfilm*"); then
  skip "${there//$'\n'/ } already there: left alone"
fi
for deb in "${debs[@]}"; do
  while read -r path; do
    if [ -e "/$path" ] && [ ! -d "/$path" ]; then skip "/$path already there: left alone"; fi
  done < <(dpkg-deb --fsys-tarfile "$deb" | tar -t | sed 's,^\./,,')
done
if where=$(clean_python -c 'import thinfilm; print(thinfilm.__path__)' 2>/dev/null); then
  skip "a thinfilm is importable already ($where): left alone"
fi

installed() {
  dpkg-query -W -f '${db:Status-Status} ${Package}\n' | sed -n 's/^installed //p' | sort
}
installed > "$work/before"
cleanup() {
  apt-get purge -y -qq "${packages[@]}" > /dev/null 2>&1 || true
  # What a purge may leave behind was not there before: it goes.
  rm -rf "$site"/thinfilm*
  # What apt-get brought in for them (their dependencies) goes too.
  installed > "$work/after"
  mapfile -t added < <(comm -13 "$work/before" "$work/after")
  if [ ${#added[@]} -gt 0 ]; then
    echo "purging what was installed with them: ${added[*]}"
    apt-get purge -y -qq "${added[@]}" > /dev/null 2>&1 || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 1' INT TERM HUP

echo "installing ${debs[*]}"
apt-get install -y -qq "${debs[@]}" > "$work/install.log" 2>&1 \
  || { cat "$work/install.log"; echo "FAILED: apt-get install"; exit 1; }
dpkg -L "${packages[@]}" > "$work/files"

# Every module, as root, from the system's dist-packages, and the version in the metadata.
clean_python - "$site" "$version" << 'EOF' || fail "thinfilm as installed in $site (above)"
import importlib
import importlib.metadata
import pkgutil
import sys

import thinfilm

assert thinfilm.__file__ == sys.argv[1] + "/thinfilm/__init__.py", thinfilm.__file__
names = [m.name for m in pkgutil.walk_packages(thinfilm.__path__, "thinfilm.")]
for name in names:
    if name != "thinfilm.__main__":  # the command line itself, run below
        importlib.import_module(name)
assert "thinfilm.charts.wafer_map" in sys.modules, names
found = (thinfilm.__version__, importlib.metadata.version("thinfilm"))
assert found == (sys.argv[2],) * 2, f"version {found}, not {sys.argv[2]}"
print(f"imported thinfilm {sys.argv[2]} (its metadata's too) and its {len(names) - 1} modules")
EOF
if ! clean_python -m thinfilm --help > "$work/help" 2>&1 || ! grep -q '^usage: ' "$work/help"; then
  fail "python3 -m thinfilm --help: $(head -n 3 "$work/help")"
fi

echo "purging ${packages[*]}"
apt-get purge -y -qq "${packages[@]}" > "$work/purge.log" 2>&1 \
  || { cat "$work/purge.log"; fail "apt-get purge"; }
if grep -i 'warning' "$work/purge.log"; then fail "dpkg warned while purging"; fi
# Nothing of theirs left: no file, and no folder of their own (the shared ones, /usr/bin and
# the like, stay).
while read -r path; do
  if [ -e "$path" ] && { [ ! -d "$path" ] || [[ $path == *thinfilm* ]]; }; then echo "$path"; fi
done < "$work/files" > "$work/left"
find "$site" -maxdepth 1 -name 'thinfilm*' >> "$work/left"
while read -r path; do fail "$path left behind"; done < <(sort -u "$work/left")
if where=$(clean_python -c 'import thinfilm; print(thinfilm.__path__)' 2>/dev/null); then
  fail "import thinfilm still succeeds after the purge ($where)"
fi
finish
echo "tests/packages.sh: installed, imported, run and purged without a trace"
