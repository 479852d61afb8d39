#!/usr/bin/env bash
# Times one calculator on a generated session of N cycles.
#
#   bench/session.sh <program> <generator> <N>
#   bench/session.sh ellcalc ellcalc_mode2 100000
#
# <generator> names bench/gen/<generator>.awk, which prints the answers of N cycles.
# The programs come from build/bench (cmake --preset bench && cmake --build --preset bench).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=${BUILD_DIR:-$here/../build/bench}
program=$1 generator=$2 cycles=$3
session=$(mktemp)
trap 'rm -f "$session"' EXIT
awk -v n="$cycles" -f "$here/gen/$generator.awk" > "$session"
printf '%-10s %-22s %8d cycles: ' "$program" "$generator" "$cycles"
"$build/bench/session_bench" "$build/$program/$program" "$session"
