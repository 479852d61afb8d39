#!/usr/bin/env bash
# The Debian packages on a real system: installs both with apt-get, imports every module of
# thinfilm as root (so that Python would write its byte code beside them), runs
# python3 -m thinfilm --help and a calculator, purges both and requires that nothing of
# either is left (no warning from dpkg, no file, no folder, and `import thinfilm` fails).
#
#   tests/packages.sh <thinfilm-calculators .deb> <python3-thinfilm .deb>
#
# It changes the system, so it runs only as root and only where neither package nor any of
# their files is there before (a developer's own installation is left alone: status 0 with
# the reason). Whatever happens, it purges both packages and whatever apt-get installed for
# them before it ends.
set -euo pipefail

if [ $# -ne 2 ]; then
  echo "usage: tests/packages.sh <thinfilm-calculators.deb> <python3-thinfilm.deb>" >&2
  exit 2
fi
debs=("$(realpath "$1")" "$(realpath "$2")")
packages=(thinfilm-calculators python3-thinfilm)
python=/usr/bin/python3
site=/usr/lib/python3/dist-packages

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
shopt -s nullglob
there=("$site"/thinfilm*)
shopt -u nullglob
[ ${#there[@]} -eq 0 ] || skip "${there[*]} already there: left alone"
for deb in "${debs[@]}"; do
  while read -r path; do
    if [ -e "/$path" ] && [ ! -d "/$path" ]; then skip "/$path already there: left alone"; fi
  done < <(dpkg-deb --fsys-tarfile "$deb" | tar -t | sed 's,^\./,,')
done
if where=$(clean_python -c 'import thinfilm; print(thinfilm.__path__)' 2>/dev/null); then
  skip "a thinfilm is importable already ($where): left alone"
fi

work=$(mktemp -d)
installed() {
  dpkg-query -W -f '${db:Status-Status} ${Package}\n' | sed -n 's/^installed //p' | sort
}
installed > "$work/before"
cleanup() {
  DEBIAN_FRONTEND=noninteractive apt-get purge -y -qq "${packages[@]}" > /dev/null 2>&1 || true
  # What a purge may leave behind was not there before: it goes.
  rm -rf "$site"/thinfilm*
  # What apt-get brought in for them (their dependencies) goes too.
  installed > "$work/after"
  mapfile -t added < <(comm -13 "$work/before" "$work/after")
  if [ ${#added[@]} -gt 0 ]; then
    echo "purging what was installed with them: ${added[*]}"
    DEBIAN_FRONTEND=noninteractive apt-get purge -y -qq "${added[@]}" > /dev/null 2>&1 || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 1' INT TERM HUP

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

echo "installing ${debs[*]}"
DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${debs[@]}" > "$work/install.log" 2>&1 \
  || { cat "$work/install.log"; echo "FAIL: apt-get install"; exit 1; }
for package in "${packages[@]}"; do
  dpkg -L "$package" >> "$work/files"
done

# Every module, as root, from the system's dist-packages.
clean_python - "$site" << 'EOF' || fail "not every module of thinfilm imports from $site"
import importlib
import pkgutil
import sys

import thinfilm

assert thinfilm.__file__ == sys.argv[1] + "/thinfilm/__init__.py", thinfilm.__file__
names = [m.name for m in pkgutil.walk_packages(thinfilm.__path__, "thinfilm.")]
for name in names:
    if name != "thinfilm.__main__":  # the command line itself, run below
        importlib.import_module(name)
assert "thinfilm.charts.wafer_map" in sys.modules, names
print(f"imported thinfilm and its {len(names) - 1} modules")
EOF
clean_python - "$version" << 'EOF' || fail "the installed thinfilm is not version $version"
import importlib.metadata
import sys

import thinfilm

found = (thinfilm.__version__, importlib.metadata.version("thinfilm"))
assert found == (sys.argv[1],) * 2, found
print(f"thinfilm {thinfilm.__version__}, in its metadata too")
EOF
if ! clean_python -m thinfilm --help > "$work/help" 2>&1 || ! grep -q '^usage: ' "$work/help"; then
  fail "python3 -m thinfilm --help: $(head -n 3 "$work/help")"
fi
session=$(printf '2\n/\n/\n/\n/\n' | /usr/bin/ellcalc 2>/dev/null || true)
grep -q 'Indice du substrat :   0.46301  -1.85226' <<<"$session" || fail "ellcalc does not answer"
[ "$(/usr/bin/ellcalc --version)" = "ellcalc (thin-film calculators) $version" ] \
  || fail "ellcalc --version is not $version"

echo "purging ${packages[*]}"
DEBIAN_FRONTEND=noninteractive apt-get purge -y -qq "${packages[@]}" > "$work/purge.log" 2>&1 \
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

if [ "$failures" -gt 0 ]; then
  echo "tests/packages.sh: $failures failures"
  exit 1
fi
echo "tests/packages.sh: installed, imported, run and purged without a trace"
