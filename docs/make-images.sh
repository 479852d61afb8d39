#!/bin/sh
# Makes the pictures of the README's "Charts and tables" section, docs/images/*.png, with the
# commands that section lists.
#
#   docs/make-images.sh [BUILD_FOLDER]     (default build/default, after its build)
#
# The package is taken from BUILD_FOLDER/python, where the build stages it. The wafer map is
# drawn from a made-up wafer: a silica film of index 1.46, 100 nm thick at the centre, 6 nm
# thicker at the edge and 2 nm thicker towards +x, measured every 5 mm.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build/default}" && pwd)
images=$root/docs/images
python=/usr/bin/python3
export PYTHONPATH="$build/python"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

thinfilm() {
    "$python" -m thinfilm "$@" --dpi 72
}

"$python" - "$work/sites.csv" <<'EOF'
import sys
import numpy as np
from thinfilm import ellcalc

x, y = np.meshgrid(np.arange(-70.0, 71.0, 5.0), np.arange(-70.0, 71.0, 5.0))
inside = np.hypot(x, y) <= 72.0
x, y = x[inside], y[inside]
thickness = 100 + 6 * (np.hypot(x, y) / 72) ** 2 + x / 36
m = ellcalc.psi_delta(film_index=1.46, thickness=thickness)
with open(sys.argv[1], "w") as out:
    out.write("x,y,psi,delta\n")
    for row in zip(x, y, m.psi, m.delta):
        out.write("%g,%g,%s,%s\n" % row)
EOF

cd "$work"
thinfilm chart psi-delta --wavelength 632.8 --angle 70 --substrate "3.866-0.028j" \
    --index 1.46 --index 2.0 --measured 43.61,75.97 --fit-index -o "$images/psi-delta.png"
thinfilm chart nk Si SiO2 Si3N4 --from 300 --to 1000 -o "$images/nk.png"
thinfilm chart bow --bow 10 --diameter 100 --silicon 525 --silica 1 --to-silica 0.1:3 \
    --to-silicon 400 -o "$images/bow.png"
thinfilm map sites.csv --index 1.46 -o "$images/map.png" --csv thickness.csv
ls -l "$images"
